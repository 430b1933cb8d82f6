#pragma once
// Temporary folders, whole-file helpers and stage records for the stage file tests.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "motion/stages/StageParameterSet.h"

namespace stage_test {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "stages.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    // Names of everything in the folder (to spot left-over temporary files).
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }

  private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string Fixture(const std::string& name) {
    return std::string(ZR_SOURCE_DIR) + "/tests/motion/stages/fixtures/" + name;
}

// A parameter set with a name, a controller type and a few distinct values.
inline StageParameterSet MakeSet(const std::string& name, const std::string& type = "CORVANE",
                                 int32_t motType = 0) {
    StageParameterSet set;
    set.SetStageName(name);
    set.SetControllerType(type);
    set.Set(StageFields::kMotType, motType);
    set.Set(StageFields::kMotFactor, 1.0);
    set.Set(StageFields::kMotCpuZ, int64_t{4000});
    set.Set(StageFields::kMotCpuN, int64_t{1});
    set.Set(StageFields::kMotInvert, 1);
    set.Set(StageFields::kMotMaxTravel, 25.5);
    // A byte that belongs to another controller family must survive unchanged.
    set.SetAt<uint32_t>(0x400, 0xA5A5A5A5u + static_cast<uint32_t>(name.size()));
    return set;
}

// Limits the size of files this process may write, as a full disk would; SIGXFSZ is ignored
// meanwhile so the write fails with EFBIG instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

// Points the registry store at an empty folder, so no installation folder redirects the files.
class EmptyRegistry : public ::testing::Environment {
  public:
    void SetUp() override { ::setenv("WINPORT_REGISTRY_DIR", folder_.path().c_str(), 1); }

  private:
    TempFolder folder_;
};

}  // namespace stage_test
