// Registry settings kept by the camera dialog module of the current board.
#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

using read_registry_fn = int (*)(int*, int*);
using no_argument_fn = int (*)();

template <typename Fn>
Fn entry_point(const winport::Module* module, const char* name) {
    return module ? reinterpret_cast<Fn>(module->Symbol(name)) : nullptr;
}

}  // namespace

extern "C" {

LMV_API int _READ_REGISTRY_VALUES(void) {
    const auto module = dialog_module(library().currentBoard.load());
    auto read = entry_point<read_registry_fn>(module.get(), "READ_REGISTRY");
    auto create = entry_point<no_argument_fn>(module.get(), "CREATE_REGISTRY");
    if (!read || !create) return kFunctionMissing;
    int first = 0, second = 0;
    if (read(&first, &second) == 0) return first;
    const int created = create();
    if (created != 0) return created;
    first = second = 0;
    return read(&first, &second);
}

LMV_API int _WRITE_REGISTRY_VALUES(void) {
    const auto module = dialog_module(library().currentBoard.load());
    auto write = entry_point<no_argument_fn>(module.get(), "WRITE_REGISTRY");
    return write ? write() : kFunctionMissing;
}

}  // extern "C"
