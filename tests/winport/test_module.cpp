// A loadable module for the module-loading tests.
extern "C" __attribute__((visibility("default"))) int test_module_answer() {
    return 42;
}
