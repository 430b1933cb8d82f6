// Crash-safe replacement of a whole file.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace winport {

struct AtomicWriteOptions {
    // Permission bits of the new file; unset: those of the file replaced, or 0666 less the
    // process's umask for a new file.
    std::optional<mode_t> mode;
    // Path of the temporary file, in the target's folder; empty: target + ".tmp-" and a unique
    // suffix. A caller that cleans up after killed writers names it so it can recognise it.
    std::string temporaryPath;
};

struct AtomicWriteResult {
    bool ok = false;
    int error = 0;        // errno of the failed step
    std::string message;  // "cannot <step> <path>: <system text>"
};

// Writes data to a temporary file in the target's folder, flushes it to the disk, renames it
// over the target and flushes the folder, so readers and a crash see either the old or the new
// content, never a mixture. On failure the target is untouched and the temporary file removed.
[[nodiscard]] AtomicWriteResult WriteFileAtomically(const std::string& target,
                                                    std::string_view data,
                                                    const AtomicWriteOptions& options = {});

}  // namespace winport
