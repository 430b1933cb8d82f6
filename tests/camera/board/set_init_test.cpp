// SET_INIT through the exports and the driver seam to the simulated board.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/SetupPrograms.h"
#include "camera/fixture/camera_fixture.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/SimInstall.h"
#include "winport/Clock.h"
#include "winport/Registry.h"

namespace {

namespace fs = std::filesystem;
using testing_lmv::BoardTest;
using testing_lmv::Hex;

constexpr const char* kBoardCommand = "0x222004";
constexpr const char* kLoadCoc = "0x222028";
constexpr const char* kReloadFpga = "0x22203c";
constexpr const char* kReadIdent = "0x222258";

std::string Command(uint32_t command) {
    return "0 ioctl 0x222004 in=" + Hex(&command, 4) + " out=-";
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& l : lines)
        if (l == line) return true;
    return false;
}

// The set-up's fixed steps on a faster clock, the simulated board's pictures with them.
class SetInitTest : public BoardTest {
    winport::ScopedScaledClock fasterClock_{20};
};

TEST_F(SetInitTest, ModeAboveEightIsRefusedBeforeAnythingChanges) {
    for (int mode : {9, 0x109, 255, -1}) {
        EXPECT_EQ(SET_INIT(mode), lmv::kWrongParameter) << mode;
        EXPECT_EQ(lmv::board_state(0), lmv::kBoardNotInitialised);
        EXPECT_EQ(lmv::record_of(0)->init_mode, 0);
    }
    EXPECT_TRUE(Trace().empty());
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

TEST_F(SetInitTest, InitialisesTheBoardAndReleasesIt) {
    ASSERT_EQ(SET_INIT(1), 0);
    EXPECT_EQ(lmv::board_state(0), lmv::kBoardReady);
    const lmv::board_record& rec = *lmv::record_of(0);
    EXPECT_EQ(rec.board_type, 0x102);
    EXPECT_EQ(rec.board_version, 0x21);
    EXPECT_EQ(rec.device, lmv::driver::handle_of(0));
    EXPECT_EQ(rec.init_mode, 1);
    EXPECT_EQ(rec.ccd_temp, -10);
    EXPECT_EQ(rec.ele_temp, 25);
    EXPECT_EQ(rec.exp_max, 3600000);
    EXPECT_EQ(rec.exp_min, 1);
    EXPECT_EQ(rec.roixmax, 640);
    EXPECT_EQ(rec.roiymax, 480);
    int value = 0;
    EXPECT_EQ(GET_CAMERA_TYP(-1, &value), 0);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(GET_CAMERA_CCD(0, &value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(GET_CAMERA_ID(0, &value), 0);
    EXPECT_EQ(value, -1);  // no extra sensor: the id is not read

    // What crossed the wire: reset, identification, the FPGA image, the set-up programs, the
    // memory test pattern.
    const auto trace = Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(RequestsOf(kReadIdent).size(), 2u);
    ASSERT_EQ(RequestsOf(kReloadFpga).size(), 1u);
    const auto image = lmvpci::BitFileImage("rz410");
    EXPECT_NE(RequestsOf(kReloadFpga)[0].find("in=" + Hex(image.data(), image.size()) + " "),
              std::string::npos);
    const auto temperatures = lmv::setup_program_for(lmv::kProgramTemperatures);
    const auto extra = lmv::setup_program_for(lmv::kProgramExtraSensor);
    // Loaded up to and including the first end word (index 102).
    const std::string load576 =
        "0 ioctl 0x222028 in=" + Hex(temperatures.data(), 103 * 2) + " out=-";
    const std::string load598 = "0 ioctl 0x222028 in=" + Hex(extra.data(), 103 * 2) + " out=-";
    EXPECT_TRUE(Contains(trace, load576));
    EXPECT_TRUE(Contains(trace, load598));
    EXPECT_EQ(RequestsOf(kLoadCoc).size(), 4u);  // 576 twice, 598, 576
    EXPECT_TRUE(Contains(trace, Command(244)));
    EXPECT_TRUE(Contains(trace, Command(2)));

    ClearTrace();
    EXPECT_EQ(SET_INIT(0), 0);
    EXPECT_EQ(lmv::board_state(0), lmv::kBoardNotInitialised);
    EXPECT_EQ(lmv::record_of(0), nullptr);
    EXPECT_FALSE(lmv::driver::is_open(0));
    EXPECT_EQ(GET_CAMERA_TYP(0, &value), lmv::kNotInitialised);
    EXPECT_TRUE(Contains(Trace(), Command(5)));  // the board is reset before it is let go
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

TEST_F(SetInitTest, CameraThatDoesNotAnswerWarnsAndLeavesTheBoardReady) {
    Sim("NO_CAMERA", "1");
    EXPECT_EQ(SET_INIT(1), lmv::kNoCameraAnswer);
    EXPECT_EQ(lmv::board_state(0), lmv::kBoardReady);
    EXPECT_TRUE(Contains(Trace(), Command(2)));
    EXPECT_TRUE(RequestsOf(kLoadCoc).empty());  // set-up ended before its programs
    int typ = 0;
    EXPECT_EQ(GET_CAMERA_TYP(0, &typ), 0);
    EXPECT_EQ(typ, 2);
    int status = 0;
    EXPECT_EQ(GET_CAMERA_STAT(0, 2, &status), 0);
    EXPECT_EQ(status, 0x5E - 128);
}

TEST_F(SetInitTest, HotCcdFailsTheSetUpAndTheNextSetInitRepeatsItOnly) {
    OpenLog(3);
    Sim("CCD_TEMP", "61");
    EXPECT_EQ(SET_INIT(1), lmv::kNotInitialised);
    EXPECT_EQ(lmv::board_state(0), lmv::kBoardOpened);
    EXPECT_NE(LogText().find("temperature test failed 61 25 \r\n"), std::string::npos);
    EXPECT_NE(LogText().find("ERROR -1 in setupboard \r\n"), std::string::npos);
    EXPECT_EQ(Trace().back(), Command(5));
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
    int typ = 0;
    EXPECT_EQ(GET_CAMERA_TYP(0, &typ), lmv::kNotInitialised);

    Sim("CCD_TEMP", "20");
    (void)lmv::driver::close_channel(
        0);  // the simulated board reads its settings when it is opened
    ASSERT_EQ(lmv::driver::open_channel(0), lmv::kOk);
    ClearTrace();
    EXPECT_EQ(SET_INIT(1), 0);
    EXPECT_TRUE(RequestsOf(kReloadFpga).empty());  // the open board is not loaded again
    EXPECT_EQ(lmv::record_of(0)->ccd_temp, 20);
    EXPECT_EQ(lmv::record_of(0)->board_type, 0x102);  // kept from the first set-up
}

TEST_F(SetInitTest, ElectronicsOutOfRangeFailsTheSecondCheck) {
    OpenLog(3);
    Sim("ELE_TEMP", "0");
    EXPECT_EQ(SET_INIT(1), lmv::kNotInitialised);
    EXPECT_NE(LogText().find("setupboard ccd-temperature ok,  ccd -10 ele 0 \r\n"),
              std::string::npos);
    EXPECT_NE(LogText().find("temperature test failed -10 0 \r\n"), std::string::npos);
}

TEST_F(SetInitTest, BoardTypeThreeCarriesOnlyCcdTwentyOne) {
    Sim("BOARD_TYPE", "3");
    Sim("CCD_TYP", "17");
    testing::internal::CaptureStderr();
    EXPECT_EQ(SET_INIT(1), lmv::kCcdNotOnBoard);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("CCD= 11"), std::string::npos);
    EXPECT_TRUE(lmv::library().boardLock.IsSet());

    ASSERT_EQ(SET_INIT(0), 0);
    Sim("CCD_TYP", "21");
    ClearTrace();
    ASSERT_EQ(SET_INIT(1), 0);
    EXPECT_EQ(lmv::record_of(0)->board_type & 0xFF, 3);
    const auto image = lmvpci::BitFileImage("rz420");
    ASSERT_EQ(RequestsOf(kReloadFpga).size(), 1u);
    EXPECT_NE(RequestsOf(kReloadFpga)[0].find("in=" + Hex(image.data(), 64)), std::string::npos);
    EXPECT_EQ(RequestsOf("0x222018").size() >= 2, true);
    EXPECT_EQ(SET_CAMERA_VAL(0, 1, 0x1234), 0);
    int value = 0;
    EXPECT_EQ(GET_CAMERA_STAT(0, 4, &value), 0);
    EXPECT_EQ(value, 0x1234);
}

TEST_F(SetInitTest, TestFlagsFromTheRegistrySetTheExposureLimits) {
    struct Case {
        const char* camera;
        uint32_t initmode;
        int exp_min;
        int exp_max;
    } cases[] = {
        {"2", 1, 1, 10800000},
        {"1", 1, 100, 9999900},
        {"1", 2, 50, 1000000},
        {"1", 0, 100, 1000000},
    };
    Sim("BOARD_TYPE", "1");  // no memory test: quicker
    for (const auto& c : cases) {
        Sim("CAMERA_TYP", c.camera);
        SetInitmode(c.initmode);
        ASSERT_EQ(SET_INIT(1), 0) << c.camera << "/" << c.initmode;
        const lmv::board_record& rec = *lmv::record_of(0);
        EXPECT_EQ(rec.init_mode, 1 | static_cast<int>(c.initmode << 8));
        EXPECT_EQ(rec.exp_min, c.exp_min) << c.camera << "/" << c.initmode;
        EXPECT_EQ(rec.exp_max, c.exp_max) << c.camera << "/" << c.initmode;
        ASSERT_EQ(SET_INIT(0), 0);
    }
}

TEST_F(SetInitTest, HighestNumberedBitFileIsLoaded) {
    const std::vector<uint8_t> three = {0x33, 0x33, 0x33, 0x33, 1, 2, 3};
    std::ofstream(BitDir() + "/rz410003.bit", std::ios::binary)
        .write(reinterpret_cast<const char*>(three.data()), 7);
    OpenLog(3);
    ASSERT_EQ(SET_INIT(1), 0);
    const auto image = lmvpci::BitFileImage("rz410");
    ASSERT_EQ(RequestsOf(kReloadFpga).size(), 1u);
    EXPECT_NE(RequestsOf(kReloadFpga)[0].find("in=" + Hex(image.data(), image.size()) + " "),
              std::string::npos);
    EXPECT_NE(LogText().find("file load size 32768 data 6c"), std::string::npos);
}

TEST_F(SetInitTest, BinfileStandsInForMissingNumberedFilesAndNoFileFails) {
    fs::remove(BitDir() + "/rz410017.bit");
    const std::vector<uint8_t> own = {0xAB, 0xCD, 0xEF, 0x01, 0x55};
    const std::string path = BitDir() + "/own.bit";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(own.data()), 5);
    auto params = winport::RegistryKey::Create(
        winport::Hive::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Lmvnt\\Parameters");
    ASSERT_TRUE(params);
    ASSERT_EQ(params->WriteString("Binfile", path), winport::RegStatus::Ok);
    OpenLog(3);
    ASSERT_EQ(SET_INIT(1), 0);
    EXPECT_EQ(RequestsOf(kReloadFpga).at(0), "0 ioctl 0x22203c in=abcdef0155 out=05000000");
    EXPECT_NE(LogText().find("IOCTL_RELOAD_FPGA: *data 1efcdab"), std::string::npos);
    ASSERT_EQ(SET_INIT(0), 0);

    fs::remove(path);
    EXPECT_EQ(SET_INIT(1), lmv::kBitFileNotFound);
    EXPECT_NE(LogText().find("Pib-File not found or open error"), std::string::npos);
    EXPECT_NE(LogText().find("ERROR -6 in initboard \r\n"), std::string::npos);
    EXPECT_EQ(Trace().back(), Command(5));
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

TEST_F(SetInitTest, DriverVersionIsCheckedBeforeTheBoard) {
    // An old driver only warns.
    std::ofstream(BitDir() + "/lmvnt.sys.version") << "1.04\n";
    testing::internal::CaptureStderr();
    EXPECT_EQ(SET_INIT(1), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("WRONG LMVNT.SYS \nInstall new Version"),
              std::string::npos);
    ASSERT_EQ(SET_INIT(0), 0);
    // Without the driver's service key nothing is touched.
    ASSERT_EQ(winport::DeleteRegistryKey(winport::Hive::LocalMachine,
                                         "SYSTEM\\CurrentControlSet\\Services\\Lmvnt"),
              winport::RegStatus::Ok);
    ClearTrace();
    EXPECT_EQ(SET_INIT(1), lmv::kRegistryMissing);
    EXPECT_TRUE(Trace().empty());
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

TEST_F(SetInitTest, BoardLockIsResetWhileTheBoardIsSetUp) {
    // Watched from a second thread: the set-up takes its steps' sleeps, so the watcher sees it.
    std::atomic<bool> done{false};
    std::atomic<bool> lockedDuringSetUp{false};
    std::thread watcher([&] {
        while (!done && !lockedDuringSetUp)
            if (!lmv::library().boardLock.IsSet()) lockedDuringSetUp = true;
    });
    const int rc = SET_INIT(1);
    done = true;
    watcher.join();
    ASSERT_EQ(rc, 0);
    EXPECT_TRUE(lockedDuringSetUp);
    EXPECT_TRUE(lmv::library().boardLock.IsSet());
}

TEST_F(SetInitTest, LogSettingsOfTheBoardOpenAndCloseTheLog) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser,
                                            "Software\\RVD\\Camera Settings\\LOG");
    ASSERT_TRUE(key);
    const std::string log = env_.Dir() + "/board.txt";
    ASSERT_EQ(key->WriteDword("LoggingLevel", 2), winport::RegStatus::Ok);
    ASSERT_EQ(key->WriteString("LogFileName", log), winport::RegStatus::Ok);
    ASSERT_EQ(SET_INIT(1), 0);
    ASSERT_EQ(SET_INIT(0), 0);
    std::ifstream in(log, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("setupboard both temperatures ok,  ccd -10 ele 25 \r\n"),
              std::string::npos);
    EXPECT_NE(text.find("SET_INIT(1) done \r\n"), std::string::npos);
    EXPECT_NE(text.find("Lumivert logfile ended"), std::string::npos);
}

TEST_F(SetInitTest, InitialiseAndReleaseFiftyTimes) {
    Sim("IMAGE_MS", "1");
    for (int i = 0; i < 50; ++i) {
        // Every fifth cycle with FPGA load and memory test, the others quicker.
        Sim("BOARD_TYPE", i % 5 == 0 ? "2" : "1");
        ASSERT_EQ(SET_INIT(1), 0) << i;
        ASSERT_EQ(lmv::board_state(0), lmv::kBoardReady);
        ASSERT_EQ(SET_INIT(0), 0) << i;
        ASSERT_EQ(lmv::record_of(0), nullptr);
        ASSERT_FALSE(lmv::driver::is_open(0));
    }
}

}  // namespace
