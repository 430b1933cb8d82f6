// Camera identification: the status word and identification byte decoded, and every camera and
// CCD type of the simulated board identified by SET_INIT.
#include <string>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/CameraIdentity.h"
#include "camera/board/SetupPrograms.h"
#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"
#include "winport/Clock.h"

namespace {

using testing_lmv::BoardTest;
using testing_lmv::Hex;

TEST(CameraIdentity, StatusWordAndIdentificationByteGiveTypeGeometryAndFlags) {
    struct Case {
        uint32_t ident;
        uint32_t status;
        int result;
        int camera_typ;
        int ccd_typ;
        int width;
        int aoi_offset;
        int powerdown_lo;
        int flags;
    } cases[] = {
        {0, 0x0000, 0, 2, 1, 640, 128, 1500, 0x001},
        {0, 0x4010, 0, 2, 1, 640, 128, 1500, 0x000},   // bits 14-15 = 1; bit 4: standard commands
        {0, 0x8100, 0, 2, 4, 1280, 160, 1900, 0x001},  // colour variant of type 3
        {0, 0xCE00, 0, 2, 5, 1312, 128, 1900, 0x001},
        {0, 0xC400, -8, 2, 0, 0, 0, 0, 0x001},  // bits 14-15 = 3 without bits 9-11 all set
        {0, 0x1000, 0, 1, 1, 640, 128, 1500, 0x001},
        {1, 0x0000, 0, 2, 9, 1280, 160, 1900, 0x001},
        {2, 0x0100, 0, 2, 11, 1280, 160, 1900, 0x001},
        {3, 0x0000, 0, 2, 11, 1280, 160, 1900, 0x001},
        {16, 0x0100, 0, 2, 18, 1376, 96, 1900, 0x001},
        {18, 0x0000, 0, 2, 21, 1376, 96, 1900, 0x001},
        {20, 0x0000, 0, 2, 19, 1376, 96, 1900, 0x001},
        {7, 0x0000, -8, 2, 0, 0, 0, 0, 0x001},
        {0, 0x34C0, 0, 5, 1, 640, 128, 1500, 0x101},  // intensified, id 3, extended shutter
        {0, 0x3280, 0, 5, 1, 640, 128, 1500, 0x001},  // bits 6-7 not both set
    };
    for (const auto& c : cases) {
        lmv::board_record rec{};
        rec.camera_flags = 0x10;  // other bits stay
        const int rc = lmv::decode_camera(rec, c.ident, c.status);
        const std::string what = std::to_string(c.ident) + "/" + std::to_string(c.status);
        EXPECT_EQ(rc, c.result) << what;
        EXPECT_EQ(rec.camera_typ, c.camera_typ) << what;
        EXPECT_EQ(rec.ccd_typ, c.ccd_typ) << what;
        EXPECT_EQ(rec.ccd_width, c.width) << what;
        EXPECT_EQ(rec.aoi_offset, c.aoi_offset) << what;
        EXPECT_EQ(rec.powerdown_lo, c.powerdown_lo) << what;
        EXPECT_EQ(rec.camera_flags, c.flags | 0x10) << what;
        if (c.camera_typ == 5) {
            EXPECT_EQ(rec.camera_id, static_cast<int>((c.status >> 6) & 3)) << what;
        }
    }
}

TEST(SetupPrograms, ShareTheirBodyAndDifferInTheSelector) {
    for (uint16_t selector : {576, 598, 614, 630}) {
        const auto p = lmv::setup_program_for(selector);
        ASSERT_EQ(p.size(), 104u);
        EXPECT_EQ(p[0], selector);
        EXPECT_EQ(p[2], selector);
        EXPECT_EQ(p[3], 193);
        EXPECT_EQ(p[6], 209);
        EXPECT_EQ(p[7], 207);
        EXPECT_EQ(p[8], 201);
        EXPECT_EQ(p[99], 201);
        EXPECT_EQ(p[101], 193);
        EXPECT_EQ(p[102], 4064);
        EXPECT_EQ(p[103], 4064);
        for (size_t i = 0; i < 102; ++i) EXPECT_NE((p[i] >> 8) & 0xF, 0xF) << i;  // one end mark
    }
}

class IdentityTest : public BoardTest {
    winport::ScopedScaledClock fasterClock_{20};
};

TEST_F(IdentityTest, EveryCcdTypeOfTheBoardIsIdentified) {
    struct Case {
        int ccd;
        int width;
        int height;
    } cases[] = {{1, 640, 480},    {2, 640, 480},    {3, 1280, 1024},  {4, 1280, 1024},
                 {5, 1312, 1032},  {6, 1312, 1032},  {9, 1280, 1024},  {10, 1280, 1024},
                 {11, 1280, 1024}, {12, 1280, 1024}, {17, 1376, 1040}, {18, 1376, 1040},
                 {19, 1376, 1040}, {20, 1376, 1040}, {21, 1376, 1040}, {22, 1376, 1040}};
    Sim("BOARD_TYPE", "1");
    Sim("IMAGE_MS", "1");
    for (const auto& c : cases) {
        Sim("CCD_TYP", std::to_string(c.ccd));
        ASSERT_EQ(SET_INIT(1), 0) << c.ccd;
        int ccd = 0;
        EXPECT_EQ(GET_CAMERA_CCD(-1, &ccd), 0);
        EXPECT_EQ(ccd, c.ccd);
        EXPECT_EQ(lmv::record_of(0)->roixmax, c.width) << c.ccd;
        EXPECT_EQ(lmv::record_of(0)->roiymax, c.height) << c.ccd;
        EXPECT_EQ(lmv::record_of(0)->exp_max, c.ccd == 5 || c.ccd == 6 ? 10800000 : 3600000);
        ASSERT_EQ(SET_INIT(0), 0);
    }
}

TEST_F(IdentityTest, ExtraSensorReportsItsByteAndTheCameraId) {
    Sim("BOARD_TYPE", "1");
    Sim("CCD_TYP", "21");
    Sim("CAMERA_ID", "77");
    Sim("EXTRA_SENSOR", "0x31");
    ASSERT_EQ(SET_INIT(1), 0);
    int id = 0, status = 0;
    EXPECT_EQ(GET_CAMERA_ID(0, &id), 0);
    EXPECT_EQ(id, 77);
    EXPECT_EQ(lmv::record_of(0)->status_extra, 0x3100);  // the option-program bit stays clear
    EXPECT_EQ(GET_CAMERA_STAT(0, 1, &status), 0);
    EXPECT_EQ(status, 0x310000);
    const auto ident = lmv::setup_program_for(lmv::kProgramIdentByte);
    const auto idprog = lmv::setup_program_for(lmv::kProgramCameraId);
    bool identLoaded = false, idLoaded = false;
    for (const auto& line : RequestsOf("0x222028")) {
        identLoaded |= line.find("in=" + Hex(ident.data(), 206) + " ") != std::string::npos;
        idLoaded |= line.find("in=" + Hex(idprog.data(), 206) + " ") != std::string::npos;
    }
    EXPECT_TRUE(identLoaded);
    EXPECT_TRUE(idLoaded);
}

TEST_F(IdentityTest, CameraWithoutExtraSensorIsNotAskedForItsId) {
    Sim("BOARD_TYPE", "1");
    Sim("CAMERA_ID", "77");
    ASSERT_EQ(SET_INIT(1), 0);
    int id = 0;
    EXPECT_EQ(GET_CAMERA_ID(0, &id), 0);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(RequestsOf("0x222028").size(), 4u);
}

TEST_F(IdentityTest, IntensifiedCameraTakesItsLimitsFromTheGainMode) {
    struct Case {
        unsigned mode;
        int exp_min;
        int delay_max;
        int gain;
    } cases[] = {{0, 100, 500, 0}, {3, 3, 300000, 3}, {7, 20, 500, 11}};
    Sim("BOARD_TYPE", "1");
    Sim("CAMERA_TYP", "5");
    Sim("CAMERA_ID", "2");
    for (const auto& c : cases) {
        Sim("STATUS_BITS", std::to_string(c.mode << 9));
        ASSERT_EQ(SET_INIT(1), 0) << c.mode;
        const lmv::board_record& rec = *lmv::record_of(0);
        EXPECT_EQ(rec.camera_typ, 5);
        EXPECT_EQ(rec.camera_id, 2);
        EXPECT_EQ(rec.exp_min, c.exp_min) << c.mode;
        EXPECT_EQ(rec.delay_max, c.delay_max) << c.mode;
        EXPECT_EQ(rec.gain_index, c.gain) << c.mode;
        EXPECT_EQ(rec.timevalues[1], 990);
        EXPECT_EQ(rec.timevalues[7], 1000);
        ASSERT_EQ(SET_INIT(0), 0);
    }
}

TEST_F(IdentityTest, UnrecognisedCameraFailsWithoutTakingAPicture) {
    OpenLog(3);
    Sim("BOARD_TYPE", "1");
    Sim("STATUS_BITS", "0xC000");
    EXPECT_EQ(SET_INIT(1), lmv::kTypeNotSupported);
    EXPECT_NE(LogText().find("after first dma read  error -8 \r\n"), std::string::npos);
    EXPECT_EQ(lmv::board_state(0), lmv::kBoardOpened);
    for (const auto& line : Trace()) EXPECT_EQ(line.find(" read "), std::string::npos) << line;
}

}  // namespace
