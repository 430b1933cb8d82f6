#include "motion/stages/InstalledStageData.h"

#include <filesystem>
#include <system_error>

#include "winport/Process.h"

#ifndef ZR_STAGE_DATA_FROM_LIBDIR
#define ZR_STAGE_DATA_FROM_LIBDIR "../share/zr-corvane-tal/stages"
#endif

std::string InstalledStageFile(const std::string& name) {
    namespace fs = std::filesystem;
    const std::string base = fs::path(name).filename().string();
    if (base.empty()) return {};
    const std::string libraryDir =
        winport::ModuleDirOf(reinterpret_cast<const void*>(&InstalledStageFile));
    if (libraryDir.empty()) return {};
    const fs::path candidate = fs::path(libraryDir) / ZR_STAGE_DATA_FROM_LIBDIR / base;
    std::error_code ec;
    return fs::is_regular_file(candidate, ec) ? candidate.lexically_normal().string()
                                              : std::string();
}
