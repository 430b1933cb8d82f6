// Read-back of the stored settings (GET_SETTINGS, GET_COC_SETTING), image and CCD size, and the
// commit's own refusals: what SET_COC stores reads back as settings the check leaves unchanged.
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "camera/coc/CocParamCommit.h"
#include "camera/coc/CocParamSettings.h"
#include "camera/coc/TestCoc.h"
#include "camera/cocparams/coc_values.h"
#include "camera/fixture/camera_fixture.h"

namespace testing_lmv {
namespace {

constexpr int Sub(int submode) {
    return submode << 16;
}

lmv::coc_parameters Params(const Coc& c) {
    lmv::coc_parameters p;
    p.mode = c.mode;
    p.trigger = c.trig;
    p.roixmin = c.xmin;
    p.roixmax = c.xmax;
    p.roiymin = c.ymin;
    p.roiymax = c.ymax;
    p.hbin = c.hbin;
    p.vbin = c.vbin;
    p.text = c.text;
    return p;
}

Coc FromParams(const lmv::coc_parameters& p) {
    return Coc{p.mode,    p.trigger, p.roixmin, p.roixmax, p.roiymin,
               p.roiymax, p.hbin,    p.vbin,    p.text};
}

void Sensor(lmv::board_record& r, int ccd, int width, int height) {
    r.ccd_typ = ccd;
    r.ccd_width = width;
    r.ccd_height = height;
}

struct RoundTrip {
    const char* what;
    std::function<void(lmv::board_record&)> camera;
    Coc settings;
};

class CocSettingsTest : public ReadyBoardTest {};

TEST_F(CocSettingsTest, StoredSettingsReadBackAsSettingsTheCheckKeeps) {
    const auto fast = [](lmv::board_record& r) { r.camera_typ = 1; };
    const auto intensified = [](lmv::board_record& r) {
        r.camera_typ = 5;
        r.exp_min = 5;
    };
    const RoundTrip cases[] = {
        {"long exposure", nullptr, Coc{}},
        {"timed marks", nullptr, Coc{Sub(2), 0, 1, 20, 1, 15, 1, 1, "0,10,0,0,3,-2,-1,-1"}},
        {"timed marks without offsets", nullptr, Coc{Sub(2), 0, 1, 20, 1, 15, 1, 1, "0,10,-1,-1"}},
        {"overlapped marks", nullptr, Coc{Sub(3), 0, 1, 20, 1, 15, 1, 1, "4,10,0,0,3,-2,-1,-1"}},
        {"line sequence", nullptr, Coc{Sub(5), 0, 1, 20, 1, 15, 2, 4, "100,5,3,0,-1,-1"}},
        {"double exposure", nullptr, Coc{Sub(6), 0, 2, 9, 3, 7, 1, 2, "1,2,3,4,-1,-1"}},
        {"blacklines", [](lmv::board_record& r) { Sensor(r, 9, 1280, 1024); },
         Coc{0, 0, 1, 40, 1, 32, 1, (2 << 16) | 1, "0,10,-1,-1"}},
        {"option bits", [](lmv::board_record& r) { r.status_extra = 0x100; },
         Coc{0x100, 0, 1, 20, 1, 15, 1, 1, "0,10,-1,-1"}},
        {"header program", [](lmv::board_record& r) { Sensor(r, 21, 1376, 1040); },
         Coc{Sub(16), 3, 1, 43, 2, 33, 1, 2, "0,4660,-1,-1"}},
        {"fixed header program", [](lmv::board_record& r) { Sensor(r, 22, 1376, 1040); },
         Coc{Sub(19), 2, 1, 43, 1, 33, 1, 1, "-1,-1"}},
        {"fast: exposure list", fast,
         Coc{1, 0, 1, 20, 1, 15, 1, 1, "100,200,\r\n300,400,\r\n-1,-1\r\n"}},
        {"fast: double shutter",
         [](lmv::board_record& r) {
             r.camera_typ = 1;
             r.camera_flags = 0x100;
         },
         Coc{Sub(1) | 1, 2, 1, 20, 1, 15, 1, 1, "-1,-1"}},
        {"fast: counted", fast, Coc{Sub(3) | 1, 0, 1, 20, 1, 15, 1, 1, "5000,0,-1,-1"}},
        {"fast: double gate", fast,
         Coc{Sub(4) | 1, 0, 1, 20, 1, 15, 1, 1, "600,400,800,200,1000,0,-1,-1"}},
        {"fast: multi exposure", fast,
         Coc{Sub(5) | 1, 2, 1, 20, 1, 15, 1, 1, "1,3,600,400,\r\n-1,-1"}},
        {"fast: line shift",
         [](lmv::board_record& r) {
             r.camera_typ = 1;
             Sensor(r, 3, 1280, 1024);
         },
         Coc{Sub(6) | 1, 0, 1, 40, 1, 32, 1, 1, "256,0,\r\n600,400,\r\n800,200,\r\n-1,-1\r\n"}},
        {"fast: five gates",
         [](lmv::board_record& r) {
             r.camera_typ = 1;
             Sensor(r, 10, 1280, 1024);
         },
         Coc{Sub(7) | 1, 0, 1, 40, 1, 32, 1, 1, "800,200,600,400,800,200,800,200,1000,0,-1,-1"}},
        {"fast: delay and time",
         [](lmv::board_record& r) {
             r.camera_typ = 1;
             Sensor(r, 9, 1280, 1024);
         },
         Coc{Sub(9) | 1, 0, 1, 40, 1, 32, 1, 1, "100,2000,-1,-1"}},
        {"intensified: one gate", intensified,
         Coc{5, 0, 1, 20, 1, 15, 1, 1, "2,990,0,1,\n0,0,0,1000,\n-1,-1"}},
        {"intensified: gate groups", intensified,
         Coc{Sub(1) | 5, 0, 1, 20, 1, 15, 1, 1, "2,990,0,1,\r\n0,500,0,500,\r\n-1,-1\r\n"}},
        {"intensified: two gates", intensified,
         Coc{Sub(2) | 5, 1, 1, 20, 1, 15, 1, 1, "2,990,0,1,0,1000,0,100,0,500,0,100,-1,-1"}},
    };
    for (const RoundTrip& c : cases) {
        lmv::board_record rec{};
        lmv::write_record_defaults(rec, 0);
        if (c.camera) c.camera(rec);
        lmv::coc_check checked;
        ASSERT_EQ(lmv::coc_check_parameters(rec, Params(c.settings), checked), 0) << c.what;
        ASSERT_EQ(lmv::coc_commit_parameters(rec, checked), lmv::kOk) << c.what;
        const lmv::coc_parameters back = lmv::coc_settings_of(rec);
        Coc numbers = FromParams(back);
        numbers.text = c.settings.text;
        EXPECT_EQ(numbers, c.settings) << c.what << ": " << back.text;
        lmv::coc_check again;
        EXPECT_EQ(lmv::coc_check_parameters(rec, back, again), 0) << c.what << ": " << back.text;
    }
}

TEST_F(CocSettingsTest, SettingsThroughTheExports) {
    Coc c{Sub(6), 0, 2, 9, 3, 7, 1, 2, "1,2,3,4,-1,-1"};
    ASSERT_EQ(SetCoc(c), lmv::kOk);
    Coc back;
    ASSERT_EQ(GetSettings(back), lmv::kOk);
    c.text = "1,2,3,4,-1,-1\n";
    EXPECT_EQ(back, c);
    int v[8];
    char text[8];
    OpenLog(lmv::kLogCocAndMemory | lmv::kLogErrors);
    EXPECT_EQ(GET_COC_SETTING(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], text, 8),
              lmv::kNoMemory);
    EXPECT_EQ(v[3], 9);  // the numbers are still written
    EXPECT_EQ(GET_COC_SETTING(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], text, 8),
              lmv::kNoMemory);
    char wide[15];
    EXPECT_EQ(GET_COC_SETTING(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], wide, 15),
              lmv::kOk);
    EXPECT_STREQ(wide, "1,2,3,4,-1,-1\n");
    EXPECT_EQ(GET_SETTINGS(&v[0], nullptr, &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], wide),
              lmv::kNoMemory);
    const std::string log = LogText();
    EXPECT_NE(log.find("GET_SETTINGS()"), std::string::npos);
    EXPECT_NE(log.find("GET_SETTINGS() size of buffer to small\r\n"), std::string::npos);
    lmv::free_record(0);
    EXPECT_EQ(GetSettings(back), lmv::kNotInitialised);
}

