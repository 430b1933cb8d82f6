#pragma once
// Holds a board's sync_event for a scope. The event is set again when the scope ends, also after
// a wait that timed out, so that a lost holder cannot block the board for ever.
#include <cstdint>

#include "camera/api/BoardTable.h"
#include "winport/Event.h"

namespace lmv {

class sync_hold {
  public:
    explicit sync_hold(winport::Event* event)
        : event_(event),
          acquired_(event && event->Wait(static_cast<uint32_t>(library().imageTimeout.load()))) {}
    ~sync_hold() {
        if (event_) event_->Set();
    }
    sync_hold(const sync_hold&) = delete;
    sync_hold& operator=(const sync_hold&) = delete;

    bool acquired() const { return acquired_; }

  private:
    winport::Event* event_;
    bool acquired_;
};

// Marks an image read in progress for a scope (library-wide read_busy).
class read_busy_mark {
  public:
    read_busy_mark() { library().readBusy = 1; }
    ~read_busy_mark() { library().readBusy = 0; }
    read_busy_mark(const read_busy_mark&) = delete;
    read_busy_mark& operator=(const read_busy_mark&) = delete;
};

}  // namespace lmv
