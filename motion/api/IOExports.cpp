// Joysticks, digital and analog I/O, trigger outputs and the background joystick-table read.
#include "ZR_Corvane_TAL.h"
#include "motion/api/ExportForwarding.h"

extern "C" {

ZR_BOOL Corvane_GetInputChannelNames(int ID, char* buffer, int size) {
    return ZR_FORWARD(GetInputChannelNames, ID, buffer, size);
}

// The digital lines are inputs and outputs at once: the same function under its second name.
ZR_BOOL Corvane_GetOutputChannelNames(int ID, char* buffer, int size)
    __attribute__((alias("Corvane_GetInputChannelNames")));

ZR_BOOL Corvane_DIO(int ID, const char* channels, const ZR_BOOL* flags) {
    return ZR_FORWARD(DIO, ID, channels, flags);
}

ZR_BOOL Corvane_qDIO(int ID, const char* channels, ZR_BOOL* states) {
    return ZR_FORWARD(qDIO, ID, channels, states);
}

ZR_BOOL Corvane_qTIO(int ID, int* inputs, int* outputs) {
    return ZR_FORWARD(qTIO, ID, inputs, outputs);
}

ZR_BOOL Corvane_qTAC(int ID, int* count) {
    return ZR_FORWARD(qTAC, ID, count);
}

ZR_BOOL Corvane_qTAV(int ID, int channel, double* volts) {
    return ZR_FORWARD(qTAV, ID, channel, volts);
}

ZR_BOOL Corvane_JON(int ID, const int* joysticks, const ZR_BOOL* flags, int count) {
    return ZR_FORWARD(JON, ID, joysticks, flags, count);
}

ZR_BOOL Corvane_qJON(int ID, const int* joysticks, ZR_BOOL* states, int count) {
    return ZR_FORWARD(qJON, ID, joysticks, states, count);
}

ZR_BOOL Corvane_qTNJ(int ID, int* count) {
    return ZR_FORWARD(qTNJ, ID, count);
}

ZR_BOOL Corvane_qJAX(int ID, const int* joysticks, const int* joystickAxes, int count, char* buffer,
                     int size) {
    return ZR_FORWARD(qJAX, ID, joysticks, joystickAxes, count, buffer, size);
}

ZR_BOOL Corvane_JDT(int ID, const int* joysticks, const int* tableTypes, int count) {
    return ZR_FORWARD(JDT, ID, joysticks, tableTypes, count);
}

ZR_BOOL Corvane_qJBS(int ID, const int* joysticks, const int* buttons, ZR_BOOL* pressed,
                     int count) {
    return ZR_FORWARD(qJBS, ID, joysticks, buttons, pressed, count);
}

ZR_BOOL Corvane_qJAS(int ID, const int* joysticks, const int* joystickAxes, double* values,
                     int count) {
    return ZR_FORWARD(qJAS, ID, joysticks, joystickAxes, values, count);
}

ZR_BOOL Corvane_JLT(int ID, int joystick, int joystickAxis, int start, const double* values,
                    int count) {
    return ZR_FORWARD(JLT, ID, joystick, joystickAxis, start, values, count);
}

ZR_BOOL Corvane_qJLT(int ID, const int* joysticks, const int* joystickAxes, int count, int start,
                     int rows, double** values, char* header, int size) {
    return ZR_FORWARD(qJLT, ID, joysticks, joystickAxes, count, start, rows, values, header, size);
}

ZR_BOOL Corvane_CTO(int ID, const int* outputs, const int* parameters, const char* values,
                    int count) {
    return ZR_FORWARD(CTO, ID, outputs, parameters, values, count);
}

ZR_BOOL Corvane_qCTO(int ID, const int* outputs, const int* parameters, char* buffer, int count,
                     int size) {
    return ZR_FORWARD(qCTO, ID, outputs, parameters, buffer, count, size);
}

ZR_BOOL Corvane_TRO(int ID, const int* outputs, const ZR_BOOL* flags, int count) {
    return ZR_FORWARD(TRO, ID, outputs, flags, count);
}

ZR_BOOL Corvane_qTRO(int ID, const int* outputs, ZR_BOOL* states, int count) {
    return ZR_FORWARD(qTRO, ID, outputs, states, count);
}

int Corvane_GetAsyncBufferIndex(int ID) {
    return ForwardToController("Corvane_GetAsyncBufferIndex", ID, 0,
                               &CCorvaneController::GetAsyncBufferIndex);
}

}  // extern "C"
