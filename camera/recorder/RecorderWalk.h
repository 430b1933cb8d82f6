#pragma once
// The body of a recording thread: waits for each picture, moves it (or the average of several)
// into the next buffer and walks the buffers once (mode 0) or as a ring (mode 1) until stopped.
#include "camera/recorder/RecorderState.h"

namespace lmv {

// Runs the walk of a parameter block the library made and no thread has taken yet; -3 for any
// other pointer or a block of the other kind. The walk's last result otherwise.
int recorder_walk_entry(void* params, recorder_walk kind);

}  // namespace lmv
