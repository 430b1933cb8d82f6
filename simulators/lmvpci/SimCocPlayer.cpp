#include "simulators/lmvpci/SimCocPlayer.h"

#include <atomic>
#include <vector>

namespace lmvpci {
namespace {

constexpr uint16_t kClassMask = 0x0F00;
constexpr uint16_t kEndClass = 0x0F00;
constexpr uint16_t kFirstLineWord = 192;
constexpr uint16_t kLastLineWord = 206;
constexpr uint16_t kMarkedOffset = 16;  // a readout word that also starts an exposure
constexpr uint16_t kWait = 193;
constexpr uint16_t kRead = 201;
constexpr uint16_t kPowerDownWait = 199;
constexpr uint16_t kWaitBlock = 449;
constexpr uint16_t kPowerDownWaitBlock = 455;
constexpr uint16_t kBoundary = 209;
constexpr uint16_t kExposureEnd = 207;
constexpr uint16_t kTransferStart = 204;
constexpr uint16_t kFirstStartWord = 576;
constexpr uint16_t kLastStartWord = 591;
constexpr uint16_t kFirstArmClass = 0x0800;
constexpr uint16_t kAoiStartCommand = 12;
constexpr uint16_t kAoiEndCommand = 13;
constexpr double kBlockSlots = 1024;
constexpr double kArmSlots = 3;
// Exposure block of the header programs: 657, two nibbles, flag, 658, two nibbles, flag.
constexpr uint16_t kExposureLow = 657;
constexpr uint16_t kExposureHigh = 658;
constexpr uint16_t kNibbleBase = 672;

// Fine-time programs of the fast-shutter cameras: from 753 or 754 up to 204, 204, each word
// standing for 200 ns of delay or exposure (or 100 ns of each), or a 20-us block.
constexpr uint16_t kExposureProgram = 753;
constexpr uint16_t kGatedProgram = 754;
struct FineWord {
    uint16_t word;
    double exposureNs;
    double delayNs;
};
constexpr FineWord kFineWords[] = {
    {763, 0, 200},    {767, 0, 200},    {758, 0, 200},    {759, 0, 200},
    {1019, 0, 20000}, {1014, 0, 20000}, {766, 100, 100},  {762, 100, 100},
    {764, 100, 100},  {761, 200, 0},    {765, 200, 0},    {757, 200, 0},
    {756, 200, 0},    {1017, 20000, 0}, {1012, 20000, 0}, {1021, 20000, 0},
};

std::atomic<bool> tablePlayer{false};

struct Sensor {
    int ccdTyp;  // the colour variant is ccdTyp + 1
    uint32_t width;
    uint32_t height;
};
constexpr Sensor kSensors[] = {
    {1, 640, 480},    {3, 1280, 1024},  {5, 1312, 1032},  {9, 1280, 1024},  {10, 1280, 1024},
    {11, 1280, 1024}, {17, 1376, 1040}, {19, 1376, 1040}, {21, 1376, 1040},
};

struct LineWord {
    uint16_t word;
    uint8_t rows;
    bool reads;
};
constexpr LineWord kLineWords[] = {
    {192, 0, false}, {193, 1, false}, {194, 2, false},  {195, 0, false},
    {196, 4, false}, {197, 8, false}, {198, 16, false}, {200, 0, true},
    {201, 1, true},  {202, 2, true},  {203, 3, true},   {206, 2, false},
};

const LineWord* LineWordOf(uint16_t w) {
    if (w >= kFirstLineWord + kMarkedOffset && w <= kLastLineWord + kMarkedOffset &&
        w != kExposureEnd + kMarkedOffset)
        w = static_cast<uint16_t>(w - kMarkedOffset);
    for (const auto& l : kLineWords)
        if (l.word == w) return &l;
    return nullptr;
}

bool IsStartWord(uint16_t w) {
    return w >= kFirstStartWord && w <= kLastStartWord;
}

// Waiting time of a word in line times (0 for words that take none).
double WaitSlots(uint16_t w) {
    if (w == kWait || w == kPowerDownWait) return 1;
    if (w == kWaitBlock || w == kPowerDownWaitBlock) return kBlockSlots;
    return 0;
}

double WaitSlots(const uint16_t* words, size_t from, size_t to) {
    double slots = 0;
    for (size_t i = from; i < to; ++i) slots += WaitSlots(words[i]);
    return slots;
}

struct Group {
    uint32_t rows;
    uint16_t readWord;
    size_t at;  // index of the read word
};

struct Section {
    size_t readoutFrom = 0;  // first word after the exposure
    double exposureUs = 0;
    double delayUs = 0;
};

// Programs without an exposure end start the exposure with the start words and read out after
// the waits that follow them.
std::optional<Section> ExposureFromStart(const uint16_t* w, size_t end, double T) {
    std::optional<size_t> start;
    for (size_t i = 0; i < end && !(LineWordOf(w[i]) && LineWordOf(w[i])->reads); ++i)
        if (IsStartWord(w[i])) start = i;
    if (!start) return std::nullopt;
    size_t j = *start + 1;
    while (j < end && WaitSlots(w[j]) > 0) ++j;
    Section s;
    s.exposureUs = WaitSlots(w, *start + 1, j) * T;
    s.readoutFrom = j;
    return s;
}

std::optional<Section> FineProgram(const uint16_t* w, size_t end) {
    size_t i = 0;
    while (i < end && w[i] != kExposureProgram && w[i] != kGatedProgram) ++i;
    if (i == end) return std::nullopt;
    Section s;
    for (++i; i + 1 < end; ++i) {
        if (w[i] == kTransferStart && w[i + 1] == kTransferStart) {
            s.readoutFrom = i + 2;
            return s;
        }
        for (const FineWord& f : kFineWords) {
            if (f.word != w[i]) continue;
            s.exposureUs += f.exposureNs / 1000.0;
            s.delayUs += f.delayNs / 1000.0;
        }
    }
    return std::nullopt;
}

// The exposure ends with 207; programs without one start it with the start words, or, as the
// header programs, start their transfer with 204 and carry the exposure (ms) as four nibbles.
std::optional<Section> FindExposure(const uint16_t* w, size_t end, double T) {
    if (const std::optional<Section> fine = FineProgram(w, end)) return fine;
    Section s;
    size_t e = end;
    for (size_t i = 0; i < end; ++i)
        if (w[i] == kExposureEnd) {
            e = i;
            break;
        }
    if (e < end) {
        std::optional<size_t> last, first;
        for (size_t i = 0; i < e; ++i)
            if (w[i] == kBoundary) {
                if (!first) first = i;
                last = i;
            }
        const size_t from = last ? *last + 1 : 0;
        s.exposureUs = WaitSlots(w, from, e) * T;
        if (first && *first != *last) s.delayUs = WaitSlots(w, *first + 1, *last) * T;
        s.readoutFrom = e + 1;
        return s;
    }
    if (const std::optional<Section> started = ExposureFromStart(w, end, T)) return started;
    for (size_t i = 0; i + 7 < end; ++i) {
        if (w[i] != kExposureLow || w[i + 4] != kExposureHigh) continue;
        const uint32_t nibbles[4] = {w[i + 1], w[i + 2], w[i + 5], w[i + 6]};
        uint32_t value = 0;
        for (int n = 3; n >= 0; --n) value = (value << 4) | ((nibbles[n] - kNibbleBase) & 0xF);
        s.exposureUs = value * 1000.0;
        break;
    }
    for (size_t i = 0; i < end; ++i)
        if (w[i] == kTransferStart) s.readoutFrom = i + 1;
    if (s.readoutFrom == 0) return std::nullopt;
    return s;
}

// Read lines up to the next exposure end; words of the arm and mark classes are skipped.
std::vector<Group> ReadGroups(const uint16_t* w, size_t from, size_t end) {
    std::vector<Group> groups;
    uint32_t rows = 0;
    for (size_t i = from; i < end && w[i] != kExposureEnd; ++i) {
        const LineWord* l = LineWordOf(w[i]);
        if (!l) continue;
        rows += l->rows;
        if (!l->reads) continue;
        groups.push_back(Group{rows, l->word, i});
        rows = 0;
    }
    return groups;
}

// The flush after the read lines begins with one or two single-row reads followed by as many
// single waits (201, 201, 193, 193 or 201, 193); they clear rows, they are no part of the picture.
void DropFlushReads(std::vector<Group>& groups, const uint16_t* w, size_t end) {
    if (groups.empty()) return;
    size_t waits = 0;
    for (size_t i = groups.back().at + 1; i < end && waits < 2; ++i) {
        const LineWord* l = LineWordOf(w[i]);
        if (!l || l->word != kWait) break;
        ++waits;
    }
    while (waits-- > 0 && groups.size() > 1 && groups.back().rows == 1 &&
           groups.back().readWord == kRead)
        groups.pop_back();
}

uint32_t HbinBefore(const uint16_t* w, size_t to) {
    uint32_t hbin = 1;
    for (size_t i = 0; i < to; ++i)
        if (IsStartWord(w[i])) hbin = 1u << (((w[i] - kFirstStartWord) >> 1) & 3);
    return hbin;
}

double ReadoutUs(const uint16_t* w, size_t from, size_t end, double T) {
    double slots = 0;
    bool armed = false;
    for (size_t i = from; i < end; ++i) {
        if (LineWordOf(w[i]) || w[i] == kExposureEnd) slots += 1;
        slots += w[i] == kWaitBlock || w[i] == kPowerDownWaitBlock ? kBlockSlots : 0;
        armed = armed || (w[i] & kClassMask) >= kFirstArmClass;
    }
    return (slots + (armed ? kArmSlots : 0)) * T;
}

// Columns from the area-of-interest words; the whole row when they are missing or do not fit.
void Columns(const CocCamera& camera, uint32_t& xmin, uint32_t& xmax) {
    xmin = 0;
    xmax = camera.ccdWidth;
    if (!camera.aoiStart || !camera.aoiEnd) return;
    const uint32_t offset = CocAoiOffset(camera.ccdTyp);
    const uint32_t start = *camera.aoiStart, stop = *camera.aoiEnd;
    if (start < offset + kAoiStartCommand || stop < offset + kAoiEndCommand) return;
    const uint32_t a = start - offset - kAoiStartCommand, b = stop - offset - kAoiEndCommand;
    if (a < b && b <= camera.ccdWidth) {
        xmin = a;
        xmax = b;
    }
}

}  // namespace

double CocLineTimeUs(int ccdTyp) {
    if (ccdTyp >= 3 && ccdTyp <= 12) return 117.28;
    if (ccdTyp >= 17 && ccdTyp <= 22) return 95.5;
    return 63.52;
}

uint32_t CocAoiOffset(int ccdTyp) {
    if ((ccdTyp >= 3 && ccdTyp <= 4) || (ccdTyp >= 9 && ccdTyp <= 12)) return 160;
    if (ccdTyp >= 17 && ccdTyp <= 22) return 96;
    return 128;
}

CocCamera CocCameraFor(int ccdTyp) {
    CocCamera c;
    c.ccdTyp = ccdTyp;
    for (const auto& s : kSensors)
        if (s.ccdTyp == ccdTyp || s.ccdTyp + 1 == ccdTyp) {
            c.ccdWidth = s.width;
            c.ccdHeight = s.height;
            break;
        }
    return c;
}

PlayedPicture PlayCoc(const uint16_t* words, size_t count, const CocCamera& camera) {
    PlayedPicture p;
    if (!words) return p;
    size_t end = 0;
    while (end < count && (words[end] & kClassMask) != kEndClass) ++end;
    if (end == count) return p;  // a table without its end word runs off into the board memory
    const double T = CocLineTimeUs(camera.ccdTyp);
    const std::optional<Section> section = FindExposure(words, end, T);
    if (!section) return p;
    std::vector<Group> groups = ReadGroups(words, section->readoutFrom, end);
    DropFlushReads(groups, words, end);
    if (groups.empty()) return p;
    uint32_t xmax = 0;
    Columns(camera, p.xmin, xmax);
    p.hbin = HbinBefore(words, groups.front().at);
    p.vbin = groups.back().rows ? groups.back().rows : 1;
    p.width = (xmax - p.xmin) / p.hbin;
    p.height = static_cast<uint32_t>(groups.size());
    p.firstRow = groups.front().rows >= p.vbin ? groups.front().rows - p.vbin : 0;
    p.exposureUs = section->exposureUs;
    p.delayUs = section->delayUs;
    p.readoutUs = ReadoutUs(words, section->readoutFrom, end, T);
    p.picture = p.width > 0;
    return p;
}

void NoteTablePlayer() {
    tablePlayer = true;
}

bool TablePlayerPresent() {
    return tablePlayer.load();
}

}  // namespace lmvpci
