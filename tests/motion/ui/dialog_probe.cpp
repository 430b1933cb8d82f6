// Loads libZR_Corvane_TAL.so by path as an application does and asks for the setup dialog once;
// prints "id N". The process ends with the library loaded (see motion_api_load_probe).
// usage: motion_ui_dialog_probe LIBRARY KEY
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LIBRARY KEY\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "dialog_probe: %s\n", dlerror());
        return 2;
    }
    using SetupFn = int (*)(const char*);
    using ConnectedFn = int (*)(int);
    auto setup = reinterpret_cast<SetupFn>(dlsym(library, "Corvane_InterfaceSetupDlg"));
    auto connected = reinterpret_cast<ConnectedFn>(dlsym(library, "Corvane_IsConnected"));
    if (!setup || !connected) return 3;
    const int id = setup(argv[2]);
    std::printf("id %d connected0 %d\n", id, connected(0));
    return 0;
}
