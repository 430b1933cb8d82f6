// Axis records: stage parameter sets, identifiers and their resolution, SAI, qSAI.
#include <cstring>

#include "tests/motion/controller/ControllerFixture.h"

namespace {

// Three boards: R-220 at 0 and 1, R-210 at 2.
class AxesTest : public ControllerFixture {
  protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        if (IsSkipped()) return;
        Connect("[board 0]\ntype = R-220\n[board 1]\ntype = R-220\n[board 2]\ntype = R-210\n", 3);
        ASSERT_EQ(controller->LocalError(), 0);
    }
    std::vector<int> Resolve(const char* axes, int checkStage = 0, int needReferenced = 0,
                             int needInitialised = 0, int allAxesWhenEmpty = 0,
                             int honourReferenceMode = 0) {
        int indices[16];
        int count = -1;
        lastOk = controller->GetAxesIndex(axes, indices, &count,
                                          {.stage = checkStage == 1,
                                           .referenced = needReferenced == 1,
                                           .initialised = needInitialised == 1,
                                           .allAxesWhenEmpty = allAxesWhenEmpty != 0,
                                           .honourReferenceMode = honourReferenceMode == 1});
        return std::vector<int>(indices, indices + (count < 0 ? 0 : count));
    }
    StageRecipe Stepper() {
        StageRecipe s;
        s.stepper = true;
        return s;
    }
    ZR_BOOL lastOk = 0;
};

TEST_F(AxesTest, DefaultSetsAfterTheScan) {
    for (int i = 0; i < 3; ++i) {
        const auto& a = controller->m_AxisData[i];
        EXPECT_EQ(a.m_cIdentifier, 'A' + i);
        EXPECT_TRUE(a.m_strStageName.empty());
        EXPECT_EQ(a.m_dCountsPerUnit, i == 2 ? 16.0 : 1.0);
        EXPECT_EQ(a.m_iServoState, 1);
        EXPECT_FALSE(a.m_bInitialised);
        const auto& p = controller->m_ParameterSet[i];
        EXPECT_EQ(p.Get(StageFields::kMotType), i == 2 ? 6 : 0);
        EXPECT_EQ(p.Get(StageFields::kMotFactor), 1.0);
        EXPECT_EQ(p.Get(StageFields::kMotInvert), 1);
    }
    EXPECT_EQ(controller->m_AxisData[3].m_cIdentifier, 0);
}

TEST_F(AxesTest, CountsPerUnitAndTheR210Factor) {
    StageRecipe servo;
    servo.cpuZ = 1000;
    StageRecipe stepper = Stepper();
    stepper.cpuZ = 1000;
    Apply(0, servo);
    Apply(2, stepper);
    EXPECT_EQ(controller->m_AxisData[0].m_dCountsPerUnit, 1000.0);
    EXPECT_EQ(controller->m_AxisData[2].m_dCountsPerUnit, 16000.0);
    EXPECT_EQ(controller->m_ParameterSet[2].Get(StageFields::kMotCpuZ), 16000);
    EXPECT_EQ(controller->ToCounts(2, 0.5), 8000);

    servo.cpuZ = 500;
    servo.cpuN = 0;  // taken as 1
    Apply(1, servo);
    EXPECT_EQ(controller->m_AxisData[1].m_dCountsPerUnit, 500.0);
    EXPECT_EQ(controller->m_ParameterSet[1].Get(StageFields::kMotCpuN), 1);
}

