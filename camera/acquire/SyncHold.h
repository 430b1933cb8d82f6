#pragma once
// Holds a board's sync_event for a scope. The event is set again when the scope ends, also after
// a wait that timed out, so that a lost holder cannot block the board for ever.
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "winport/Event.h"

namespace lmv {

class SyncHold {
  public:
    explicit SyncHold(winport::Event* event)
        : event_(event),
          acquired_(event && event->Wait(static_cast<uint32_t>(Library().imageTimeout.load()))) {}
    ~SyncHold() {
        if (event_) event_->Set();
    }
    SyncHold(const SyncHold&) = delete;
    SyncHold& operator=(const SyncHold&) = delete;

    bool Acquired() const { return acquired_; }

  private:
    winport::Event* event_;
    bool acquired_;
};

// Marks an image read in progress for a scope (library-wide read_busy).
class ReadBusyMark {
  public:
    ReadBusyMark() { Library().readBusy = 1; }
    ~ReadBusyMark() { Library().readBusy = 0; }
    ReadBusyMark(const ReadBusyMark&) = delete;
    ReadBusyMark& operator=(const ReadBusyMark&) = delete;
};

}  // namespace lmv
