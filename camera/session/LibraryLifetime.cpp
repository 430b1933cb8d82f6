// Load and unload of the camera library: one static object, no display needed.
#include <cstdio>

#include "camera/api/BoardTable.h"
#include "camera/api/DriverBackend.h"
#include "camera/api/DriverChannel.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/ImageLibrary.h"
#include "camera/session/SetInit.h"

namespace lmv {
namespace {

class CameraLibraryLifetime {
  public:
    CameraLibraryLifetime() {
        // Every library-wide object is made here, so all of them outlive the unload below.
        driver::CloseAll();
        MessageLevel();
        ReleaseDriverBackend();
        if (InitialiseBoardTables() != kOk)
            std::fputs("lmvntcam: no memory for the record of board 0\n", stderr);
        image_library_load();
        // The colour output tables are filled with 255 here, once they exist.
    }

    ~CameraLibraryLifetime() {
        CameraLibrary& lib = Library();
        for (int b = 0; b < kBoardSlots; ++b) {
            if (BoardState(b) == kBoardNotInitialised) continue;
            lib.currentBoard = b;
            (void)ReleaseBoard(b);
            driver::Close(b);
        }
        // The recorder's memory is released here, once the recorder exists.
        ReleaseBoardTables();
        CloseMessageLog();
        image_library_unload();
        driver::CloseAll();
        ReleaseDriverBackend();
    }
};

CameraLibraryLifetime lifetime;

}  // namespace
}  // namespace lmv
