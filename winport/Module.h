#pragma once
// Run-time loaded modules. A Windows module name "NAME.DLL" is looked for as NAME.so and
// libNAME.so, first beside the library that asks, then on the loader path.
#include <string>
#include <vector>

namespace winport {

class Module {
  public:
    Module() = default;
    ~Module();
    Module(Module&& other) noexcept;
    Module& operator=(Module&& other) noexcept;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // `nearAddress` is any address inside the asking library; its folder is searched first.
    static Module Load(const std::string& name, const void* nearAddress = nullptr);
    // The file names tried for a module name, in order, without folders.
    static std::vector<std::string> CandidateNames(const std::string& name);

    bool IsLoaded() const { return handle_ != nullptr; }
    void* Symbol(const char* name) const;
    const std::string& Path() const { return path_; }
    const std::string& LastError() const { return error_; }
    void Unload();

  private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};

}  // namespace winport