TEST_F(AxesTest, SetOfTheWrongMotorTypeIsRefused) {
    StageRecipe servo;
    servo.name = "SERVO";
    Apply(0, servo);
    controller->m_AxisData[0].m_bReferenced = true;
    EXPECT_FALSE(controller->ApplyStageParameters(0, Stepper().Make()));
    EXPECT_EQ(controller->GetError(), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_EQ(controller->m_AxisData[0].m_strStageName, "SERVO");  // keeps its set
    EXPECT_TRUE(controller->m_AxisData[0].m_bReferenced);
    EXPECT_FALSE(controller->ApplyStageParameters(2, servo.Make()));
    EXPECT_FALSE(controller->ApplyStageParameters(16, servo.Make()));
}

TEST_F(AxesTest, ApplyingASetResetsTheAxisState) {
    StageRecipe s;
    s.name = "LIN";
    s.referenceResult = 1;
    auto& a = controller->m_AxisData[1];
    a.m_bReferenced = true;
    a.m_iBrakeEngaged = 1;
    a.m_iServoState = 0;
    a.m_cIdentifier = 'X';
    Apply(1, s);
    EXPECT_EQ(a.m_strStageName, "LIN");
    EXPECT_FALSE(a.m_bReferenced);
    EXPECT_EQ(a.m_iBrakeEngaged, 0);
    EXPECT_EQ(a.m_iServoState, 1);
    EXPECT_EQ(a.m_iSavedServoState, 1);
    EXPECT_EQ(a.m_cIdentifier, 'X');  // an identifier once given stays
    EXPECT_EQ(controller->m_iRefResult[1], 1);
}

TEST_F(AxesTest, ResolvingIdentifiers) {
    EXPECT_EQ(Resolve("AB"), (std::vector<int>{0, 1}));
    EXPECT_EQ(Resolve("AA"), (std::vector<int>{0, 0}));
    EXPECT_EQ(Resolve("ab"), (std::vector<int>{0, 1}));
    EXPECT_EQ(Resolve("CA"), (std::vector<int>{2, 0}));
    EXPECT_TRUE(lastOk);

    EXPECT_EQ(Resolve("AZB"), (std::vector<int>{0}));  // the count found so far
    EXPECT_FALSE(lastOk);
    EXPECT_EQ(controller->GetError(), ZR_UNKNOWN_AXIS_IDENTIFIER);
    Resolve("D");  // board 3 is absent
    EXPECT_EQ(controller->GetError(), ZR_UNKNOWN_AXIS_IDENTIFIER);

    // the array is filled with -1 first
    int indices[4] = {7, 7, 7, 7};
    int count = 0;
    EXPECT_TRUE(controller->GetAxesIndex("B", indices, &count, {}));
    EXPECT_EQ(indices[0], 1);
    EXPECT_EQ(indices[1], 7);  // one entry per character, nothing beyond
    EXPECT_EQ(count, 1);
}

TEST_F(AxesTest, ResolvingWithConditions) {
    StageRecipe s;
    Apply(0, s);
    Apply(2, Stepper());
    Resolve("B", 1);
    EXPECT_FALSE(lastOk);
    EXPECT_EQ(controller->GetError(), ZR_CNTR_INVALID_STAGE_NAME);
    EXPECT_EQ(Resolve("AC", 1), (std::vector<int>{0, 2}));

    Resolve("A", 1, 1);
    EXPECT_FALSE(lastOk);
    EXPECT_EQ(controller->GetError(), ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO);
    // with the reference mode honoured, an axis with RON off needs no reference
    EXPECT_EQ(Resolve("A", 1, 1, 0, 0, 1), (std::vector<int>{0}));
    controller->m_AxisData[0].m_bReferenceModeOn = true;
    Resolve("A", 1, 1, 0, 0, 1);
    EXPECT_FALSE(lastOk);
    controller->GetError();

    Resolve("A", 1, 0, 1);
    EXPECT_EQ(controller->GetError(), ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO);
    controller->m_AxisData[0].m_bInitialised = true;
    controller->m_AxisData[0].m_bReferenced = true;
    EXPECT_EQ(Resolve("A", 1, 1, 1), (std::vector<int>{0}));
    EXPECT_TRUE(lastOk);
}

TEST_F(AxesTest, EmptyStringMeansTheAxesWithAStage) {
    EXPECT_TRUE(Resolve("").empty());
    EXPECT_TRUE(lastOk);
    Apply(2, Stepper());
    Apply(0, StageRecipe());
    EXPECT_EQ(Resolve(""), (std::vector<int>{0, 2}));
    EXPECT_EQ(Resolve(nullptr), (std::vector<int>{0, 2}));
    std::vector<int> all;
    for (int i = 0; i < 16; ++i) all.push_back(i);
    EXPECT_EQ(Resolve("", 0, 0, 0, 1), all);

    // the reference-mode exception does not apply to the empty string
    Resolve("", 0, 1, 0, 0, 1);
    EXPECT_FALSE(lastOk);
    EXPECT_EQ(controller->GetError(), ZR_CNTR_MOVE_WITHOUT_REF_OR_NO_SERVO);
}

TEST_F(AxesTest, SaiRenames) {
    Apply(0, StageRecipe());
    Apply(1, StageRecipe());
    Apply(2, Stepper());
    EXPECT_TRUE(controller->SAI("A", "x"));
    EXPECT_EQ(controller->m_AxisData[0].m_cIdentifier, 'X');
    EXPECT_EQ(Resolve("x"), (std::vector<int>{0}));

    struct Case {
        const char* oldAxes;
        const char* newAxes;
        int error;
    };
    const Case cases[] = {
        {"XB", "DD", ZR_AXIS_ALREADY_EXISTS},
        {"X", "B", ZR_CNTR_INVALID_AXIS_IDENTIFIER},   // B is taken
        {"XB", "D", ZR_CNTR_INVALID_AXIS_IDENTIFIER},  // new string too short
        {"X", nullptr, ZR_CNTR_INVALID_AXIS_IDENTIFIER},
        {"X", " ", ZR_CNTR_INVALID_AXIS_IDENTIFIER},
        {"", "D", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {nullptr, "D", ZR_CNTR_PARAMETER_SYNTAX_ERROR},
        {"Q", "D", ZR_UNKNOWN_AXIS_IDENTIFIER},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(controller->SAI(c.oldAxes, c.newAxes));
        EXPECT_EQ(controller->GetError(), c.error) << (c.oldAxes ? c.oldAxes : "(null)");
        EXPECT_EQ(controller->m_AxisData[0].m_cIdentifier, 'X');  // nothing changed
        EXPECT_EQ(controller->m_AxisData[1].m_cIdentifier, 'B');
    }
    EXPECT_TRUE(controller->SAI("XBC", "!1@"));
    char buffer[8];
    ASSERT_TRUE(controller->qSAI(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "!1@");
}

TEST_F(AxesTest, SaiNeedsAStageAndRefusesWhileBusyOrRecording) {
    EXPECT_FALSE(controller->SAI("A", "X"));
    EXPECT_EQ(controller->GetError(), ZR_CNTR_INVALID_STAGE_NAME);
    Apply(0, StageRecipe());
    controller->m_IsReferencing = 1;
    EXPECT_FALSE(controller->SAI("A", "X"));
    EXPECT_EQ(controller->GetError(), ZR_CONTROLLER_BUSY);
    controller->m_IsReferencing = 0;
    controller->m_iMacroRecording = 1;
    EXPECT_FALSE(controller->SAI("A", "X"));
    EXPECT_EQ(controller->GetError(), ZR_IN_MACRO_MODE);
    char buffer[8];
    EXPECT_FALSE(controller->qSAI(buffer, sizeof buffer));
    EXPECT_EQ(controller->GetError(), ZR_IN_MACRO_MODE);
    EXPECT_FALSE(controller->qSAI_ALL(buffer, sizeof buffer));
    EXPECT_EQ(controller->GetError(), ZR_IN_MACRO_MODE);
    controller->m_iMacroRecording = 0;
}

TEST_F(AxesTest, QueriesOfTheIdentifiers) {
    char buffer[8];
    ASSERT_TRUE(controller->qSAI(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");  // no stage yet
    ASSERT_TRUE(controller->qSAI_ALL(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "ABC");
    Apply(2, Stepper());
    Apply(0, StageRecipe());
    ASSERT_TRUE(controller->qSAI(buffer, 3));
    EXPECT_STREQ(buffer, "AC");

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(controller->qSAI(buffer, 2));
    EXPECT_EQ(controller->GetError(), COM_BUFFER_OVERFLOW);
    EXPECT_EQ(buffer[0], '#');  // untouched
    EXPECT_FALSE(controller->qSAI(nullptr, 8));
    EXPECT_EQ(controller->GetError(), COM_BUFFER_OVERFLOW);
    EXPECT_FALSE(controller->qSAI_ALL(buffer, 3));
    EXPECT_EQ(controller->GetError(), COM_BUFFER_OVERFLOW);
    EXPECT_FALSE(controller->qSAI_ALL(nullptr, 8));
    EXPECT_TRUE(controller->qSAI_ALL(buffer, 4));
}

}  // namespace
