// The camera dialog module contract with the stand-in modules beside the test program.
#include <dlfcn.h>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "board_fixture.h"
#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/DialogModule.h"
#include "lmvntcam.h"

namespace {

using testing_board::BoardTest;

TEST(DialogModuleSelection, ModeCameraAndCcdChooseTheModule) {
    struct Case {
        int mode;
        int camera;
        int ccd;
        int result;
        const char* module;
    } cases[] = {
        {2, 2, 5, -8, ""},        {2, 2, 6, -8, ""},        {2, 2, 17, 0, "LMV_HSL"},
        {2, 1, 22, 0, "LMV_HSL"}, {2, 2, 9, 0, "LMV_HSF"},  {2, 2, 11, 0, "LMV_HSF"},
        {2, 1, 12, 0, "LMV_STF"}, {2, 1, 1, 0, "LMV_STF"},  {2, 3, 1, 0, "LMV_STL"},
        {2, 4, 3, 0, "LMV_STL"},  {2, 5, 1, 0, "LMV_GAT"},  {2, 6, 1, -3, ""},
        {3, 2, 1, 0, "LMV_SQGN"}, {3, 2, 5, -8, ""},        {3, 1, 1, -8, ""},
        {4, 2, 5, 0, "LMV_INL"},  {4, 2, 1, -8, ""},        {5, 2, 3, 0, "LMV_FRM"},
        {5, 5, 3, -8, ""},        {6, 2, 21, 0, "LMV_DBL"}, {6, 2, 6, -8, ""},
        {7, 5, 1, 0, "LMV_GAT"},  {7, 2, 1, -8, ""},        {8, 1, 1, 0, "LMV_SEQ"},
        {8, 2, 1, -8, ""},
    };
    for (const auto& c : cases) {
        lmv::board_record rec{};
        rec.camera_typ = c.camera;
        rec.ccd_typ = c.ccd;
        std::string name;
        EXPECT_EQ(lmv::select_init_module(c.mode, rec, &name), c.result)
            << c.mode << "/" << c.camera << "/" << c.ccd;
        EXPECT_EQ(name, c.module) << c.mode << "/" << c.camera << "/" << c.ccd;
    }
    struct OpenCase {
        int camera;
        int ccd;
        int result;
        const char* module;
    } open[] = {{2, 10, 0, "LMV_HSF"}, {1, 18, 0, "LMV_HSL"}, {2, 21, 0, "LMV_STL"},
                {1, 1, 0, "LMV_STF"},  {5, 1, 0, "LMV_GAT"},  {4, 1, 0, "LMV_STL"},
                {7, 1, -3, ""}};
    for (const auto& c : open) {
        lmv::board_record rec{};
        rec.camera_typ = c.camera;
        rec.ccd_typ = c.ccd;
        std::string name;
        EXPECT_EQ(lmv::select_open_module(rec, &name), c.result) << c.camera << "/" << c.ccd;
        EXPECT_EQ(name, c.module) << c.camera << "/" << c.ccd;
    }
}

class DialogModuleTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        Sim("BOARD_TYPE", "1");
        Sim("IMAGE_MS", "1");
    }
    std::string Calls() const {
        auto module = lmv::dialog_module(0);
        if (!module) return "";
        auto calls = reinterpret_cast<int (*)(char*, int)>(module->Symbol("TEST_CALLS"));
        char text[4096] = {};
        calls(text, sizeof text);
        return text;
    }
    lmv::parameter_block Block() const {
        lmv::parameter_block block{};
        auto get =
            reinterpret_cast<void (*)(intptr_t*)>(lmv::dialog_module(0)->Symbol("TEST_BLOCK"));
        get(block.data());
        return block;
    }
};

