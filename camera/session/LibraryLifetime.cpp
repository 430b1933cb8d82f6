// Load and unload of the camera library: one static object, no display needed.
#include <cstdio>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/ColourTables.h"
#include "camera/image/ImageLibrary.h"
#include "camera/recorder/Recorder.h"
#include "camera/session/LutDialogs.h"
#include "camera/session/SetInit.h"

namespace lmv {
namespace {

class camera_library_lifetime {
  public:
    camera_library_lifetime() {
        // Every library-wide object is made here, so all of them outlive the unload below.
        driver::close_all();
        message_level();
        release_driver_backend();
        if (initialise_board_tables() != kOk)
            std::fputs("lmvntcam: no memory for the record of board 0\n", stderr);
        image_library_load();
        colour_reset_tables();
        lut_dialogs_library_load();
    }

    ~camera_library_lifetime() {
        lut_dialogs_unload();  // also with no board set up: the dialogs use the tables below
        camera_library& lib = library();
        for (int b = 0; b < kBoardSlots; ++b) {
            if (board_state(b) == kBoardNotInitialised) continue;
            lib.currentBoard = b;
            (void)release_board(b);
            (void)driver::close_channel(b);  // closing is best effort
        }
        recorder_unload();
        release_board_tables();
        close_message_log();
        image_library_unload();
        driver::close_all();
        release_driver_backend();
    }
};

camera_library_lifetime lifetime;

}  // namespace
}  // namespace lmv
