#include "simulators/lmvpci/SimConfig.h"

#include <cstdlib>

namespace lmvpci {
namespace {

// The board's own variable first, then the plain one.
const char* Lookup(const std::string& name, int board) {
    if (board >= 0) {
        const std::string own = name + "_" + std::to_string(board);
        if (const char* v = std::getenv(own.c_str()); v && *v) return v;
    }
    const char* v = std::getenv(name.c_str());
    return v && *v ? v : nullptr;
}

std::optional<long> Number(const char* text) {
    if (!text) return std::nullopt;
    char* end = nullptr;
    long v = std::strtol(text, &end, 0);
    if (end == text || *end != '\0') return std::nullopt;
    return v;
}

template <typename T>
void Read(const char* name, int board, T& field) {
    if (auto v = Number(Lookup(name, board))) field = static_cast<T>(*v);
}

}  // namespace

int BoardCount() {
    auto v = Number(Lookup("LMVSIM_BOARDS", -1));
    if (!v) return 1;
    return *v < 0 ? 0 : (*v > 20 ? 20 : static_cast<int>(*v));
}

BoardConfig ConfigForBoard(int board) {
    BoardConfig c;
    Read("LMVSIM_BOARD_TYPE", board, c.boardType);
    Read("LMVSIM_BOARD_VERSION", board, c.boardVersion);
    Read("LMVSIM_CAMERA_TYP", board, c.cameraTyp);
    Read("LMVSIM_CCD_TYP", board, c.ccdTyp);
    Read("LMVSIM_CAMERA_ID", board, c.cameraId);
    Read("LMVSIM_CCD_TEMP", board, c.ccdTemp);
    Read("LMVSIM_ELE_TEMP", board, c.eleTemp);
    Read("LMVSIM_EXTRA_SENSOR", board, c.extraSensor);
    Read("LMVSIM_STATUS_BITS", board, c.statusBits);
    Read("LMVSIM_IMAGE_MS", board, c.imageMs);
    Read("LMVSIM_SHORT_READ", board, c.shortRead);
    if (const char* hang = Lookup("LMVSIM_HANG", board)) {
        if (std::string(hang) == "read")
            c.hangRead = true;
        else if (auto v = Number(hang))
            c.hangCode = static_cast<uint32_t>(*v);
    }
    if (auto v = Number(Lookup("LMVSIM_FAIL", board))) c.failCode = static_cast<uint32_t>(*v);
    if (auto v = Number(Lookup("LMVSIM_NO_CAMERA", board))) c.noCamera = *v != 0;
    if (auto v = Number(Lookup("LMVSIM_FRAME_NUMBER", board))) c.frameNumber = *v != 0;
    if (auto v = Number(Lookup("LMVSIM_MEMORY_FAULT", board)))
        c.memoryFault = static_cast<uint32_t>(*v);
    c.boardVersion &= 0xFF;
    return c;
}

std::string TracePath() {
    const char* v = Lookup("LMVSIM_TRACE", -1);
    return v ? v : "";
}

std::string LockDir() {
    if (const char* v = Lookup("LMVSIM_LOCK_DIR", -1)) return v;
    if (const char* v = std::getenv("XDG_RUNTIME_DIR"); v && *v) return v;
    return "/tmp";
}

}  // namespace lmvpci
