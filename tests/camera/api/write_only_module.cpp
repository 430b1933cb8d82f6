// A stand-in camera dialog module that lacks the reading entry points.
extern "C" __attribute__((visibility("default"))) int WRITE_REGISTRY(void) {
    return 9;
}
