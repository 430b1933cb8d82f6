#pragma once
// Inside the registry store: the hive files on disk. Not for use outside winport/Registry*.cpp.
#include <functional>
#include <memory>
#include <string>

#include "winport/RegistryFormat.h"

namespace winport::reg {

// The hive as it is on disk now: an empty root for a missing file; nullptr when the file cannot
// be read or parsed (last error set). The tree is shared and must not be changed.
std::shared_ptr<const Node> LoadHive(Hive hive);

// Runs `change` on the hive as re-read under its lock and writes the result atomically when the
// change returns Ok and the text differs from the file. Returns the change's status, or
// ParseError/IoError (last error set) when the hive cannot be read, locked or written.
RegStatus ModifyHive(Hive hive, const std::function<RegStatus(Node&)>& change);

// The last-failure record of this thread.
RegStatus Fail(RegStatus status, std::string message);
void ClearLastError();

}  // namespace winport::reg