TEST_F(CocSettingsTest, CommitRefusalsAreLogged) {
    OpenLog(lmv::kLogCocAndMemory | lmv::kLogErrors);
    Rec().camera_typ = 1;  // delay and time need a CCD type 9 to 12: the check drops them
    const Coc c{Sub(9) | 1, 0, 1, 20, 1, 15, 1, 1, "100,2000,-1,-1"};
    const Tested t = TestCoc(c);
    EXPECT_EQ(t.rc, lmv::kCocChanged);
    EXPECT_EQ(t.out.mode, 1);
    const lmv::board_record before = Rec();
    EXPECT_EQ(SetCoc(c), lmv::kWrongParameter);
    EXPECT_EQ(std::memcmp(&before, &Rec(), sizeof before), 0);
    // The commit refuses them on its own too.
    lmv::coc_check checked;
    checked.adjusted = Params(c);
    checked.stored = {100, 2000, -1, -1};
    lmv::board_record copy = Rec();
    EXPECT_EQ(lmv::coc_commit_parameters(copy, checked), lmv::kWrongParameter);
    EXPECT_NE(LogText().find("WRONGVAL wrong CCD-type\r\n"), std::string::npos);
    Rec().camera_typ = 0;  // no camera identified
    EXPECT_EQ(SetCoc(Coc{}), lmv::kWrongParameter);
    EXPECT_NE(LogText().find("WRONGVAL wrong camera_typ\r\n"), std::string::npos);
}

