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
    if (int rc = lmv::EnsureRecord(board); rc != lmv::kOk) return rc;
    if (int rc = lmv::driver::Open(board); rc != lmv::kOk) return rc;
    // The simulated board keeps its state between opens, as hardware does.
    if (int rc = lmv::driver::BoardCommand(board, lmv::ioctl::kCmdReset); rc != lmv::kOk) return rc;
    lmv::SetBoardState(board, lmv::kBoardOpened);
    lmv::board_record& rec = *lmv::Record(board);
    lmv::WriteRecordDefaults(rec, board);
    rec.device = lmv::driver::Handle(board);
    lmv::SetBoardState(board, lmv::kBoardReady);
    return lmv::kOk;
}

void ReadyBoardTest::SetUp() {
    lmv::UseDriverBackend(lmvpci::Backend());
    ASSERT_EQ(lmv::InitialiseBoardTables(), lmv::kOk);
    ASSERT_EQ(OpenReadyBoard(0), lmv::kOk);
    env_.ClearTrace();
}

void ReadyBoardTest::TearDown() {
    lmv::driver::CloseAll();
    lmv::EnableMessageLog(0, nullptr);
    lmv::ReleaseBoardTables();
    lmv::UseDriverBackend(nullptr);
}

lmv::board_record& ReadyBoardTest::Rec(int board) {
    return *lmv::Record(board);
}

std::vector<std::string> ReadyBoardTest::TraceOf(const std::function<void()>& action) {
    env_.ClearTrace();
    action();
    return env_.TraceLines();
}

void ReadyBoardTest::OpenLog(unsigned bits) {
    ASSERT_EQ(lmv::EnableMessageLog(static_cast<int>(bits), (env_.Dir() + "/log.txt").c_str()),
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
