// Two boards on a simulated chain, connected through the exported functions: an R-220 at address
// 0 (axis A, channels ABCD, joystick and trigger output 1) and an R-210 at address 1 (axis B,
// channels EFGH, joystick and trigger output 2). The test reaches into the controller only to put
// it into the states a macro recording or a reference procedure would.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "motion/api/CCorvaneCollection.h"
#include "motion/comm/DeviceFunctions.h"
#include "motion/controller/CCorvaneController.h"
#include "tests/motion/api/ApiFixture.h"
#include "tests/motion/api/TestStage.h"

namespace iotest {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

struct Peek : CCorvaneController {
    static constexpr auto kAxes = &Peek::m_Axes;
    static constexpr auto kRecording = &Peek::m_iMacroRecording;
    static constexpr auto kMacroAxis = &Peek::m_iMacroAxis;
    static constexpr auto kMacroLine = &Peek::m_strMacroLine;
    static constexpr auto kReferencing = &Peek::m_IsReferencing;
};

inline const char* kIoChain =
    "[board 0]\ntype = R-220\nposition = 0\n"
    "[board 1]\ntype = R-210\nposition = 500\n";

class IoFixture : public apitest::ApiFixture {
  protected:
    static constexpr int kCom = 71;

    void SetUp() override { Start(kIoChain, 2); }
    void Start(const std::string& config, int boards) {
        sim = &StartChain(kCom, config);
        id = Connect(kCom, boards);
        ASSERT_GE(id, 0);
    }
    CCorvaneController& C() { return *CorvaneCollection().GetController(id); }
    CCorvaneAxis& Board(int i) { return *(C().*Peek::kAxes).Get(i); }

    // Gives the axis a stage and initialises it; referenced: its place is declared position 0.
    void Ready(int axis, bool referenced = false) {
        ASSERT_TRUE(C().ApplyStageParameters(axis, apitest::MakeTestStage(axis == 1)));
        const char name[2] = {static_cast<char>('A' + axis), 0};
        ASSERT_TRUE(Corvane_INI(id, name)) << Corvane_GetError(id);
        if (!referenced) return;
        const ZR_BOOL off = 0;
        const double zero = 0;
        ASSERT_TRUE(Corvane_RON(id, name, &off)) << Corvane_GetError(id);
        ASSERT_TRUE(Corvane_POS(id, name, &zero)) << Corvane_GetError(id);
    }
    void Record(int macroAxis) {
        C().*Peek::kRecording = 1;
        C().*Peek::kMacroAxis = macroAxis;
        C().*Peek::kMacroLine = "MD5";
    }
    void StopRecording() {
        C().*Peek::kRecording = 0;
        C().*Peek::kMacroAxis = -1;
        C().*Peek::kMacroLine = "";
    }
    std::string MacroLine() { return C().*Peek::kMacroLine; }

    void SetTimeout(unsigned ms) { ASSERT_EQ(0, IFsetTimeout(C().InterfaceID(), ms)); }
    int Timeout() {
        int ms = 0;
        EXPECT_EQ(0, IFgetTimeout(C().InterfaceID(), &ms));
        return ms;
    }

    Lines Sent(int address) const { return sim->ReceivedLines(address); }
    bool Got(int address, const std::string& line) const {
        return sim->WaitForLine(address, line, 5s);
    }
    long CountOf(int address, const std::string& line) const {
        const Lines lines = Sent(address);
        return std::count(lines.begin(), lines.end(), line);
    }
    // Nothing but what a selection is: no command line, no single byte.
    bool Silent() const { return Sent(0).empty() && Sent(1).empty(); }

    corvane_sim::CorvaneSim* sim = nullptr;
    int id = -1;
};

// True when want appears in have in this order (other lines may lie between).
inline bool ContainsInOrder(const Lines& have, const Lines& want) {
    size_t k = 0;
    for (const std::string& line : have)
        if (k < want.size() && line == want[k]) ++k;
    return k == want.size();
}

inline std::string Join(const Lines& lines) {
    std::string s;
    for (const std::string& l : lines) s += "[" + l + "]";
    return s;
}

}  // namespace iotest
