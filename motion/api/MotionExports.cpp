// Motion commands: positions, home, factors, velocities, servo, reference mode, brakes, stops,
// motion state, limits and status.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

namespace {
// DFF, qDFF and qLIM answer through their exports also while a reference procedure runs.
constexpr int kNoBusyCheck = 0;
// IsMoving through its export: one answer for all axes when no axis is named.
constexpr int kCombined = 1;
}  // namespace

extern "C" {

ZR_BOOL Corvane_MOV(int ID, const char* axes, const double* positions) {
    return ZR_FORWARD(MOV, ID, axes, positions);
}

ZR_BOOL Corvane_qMOV(int ID, const char* axes, double* positions) {
    return ZR_FORWARD(qMOV, ID, axes, positions);
}

ZR_BOOL Corvane_MVR(int ID, const char* axes, const double* distances) {
    return ZR_FORWARD(MVR, ID, axes, distances);
}

ZR_BOOL Corvane_qPOS(int ID, const char* axes, double* positions) {
    return ZR_FORWARD(qPOS, ID, axes, positions);
}

ZR_BOOL Corvane_POS(int ID, const char* axes, const double* positions) {
    return ZR_FORWARD(POS, ID, axes, positions);
}

ZR_BOOL Corvane_IsMoving(int ID, const char* axes, ZR_BOOL* moving) {
    return ZR_FORWARD(IsMoving, ID, axes, moving, kCombined);
}

ZR_BOOL Corvane_qONT(int ID, const char* axes, ZR_BOOL* onTarget) {
    return ZR_FORWARD(qONT, ID, axes, onTarget);
}

ZR_BOOL Corvane_qLIM(int ID, const char* axes, ZR_BOOL* hasLimitSwitches) {
    return ZR_FORWARD(qLIM, ID, axes, hasLimitSwitches, kNoBusyCheck);
}

ZR_BOOL Corvane_qTMN(int ID, const char* axes, double* minimum) {
    return ZR_FORWARD(qTMN, ID, axes, minimum);
}

ZR_BOOL Corvane_qTMX(int ID, const char* axes, double* maximum) {
    return ZR_FORWARD(qTMX, ID, axes, maximum);
}

ZR_BOOL Corvane_RON(int ID, const char* axes, const ZR_BOOL* states) {
    return ZR_FORWARD(RON, ID, axes, states);
}

ZR_BOOL Corvane_qRON(int ID, const char* axes, ZR_BOOL* states) {
    return ZR_FORWARD(qRON, ID, axes, states);
}

ZR_BOOL Corvane_DFH(int ID, const char* axes) {
    return ZR_FORWARD(DFH, ID, axes);
}

ZR_BOOL Corvane_qDFH(int ID, const char* axes, double* homes) {
    return ZR_FORWARD(qDFH, ID, axes, homes);
}

ZR_BOOL Corvane_GOH(int ID, const char* axes) {
    return ZR_FORWARD(GOH, ID, axes);
}

ZR_BOOL Corvane_DFF(int ID, const char* axes, const double* factors) {
    return ZR_FORWARD(DFF, ID, axes, factors, kNoBusyCheck);
}

ZR_BOOL Corvane_qDFF(int ID, const char* axes, double* factors) {
    return ZR_FORWARD(qDFF, ID, axes, factors, kNoBusyCheck);
}

ZR_BOOL Corvane_BRA(int ID, const char* axes, const ZR_BOOL* states) {
    return ZR_FORWARD(BRA, ID, axes, states);
}

ZR_BOOL Corvane_qBRA(int ID, char* buffer, int size) {
    return ZR_FORWARD(qBRA, ID, buffer, size);
}

ZR_BOOL Corvane_HLT(int ID, const char* axes) {
    return ZR_FORWARD(HLT, ID, axes);
}

ZR_BOOL Corvane_STP(int ID) {
    return ForwardToController("Corvane_STP", ID, ZR_BOOL{0}, &CCorvaneController::STP);
}

ZR_BOOL Corvane_SVO(int ID, const char* axes, const ZR_BOOL* states) {
    return ZR_FORWARD(SVO, ID, axes, states);
}

ZR_BOOL Corvane_qSVO(int ID, const char* axes, ZR_BOOL* states) {
    return ZR_FORWARD(qSVO, ID, axes, states);
}

ZR_BOOL Corvane_VEL(int ID, const char* axes, const double* velocities) {
    return ZR_FORWARD(VEL, ID, axes, velocities);
}

ZR_BOOL Corvane_qVEL(int ID, const char* axes, double* velocities) {
    return ZR_FORWARD(qVEL, ID, axes, velocities);
}

ZR_BOOL Corvane_qSRG(int ID, const char* axes, const int* registers, int* values) {
    return ZR_FORWARD(qSRG, ID, axes, registers, values);
}

ZR_BOOL Corvane_GetStatus(int ID, const char* axes, const int* items, int* values) {
    return ZR_FORWARD(GetStatus, ID, axes, items, values);
}

}  // extern "C"
