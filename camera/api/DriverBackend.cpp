#include "camera/api/DriverBackend.h"

#include <cstdlib>
#include <memory>
#include <mutex>

#include "winport/Module.h"

namespace lmv {
namespace {

struct backend_state {
    std::mutex mutex;
    const lmv_driver_seam* seam = nullptr;
    std::unique_ptr<winport::Module> module;
    std::string error;
};

// Made before the library's load object (see Library.cpp), so it outlives its unload.
backend_state& shared_state() {
    static backend_state state;
    return state;
}

void load_module(backend_state& s) {
    const char* chosen = std::getenv(kDriverVariable);
    auto module = std::make_unique<winport::Module>(
        chosen && *chosen ? winport::Module::Load(chosen)
                          : winport::Module::Load(kDefaultBackendModule,
                                                  reinterpret_cast<const void*>(&load_module)));
    if (!module->IsLoaded()) {
        s.error = "cannot load driver backend: " + module->LastError();
        return;
    }
    auto entry = reinterpret_cast<lmv_driver_backend_fn>(module->Symbol(kBackendEntryPoint));
    const lmv_driver_seam* seam = entry ? entry() : nullptr;
    if (!seam || seam->version != LMV_SEAM_VERSION || !seam->open || !seam->ioctl || !seam->read ||
        !seam->cancel || !seam->close) {
        s.error = module->Path() + " is no driver backend of this version";
        return;
    }
    s.seam = seam;
    s.module = std::move(module);
    s.error.clear();
}

}  // namespace

const lmv_driver_seam* driver_backend(std::string* error) {
    backend_state& s = shared_state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.seam) load_module(s);
    if (!s.seam && error) *error = s.error;
    return s.seam;
}

void use_driver_backend(const lmv_driver_seam* seam) {
    backend_state& s = shared_state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.module.reset();
    s.seam = seam;
}

void release_driver_backend() {
    backend_state& s = shared_state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.seam = nullptr;
    s.module.reset();
}

}  // namespace lmv