TEST_F(DialogModuleTest, SetInitLoadsTheModuleAndHandsItTheParameterBlock) {
    SetInitmode(1);
    ASSERT_EQ(SET_INIT(2), 0);
    ASSERT_NE(lmv::dialog_module(0), nullptr);
    EXPECT_NE(lmv::dialog_module(0)->Path().find("LMV_STL.so"), std::string::npos);
    EXPECT_EQ(Calls(), "INIT_DIALOG_CAM board=0 init=258\n");
    const lmv::parameter_block b = Block();
    // Found by name among the library's own exports, as SET_COC and AUTO_RANGE are: a test
    // program exports none, the library hands over the address of its SET_BOARD.
    EXPECT_EQ(b[lmv::kWordSetBoard],
              reinterpret_cast<intptr_t>(::dlsym(RTLD_DEFAULT, "SET_BOARD")));
    EXPECT_EQ(b[lmv::kWordGetBoard], reinterpret_cast<intptr_t>(&GET_BOARD));
    EXPECT_EQ(b[lmv::kWordGetCocTime], reinterpret_cast<intptr_t>(&GET_COCTIME));
    EXPECT_EQ(b[lmv::kWordGetBelTime], reinterpret_cast<intptr_t>(&GET_BELTIME));
    EXPECT_EQ(b[lmv::kWordStatusDialogBw], 0);
    EXPECT_EQ(b[lmv::kWordStatusDialogCol], 0);
    EXPECT_EQ(b[lmv::kWordExpMax], 10800000);
    EXPECT_EQ(b[lmv::kWordExpMin], 1);
    EXPECT_EQ(b[lmv::kWordBoard], 0);
    EXPECT_EQ(b[lmv::kWordDelayMax], 500);
    EXPECT_EQ(b[lmv::kWordGainIndex], 0);
    EXPECT_EQ(b[lmv::kWordInitMode], 0x102);
    EXPECT_EQ(b[lmv::kWordCcdTyp], 1);
    // The services the module calls back work through their addresses.
    auto get_board = reinterpret_cast<int (*)(int*)>(b[lmv::kWordGetBoard]);
    int board = -1;
    EXPECT_EQ(get_board(&board), 0);
    EXPECT_EQ(board, 0);

    EXPECT_EQ(SET_INIT(0), 0);
    EXPECT_EQ(lmv::dialog_module(0), nullptr);
}

TEST_F(DialogModuleTest, ExportsForwardWithTheCurrentBoardFirst) {
    ASSERT_EQ(SET_INIT(2), 0);
    char title[] = "Camera";
    EXPECT_EQ(OPEN_DIALOG_CAM(reinterpret_cast<void*>(0x1234), 9, title), 0);
    EXPECT_EQ(lmv::dialog_window(0), reinterpret_cast<void*>(0x4400));
    EXPECT_EQ(LOCK_DIALOG_CAM(1), 7);
    EXPECT_EQ(SET_DIALOG_CAM(1, 2, 32, 640, 0, 480, 1, 2, title), 0);
    int v[8] = {};
    char text[32] = {};
    EXPECT_EQ(GET_DIALOG_CAM(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], text), 0);
    EXPECT_EQ(v[0], 10);
    EXPECT_EQ(v[7], 17);
    EXPECT_STREQ(text, "0,10000,-1,-1");
    EXPECT_EQ(GET_DIALOG_CAM(nullptr, &v[1], nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr),
              0);
    int window = 0, status = 0;
    EXPECT_EQ(STATUS_DIALOG_CAM(&window, &status), 0);
    EXPECT_EQ(window, 0x4400);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(STATUS_DIALOG_CAM(nullptr, nullptr), 0);
    EXPECT_EQ(CLOSE_DIALOG_CAM(), 0);
    EXPECT_EQ(lmv::dialog_window(0), nullptr);
    const std::string calls = Calls();
    EXPECT_EQ(calls,
              "INIT_DIALOG_CAM board=0 init=2\n"
              "OPEN_DIALOG_CAM 0 0x1234 9 Camera\n"
              "STATUS_DIALOG_CAM 0\n"
              "LOCK_DIALOG_CAM 0 1\n"
              "SET_DIALOG_CAM 0 1 2 32 640 0 480 1 2 Camera\n"
              "GET_DIALOG_CAM 0\n"
              "GET_DIALOG_CAM 0\n"
              "STATUS_DIALOG_CAM 0\n"
              "STATUS_DIALOG_CAM 0\n"
              "CLOSE_DIALOG_CAM 0\n");
    // Release ends the module's work for the board before unloading it.
    auto module = lmv::dialog_module(0);
    ASSERT_EQ(SET_INIT(0), 0);
    auto calls_of = reinterpret_cast<int (*)(char*, int)>(module->Symbol("TEST_CALLS"));
    char after[4096] = {};
    calls_of(after, sizeof after);
    EXPECT_NE(std::string(after).find("END_DIALOG_CAM 0\n"), std::string::npos);
}

