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
#include "camera/image/ColourSettings.h"
#include "camera/recorder/Recorder.h"
#include "camera/session/CameraSetup.h"
#include "camera/session/LutDialogs.h"
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
class setup_scope {
  public:
    setup_scope() : priority_(winport::ThreadPriority::Highest) { library().boardLock.Reset(); }
    ~setup_scope() { library().boardLock.Set(); }
    setup_scope(const setup_scope&) = delete;
    setup_scope& operator=(const setup_scope&) = delete;

  private:
    winport::ScopedThreadPriority priority_;
};

void read_test_flags(board_record& rec) {
    const auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, kTestKey);
    if (!key) return;
    if (const auto flags = key->ReadDword("Initmode"))
        rec.init_mode |= static_cast<int32_t>(*flags << 8);
}

int open_board(int board, board_record& rec) {
    bw_set_lut_maximum(kLutMaximum);
    board_identity identity;
    const int rc = init_board(board, identity);
    if (rc != kOk) {
        setup_box("ERROR %d in initboard", rc);
        log_message(kLogSetupError, "ERROR %d in initboard \r\n", rc);
        if (rc != kCannotOpenDriver)
            (void)driver::board_command(
                board, ioctl::kCmdReset);  // best effort; the next request reports a dead board
        return rc;
    }
    rec.device = driver::handle_of(board);
    rec.board_type = identity.board_type;
    rec.board_version = identity.board_version;
    rec.board = board;
    return kOk;
}

int set_up_camera(int board) {
    set_board_state(board, kBoardOpened);
    const int rc = setup_board(board);
    if (rc == kOk || rc == kNoCameraAnswer) return rc;
    setup_box("ERROR %d in setupboard", rc);
    log_message(kLogSetupError, "ERROR %d in setupboard \r\n", rc);
    (void)driver::board_command(
        board, ioctl::kCmdReset);  // best effort; the next request reports a dead board
    return rc;
}

int check_board_type(int board, const board_record& rec) {
    const int type = rec.board_type & 0xFF;
    if (type == 3) {
        if (!ccd_traits_or_unknown(rec.ccd_typ).board_type_three) {
            char text[32];
            std::snprintf(text, sizeof text, "CCD= %x", static_cast<unsigned>(rec.ccd_typ));
            winport::ShowMessageBox("", text);
            return kCcdNotOnBoard;
        }
        uint32_t value = 0;
        if (int rc = driver::read_register(board, 22, &value); rc != kOk) return rc;
        if (int rc = driver::read_register(board, 23, &value); rc != kOk) return rc;
    }
    if (type == 2 || type == 3) return check_board_memory(board, kSetupMemoryWords);
    return kOk;
}

int set_limits(int board, board_record& rec) {
    set_exposure_limits(rec);
    if (rec.camera_typ == 5) {
        uint32_t status = 0;
        if (int rc = driver::read_register(board, 6, &status); rc != kOk) return rc;
        set_intensifier_limits(rec, (status >> 9) & 7);
    }
    rec.roixmax = rec.ccd_width;
    rec.roiymax = rec.ccd_height;
    return kOk;
}

int bind_dialog_module(int board, int mode, const board_record& rec) {
    (void)bw_restore(board);
    (void)colour_restore(board);
    std::string name;
    if (int rc = select_init_module(mode, rec, &name); rc != kOk) return rc;
    release_dialog_module(board);  // a module of an earlier set-up
    if (int rc = load_dialog_module(board, name); rc != kOk) return rc;
    return init_dialog_module(board, rec, rec.init_mode);
}

int initialise(int board, board_record& rec, int mode) {
    rec.init_mode = mode;
    if (int rc = check_driver_version(); rc != kOk) return rc;
    write_record_defaults(rec, board);
    (void)bw_build_default(board);
    colour_build_default();
    read_test_flags(rec);
    apply_log_settings(board, mode);
    if (board_state(board) == kBoardNotInitialised) {
        if (int rc = open_board(board, rec); rc != kOk) return rc;
    }
    const int setup = set_up_camera(board);
    if (setup != kOk && setup != kNoCameraAnswer) return setup;
    if (int rc = check_board_type(board, rec); rc != kOk) return rc;
    if (int rc = set_limits(board, rec); rc != kOk) return rc;
    set_board_state(board, kBoardReady);
    if ((mode & 0xFF) >= kFirstModuleMode) {
        if (int rc = bind_dialog_module(board, mode & 0xFF, rec); rc != kOk) return rc;
    }
    log_message(kLogInit, "SET_INIT(%d) done \r\n", mode);
    return setup;
}

// Stops the camera of an opened board and resets the board.
void quiet_board(int board, board_record& rec) {
    (void)acquire_stop(board, rec, 0);
    (void)driver::board_command(board, ioctl::kCmdReset);
}

}  // namespace

int release_board(int board) {
    release_dialog_module(board);
    lut_dialogs_close_all();
    recorder_release_board(board);
    if (board_record* rec = record_of(board); rec && driver::is_open(board)) {
        (void)acquire_stop(board, *rec, 0);
        (void)camera::empty_board_buffer(board);
    }
    apply_log_settings(board, kReleaseMode);
    (void)driver::close_channel(board);  // closing is best effort
    set_board_state(board, kBoardNotInitialised);
    free_record(board);
    return kOk;
}

}  // namespace lmv

using namespace lmv;

extern "C" LMV_API int SET_INIT(int mode) {
    const int board = library().currentBoard.load();
    log_message(kLogInit, "SET_INIT(%d) \r\n", mode);
    setup_box("SET_INIT(%d)", mode);
    if ((mode & 0xFF) > kHighestMode) return kWrongParameter;
    if (int rc = ensure_record(board); rc != kOk) return rc;
    if ((mode & 0xFF) != kReleaseMode && recorder_owns_board(board)) return kRecorderOwnsBoard;
    board_record* rec = record_of(board);
    if (board_state(board) != kBoardNotInitialised) quiet_board(board, *rec);
    setup_scope scope;
    if ((mode & 0xFF) == kReleaseMode) return release_board(board);
    return initialise(board, *rec, mode);
}
