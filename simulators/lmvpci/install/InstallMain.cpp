// lmvpci-install: installs (or removes) the simulated camera board as a driver installation
// would: the driver's service key in HKEY_LOCAL_MACHINE and the FPGA bit files.
#include <cstdio>
#include <cstring>
#include <string>

#include "simulators/lmvpci/SimInstall.h"
#include "winport/Process.h"

namespace {

int Usage() {
    std::fputs(
        "usage: lmvpci-install [--uninstall] [BIT_FOLDER]\n"
        "  Writes HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Lmvnt and the bit "
        "files\n"
        "  rz410017.bit, rz420017.bit and lmvnt.sys.version into BIT_FOLDER (default: ../lib "
        "beside this program,\n"
        "  where liblmvntcam.so lives). The registry hives follow WINPORT_REGISTRY_DIR.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool uninstall = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--uninstall") == 0)
            uninstall = true;
        else if (argv[i][0] == '-' || !folder.empty())
            return Usage();
        else
            folder = argv[i];
    }
    if (folder.empty()) folder = winport::ExecutableDir() + "/../lib";
    const auto result = uninstall ? lmvpci::Uninstall(folder) : lmvpci::Install(folder);
    if (!result.ok) {
        std::fprintf(stderr, "lmvpci-install: %s\n", result.error.c_str());
        return 1;
    }
    for (const auto& f : result.files)
        std::printf("%s %s\n", uninstall ? "removed" : "wrote", f.c_str());
    if (!result.versionFile.empty())
        std::printf("%s %s\n", uninstall ? "removed" : "wrote", result.versionFile.c_str());
    std::printf("%s HKEY_LOCAL_MACHINE\\%s\n", uninstall ? "removed" : "wrote",
                lmvpci::kServiceKey);
    return 0;
}
