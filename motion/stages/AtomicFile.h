#pragma once
// Whole-file reads and crash-safe whole-file replacement for the stage database files.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "winport/UniqueFd.h"

enum class FileReadResult { Ok, Missing, Failed };

// Reads the whole file; Missing when it does not exist. error receives the system's text.
FileReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& content,
                             std::string& error);

// Replaces the file's content with data: written to a new file in the same folder, flushed to
// the disk, then renamed over the old one, so readers and a crash see either the old or the new
// content, never a mixture. On failure the old file is untouched and error says why. An existing
// file keeps its permission bits; a symbolic link keeps pointing at its (rewritten) target.
bool ReplaceFileContents(const std::string& path, std::span<const uint8_t> data,
                         std::string& error);

// Serialises the read-modify-write cycles of one file among threads and processes: an exclusive
// advisory lock on the folder that holds the file, held for the object's life (a lock on the file
// itself would not do, since every write replaces it; the folder needs no lock file left behind).
// Taking the lock also removes the temporary files of writers that were killed mid-write.
class FileWriteLock {
  public:
    explicit FileWriteLock(const std::string& path);
    ~FileWriteLock();
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

    [[nodiscard]] bool Locked() const { return fd_.Valid(); }
    // Why the lock could not be taken.
    const std::string& Error() const { return error_; }

  private:
    winport::UniqueFd fd_;
    std::string error_;
};

// Deletes the temporary files ReplaceFileContents left beside path when its writer died: the
// writing process is gone, or the process now bearing its number started after the file was
// written. Called with the file's FileWriteLock held.
void RemoveStaleTemporaryFiles(const std::string& path);
