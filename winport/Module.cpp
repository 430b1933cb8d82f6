#include "winport/Module.h"

#include <dlfcn.h>

#include <cctype>
#include <utility>

#include "winport/Process.h"

namespace winport {

Module::~Module() {
    Unload();
}

Module::Module(Module&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

Module& Module::operator=(Module&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

std::vector<std::string> Module::CandidateNames(const std::string& name) {
    std::string base = name;
    auto dot = base.rfind('.');
    if (dot != std::string::npos) {
        std::string ext = base.substr(dot);
        for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".dll")
            base.resize(dot);
        else if (ext == ".so")
            return {name};
    }
    return {base + ".so", "lib" + base + ".so"};
}

Module Module::Load(const std::string& name, const void* nearAddress) {
    Module m;
    if (name.empty()) {
        m.error_ = "empty module name";
        return m;
    }
    std::vector<std::string> tries;
    if (name.find('/') != std::string::npos) {
        tries.push_back(name);
    } else {
        const auto names = CandidateNames(name);
        if (nearAddress) {
            std::string dir = ModuleDirOf(nearAddress);
            for (const auto& n : names) tries.push_back(dir + "/" + n);
        }
        tries.insert(tries.end(), names.begin(), names.end());
    }
    for (const auto& t : tries) {
        dlerror();
        if (void* h = ::dlopen(t.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            m.handle_ = h;
            m.path_ = t;
            m.error_.clear();
            return m;
        }
        const char* err = dlerror();
        m.error_ = err ? err : "cannot load " + t;
    }
    return m;
}

void* Module::Symbol(const char* name) const {
    if (!handle_ || !name) return nullptr;
    return ::dlsym(handle_, name);
}

void Module::Unload() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
    path_.clear();
}

}  // namespace winport
