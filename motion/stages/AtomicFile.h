#pragma once
// Whole-file reads and crash-safe whole-file replacement for the stage database files.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
