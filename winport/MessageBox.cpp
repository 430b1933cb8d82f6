#include "winport/MessageBox.h"

#include <cstdio>

namespace winport {

int ShowMessageBox(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return kIdOk;
}

}  // namespace winport
