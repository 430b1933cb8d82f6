#pragma once
// The stage the motion tests assign to their simulated axes: 1000 counts per unit (16 000 on a
// stepper), travel -50 to 50, velocity 10 of at most 20, acceleration 200 of at most 400.
#include "motion/stages/StageParameterSet.h"

namespace apitest {

inline StageParameterSet MakeTestStage(bool stepper) {
    StageParameterSet s;
    s.SetStageName(stepper ? "TESTSTEPPER" : "TESTSERVO");
    s.Set(StageFields::kMotType, stepper ? 6 : 0);
    s.Set(StageFields::kMotFactor, 1.0);
    s.Set(StageFields::kMotCpuZ, 1000);
    s.Set(StageFields::kMotCpuN, 1);
    s.Set(StageFields::kMotInvert, 1);
    s.Set(StageFields::kMotHatRef, 1);
    s.Set(StageFields::kMotNoLimitSwitch, 0);
    s.Set(StageFields::kMotMinTravel, -50.0);
    s.Set(StageFields::kMotMaxTravel, 50.0);
    s.Set(StageFields::kMotCurrentVel73, 10.0);
    s.Set(StageFields::kMotMaxVel10, 20.0);
    s.Set(StageFields::kMotCurrAccel11, 200.0);
    s.Set(StageFields::kMotMaxAccel74, 400.0);
    s.Set(StageFields::kMotP, 200);
    s.Set(StageFields::kMotMaxPosError, 2.0);
    return s;
}

}  // namespace apitest
