// Replays fuzz inputs through a target without libFuzzer: every file of the folders and files
// named on the command line, once each. A target that crashes or breaks a property aborts; a
// folder that does not exist is skipped, so empty regression folders need no placeholder.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzSupport.h"

namespace {

int Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    (void)LLVMFuzzerTestOneInput(bytes.data(), bytes.size());  // libFuzzer ignores it too
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path path(argv[k]);
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            replayed += Replay(path);
            continue;
        }
        if (!std::filesystem::is_directory(path, error)) continue;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) replayed += Replay(file);
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;  // no input at all means the seeds went missing
}
