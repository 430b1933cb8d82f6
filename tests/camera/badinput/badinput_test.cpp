// Every export of the camera library called as a careless or hostile application would: null
// pointers, zero, negative and huge sizes, boards outside the tables or not set up, numbers out of
// range and very long texts. Each call must come back within a few seconds with one of the
// results its documentation names for such input: never a crash, never a success.
#include <gtest/gtest.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "camera/api/ResultCodes.h"
#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"

namespace {

using namespace lmv;

struct bad_call {
    std::string what;
    std::function<int()> call;
    std::set<int> documented;  // the results the export's documentation gives for this input
};

constexpr auto kBound = std::chrono::seconds(5);
const int kBadBoards[] = {-2, 10, 20, INT_MAX, INT_MIN};
const int kBadSizes[][2] = {{0, 0},         {-1, 16},       {16, -1},          {INT_MIN, INT_MIN},
                            {65536, 65536}, {46341, 46341}, {INT_MAX, INT_MAX}};

class BadInputTest : public testing_lmv::BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        Sim("IMAGE_MS", "1");
        long_text_.assign(1 << 20, '7');
        for (size_t k = 1; k < long_text_.size(); k += 2) long_text_[k] = ',';
        long_name_ = "/tmp/" + std::string(100000, 'n');
        pixels_.assign(16 * 16, 0);
        bytes_.assign(16 * 16, 0);
    }

    // Runs every call, each bounded in time; returns the number of calls made.
    static int RunAll(const std::vector<bad_call>& calls, const std::string& state) {
        for (const bad_call& c : calls) {
            const auto start = std::chrono::steady_clock::now();
            const int rc = c.call();
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_TRUE(c.documented.count(rc)) << state << ": " << c.what << " gave " << rc;
            EXPECT_LT(took, kBound) << state << ": " << c.what;
        }
        return static_cast<int>(calls.size());
    }

    std::vector<bad_call> BoardNumberCalls();
    std::vector<bad_call> CurrentBoardCalls(const std::set<int>& not_ready);
    std::vector<bad_call> ImageCalls(const std::set<int>& not_ready);

    std::string long_text_;
    std::string long_name_;
    std::vector<uint16_t> pixels_;
    std::vector<uint8_t> bytes_;
    int v_ = 0;
};

// The exports that take a board number of their own.
std::vector<bad_call> BadInputTest::BoardNumberCalls() {
    std::vector<bad_call> calls;
    int* v = &v_;
    // Slots 10 to 19 exist in the tables but never have a driver open.
    const std::set<int> refused = {kWrongParameter, kNotInitialised, kDriverNotOpen};
    for (const int b : kBadBoards) {
        const std::string n = "(" + std::to_string(b);
        calls.push_back({"GET_CAMERA_ID" + n, [=] { return GET_CAMERA_ID(b, v); }, refused});
        calls.push_back({"GET_CAMERA_CCD" + n, [=] { return GET_CAMERA_CCD(b, v); }, refused});
        calls.push_back({"GET_CAMERA_TYP" + n, [=] { return GET_CAMERA_TYP(b, v); }, refused});
        calls.push_back({"GET_CAMERA_STAT" + n, [=] { return GET_CAMERA_STAT(b, 1, v); }, refused});
        calls.push_back({"SET_CAMERA_VAL" + n, [=] { return SET_CAMERA_VAL(b, 1, 0); }, refused});
        calls.push_back(
            {"CHECK_BOARD_MEMORY" + n, [=] { return CHECK_BOARD_MEMORY(b, 16); }, refused});
        calls.push_back({"CLEAR_BOARD_BUFFER" + n, [=] { return CLEAR_BOARD_BUFFER(b); }, refused});
        calls.push_back({"BEGIN_WAIT_IMAGE" + n, [=] { return BEGIN_WAIT_IMAGE(b, -1); }, refused});
        calls.push_back({"END_WAIT_IMAGE" + n, [=] { return END_WAIT_IMAGE(b); }, refused});
        calls.push_back({"FREE_PHYS" + n, [=] { return FREE_PHYS(b, 0); }, refused});
        calls.push_back({"ALLOC_PHYS" + n,
                         [=] {
                             int buffer = 0, s1 = 0, s0 = 0;
                             void* address = nullptr;
                             return ALLOC_PHYS(b, &buffer, &s1, &s0, &address);
                         },
                         refused});
        calls.push_back({"DMA_IMAGE_START" + n,
                         [=, this] { return DMA_IMAGE_START(b, 16, 16, pixels_.data(), -1); },
                         refused});
    }
    return calls;
}

