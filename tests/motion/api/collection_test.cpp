// The controller table on its own: slots, IDs, admission, and the end of a running reference
// procedure before its controller is deleted.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "ZR_Corvane_TAL.h"
#include "motion/api/CCorvaneCollection.h"
#include "motion/controller/CCorvaneController.h"

using namespace std::chrono_literals;

namespace {

constexpr int kMissingCom = 241;

// A controller on a port that does not open (so it carries the connect error), with a stand-in
// for a reference procedure: a thread that runs until its axis's terminate event is set, then
// still uses the controller for a moment.
class ReferencingController : public CCorvaneController {
  public:
    ReferencingController() : CCorvaneController(kMissingCom, 9600) {}

    void SetMacroRecording(bool on) { m_iMacroRecording = on ? 1 : 0; }

    void StartReference(std::atomic<bool>* ended) {
        m_heventTerminateReferencemove[0] = std::make_unique<winport::Event>(true, false);
        m_IsReferencing = 1;
        m_ReferenceThread = std::thread([this, ended] {
            m_heventTerminateReferencemove[0]->Wait(winport::kInfinite);
            std::this_thread::sleep_for(50ms);
            m_IsReferencing = 0;  // after a delete this would write freed memory
            ended->store(true);
        });
    }
};

class CollectionTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("WINPORT_COM241", "/nonexistent/tty-for-test", 1); }
    void TearDown() override { ::unsetenv("WINPORT_COM241"); }

    CCorvaneCollection table;
};

TEST_F(CollectionTest, SlotsAreAppendedAndNeverReused) {
    EXPECT_EQ(table.Add(std::make_unique<ReferencingController>()), 0);
    EXPECT_EQ(table.Add(std::make_unique<ReferencingController>()), 1);
    EXPECT_EQ(table.GetNrOfConnected(), 2);
    table.Close(0);
    EXPECT_FALSE(table.IsValidID(0));
    EXPECT_EQ(table.GetController(0), nullptr);
    EXPECT_NE(table.GetController(1), nullptr);
    EXPECT_EQ(table.GetNrOfConnected(), 1);
    EXPECT_EQ(table.Add(std::make_unique<ReferencingController>()), 2);
    for (int bad : {-1, 3, 1 << 30}) EXPECT_FALSE(table.IsValidID(bad)) << bad;
    table.Close(-1);
    table.Close(7);
    table.CloseAll();
    EXPECT_EQ(table.GetNrOfConnected(), 0);
    EXPECT_EQ(table.Add(std::make_unique<ReferencingController>()), 3);
}

TEST_F(CollectionTest, AControllerWithAnErrorIsNotAdmitted) {
    auto failed = std::make_unique<ReferencingController>();
    ASSERT_NE(failed->LocalError(), 0);  // the port did not open
    EXPECT_EQ(table.Admit(std::move(failed)), -1);
    EXPECT_EQ(table.Admit(nullptr), -1);
    EXPECT_EQ(table.GetNrOfConnected(), 0);
    EXPECT_EQ(table.Add(std::make_unique<ReferencingController>()), 0);  // no ID used up
}

TEST_F(CollectionTest, ClosingEndsTheReferenceProcedureFirst) {
    std::atomic<bool> ended{false};
    auto controller = std::make_unique<ReferencingController>();
    controller->StartReference(&ended);
    const int id = table.Add(std::move(controller));
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(ended);
    table.Close(id);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(table.IsValidID(id));
}

TEST_F(CollectionTest, CloseAllEndsEveryReferenceProcedure) {
    std::atomic<bool> ended[3] = {false, false, false};
    for (auto& e : ended) {
        auto controller = std::make_unique<ReferencingController>();
        controller->StartReference(&e);
        table.Add(std::move(controller));
    }
    table.Close(1);
    table.CloseAll();
    for (auto& e : ended) EXPECT_TRUE(e);
    EXPECT_EQ(table.GetNrOfConnected(), 0);
}

TEST_F(CollectionTest, LookUpsWhileAnotherThreadConnects) {
    ASSERT_EQ(table.Add(std::make_unique<ReferencingController>()), 0);
    std::atomic<bool> stop{false};
    std::atomic<int> missing{0};
    std::thread user([&] {
        while (!stop)
            if (!table.GetController(0)) ++missing;
    });
    for (int i = 0; i < 200; ++i) table.Add(std::make_unique<ReferencingController>());
    stop = true;
    user.join();
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(table.GetNrOfConnected(), 201);
}

// While a macro is being recorded the identification queries and qERR refuse, and GetError
// gives the refusal. (Recording is started by the macro commands; here it is set directly.)
TEST_F(CollectionTest, QueriesRefuseWhileAMacroIsRecorded) {
    auto owned = std::make_unique<ReferencingController>();
    ReferencingController* controller = owned.get();
    const int id = CorvaneCollection().Add(std::move(owned));
    EXPECT_NE(Corvane_GetError(id), 0);  // the port that did not open
    EXPECT_EQ(Corvane_GetError(id), 0);
    controller->SetMacroRecording(true);

    char buffer[4000] = "untouched";
    const struct {
        ZR_BOOL (*query)(int, char*, int);
        const char* name;
    } queries[] = {{Corvane_qIDN, "qIDN"},
                   {Corvane_qVER, "qVER"},
                   {Corvane_qHLP, "qHLP"},
                   {Corvane_qTVI, "qTVI"}};
    for (const auto& q : queries) {
        EXPECT_FALSE(q.query(id, buffer, sizeof buffer)) << q.name;
        EXPECT_STREQ(buffer, "untouched") << q.name;
        EXPECT_EQ(Corvane_GetError(id), ZR_IN_MACRO_MODE) << q.name;
    }
    int error = 12345;
    EXPECT_FALSE(Corvane_qERR(id, &error));
    EXPECT_EQ(error, 12345);
    EXPECT_EQ(Corvane_GetError(id), ZR_IN_MACRO_MODE);
    EXPECT_EQ(Corvane_GetError(id), ZR_IN_MACRO_MODE);  // nothing else pending: still refused

    controller->SetMacroRecording(false);
    EXPECT_EQ(Corvane_GetError(id), 0);
    Corvane_CloseConnection(id);
    EXPECT_FALSE(Corvane_IsConnected(id));
}

}  // namespace
