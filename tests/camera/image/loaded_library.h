#pragma once
// The built liblmvntcam.so loaded by path, as an application loads it, with a registry of its own.
#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace testing_lmv {

class LoadedLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/lmv-exports-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("WINPORT_REGISTRY_DIR", dir_.c_str(), 1);
        handle_ = dlopen(ZR_BUILD_DIR "/lib/liblmvntcam.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
        ::unsetenv("WINPORT_REGISTRY_DIR");
        std::filesystem::remove_all(dir_);
    }
    template <typename Fn>
    Fn Get(const char* name) {
        auto fn = reinterpret_cast<Fn>(dlsym(handle_, name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    void* handle_ = nullptr;
    std::string dir_;
};

}  // namespace testing_lmv
