// TEST_COC through its exports: every adjusting rule that has a visible result, the results 103
// and 104, the log lines, and the second export name.
#include <functional>

#include <gtest/gtest.h>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "camera/cocparams/coc_values.h"
#include "camera/cocparams/ready_board.h"

namespace testing_lmv {
namespace {

constexpr int kChanged = 103;
constexpr int kTextTooShort = 104;

constexpr int Sub(int submode) {
    return submode << 16;
}

class TestCocTest : public ReadyBoardTest {};

TEST_F(TestCocTest, RegionBeyondTheSensorIsCutBackAndLogged) {
    OpenLog(lmv::kLogCocAndMemory);
    Coc in;
    in.xmax = 30;
    const Tested t = TestCoc(in);
    EXPECT_EQ(t.rc, kChanged);
    EXPECT_EQ(t.out.xmax, 20);
    Coc expected = in;
    expected.xmax = 20;
    EXPECT_EQ(t.out, expected);
    const std::string log = LogText();
    EXPECT_NE(log.find("TEST_COC()"), std::string::npos);
    EXPECT_NE(log.find("TEST_COC: roixmax parameter changed from 30 to 20"), std::string::npos);
    EXPECT_EQ(log.find("WRONGVAL in timestring"), std::string::npos);
    EXPECT_TRUE(env_.TraceLines().empty());  // a check never reaches the board
}

TEST_F(TestCocTest, VerticalBinningIsReducedBySteps32UntilItDividesTheRows) {
    OpenLog(lmv::kLogCocAndMemory);
    Coc in;
    in.vbin = 100;  // 480 rows: 100, 68 and 36 do not divide them, 4 does
    const Tested t = TestCoc(in);
    EXPECT_EQ(t.rc, kChanged);
    EXPECT_EQ(t.out.vbin, 4);
    EXPECT_NE(LogText().find("WRONGVAL vbinnning parameter\r\n"), std::string::npos);
}

TEST_F(TestCocTest, FastShutterPairsOnTheirGridAndTheTimeStringLogged) {
    OpenLog(lmv::kLogCocAndMemory);
    Rec().camera_typ = 1;
    Coc in;
    in.mode = 1;
    in.text = "150, 250, -1, -1";
    const Tested t = TestCoc(in);
    EXPECT_EQ(t.rc, kChanged);
    EXPECT_EQ(t.out.text, "100,200,\r\n-1,-1\r\n");
    const std::string log = LogText();
    EXPECT_NE(log.find("WRONGVAL in timestring \r\n"), std::string::npos);
    EXPECT_EQ(log.find("parameter changed"), std::string::npos);
}

TEST_F(TestCocTest, FiftyNanosecondExposureNeedsItsDelays) {
    lmv::board_record& rec = Rec();
    rec.camera_typ = 1;
    rec.exp_min = 50;
    Coc in;
    in.mode = 1;
    in.text = "0,70,50,300,-1,-1";
    const Tested t = TestCoc(in);
    EXPECT_EQ(t.rc, kChanged);
    EXPECT_EQ(t.out.text, "100,50,\r\n100,300,\r\n-1,-1\r\n");
}

TEST_F(TestCocTest, SecondExportNameChecksTheSame) {
    Coc in;
    in.hbin = 3;
    Coc out = in;
    std::string text = in.text;
    text.resize(64);
    int length = 64;
    EXPECT_EQ(TESTCOC(&out.mode, &out.trig, &out.xmin, &out.xmax, &out.ymin, &out.ymax, &out.hbin,
                      &out.vbin, text.data(), &length),
              kChanged);
    EXPECT_EQ(out.hbin, 2);
    EXPECT_EQ(length, 11);
}

TEST_F(TestCocTest, ShortTextBufferGives104WithTheNeededLengthAndTheParametersWritten) {
    Coc in;
    in.text = "0 10";  // the new text "0,10,-1,-1" needs 11 bytes
    in.xmax = 25;
    const Tested t = TestCoc(in, 5);
    EXPECT_EQ(t.rc, kTextTooShort);
    EXPECT_EQ(t.length, 11);
    EXPECT_EQ(t.out.xmax, 20);
    EXPECT_EQ(t.out.text, "0 10");  // not written
    const Tested fits = TestCoc(in, 11);
    EXPECT_EQ(fits.rc, kChanged);
    EXPECT_EQ(fits.out.text, "0,10,-1,-1");
}

TEST_F(TestCocTest, NullPointersAndMissingRecordAreRefused) {
    int v = 0;
    char text[32] = "0,10,-1,-1";
    int length = 32;
    EXPECT_EQ(TEST_COC(nullptr, &v, &v, &v, &v, &v, &v, &v, text, &length), lmv::kNoMemory);
    int m = 0, tr = 0, x0 = 1, x1 = 20, y0 = 1, y1 = 15, hb = 1, vb = 1;
    // No text buffer: the parameters are still checked and written, the text is not.
    EXPECT_EQ(TEST_COC(&m, &tr, &x0, &x1, &y0, &y1, &hb, &vb, nullptr, &length), kTextTooShort);
    EXPECT_EQ(length, 11);
    EXPECT_EQ(TEST_COC(&m, &tr, &x0, &x1, &y0, &y1, &hb, &vb, text, nullptr), kTextTooShort);
    lmv::free_record(0);
    EXPECT_EQ(TEST_COC(&m, &tr, &x0, &x1, &y0, &y1, &hb, &vb, text, &length), lmv::kNotInitialised);
}

struct CheckCase {
    const char* what;
    std::function<void(lmv::board_record&)> camera;  // null: the default camera
    Coc in;
    Coc out;
    int rc;
};

Coc With(std::function<void(Coc&)> change) {
    Coc c;
    change(c);
    return c;
}

void FastShutter(lmv::board_record& r) {
    r.camera_typ = 1;
}

void Intensified(lmv::board_record& r) {
    r.camera_typ = 5;
    r.exp_min = 5;
}

TEST_F(TestCocTest, AdjustingRules) {
    const CheckCase cases[] = {
        {"valid settings stay", nullptr, Coc{}, Coc{}, 0},
        {"separators and stray characters", nullptr,
         With([](Coc& c) { c.text = "0 ;10'-1\r\n-1"; }), Coc{}, 0},
        {"missing exposure reads 20", nullptr, With([](Coc& c) { c.text = "5"; }),
         With([](Coc& c) { c.text = "5,20,-1,-1"; }), 0},
        {"exposure clamped to exp_max", nullptr, With([](Coc& c) { c.text = "-3,2000000"; }),
         With([](Coc& c) { c.text = "0,1000000,-1,-1"; }), kChanged},
        {"hbin snapped down", nullptr, With([](Coc& c) { c.hbin = 9; }),
         With([](Coc& c) { c.hbin = 8; }), kChanged},
        {"vbin 0 becomes 1", nullptr, With([](Coc& c) { c.vbin = 0; }), Coc{}, kChanged},
        {"vbin above the region rows", nullptr, With([](Coc& c) {
             c.ymin = 2;
             c.ymax = 2;
             c.vbin = 64;
         }),
         With([](Coc& c) {
             c.ymin = 2;
             c.ymax = 2;
             c.vbin = 32;
         }),
         kChanged},
        {"region starts inside the sensor", nullptr, With([](Coc& c) {
             c.xmin = 0;
             c.ymin = 40;
             c.ymax = 3;
         }),
         With([](Coc& c) {
             c.xmin = 1;
             c.ymin = 15;
             c.ymax = 15;
         }),
         kChanged},
        {"trigger above 2 on CCD type 1", nullptr, With([](Coc& c) { c.trig = 3; }), Coc{},
         kChanged},
        {"trigger flags need the alternate run commands", nullptr,
         With([](Coc& c) { c.trig = 0x101; }), With([](Coc& c) { c.trig = 1; }), kChanged},
        {"trigger flags kept with them", [](lmv::board_record& r) { r.camera_flags = 1; },
         With([](Coc& c) { c.trig = 0x201; }), With([](Coc& c) { c.trig = 0x201; }), 0},
        {"submode 1 clears the trigger", nullptr, With([](Coc& c) {
             c.mode = Sub(1);
             c.trig = 1;
         }),
         With([](Coc& c) { c.mode = Sub(1); }), kChanged},
        {"submode 4 is the test table", nullptr, With([](Coc& c) {
             c.mode = Sub(4);
             c.trig = 2;
             c.ymin = 3;
             c.ymax = 5;
             c.text = "7,100,-1,-1";
         }),
         With([](Coc& c) {
             c.mode = Sub(4);
             c.vbin = 32;
             c.text = "0,2,-1,-1";
         }),
         kChanged},
        {"submode 2 keeps the second mark after the first", nullptr, With([](Coc& c) {
             c.mode = Sub(2);
             c.text = "0,10,0,0,-5,-20,-1,-1";
         }),
         With([](Coc& c) {
             c.mode = Sub(2);
             c.text = "0,10,0,0,0,-9,-1,-1";
         }),
         kChanged},
        {"submode 3 marks inside the exposure", nullptr, With([](Coc& c) {
             c.mode = Sub(3);
             c.text = "0,10,0,0,12,3,-1,-1";
         }),
         With([](Coc& c) {
             c.mode = Sub(3);
             c.text = "0,10,0,0,9,0,-1,-1";
         }),
         kChanged},
        {"submode 3 without marks", nullptr, With([](Coc& c) {
             c.mode = Sub(3);
             c.text = "0,10,-1,-1";
         }),
         With([](Coc& c) { c.mode = Sub(3); }), 0},
        {"submode 5 count fits the board memory", nullptr, With([](Coc& c) {
             c.mode = Sub(5);
             c.ymax = 3;
             c.text = "100,5,1000";
         }),
         With([](Coc& c) {
             c.mode = Sub(5);
             c.ymax = 15;
             c.text = "100,5,64,0,-1,-1";
         }),
         kChanged},
        {"submode 6 pairs", nullptr, With([](Coc& c) {
             c.mode = Sub(6);
             c.text = "1,2,3,0,-1,-1";
         }),
         With([](Coc& c) {
             c.mode = Sub(6);
             c.text = "1,2,3,1,-1,-1";
         }),
         kChanged},
        {"submode 20 and above dropped", nullptr, With([](Coc& c) { c.mode = Sub(21); }), Coc{},
         kChanged},
        {"mode byte forced to 0", nullptr, With([](Coc& c) { c.mode = 1; }), Coc{}, kChanged},
        {"option flags cleared without options", nullptr, With([](Coc& c) { c.mode = 0x300; }),
         Coc{}, kChanged},
        {"option bit 8 kept with options", [](lmv::board_record& r) { r.status_extra = 0x100; },
         With([](Coc& c) { c.mode = 0x300; }), With([](Coc& c) { c.mode = 0x100; }), kChanged},
        {"blacklines on CCD type 9",
         [](lmv::board_record& r) {
             r.ccd_typ = 9;
             r.ccd_width = 1280;
             r.ccd_height = 1024;
         },
         With([](Coc& c) {
             c.vbin = (3 << 16) | 1;
             c.hbin = 2;
         }),
         With([](Coc& c) { c.vbin = (2 << 16) | 1; }), kChanged},
        {"fast shutter: pairs on the 100 ns grid", FastShutter, With([](Coc& c) {
             c.mode = 1;
             c.text = "150, 250, -1, -1";
         }),
         With([](Coc& c) {
             c.mode = 1;
             c.text = "100,200,\r\n-1,-1\r\n";
         }),
         kChanged},
        {"fast shutter: mode byte 4 is submode 3", FastShutter, With([](Coc& c) {
             c.mode = 4;
             c.text = "20000";
         }),
         With([](Coc& c) {
             c.mode = Sub(3) | 1;
             c.text = "10000,0,-1,-1";
         }),
         kChanged},
        {"fast shutter: double gate", FastShutter, With([](Coc& c) {
             c.mode = Sub(4) | 1;
             c.text = "0,500,300,300,700,5";
         }),
         With([](Coc& c) {
             c.mode = Sub(4) | 1;
             c.text = "600,400,800,200,1000,0,-1,-1";
         }),
         kChanged},
        {"fast shutter: submode 6 only on CCD type 3", FastShutter, With([](Coc& c) {
             c.mode = Sub(6) | 1;
             c.text = "0,1000";
         }),
         With([](Coc& c) {
             c.mode = 1;
             c.text = "0,1000,\r\n-1,-1\r\n";
         }),
         kChanged},
        {"intensified: gate snapped by the gain table",
         [](lmv::board_record& r) {
             Intensified(r);
             r.gain_index = 8;
         },
         With([](Coc& c) {
             c.mode = 5;
             c.text = "2,990,0,1,0,0,0,12";
         }),
         With([](Coc& c) {
             c.mode = 5;
             c.text = "2,990,0,1,\n0,0,0,10,\n-1,-1";
         }),
         kChanged},
        {"intensified: head limits, submode 3 dropped", Intensified, With([](Coc& c) {
             c.mode = Sub(3) | 5;
             c.text = "2000,990,7,0,0,0,0,1000";
         }),
         With([](Coc& c) {
             c.mode = 5;
             c.text = "1000,990,0,1,\n0,0,0,1000,\n-1,-1";
         }),
         kChanged},
        {"intensified: gate groups", Intensified, With([](Coc& c) {
             c.mode = Sub(1) | 5;
             c.text = "2,990,0,1,0,2,0,130,-1,-1";
         }),
         With([](Coc& c) {
             c.mode = Sub(1) | 5;
             c.text = "2,990,0,1,\r\n0,5,0,500,\r\n-1,-1\r\n";
         }),
         kChanged},
    };
    for (const CheckCase& c : cases) {
        lmv::board_record& rec = Rec();
        lmv::write_record_defaults(rec, 0);
        if (c.camera) c.camera(rec);
        const Tested t = TestCoc(c.in);
        EXPECT_EQ(t.rc, c.rc) << c.what;
        EXPECT_EQ(t.out, c.out) << c.what;
        EXPECT_EQ(t.length, static_cast<int>(c.out.text.size() + 1)) << c.what;
        // What the check returns passes it unchanged.
        EXPECT_EQ(TestCoc(t.out).rc, 0) << c.what;
    }
}

}  // namespace
}  // namespace testing_lmv
