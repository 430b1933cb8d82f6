#pragma once
// Whether the recorder may size the working set and lock its buffers: the process privileges and
// HKEY_CURRENT_USER "Software\RVD\Buffers".
namespace lmv {

struct recorder_settings {
    bool working_set = false;  // "EnableWorkingSet" (missing = enabled) and both privileges
    bool lock = false;         // and "EnableLock" (missing = disabled)
};

// Reads the settings and logs them as they are read.
recorder_settings recorder_read_settings();

}  // namespace lmv
