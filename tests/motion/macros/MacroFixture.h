// Two boards on a simulated chain, connected through the exported functions: an R-220 at address
// 0 (axis A, channels ABCD, joystick 1) and an R-210 at address 1 (axis B, channels EFGH,
// joystick 2). The test reaches into the controller only to give axes a stage.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "motion/api/CCorvaneCollection.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/controller/CCorvaneController.h"
#include "tests/motion/api/ApiFixture.h"
#include "tests/motion/api/TestStage.h"

namespace macrotest {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

// The tests' stage with cpu counts per unit and a reference move's distance and velocity.
inline StageParameterSet MakeStage(bool stepper, int cpu) {
    StageParameterSet s = apitest::MakeTestStage(stepper);
    s.Set(StageFields::kMotCpuZ, cpu);
    s.Set(StageFields::kMotAbsNegRef, 2.0);
    s.Set(StageFields::kMotRefVel80, 5.0);
    return s;
}

inline const char* kMacroChain =
    "[board 0]\ntype = R-220\nposition = 0\n"
    "[board 1]\ntype = R-210\nposition = 500\n";

class MacroFixture : public apitest::ApiFixture {
  protected:
    static constexpr int kCom = 73;

    void SetUp() override { Start(kMacroChain); }
    void Start(const std::string& config) {
        sim = &StartChain(kCom, config);
        id = Connect(kCom, 2);
        ASSERT_GE(id, 0);
    }
    CCorvaneController& C() { return *CorvaneCollection().GetController(id); }

    // Gives the axis a stage, initialises it and declares its place position 0.
    void Ready(int axis, int cpu = 1000) {
        ASSERT_TRUE(C().ApplyStageParameters(axis, MakeStage(axis == 1, cpu)));
        const char name[2] = {static_cast<char>('A' + axis), 0};
        ASSERT_TRUE(Corvane_INI(id, name)) << Corvane_GetError(id);
        const ZR_BOOL off = 0;
        const double zero = 0;
        ASSERT_TRUE(Corvane_RON(id, name, &off)) << Corvane_GetError(id);
        ASSERT_TRUE(Corvane_POS(id, name, &zero)) << Corvane_GetError(id);
    }
    // Records a macro from the given steps and stores it; the define line its board received.
    template <typename Steps>
    std::string Store(const char* name, int address, Steps steps) {
        EXPECT_TRUE(Corvane_MAC_BEG(id, name)) << Corvane_GetError(id);
        steps();
        sim->ClearTranscript();
        EXPECT_TRUE(Corvane_MAC_END(id)) << Corvane_GetError(id);
        for (const std::string& line : Sent(address))
            if (line.rfind("MD", 0) == 0) return line;
        return std::string();
    }
    bool Recording() {
        ZR_BOOL on = -1;
        EXPECT_TRUE(Corvane_IsRecordingMacro(id, &on));
        return on == 1;
    }
    int Timeout() {
        int ms = 0;
        EXPECT_EQ(0, IFgetTimeout(C().InterfaceID(), &ms));
        return ms;
    }

    Lines Sent(int address) const { return sim->ReceivedLines(address); }
    bool NothingDefined() const {
        for (int a : {0, 1})
            for (const std::string& line : Sent(a))
                if (line.rfind("MD", 0) == 0) return false;
        return true;
    }

    corvane_sim::CorvaneSim* sim = nullptr;
    int id = -1;
};

inline std::string Join(const Lines& lines) {
    std::string s;
    for (const std::string& l : lines) s += "[" + l + "]";
    return s;
}

}  // namespace macrotest
