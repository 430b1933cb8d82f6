// Registry settings kept by the camera dialog module of the current board.
#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "lmvntcam.h"

using namespace lmv;

namespace {

using ReadRegistryFn = int (*)(int*, int*);
using NoArgumentFn = int (*)();

template <typename Fn>
Fn EntryPoint(const winport::Module* module, const char* name) {
    return module ? reinterpret_cast<Fn>(module->Symbol(name)) : nullptr;
}

}  // namespace

extern "C" {

LMV_API int _READ_REGISTRY_VALUES(void) {
    const auto module = DialogModule(Library().currentBoard.load());
    auto read = EntryPoint<ReadRegistryFn>(module.get(), "READ_REGISTRY");
    auto create = EntryPoint<NoArgumentFn>(module.get(), "CREATE_REGISTRY");
    if (!read || !create) return kFunctionMissing;
    int first = 0, second = 0;
    if (read(&first, &second) == 0) return first;
    const int created = create();
    if (created != 0) return created;
    first = second = 0;
    return read(&first, &second);
}

LMV_API int _WRITE_REGISTRY_VALUES(void) {
    const auto module = DialogModule(Library().currentBoard.load());
    auto write = EntryPoint<NoArgumentFn>(module.get(), "WRITE_REGISTRY");
    return write ? write() : kFunctionMissing;
}

}  // extern "C"
