#include "board_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimTrace.h"
#include "winport/Registry.h"

namespace testing_board {

void BoardTest::SetUp() {
    ASSERT_TRUE(installed_.ok()) << installed_.error();
    lmv::use_driver_backend(lmvpci::Backend());
    ASSERT_EQ(lmv::initialise_board_tables(), lmv::kOk);
    env_.ClearTrace();
}

void BoardTest::TearDown() {
    for (int b = 0; b < lmv::kBoardSlots; ++b)
        if (lmv::record_of(b) || lmv::driver::is_open(b)) {
            lmv::library().currentBoard = b;
            SET_INIT(0);
        }
    lmv::library().currentBoard = 0;
    lmv::library().showMessages = 0;
    lmv::enable_message_log(0, nullptr);
    lmv::driver::close_all();
    lmv::release_board_tables();
    lmv::use_driver_backend(nullptr);
    ::unsetenv("LMV_TEST_INIT_RESULT");
}

void BoardTest::Sim(const std::string& name, const std::string& value) {
    ::setenv(("LMVSIM_" + name).c_str(), value.c_str(), 1);
}

void BoardTest::SetInitmode(uint32_t value) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, "Software\\RVD\\LMVTEST");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->WriteDword("Initmode", value), winport::RegStatus::Ok);
}

void BoardTest::OpenLog(unsigned bits) {
    ASSERT_EQ(lmv::enable_message_log(static_cast<int>(bits), (env_.Dir() + "/log.txt").c_str()),
              lmv::kOk);
}

std::string BoardTest::LogText() const {
    std::ifstream in(env_.Dir() + "/log.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> BoardTest::TraceOf(const std::string& code) const {
    std::vector<std::string> lines;
    for (const auto& line : Trace())
        if (line.find(" ioctl " + code + " ") != std::string::npos) lines.push_back(line);
    return lines;
}

std::string Hex(const void* data, size_t size) {
    return lmvpci::HexBytes(data, static_cast<uint32_t>(size));
}

}  // namespace testing_board
