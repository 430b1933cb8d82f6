#pragma once
// The application's event handle: an eventfd descriptor that the application created and waits
// on; the library signals it by writing to it and resets it by draining its counter.

namespace lmv {

// True for an open eventfd descriptor; anything else counts as "no event".
bool is_event_fd(int fd);
// Drains the counter without blocking, so that a wait only sees what comes after.
void reset_event_fd(int fd);

}  // namespace lmv