struct SizeCase {
    const char* what;
    std::function<void(lmv::board_record&)> settings;
    int width;
    int height;
};

TEST_F(CocSettingsTest, ImageSizeOfTheStoredSettings) {
    const SizeCase cases[] = {
        {"whole sensor", nullptr, 640, 480},
        {"binning",
         [](lmv::board_record& r) {
             r.hbin = 2;
             r.vbin = 4;
         },
         320, 120},
        {"black lines", [](lmv::board_record& r) { r.blacklines = 2; }, 640, 482},
        {"double exposure",
         [](lmv::board_record& r) {
             r.submode = 6;
             r.vbin = 4;
             r.blacklines = 2;
         },
         640, 244},
        {"second image of the header program", [](lmv::board_record& r) { r.submode = 17; }, 640,
         960},
        {"fast double shutter",
         [](lmv::board_record& r) {
             r.camera_typ = 1;
             r.submode = 4;
         },
         640, 960},
        {"fast single exposure", [](lmv::board_record& r) { r.camera_typ = 1; }, 640, 480},
        {"intensified two gates",
         [](lmv::board_record& r) {
             r.camera_typ = 5;
             r.submode = 2;
         },
         640, 960},
        {"line sequence with count",
         [](lmv::board_record& r) {
             r.submode = 5;
             r.vbin = 4;
             r.timevalues[0] = 100;
             r.timevalues[2] = 3;
         },
         640, 75},
        {"line sequence without count",
         [](lmv::board_record& r) {
             r.submode = 5;
             r.vbin = 4;
             r.timevalues[0] = 100;
             r.timevalues[2] = -1;
         },
         640, 25},
    };
    for (const SizeCase& c : cases) {
        lmv::write_record_defaults(Rec(), 0);
        if (c.settings) c.settings(Rec());
        int width = 0, height = 0;
        EXPECT_EQ(GET_IMAGE_SIZE(&width, &height), lmv::kOk) << c.what;
        EXPECT_EQ(width, c.width) << c.what;
        EXPECT_EQ(height, c.height) << c.what;
    }
    EXPECT_EQ(GET_IMAGE_SIZE(nullptr, nullptr), lmv::kNoMemory);
    lmv::free_record(0);
    int w = 0, h = 0;
    EXPECT_EQ(GET_IMAGE_SIZE(&w, &h), lmv::kNotInitialised);
}

TEST_F(CocSettingsTest, CcdSize) {
    OpenLog(lmv::kLogRecorder);
    int size = 0;
    EXPECT_EQ(GET_CCDSIZE(&size), lmv::kOk);
    EXPECT_EQ(size, 640 * 480);
    size = 0;
    EXPECT_EQ(GET_CCD_SIZE(&size), lmv::kOk);
    EXPECT_EQ(size, 640 * 480);
    EXPECT_NE(LogText().find("GET_CCDSIZE ccdsize=307200 \r\n"), std::string::npos);
    lmv::free_record(0);
    EXPECT_EQ(GET_CCDSIZE(&size), lmv::kNotInitialised);
    EXPECT_EQ(size, 1431040);
    EXPECT_EQ(GET_CCDSIZE(nullptr), lmv::kNotInitialised);
}

}  // namespace
}  // namespace testing_lmv
