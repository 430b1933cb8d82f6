#pragma once
// The image part of library load and unload.
namespace lmv {

// Load: the B/W output table all 255, the display palette made for palette-based screens.
void image_library_load();
// Unload: the display palette deleted.
void image_library_unload();

}  // namespace lmv