// A time of the last build: finite and not negative (0 without one).
int Time(float t) {
    return std::isfinite(t) && t >= 0.0f ? kOk : -1;
}

// The results a state gives, and those of the input.
std::set<int> With(const std::set<int>& state, std::set<int> input) {
    input.insert(state.begin(), state.end());
    return input;
}

// The exports of the current board and of the library. `not_ready` holds what an export that
// needs a ready board may give in the state of the test: -1 not initialised, -23 no board record,
// -9 no driver open; none on a ready board.
std::vector<bad_call> BadInputTest::CurrentBoardCalls(const std::set<int>& not_ready) {
    int* v = &v_;
    char* text = long_text_.data();
    char* name = long_name_.data();
    const std::set<int>& nr = not_ready;
    const std::set<int> wrong = {kWrongParameter};
    const std::set<int> null = With(nr, {kNoMemory});
    // AUTO_RANGE looks at the camera type first: a board not set up has none (-8).
    const std::set<int> range = nr.empty() ? nr : With(nr, {kTypeNotSupported});
    const std::set<int> no_module =
        With(nr, {kFunctionMissing, kNoResource, kTypeNotSupported, kWrongParameter});
    int driver_limit = 0, image_limit = 0;
    (void)GET_TIMEOUT(&driver_limit, &image_limit);
    std::vector<bad_call> calls = {
        {"SET_BOARD(-1)", [] { return SET_BOARD(-1); }, wrong},
        {"SET_BOARD(10)", [] { return SET_BOARD(10); }, wrong},
        {"SET_BOARD(INT_MAX)", [] { return SET_BOARD(INT_MAX); }, wrong},
        {"GET_BOARD(null)", [] { return GET_BOARD(nullptr); }, wrong},
        // Time limits below the least are ignored; the getters return the image limit.
        {"SET_TIMEOUT(INT_MIN, -1)", [] { return SET_TIMEOUT(INT_MIN, -1); }, {-1}},
        {"SETTIMEOUT(-1, INT_MIN)", [] { return SETTIMEOUT(-1, INT_MIN); }, {INT_MIN}},
        {"GET_TIMEOUT(null)", [] { return GET_TIMEOUT(nullptr, nullptr); }, {image_limit}},
        {"GETTIMEOUT(null)", [] { return GETTIMEOUT(nullptr, nullptr); }, {image_limit}},
        {"ENABLE_ERROR_MESSAGES(INT_MIN)",
         [] {
             const int on = ENABLE_ERROR_MESSAGES(INT_MIN);  // any non-zero value is on
             return ENABLE_ERROR_MESSAGES(0) == 0 ? on : -1;
         },
         {1}},
        {"GET_PALETTE(null)", [] { return GET_PALETTE(nullptr) == nullptr ? kOk : -1; }, {kOk}},
        {"GET_COCTIME", [] { return Time(GET_COCTIME()); }, {kOk}},
        {"GET_BELTIME", [] { return Time(GET_BELTIME()); }, {kOk}},
        {"GET_EXPTIME", [] { return Time(GET_EXPTIME()); }, {kOk}},
        {"GET_DELTIME", [] { return Time(GET_DELTIME()); }, {kOk}},
        {"ENABLE_MESSAGE_LOG(1, long name)",
         [=] { return ENABLE_MESSAGE_LOG(1, name); },
         {kLogFileError}},
        {"ENABLE_MESSAGE_LOG(1, no folder)",
         [] {
             std::string path = "/nonexistent-folder/lmvlog.txt";
             return ENABLE_MESSAGE_LOG(1, path.data());
         },
         {kLogFileError}},
        {"SET_INIT(-1)", [] { return SET_INIT(-1); }, wrong},
        {"SET_INIT(9)", [] { return SET_INIT(9); }, wrong},
        {"SET_INIT(INT_MAX)", [] { return SET_INIT(INT_MAX); }, wrong},
        {"OPEN_DIALOG_CAM(long title)", [=] { return OPEN_DIALOG_CAM(nullptr, -1, text); },
         no_module},
        {"CLOSE_DIALOG_CAM", [] { return CLOSE_DIALOG_CAM(); }, no_module},
        {"GET_DIALOG_CAM(null)",
         [] {
             return GET_DIALOG_CAM(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
         },
         no_module},
        {"SET_DIALOG_CAM(null text)",
         [] { return SET_DIALOG_CAM(-1, -1, -1, -1, -1, -1, -1, -1, nullptr); }, no_module},
        {"LOCK_DIALOG_CAM(INT_MIN)", [] { return LOCK_DIALOG_CAM(INT_MIN); }, no_module},
        {"STATUS_DIALOG_CAM(null)", [] { return STATUS_DIALOG_CAM(nullptr, nullptr); }, no_module},
        // LUT dialogs: the dialog module is not beside the test program, so an open fails at
        // once; without an open dialog LOCK has no window and STATUS reports none.
        {"OPEN_DIALOG_BW(bad parent, long title)",
         [=] { return OPEN_DIALOG_BW(reinterpret_cast<void*>(~uintptr_t{0}), INT_MIN, text); },
         {kDialogError}},
        {"OPEN_DIALOG_COL(null, INT_MAX)",
         [] { return OPEN_DIALOG_COL(nullptr, INT_MAX, nullptr); },
         {kDialogError}},
        {"LOCK_DIALOG_BW(INT_MIN)", [] { return LOCK_DIALOG_BW(INT_MIN); }, {kDialogError}},
        {"LOCK_DIALOG_COL(INT_MAX)", [] { return LOCK_DIALOG_COL(INT_MAX); }, {kDialogError}},
        {"CLOSE_DIALOG_BW", [] { return CLOSE_DIALOG_BW(); }, {kOk}},
        {"CLOSE_DIALOG_COL", [] { return CLOSE_DIALOG_COL(); }, {kOk}},
        {"STATUS_DIALOG_BW(null)", [] { return STATUS_DIALOG_BW(nullptr, nullptr); }, {kOk}},
        {"STATUS_DIALOG_COL(null)", [] { return STATUS_DIALOG_COL(nullptr, nullptr); }, {kOk}},
        {"_READ_REGISTRY_VALUES", [] { return _READ_REGISTRY_VALUES(); }, no_module},
        {"_WRITE_REGISTRY_VALUES", [] { return _WRITE_REGISTRY_VALUES(); }, no_module},
        {"SET_POWERDOWN(-1, -1)", [] { return SET_POWERDOWN(-1, -1); },
         With(nr, {kWrongParameter})},
        {"SET_POWERDOWN(INT_MAX, INT_MIN)", [] { return SET_POWERDOWN(INT_MAX, INT_MIN); },
         With(nr, {kWrongParameter})},
        {"SET_POWERDOWN(INT_MAX, INT_MAX - 1)", [] { return SET_POWERDOWN(INT_MAX, INT_MAX - 1); },
         With(nr, {kWrongParameter})},
        {"GET_CAMERA_ID(-1, null)", [] { return GET_CAMERA_ID(-1, nullptr); }, null},
        {"GET_CAMERA_CCD(-1, null)", [] { return GET_CAMERA_CCD(-1, nullptr); }, null},
        {"GET_CAMERA_TYP(-1, null)", [] { return GET_CAMERA_TYP(-1, nullptr); }, null},
        {"GET_CAMERA_STAT(-1, 1, null)", [] { return GET_CAMERA_STAT(-1, 1, nullptr); }, null},
        {"GET_CAMERA_STAT(-1, 0)", [=] { return GET_CAMERA_STAT(-1, 0, v); },
         With(nr, {kWrongParameter})},
        {"GET_CAMERA_STAT(-1, INT_MAX)", [=] { return GET_CAMERA_STAT(-1, INT_MAX, v); },
         With(nr, {kWrongParameter})},
        {"SET_CAMERA_VAL(-1, INT_MIN)", [] { return SET_CAMERA_VAL(-1, INT_MIN, INT_MAX); },
         With(nr, {kWrongParameter})},
        {"CHECK_BOARD_MEMORY(-1, 0)", [] { return CHECK_BOARD_MEMORY(-1, 0); },
         With(nr, {kWrongParameter})},
        {"CHECK_BOARD_MEMORY(-1, -1)", [] { return CHECK_BOARD_MEMORY(-1, -1); },
         With(nr, {kWrongParameter})},
        {"CHECK_BOARD_MEMORY(-1, INT_MAX)", [] { return CHECK_BOARD_MEMORY(-1, INT_MAX); },
         With(nr, {kWrongParameter})},
        {"LOAD_OUTPUT_LUT(null)", [] { return LOAD_OUTPUT_LUT(nullptr); }, {kNoMemory}},
        {"AUTO_RANGE(null exposure)", [] { return AUTO_RANGE(0, nullptr, 50, 16, 16, nullptr); },
         With(range, {kNoMemory})},
        {"AUTO_RANGE(-1 x 16)", [=, this] { return AUTO_RANGE(0, v, 50, -1, 16, pixels_.data()); },
         With(range, {kWrongParameter})},
        {"AUTO_RANGE(65536 x 65536)",
         [=, this] { return AUTO_RANGE(0, v, 50, 65536, 65536, pixels_.data()); },
         With(range, {kWrongParameter})},
        {"SET_DIALOG_BW(-1, -1, -1)", [] { return SET_DIALOG_BW(-1, -1, -1); }, wrong},
        {"SET_DIALOG_BW(0, INT_MAX, 0)", [] { return SET_DIALOG_BW(0, INT_MAX, 0); }, wrong},
        {"SET_DIALOG_BW(100, 200, INT_MAX)", [] { return SET_DIALOG_BW(100, 200, INT_MAX); },
         wrong},
        {"GET_DIALOG_BW(null)",
         [] { return GET_DIALOG_BW(nullptr, nullptr, nullptr); },
         {kNoMemory}},
        {"TEST_COC(null)",
         [] {
             return TEST_COC(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr);
         },
         null},
        {"TESTCOC(null)",
         [] {
             return TESTCOC(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr);
         },
         null},
        {"SET_COC(null text)", [] { return SET_COC(0, 0, 1, 20, 1, 15, 1, 1, nullptr); }, null},
        {"SET_COC(out of range)",
         [=] { return SET_COC(INT_MAX, INT_MIN, -1, INT_MAX, INT_MIN, -1, 0, INT_MIN, text); },
         With(nr, {kWrongParameter})},
        {"GET_SETTINGS(null)",
         [] {
             return GET_SETTINGS(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr);
         },
         null},
        {"GET_COC_SETTING(short text)",
         [=] {
             char small[2];
             return GET_COC_SETTING(v, v, v, v, v, v, v, v, small, 2);
         },
         null},
        {"GET_COC_SETTING(negative length)",
         [=] {
             char small[2];
             return GET_COC_SETTING(v, v, v, v, v, v, v, v, small, INT_MIN);
         },
         null},
        {"GET_IMAGE_SIZE(null)", [] { return GET_IMAGE_SIZE(nullptr, nullptr); }, null},
        {"GET_CCDSIZE(null)", [] { return GET_CCDSIZE(nullptr); }, null},
        {"GET_CCD_SIZE(null)", [] { return GET_CCD_SIZE(nullptr); }, null},
        {"LOAD_USER_COC(null)", [] { return LOAD_USER_COC(nullptr); }, null},
        {"LOAD_USER_COC(no end word)",
         [] {
             std::vector<uint16_t> table(250000, 0);
             return LOAD_USER_COC(table.data());
         },
         With(nr, {kCocTooLong})},
        // Coordinates are taken as their masked 16-bit words, whatever their value.
        {"LOAD_USER_AOI(INT_MIN, -1)", [] { return LOAD_USER_AOI(INT_MIN, -1); }, With(nr, {kOk})},
        {"RUN_COC(-1)", [] { return RUN_COC(-1); }, With(nr, {kWrongParameter})},
        {"RUN_COC(3)", [] { return RUN_COC(3); }, With(nr, {kWrongParameter})},
        {"RUN_COC(INT_MAX)", [] { return RUN_COC(INT_MAX); }, With(nr, {kWrongParameter})},
        {"RUN_COC(0x200)", [] { return RUN_COC(0x200); }, With(nr, {kWrongParameter})},
        {"STOP_COC(-1)", [] { return STOP_COC(-1); }, With(nr, {kWrongParameter})},
        {"STOP_COC(INT_MIN)", [] { return STOP_COC(INT_MIN); }, With(nr, {kWrongParameter})},
        {"GET_STATUS(null)", [] { return GET_STATUS(nullptr, nullptr, nullptr); }, null},
        {"GET_IMAGE_STATUS(null)", [] { return GET_IMAGE_STATUS(nullptr); }, null},
        // Any wait is taken as at least 200 ms.
        {"SET_TORAM_WAIT(INT_MIN)", [] { return SET_TORAM_WAIT(INT_MIN); }, With(nr, {kOk})},
    };
    return calls;
}

std::vector<bad_call> BadInputTest::ImageCalls(const std::set<int>& not_ready) {
    std::vector<bad_call> calls;
    const std::set<int>& nr = not_ready;
    int* v = &v_;
    uint16_t* pixels = pixels_.data();
    uint8_t* bytes = bytes_.data();
    auto* src = reinterpret_cast<short*>(pixels);
    for (const auto& size : kBadSizes) {
        const int w = size[0], h = size[1];
        const std::string n = "(" + std::to_string(w) + " x " + std::to_string(h) + ")";
        const bool empty = w == 0 || h == 0;
        // An empty image converts to nothing, and its extremes are the starting values.
        const std::set<int> host = empty ? std::set<int>{kOk} : std::set<int>{kWrongParameter};
        calls.push_back({"CONVERT_BUFFER_12TO8" + n,
                         [=] { return CONVERT_BUFFER_12TO8(0, w, h, src, bytes); }, host});
        calls.push_back(
            {"AUTO_MINMAX" + n, [=] { return AUTO_MINMAX(0, v, v, w, h, pixels); }, host});
        calls.push_back({"AUTO_MINMAX_OFF" + n,
                         [=] { return AUTO_MINMAX_OFF(0, v, v, 5, 5, w, h, pixels); }, host});
        const std::set<int> read = With(nr, {kWrongParameter});
        calls.push_back(
            {"READ_IMAGE_12BIT" + n, [=] { return READ_IMAGE_12BIT(0, w, h, pixels); }, read});
        calls.push_back(
            {"READ_IMAGE_8BIT" + n, [=] { return READ_IMAGE_8BIT(0, w, h, bytes); }, read});
        calls.push_back({"READ_IMAGE_12BIT_EXT" + n,
                         [=] { return READ_IMAGE_12BIT_EXT(0, w, h, 0, pixels); }, read});
        calls.push_back({"CONVERT_BUFFER_12TOCOL" + n,
                         [=] { return CONVERT_BUFFER_12TOCOL(0, w, h, pixels, bytes); },
                         empty ? std::set<int>{kOk, kWrongParameter} : host});
        calls.push_back(
            {"READ_IMAGE_COL" + n, [=] { return READ_IMAGE_COL(0, w, h, bytes); }, read});
        calls.push_back(
            {"AUTO_COLOR" + n, [=] { return AUTO_COLOR(w, h, pixels); }, {kWrongParameter}});
        calls.push_back({"DMA_IMAGE_START" + n,
                         [=] {
                             const int fd = ::eventfd(0, 0);
                             const int rc = DMA_IMAGE_START(0, w, h, pixels, fd);
                             ::close(fd);
                             return rc;
                         },
                         With(nr, {kWrongParameter, kDriverNotOpen})});
    }
    calls.push_back({"CONVERT_BUFFER_12TOCOL(mode 4)",
                     [=] { return CONVERT_BUFFER_12TOCOL(4, 16, 16, pixels, bytes); },
                     {kWrongParameter}});
    calls.push_back({"CONVERT_BUFFER_12TOCOL(null)",
                     [] { return CONVERT_BUFFER_12TOCOL(0, 16, 16, nullptr, nullptr); },
                     {kNoMemory}});
    calls.push_back({"READ_IMAGE_COL(mode INT_MIN)",
                     [=] { return READ_IMAGE_COL(INT_MIN, 16, 16, bytes); },
                     With(nr, {kWrongParameter})});
    calls.push_back({"READ_IMAGE_COL(null)", [] { return READ_IMAGE_COL(0, 16, 16, nullptr); },
                     With(nr, {kNoMemory})});
    calls.push_back({"LOAD_COLOR_LUT(null)",
                     [] { return LOAD_COLOR_LUT(nullptr, nullptr, nullptr); },
                     {kNoMemory}});
    calls.push_back({"LOAD_PSEUDO_COLOR_LUT(null)",
                     [] { return LOAD_PSEUDO_COLOR_LUT(nullptr, nullptr, nullptr); },
                     {kNoMemory}});
    calls.push_back({"SET_DIALOG_COL(-1 ...)",
                     [] { return SET_DIALOG_COL(-1, -1, -1, -1, -1, -1, -1); },
                     {kWrongParameter}});
    calls.push_back({"SET_DIALOG_COL(200, 200, ...)",
                     [] { return SET_DIALOG_COL(200, 200, 0, 4095, 0, 4095, 0); },
                     {kWrongParameter}});
    calls.push_back({"SET_DIALOG_COL(INT_MIN, INT_MAX, ...)",
                     [] { return SET_DIALOG_COL(INT_MIN, INT_MAX, 0, 4095, 0, 4095, INT_MAX); },
                     {kWrongParameter}});
    calls.push_back({"GET_DIALOG_COL(null)",
                     [] {
                         return GET_DIALOG_COL(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                               nullptr);
                     },
                     {kOk}});
    calls.push_back({"CONVERT_BUFFER_12TO8(mode -1)",
                     [=] { return CONVERT_BUFFER_12TO8(-1, 16, 16, src, bytes); },
                     {kWrongParameter}});
    calls.push_back({"CONVERT_BUFFER_12TO8(null)",
                     [] { return CONVERT_BUFFER_12TO8(0, 16, 16, nullptr, nullptr); },
                     {kNoMemory}});
    calls.push_back({"AUTO_MINMAX(null results)",
                     [=] { return AUTO_MINMAX(0, nullptr, nullptr, 16, 16, pixels); },
                     {kNoMemory}});
    calls.push_back({"AUTO_MINMAX_OFF(null results)",
                     [=] { return AUTO_MINMAX_OFF(0, nullptr, nullptr, 5, 5, 16, 16, pixels); },
                     {kNoMemory}});
    calls.push_back({"READ_IMAGE_12BIT(mode INT_MAX)",
                     [=] { return READ_IMAGE_12BIT(INT_MAX, 16, 16, pixels); },
                     With(nr, {kWrongParameter, kNoPicture})});
    calls.push_back({"READ_IMAGE_12BIT(null)", [] { return READ_IMAGE_12BIT(0, 16, 16, nullptr); },
                     With(nr, {kNoMemory, kNoPicture})});
    calls.push_back({"READ_IMAGE_8BIT(null)", [] { return READ_IMAGE_8BIT(0, 16, 16, nullptr); },
                     With(nr, {kNoMemory})});
    calls.push_back({"READ_IMAGE_12BIT_EXT(slot INT_MAX)",
                     [=] { return READ_IMAGE_12BIT_EXT(0, 16, 16, INT_MAX, pixels); },
                     With(nr, {kWrongParameter})});
    calls.push_back({"READ_IMAGE_12BIT_EXT(slot -1)",
                     [=] { return READ_IMAGE_12BIT_EXT(0, 16, 16, -1, pixels); },
                     With(nr, {kWrongParameter})});
    calls.push_back({"DMA_IMAGE_START(not an eventfd)",
                     [=] { return DMA_IMAGE_START(0, 16, 16, pixels, 0); },
                     With(nr, {kWrongParameter, kDriverNotOpen})});
    calls.push_back({"DMA_IMAGE_START(null)",
                     [=] {
                         const int fd = ::eventfd(0, 0);
                         const int rc = DMA_IMAGE_START(0, 16, 16, nullptr, fd);
                         ::close(fd);
                         return rc;
                     },
                     With(nr, {kNoMemory, kDriverNotOpen})});
    calls.push_back({"BEGIN_WAIT_IMAGE(fd INT_MAX)", [] { return BEGIN_WAIT_IMAGE(0, INT_MAX); },
                     With(nr, {kWrongParameter, kDriverNotOpen})});
    calls.push_back({"ALLOC_PHYS(null)",
                     [] { return ALLOC_PHYS(0, nullptr, nullptr, nullptr, nullptr); },
                     With(nr, {kNoMemory, kDriverNotOpen})});
    calls.push_back({"FREE_PHYS(buffer -1)", [] { return FREE_PHYS(0, -1); },
                     With(nr, {kWrongParameter, kDeviceBufferError, kDriverNotOpen})});
    calls.push_back({"FREE_PHYS(buffer INT_MAX)", [] { return FREE_PHYS(0, INT_MAX); },
                     With(nr, {kWrongParameter, kDeviceBufferError, kDriverNotOpen})});
    // --- Recorder ---
    const std::set<int> rec_null = With(nr, {kNoMemory});
    const std::set<int> rec_wrong = With(nr, {kWrongParameter, kNoMemory});
    for (const int size : {0, -1, INT_MIN}) {
        calls.push_back({"ALLOC_RECORDER(size " + std::to_string(size) + ")",
                         [=] {
                             int count = 5;
                             return ALLOC_RECORDER(&count, size);
                         },
                         {kWrongParameter}});
    }
    calls.push_back(
        {"ALLOC_RECORDER(null)", [] { return ALLOC_RECORDER(nullptr, 100); }, {kNoMemory}});
    calls.push_back({"FREE_RECORDER()", [] { return FREE_RECORDER(); }, {kOk}});
    calls.push_back(
        {"SET_BUFFER_SIZE(null)", [] { return SET_BUFFER_SIZE(nullptr, 16, 16); }, {kNoMemory}});
    calls.push_back({"SET_BUFFER_SIZE(count 100001)",
                     [] {
                         int count = 100001;
                         return SET_BUFFER_SIZE(&count, 16, 16);
                     },
                     rec_wrong});
    for (const auto& [w, h] : kBadSizes) {
        calls.push_back({"SET_BUFFER_SIZE(" + std::to_string(w) + " x " + std::to_string(h) + ")",
                         [w = w, h = h] {
                             int count = 2;
                             return SET_BUFFER_SIZE(&count, w, h);
                         },
                         rec_wrong});
    }
    calls.push_back({"GET_BUFFER_ADDR(INT_MAX)",
                     [] {
                         void* address = nullptr;
                         int w = 0, h = 0;
                         return GET_BUFFER_ADDR(INT_MAX, &address, &w, &h);
                     },
                     rec_wrong});
    calls.push_back({"GET_BUFFER_ADDR(null)",
                     [] { return GET_BUFFER_ADDR(1, nullptr, nullptr, nullptr); }, rec_wrong});
    calls.push_back({"GET_RECORDER_ADDR(null)",
                     [] { return GET_RECORDER_ADDR(nullptr, nullptr); },
                     {kWrongParameter}});
    calls.push_back({"RUN_DMA(0, 0, 0)", [] { return RUN_DMA(0, 0, 0); }, rec_wrong});
    calls.push_back({"RUN_DMA(mode INT_MAX)", [] { return RUN_DMA(1, 1, INT_MAX); }, rec_wrong});
    calls.push_back({"RUN_DMA_AVG(avg 0)", [] { return RUN_DMA_AVG(1, 1, 0, 0); }, rec_wrong});
    calls.push_back(
        {"RUN_DMA_AVG(avg INT_MAX)", [] { return RUN_DMA_AVG(1, 1, 0, INT_MAX); }, rec_wrong});
    calls.push_back({"STOP_DMA()", [] { return STOP_DMA(); }, {kOk}});
    calls.push_back({"GET_DMA_STATUS(null)", [] { return GET_DMA_STATUS(nullptr); }, {kNoMemory}});
    calls.push_back({"GET_DMA_COUNTERS(null)",
                     [] { return GET_DMA_COUNTERS(nullptr, nullptr, nullptr, nullptr); },
                     {kNoMemory}});
    calls.push_back(
        {"DMA_START_SINGLE(INT_MIN)", [] { return DMA_START_SINGLE(INT_MIN); }, rec_wrong});
    calls.push_back({"DMA_DONE(null)", [] { return DMA_DONE(nullptr); }, rec_null});
    calls.push_back({"DMATHREADR(not a parameter block)",
                     [=] { return DMATHREADR(pixels); },
                     {kWrongParameter}});
    calls.push_back({"AVGTHREADR(null)", [] { return AVGTHREADR(nullptr); }, {kWrongParameter}});
    // --- end recorder ---
    return calls;
}

std::vector<bad_call> Join(std::vector<bad_call> a, const std::vector<bad_call>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every name of the export list is called.
void ExpectEveryExport(const std::vector<bad_call>& calls) {
    std::ifstream list(std::string(ZR_SOURCE_DIR) + "/camera/api/lmvntcam.exports");
    ASSERT_TRUE(list.good());
    std::string line;
    int names = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int ordinal = 0;
        std::string name;
        fields >> ordinal >> name;
        ++names;
        bool called = false;
        for (const bad_call& c : calls)
            called = called || c.what == name || c.what.rfind(name + "(", 0) == 0;
        EXPECT_TRUE(called) << name << " is not called";
    }
    EXPECT_GE(names, 60);
}

const std::set<int> kNotReady = {kNotInitialised, kNoMemory, kDriverNotOpen};
const std::set<int> kReady = {};

TEST_F(BadInputTest, EveryExportWithoutABoard) {
    const auto calls =
        Join(Join(BoardNumberCalls(), CurrentBoardCalls(kNotReady)), ImageCalls(kNotReady));
    ExpectEveryExport(calls);
    RunAll(calls, "no board");
    // The times of a board without a record.
    EXPECT_EQ(GET_COCTIME(), 0.0f);
    EXPECT_EQ(GET_BELTIME(), 0.0f);
    EXPECT_EQ(GET_EXPTIME(), 0.0f);
    EXPECT_EQ(GET_DELTIME(), 0.0f);
}

TEST_F(BadInputTest, EveryExportOnAReadyBoardAndTheBoardStillWorks) {
    ASSERT_EQ(SET_INIT(1), kOk);
    const auto calls =
        Join(Join(BoardNumberCalls(), CurrentBoardCalls(kReady)), ImageCalls(kReady));
    ExpectEveryExport(calls);
    int driver_before = 0, image_before = 0;
    (void)GET_TIMEOUT(&driver_before, &image_before);
    RunAll(calls, "ready board");
    int driver_after = 0, image_after = 0;
    EXPECT_EQ(GET_TIMEOUT(&driver_after, &image_after), image_before);
    EXPECT_EQ(driver_after, driver_before);
    int board = -1;
    EXPECT_EQ(GET_BOARD(&board), kOk);
    EXPECT_EQ(board, 0);
    std::string settings = "0,10,-1,-1";
    EXPECT_EQ(SET_COC(0, 0, 1, 20, 1, 15, 1, 1, settings.data()), kOk);
    EXPECT_EQ(RUN_COC(4), kOk);
    std::vector<uint16_t> picture(640 * 480);
    EXPECT_EQ(READ_IMAGE_12BIT(0, 640, 480, picture.data()), kOk);
}

TEST_F(BadInputTest, EveryExportOnAReleasedBoard) {
    ASSERT_EQ(SET_INIT(1), kOk);
    ASSERT_EQ(SET_INIT(0), kOk);
    const auto calls =
        Join(Join(BoardNumberCalls(), CurrentBoardCalls(kNotReady)), ImageCalls(kNotReady));
    ExpectEveryExport(calls);
    RunAll(calls, "released board");
}

}  // namespace
