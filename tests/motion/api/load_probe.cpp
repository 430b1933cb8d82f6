// Loads libZR_Corvane_TAL.so by path as an application does, connects to the given ports, and
// ends with the connections still open: the library is unloaded as the process ends. (An explicit
// dlclose unloads the GUI toolkit's libraries too, whose start-up allocations the leak checker then
// reports as lost.)
// usage: motion_api_load_probe LIBRARY [COM_A COM_B]
//   with two ports: connect A, connect B, close the first, connect A again; prints "ids a b c"
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

template <typename F>
F Resolve(void* library, const char* name) {
    F function = reinterpret_cast<F>(dlsym(library, name));
    if (!function) {
        std::fprintf(stderr, "load_probe: %s not exported\n", name);
        std::exit(3);
    }
    return function;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s LIBRARY [COM_A COM_B]\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "load_probe: %s\n", dlerror());
        return 2;
    }
    std::printf("loaded\n");
    if (argc == 4) {
        auto setMax = Resolve<int (*)(int)>(library, "Corvane_SetMaxNrOfControllers");
        auto connect = Resolve<int (*)(int, int)>(library, "Corvane_ConnectRS232");
        auto close = Resolve<void (*)(int)>(library, "Corvane_CloseConnection");
        const int comA = std::atoi(argv[2]), comB = std::atoi(argv[3]);
        setMax(1);
        const int a = connect(comA, 57600);
        const int b = connect(comB, 57600);
        close(a);
        const int c = connect(comA, 57600);
        std::printf("ids %d %d %d\n", a, b, c);
    }
    std::printf("ending\n");
    return 0;
}
