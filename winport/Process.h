#pragma once
#include <optional>
#include <string>

namespace winport {

// Full path of the running executable ("" when it cannot be read).
std::string ExecutablePath();
// Folder of the running executable, without a trailing separator.
std::string ExecutableDir();
// Folder of the shared object (or executable) that contains the given address.
std::string ModuleDirOf(const void* address);

// Looks for a file by name the way the system's standard search does: the host executable's
// folder, the current folder, the folder of the module that holds `moduleAddress`, then the
// folders of PATH. A name with a '/' is taken as it stands. The first existing file wins.
std::optional<std::string> FindFile(const std::string& name, const void* moduleAddress = nullptr);

}  // namespace winport
