#pragma once
// Every registry test runs against its own scratch folder, never the user's settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        dir = std::filesystem::temp_directory_path() /
              ("winport_registry_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const char* old = std::getenv("WINPORT_REGISTRY_DIR");
        hadOld = old != nullptr;
        if (old) oldValue = old;
        setenv("WINPORT_REGISTRY_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld)
            setenv("WINPORT_REGISTRY_DIR", oldValue.c_str(), 1);
        else
            unsetenv("WINPORT_REGISTRY_DIR");
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path Hkcu() const { return dir / "HKCU.reg"; }
    std::filesystem::path Hklm() const { return dir / "HKLM.reg"; }

    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path dir;
    bool hadOld = false;
    std::string oldValue;
};
