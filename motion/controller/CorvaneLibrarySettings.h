#pragma once
// Library-wide settings that affect controllers connected afterwards.
#include <atomic>
#include <string>

// Number of daisy-chain addresses probed when a controller is initialised, 1..16, default 16.
extern std::atomic<int> m_iMaxNumberOfAxesForControllerSearch;
// TRUE (default): board features are detected from the version and checksum texts first, and by
// probing commands only where those are unknown; FALSE: by probing only.
extern std::atomic<int> checkFeaturesByVersion;

// Folder of the host executable, without a trailing separator; the stage databases lie below it.
// Set at library load; until then the folder of the running executable.
std::string CorvaneHostDirectory();
void SetCorvaneHostDirectory(const std::string& directory);