TEST_F(DialogModuleTest, OpenLoadsTheModuleWhenNoneIsLoaded) {
    Sim("CAMERA_TYP", "5");
    ASSERT_EQ(SET_INIT(1), 0);
    EXPECT_EQ(lmv::dialog_module(0), nullptr);
    EXPECT_EQ(CLOSE_DIALOG_CAM(), lmv::kFunctionMissing);
    int window = 9, status = 9;
    EXPECT_EQ(STATUS_DIALOG_CAM(&window, &status), lmv::kFunctionMissing);
    EXPECT_EQ(window, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(OPEN_DIALOG_CAM(nullptr, 0, nullptr), 0);
    ASSERT_NE(lmv::dialog_module(0), nullptr);
    EXPECT_NE(lmv::dialog_module(0)->Path().find("LMV_GAT.so"), std::string::npos);
    EXPECT_EQ(Calls(),
              "INIT_DIALOG_CAM board=0 init=1\n"
              "OPEN_DIALOG_CAM 0 (nil) 0 (null)\n"
              "STATUS_DIALOG_CAM 0\n");
}

TEST_F(DialogModuleTest, MissingEntryPointsAnswerMinusThirteen) {
    Sim("CAMERA_TYP", "1");
    ASSERT_EQ(SET_INIT(8), 0);
    EXPECT_NE(lmv::dialog_module(0)->Path().find("LMV_SEQ.so"), std::string::npos);
    EXPECT_EQ(OPEN_DIALOG_CAM(nullptr, 0, nullptr), lmv::kFunctionMissing);
    EXPECT_EQ(CLOSE_DIALOG_CAM(), lmv::kFunctionMissing);
    EXPECT_EQ(LOCK_DIALOG_CAM(1), lmv::kFunctionMissing);
    EXPECT_EQ(SET_DIALOG_CAM(0, 0, 0, 0, 0, 0, 1, 1, nullptr), lmv::kFunctionMissing);
    int v = 4;
    EXPECT_EQ(GET_DIALOG_CAM(&v, &v, &v, &v, &v, &v, &v, &v, nullptr), lmv::kFunctionMissing);
    EXPECT_EQ(v, 4);
    int window = 9, status = 9;
    EXPECT_EQ(STATUS_DIALOG_CAM(&window, &status), lmv::kFunctionMissing);
    EXPECT_EQ(window, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(_READ_REGISTRY_VALUES(), lmv::kFunctionMissing);
    EXPECT_EQ(SET_INIT(0), 0);  // without END_DIALOG_CAM
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

TEST_F(DialogModuleTest, RefusedCameraMissingModuleAndFailingInit) {
    EXPECT_EQ(SET_INIT(4), lmv::kTypeNotSupported);  // CCD type 1 has no such module
    EXPECT_EQ(lmv::board_state(0), lmv::kBoardReady);
    EXPECT_EQ(SET_INIT(0), 0);

    Sim("CCD_TYP", "5");
    testing::internal::CaptureStderr();
    EXPECT_EQ(SET_INIT(4), lmv::kNoResource);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot load Library LMV_INL.DLL"),
              std::string::npos);
    EXPECT_EQ(lmv::dialog_module(0), nullptr);
    EXPECT_EQ(SET_INIT(0), 0);

    Sim("CCD_TYP", "17");
    ::setenv("LMV_TEST_INIT_RESULT", "-31", 1);
    EXPECT_EQ(SET_INIT(2), lmv::kDialogError);
    EXPECT_NE(lmv::dialog_module(0)->Path().find("LMV_HSL.so"), std::string::npos);
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

}  // namespace

TEST_F(DialogModuleTest, TwoBoardsShareTheModuleUntilTheLastIsReleased) {
    Sim("BOARDS", "2");
    Sim("ELE_TEMP_1", "33");
    ASSERT_EQ(SET_INIT(2), 0);
    ASSERT_EQ(SET_BOARD(1), 0);
    ASSERT_EQ(SET_INIT(2), 0);
    EXPECT_EQ(lmv::record_of(1)->ele_temp, 33);
    EXPECT_EQ(lmv::record_of(0)->ele_temp, 25);
    int value = 0;
    EXPECT_EQ(GET_CAMERA_STAT(0, 3, &value), 0);
    EXPECT_EQ(value, 25);
    EXPECT_EQ(GET_CAMERA_STAT(-1, 3, &value), 0);
    EXPECT_EQ(value, 33);

    ASSERT_EQ(SET_BOARD(0x100), 0);  // board 0 again, without touching the hardware
    ASSERT_EQ(SET_INIT(0), 0);
    EXPECT_EQ(lmv::board_state(1), lmv::kBoardReady);
    // The module stays loaded for board 1 and keeps what it was told.
    auto module = lmv::dialog_module(1);
    ASSERT_NE(module, nullptr);
    auto calls = reinterpret_cast<int (*)(char*, int)>(module->Symbol("TEST_CALLS"));
    char text[4096] = {};
    calls(text, sizeof text);
    EXPECT_EQ(std::string(text),
              "INIT_DIALOG_CAM board=0 init=2\n"
              "INIT_DIALOG_CAM board=1 init=2\n"
              "END_DIALOG_CAM 0\n");
    ASSERT_EQ(SET_BOARD(1 | 0x100), 0);
    EXPECT_EQ(LOCK_DIALOG_CAM(0), 7);
}
