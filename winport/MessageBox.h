#pragma once
// Message boxes without a display: "caption: text" goes to standard error and the box answers OK.
// A box without caption takes the program's name as its caption.
#include <string>

namespace winport {

inline constexpr int kIdOk = 1;

int ShowMessageBox(const std::string& caption, const std::string& text);

}  // namespace winport
