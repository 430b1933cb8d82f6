// Controllers with staged, initialised axes, entered in the library's controller table so that the
// tests drive them through the exported functions, against corvane-sim on a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ZR_Corvane_TAL.h"
#include "motion/api/CCorvaneCollection.h"
#include "tests/motion/controller/ControllerFixture.h"

namespace reftest {

using namespace std::chrono_literals;

// Opens the reference state of a controller to the tests.
class RefController : public TestController {
  public:
    using CCorvaneController::m_iCurrentReferenceAxis;
    using CCorvaneController::m_iReferenceList;
    using CCorvaneController::m_iReferenceMode;
    using CCorvaneController::m_TALAnswerList;
    using TestController::TestController;

    std::vector<std::string> Answers() {
        winport::ScopedLock lock(m_csAnswerList);
        return {m_TALAnswerList.begin(), m_TALAnswerList.end()};
    }
};

// A stage in units of 1000 counts, travel -10..10, fast enough for short simulated moves.
struct RefStage {
    StageRecipe spec;
    double refVelocity = 20;  // units per second
    double valueAtReference = 0;
    double absNegRef = 4;
    double minTravel = -10;
    double maxTravel = 10;
    int refInvert = 0;

    RefStage() {
        spec.velocity = 20;
        spec.acceleration = 800;
    }
    StageParameterSet Make() const {
        StageParameterSet s = spec.Make();
        s.Set(StageFields::kMotRefVel80, refVelocity);
        s.Set(StageFields::kMotWertBeiRef, valueAtReference);
        s.Set(StageFields::kMotAbsNegRef, absNegRef);
        s.Set(StageFields::kMotMinTravel, minTravel);
        s.Set(StageFields::kMotMaxTravel, maxTravel);
        s.Set(StageFields::kMotRefInvert, refInvert);
        return s;
    }
};

// One R-220 board: limits at +-9000 counts around a reference edge at 0.
inline std::string ServoBoard(int address, long position, long reference = 0) {
    return "[board " + std::to_string(address) +
           "]\n"
           "type = R-220\n"
           "travel = -10000..10000\n"
           "neg-limit = -9000\n"
           "pos-limit = 9000\n"
           "reference = " +
           std::to_string(reference) + "\nposition = " + std::to_string(position) +
           "\n"
           "velocity = 40000\n"
           "acceleration = 800000\n";
}

class RefFixture : public ::testing::Test {
  public:
    static constexpr int kCom = 31;

  protected:
    void SetUp() override {
        static const bool purges = TransportClearPurgesOutput();
        if (purges)
            GTEST_SKIP() << "the RS-232 transport's clear purges the output queue; the board scan "
                            "cannot work reliably over a pseudo-terminal";
    }
    void TearDown() override {
        if (id >= 0) Corvane_CloseConnection(id);
        owned.reset();
        if (sim) sim->Stop();
        ::unsetenv(("WINPORT_COM" + std::to_string(kCom)).c_str());
        m_iMaxNumberOfAxesForControllerSearch = 16;
    }

    // Starts the chain, connects, gives every board the stage and initialises it, and enters
    // the controller in the library's table (id). The transcript starts empty after that.
    // With enterTable false the test keeps the controller in owned and uses its operations.
    void Connect(const std::string& chain, const std::vector<RefStage>& stages,
                 bool enterTable = true) {
        corvane_sim::SimConfig config;
        config.ParseText(chain, "test");
        config.Finish();
        sim = std::make_unique<corvane_sim::CorvaneSim>(config);
        ::setenv(("WINPORT_COM" + std::to_string(kCom)).c_str(), sim->Start().c_str(), 1);
        m_iMaxNumberOfAxesForControllerSearch = static_cast<int>(stages.size());
        auto owned = std::make_unique<RefController>(kCom, 57600);
        controller = owned.get();
        ASSERT_GE(controller->InterfaceID(), 0);
        ASSERT_EQ(controller->LocalError(), 0);
        for (size_t i = 0; i < stages.size(); ++i)
            ASSERT_TRUE(controller->ApplyStageParameters(static_cast<int>(i), stages[i].Make()));
        if (!enterTable) {
            this->owned = std::move(owned);
            ASSERT_TRUE(controller->INI("")) << controller->GetError();
            sim->ClearTranscript();
            return;
        }
        id = CorvaneCollection().Add(std::move(owned));
        ASSERT_GE(id, 0);
        ASSERT_TRUE(Corvane_INI(id, "")) << Corvane_GetError(id);
        sim->ClearTranscript();
    }

    // Polls the condition every 5 ms up to timeout.
    static bool WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    bool Referencing() {
        ZR_BOOL flag = -1;
        EXPECT_TRUE(Corvane_IsReferencing(id, "", &flag));
        return flag == 1;
    }
    bool WaitForEnd() {
        return WaitUntil([this] { return !Referencing(); });
    }
    // The board has received these lines in this order (others may lie between). A line the
    // library wrote just before the thread ended may still be on its way: waits for it.
    bool Sent(int address, const std::vector<std::string>& lines) {
        return WaitUntil([&] { return ContainsInOrder(Lines(address), lines); }, 10s);
    }
    std::vector<std::string> Lines(int address) const { return sim->ReceivedLines(address); }
    std::string Shown(int address) const { return JoinLines(Lines(address)); }

    std::unique_ptr<corvane_sim::CorvaneSim> sim;
    RefController* controller = nullptr;  // owned by the controller table, or by owned
    std::unique_ptr<RefController> owned;
    int id = -1;
};

}  // namespace reftest
