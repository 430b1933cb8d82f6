// A stand-in camera dialog module with the registry entry points, scripted by the test.
extern "C" {

namespace {
int readResults[2] = {0, 0};
int readValue = 0;
int createResult = 0;
int writeResult = 0;
int readCalls = 0;
int createCalls = 0;
}  // namespace

__attribute__((visibility("default"))) void TEST_SCRIPT(int firstRead, int secondRead, int value,
                                                        int create, int write) {
    readResults[0] = firstRead;
    readResults[1] = secondRead;
    readValue = value;
    createResult = create;
    writeResult = write;
    readCalls = createCalls = 0;
}

__attribute__((visibility("default"))) int TEST_CALLS(void) {
    return readCalls * 10 + createCalls;
}

__attribute__((visibility("default"))) int READ_REGISTRY(int* first, int* second) {
    if (!first || !second || *first != 0 || *second != 0) return -99;  // must come zeroed
    *first = readValue;
    *second = 1;
    return readResults[readCalls++ > 0 ? 1 : 0];
}

__attribute__((visibility("default"))) int CREATE_REGISTRY(void) {
    ++createCalls;
    return createResult;
}

__attribute__((visibility("default"))) int WRITE_REGISTRY(void) {
    return writeResult;
}
}
