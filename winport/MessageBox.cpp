#include "winport/MessageBox.h"

#include <errno.h>

#include <cstdio>

namespace winport {

int ShowMessageBox(const std::string& caption, const std::string& text) {
    // A box without caption is still told apart from other output: it is the program's own.
    const char* shown = caption.empty() ? program_invocation_short_name : caption.c_str();
    std::fprintf(stderr, "%s: %s\n", shown, text.c_str());
    std::fflush(stderr);
    return kIdOk;
}

}  // namespace winport
