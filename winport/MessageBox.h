#pragma once
// Message boxes without a display: the text goes to standard error and the box answers OK.
#include <string>

namespace winport {

inline constexpr int kIdOk = 1;

int ShowMessageBox(const std::string& caption, const std::string& text);

}  // namespace winport
