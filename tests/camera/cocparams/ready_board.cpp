#include "camera/cocparams/ready_board.h"

#include <fstream>
#include <sstream>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "simulators/lmvpci/LmvpciBackend.h"
#include "simulators/lmvpci/SimTrace.h"

namespace testing_lmv {

int OpenReadyBoard(int board) {
    if (int rc = lmv::ensure_record(board); rc != lmv::kOk) return rc;
    if (int rc = lmv::driver::open_channel(board); rc != lmv::kOk) return rc;
    // The simulated board keeps its state between opens, as hardware does.
    if (int rc = lmv::driver::board_command(board, lmv::ioctl::kCmdReset); rc != lmv::kOk)
        return rc;
    lmv::set_board_state(board, lmv::kBoardOpened);
    lmv::board_record& rec = *lmv::record_of(board);
    lmv::write_record_defaults(rec, board);
    rec.device = lmv::driver::handle_of(board);
    lmv::set_board_state(board, lmv::kBoardReady);
    return lmv::kOk;
}

void ReadyBoardTest::SetUp() {
    lmv::use_driver_backend(lmvpci::Backend());
    ASSERT_EQ(lmv::initialise_board_tables(), lmv::kOk);
    ASSERT_EQ(OpenReadyBoard(0), lmv::kOk);
    env_.ClearTrace();
}

void ReadyBoardTest::TearDown() {
    lmv::driver::close_all();
    lmv::enable_message_log(0, nullptr);
    lmv::release_board_tables();
    lmv::use_driver_backend(nullptr);
}

lmv::board_record& ReadyBoardTest::Rec(int board) {
    return *lmv::record_of(board);
}

std::vector<std::string> ReadyBoardTest::TraceOf(const std::function<void()>& action) {
    env_.ClearTrace();
    action();
    return env_.TraceLines();
}

void ReadyBoardTest::OpenLog(unsigned bits) {
    ASSERT_EQ(lmv::enable_message_log(static_cast<int>(bits), (env_.Dir() + "/log.txt").c_str()),
              lmv::kOk);
}

std::string ReadyBoardTest::LogText() const {
    std::ifstream in(env_.Dir() + "/log.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Le(std::initializer_list<uint32_t> words) {
    std::string text;
    for (uint32_t w : words) text += lmvpci::HexBytes(&w, 4);
    return text;
}

std::string RegisterWrite(int board, uint32_t reg, uint32_t value) {
    const std::string bytes = Le({reg, value});
    return std::to_string(board) + " ioctl 0x22201c in=" + bytes + " out=" + bytes;
}

std::string CocLoad(int board, const std::vector<uint16_t>& words) {
    return std::to_string(board) + " ioctl 0x222028 in=" +
           lmvpci::HexBytes(words.data(), static_cast<uint32_t>(words.size() * 2)) + " out=-";
}

}  // namespace testing_lmv
