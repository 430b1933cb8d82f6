// lmvpci-install: installs (or removes) the simulated camera board as a driver installation
// would: the driver's service key in HKEY_LOCAL_MACHINE and the FPGA bit files.
#include <cstdio>
#include <string>

#include "simulators/lmvpci/SimInstall.h"
#include "tools/common/ToolOptions.h"
#include "winport/Process.h"

namespace {

const zrtool::Tool kTool(
    {"lmvpci-install", "[--uninstall] [BIT_FOLDER]",
     "Installs the simulated camera board as a driver installation would.",
     "  --uninstall         remove the installation instead\n"
     "Writes HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Lmvnt (the driver's\n"
     "service key, naming the driver file BIT_FOLDER/lmvnt.sys) and the files rz410017.bit,\n"
     "rz420017.bit and lmvnt.sys.version into BIT_FOLDER (default: ../lib beside this program,\n"
     "where liblmvntcam.so lives). Programs find the installation from any folder. The\n"
     "registry hives follow WINPORT_REGISTRY_DIR.\n"});

void Report(const char* verb, const lmvpci::InstallResult& result) {
    for (const auto& f : result.files) std::printf("%s %s\n", verb, f.c_str());
    if (!result.versionFile.empty()) std::printf("%s %s\n", verb, result.versionFile.c_str());
    std::printf("%s HKEY_LOCAL_MACHINE\\%s\n", verb, lmvpci::kServiceKey);
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto done = kTool.Start(argc, argv)) return *done;
    bool uninstall = false;
    std::string folder;
    zrtool::ArgList args(argc, argv);
    while (!args.Done()) {
        if (args.Take(nullptr, "--uninstall")) {
            uninstall = true;
        } else if (args.AtOption()) {
            return kTool.UsageError("unknown option " + args.Next());
        } else if (!folder.empty()) {
            return kTool.UsageError("one folder only");
        } else {
            folder = args.Next();
        }
    }
    if (folder.empty()) folder = winport::ExecutableDir() + "/../lib";
    const auto result = uninstall ? lmvpci::Uninstall(folder) : lmvpci::Install(folder);
    if (!result.ok)
        return kTool.Failure(result.error +
                             " (choose a writable BIT_FOLDER, or WINPORT_REGISTRY_DIR)");
    Report(uninstall ? "removed" : "wrote", result);
    return zrtool::kExitOk;
}
