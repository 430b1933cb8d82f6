#pragma once
// The recorder's memory: one library-wide block of committed memory from which the boards take
// consecutive pieces (segments) for their image buffers. Every function here expects the caller
// to hold recorder_mutex().
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "camera/recorder/RecorderSettings.h"

namespace lmv {

// Guards the arena and every board's buffer table.
std::mutex& recorder_mutex();

// Sizes the working set, reserves and commits the block for *count images of `size` pixels
// (0 = as many as fit) and stores the images that fit. An earlier block is released first; the
// caller has released the boards' buffers in it. 0, -3 for a size below 1, -23.
[[nodiscard]] int arena_allocate(int& count, int size, const recorder_settings& settings);
// Decommits and releases the block and restores the working set. The boards' buffers are the
// caller's. 0 also without a block.
int arena_release(const recorder_settings& settings);

bool arena_present();
size_t arena_commit_size();
// The free part behind the last segment in use.
void arena_free_space(uint8_t*& start, size_t& bytes);
// Records [start, end) as a board's segment; false when the table is full.
[[nodiscard]] bool arena_add_segment(int board, uint8_t* start, uint8_t* end);
// Forgets the board's segments and closes the gaps in the table.
void arena_drop_segments(int board);
// True when [p, p + bytes) lies inside the committed block.
bool arena_contains(const void* p, size_t bytes);
// Drops the arena's bookkeeping at the library's unload, after the block is released.
void arena_forget();

}  // namespace lmv
