#pragma once
// Result codes of the camera library's exported functions.

namespace lmv {

enum result_code : int {
    kOk = 0,
    kNotInitialised = -1,
    kTimeout = -2,
    kWrongParameter = -3,
    kCannotOpenDriver = -4,
    kDeviceBufferError = -5,
    kBitFileNotFound = -6,
    kTypeNotSupported = -8,
    kDriverNotOpen = -9,
    kDeviceBusy = -11,
    kTransferIncomplete = -12,
    kFunctionMissing = -13,
    kCameraBusy = -20,
    kCocTooLong = -21,
    kTemperatureRange = -22,
    kNoMemory = -23,
    kReadInProgress = -24,
    kNoResource = -27,
    kRecorderOwnsBoard = -28,
    kLogFileError = -29,
    kRegistryMissing = -30,
    kDialogError = -31,
    kMemoryTestFailed = -34,
    kCcdNotOnBoard = -35,
    kBufferNotEmptied = -333,
    kNoPicture = 100,
    kNoCameraAnswer = 120,
};

}  // namespace lmv
