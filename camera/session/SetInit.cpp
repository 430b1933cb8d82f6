// SET_INIT: brings the current board from not initialised to ready (modes 1 to 8) and back
// (mode 0).
#include <cstdint>
#include <cstdio>
#include <string>

#include "camera/acquire/Acquire.h"
#include "camera/api/BoardTable.h"
#include "camera/api/CameraCommands.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/LogSettings.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/BoardLimits.h"
#include "camera/board/BoardMemory.h"
#include "camera/board/CcdTraits.h"
#include "camera/board/DialogModule.h"
#include "camera/board/DriverVersion.h"
#include "camera/board/InitBoard.h"
#include "camera/board/SetupMessages.h"
#include "camera/image/BwSetup.h"
#include "camera/session/CameraSetup.h"
#include "camera/session/SetInit.h"
#include "lmvntcam.h"
#include "winport/MessageBox.h"
#include "winport/Registry.h"
#include "winport/Thread.h"

namespace lmv {
namespace {

constexpr int kHighestMode = 8;
constexpr int kLutMaximum = 4096;
constexpr int kReleaseMode = 0;
constexpr int kFirstModuleMode = 2;
constexpr const char* kTestKey = "Software\\RVD\\LMVTEST";

// While a board is set up: the thread runs at highest priority and board selection waits.
class SetupScope {
  public:
    SetupScope() : priority_(winport::ThreadPriority::Highest) { Library().boardLock.Reset(); }
    ~SetupScope() { Library().boardLock.Set(); }
    SetupScope(const SetupScope&) = delete;
    SetupScope& operator=(const SetupScope&) = delete;

  private:
    winport::ScopedThreadPriority priority_;
};

void ReadTestFlags(board_record& rec) {
    const auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, kTestKey);
    if (!key) return;
    if (const auto flags = key->ReadDword("Initmode"))
        rec.init_mode |= static_cast<int32_t>(*flags << 8);
}

int OpenBoard(int board, board_record& rec) {
    bw_set_lut_maximum(kLutMaximum);
    board_identity identity;
    const int rc = InitBoard(board, identity);
    if (rc != kOk) {
        SetupBox("ERROR %d in initboard", rc);
        LogMessage(kLogSetupError, "ERROR %d in initboard \r\n", rc);
        if (rc != kCannotOpenDriver) driver::BoardCommand(board, ioctl::kCmdReset);
        return rc;
    }
    rec.device = driver::Handle(board);
    rec.board_type = identity.board_type;
    rec.board_version = identity.board_version;
    rec.board = board;
    return kOk;
}

int SetUpCamera(int board) {
    SetBoardState(board, kBoardOpened);
    const int rc = SetupBoard(board);
    if (rc == kOk || rc == kNoCameraAnswer) return rc;
    SetupBox("ERROR %d in setupboard", rc);
    LogMessage(kLogSetupError, "ERROR %d in setupboard \r\n", rc);
    driver::BoardCommand(board, ioctl::kCmdReset);
    return rc;
}

int CheckBoardType(int board, const board_record& rec) {
    const int type = rec.board_type & 0xFF;
    if (type == 3) {
        if (!ccd_traits_or_unknown(rec.ccd_typ).board_type_three) {
            char text[32];
            std::snprintf(text, sizeof text, "CCD= %x", static_cast<unsigned>(rec.ccd_typ));
            winport::ShowMessageBox("", text);
            return kCcdNotOnBoard;
        }
        uint32_t value = 0;
        if (int rc = driver::ReadRegister(board, 22, &value); rc != kOk) return rc;
        if (int rc = driver::ReadRegister(board, 23, &value); rc != kOk) return rc;
    }
    if (type == 2 || type == 3) return CheckBoardMemory(board, kSetupMemoryWords);
    return kOk;
}

int SetLimits(int board, board_record& rec) {
    SetExposureLimits(rec);
    if (rec.camera_typ == 5) {
        uint32_t status = 0;
        if (int rc = driver::ReadRegister(board, 6, &status); rc != kOk) return rc;
        SetIntensifierLimits(rec, (status >> 9) & 7);
    }
    rec.roixmax = rec.ccd_width;
    rec.roiymax = rec.ccd_height;
    return kOk;
}

int BindDialogModule(int board, int mode, const board_record& rec) {
    (void)bw_restore(board);
    // The colour tables are restored from the registry here as well, once they exist.
    std::string name;
    if (int rc = SelectInitModule(mode, rec, &name); rc != kOk) return rc;
    ReleaseDialogModule(board);  // a module of an earlier set-up
    if (int rc = LoadDialogModule(board, name); rc != kOk) return rc;
    return InitDialogModule(board, rec, rec.init_mode);
}

int Initialise(int board, board_record& rec, int mode) {
    rec.init_mode = mode;
    if (int rc = CheckDriverVersion(); rc != kOk) return rc;
    WriteRecordDefaults(rec, board);
    (void)bw_build_default(board);
    // The colour tables are built linear here as well, once they exist.
    ReadTestFlags(rec);
    ApplyLogSettings(board, mode);
    if (BoardState(board) == kBoardNotInitialised) {
        if (int rc = OpenBoard(board, rec); rc != kOk) return rc;
    }
    const int setup = SetUpCamera(board);
    if (setup != kOk && setup != kNoCameraAnswer) return setup;
    if (int rc = CheckBoardType(board, rec); rc != kOk) return rc;
    if (int rc = SetLimits(board, rec); rc != kOk) return rc;
    SetBoardState(board, kBoardReady);
    if ((mode & 0xFF) >= kFirstModuleMode) {
        if (int rc = BindDialogModule(board, mode & 0xFF, rec); rc != kOk) return rc;
    }
    LogMessage(kLogInit, "SET_INIT(%d) done \r\n", mode);
    return setup;
}

// Stops the camera of an opened board and resets the board.
void QuietBoard(int board, board_record& rec) {
    (void)acquire_stop(board, rec, 0);
    (void)driver::BoardCommand(board, ioctl::kCmdReset);
}

}  // namespace

int ReleaseBoard(int board) {
    ReleaseDialogModule(board);
    // The LUT dialogs are closed here, once they exist.
    // The board's recorder thread and buffers are released here, once the recorder exists.
    if (board_record* rec = Record(board); rec && driver::IsOpen(board)) {
        (void)acquire_stop(board, *rec, 0);
        (void)camera::EmptyBoardBuffer(board);
    }
    ApplyLogSettings(board, kReleaseMode);
    driver::Close(board);
    SetBoardState(board, kBoardNotInitialised);
    FreeRecord(board);
    return kOk;
}

}  // namespace lmv

using namespace lmv;

extern "C" LMV_API int SET_INIT(int mode) {
    const int board = Library().currentBoard.load();
    LogMessage(kLogInit, "SET_INIT(%d) \r\n", mode);
    SetupBox("SET_INIT(%d)", mode);
    if ((mode & 0xFF) > kHighestMode) return kWrongParameter;
    if (int rc = EnsureRecord(board); rc != kOk) return rc;
    board_record* rec = Record(board);
    if (BoardState(board) != kBoardNotInitialised) QuietBoard(board, *rec);
    SetupScope scope;
    if ((mode & 0xFF) == kReleaseMode) return ReleaseBoard(board);
    return Initialise(board, *rec, mode);
}
