#include "motion/stages/StageFileHeader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "motion/stages/ByteOrder.h"
#include "motion/stages/StageParameterSet.h"

namespace {

constexpr std::size_t kTextOffset = 14;
constexpr std::size_t kTextRoom = 2024;  // text, marker and map must fit into this

struct MarkedRange {
    uint16_t offset;
    uint16_t length;
};
constexpr MarkedRange kMarkedRanges[] = {
    {0xA7, 93}, {0x148, 8},  {0x170, 8},   {0x198, 8},   {0x1C0, 8},  {0x1E8, 8},
    {0x200, 4}, {0x238, 12}, {0x264, 8},   {0x28C, 8},   {0x2A4, 48}, {0x2DC, 8},
    {0x304, 8}, {0x320, 52}, {0x4B4, 160}, {0x684, 348},
};

std::vector<uint8_t> MakeFieldMap() {
    std::vector<uint8_t> buffer(kStageParameterSetSize, 'X');
    for (const MarkedRange& r : kMarkedRanges)
        std::fill_n(buffer.begin() + r.offset, r.length, uint8_t{0});
    return RunLengthEncode(buffer);
}

}  // namespace

std::string StageFileHeaderText(uint16_t version, const std::tm& t, int revision) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "Achsenparameter V%d.%02d %02d.%02d.%d %02d:%02d:%02d Rev: %02d ", version / 100,
                  version % 100, t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min,
                  t.tm_sec, revision);
    return text;
}

std::vector<uint8_t> RunLengthEncode(std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    if (data.empty()) return out;
    uint8_t value = data[0];
    unsigned run = 1;
    for (std::size_t i = 1; i < data.size(); ++i) {
        if (data[i] == value && run < 255) {
            ++run;
            continue;
        }
        out.push_back(value);
        out.push_back(static_cast<uint8_t>(run));
        value = data[i];
        run = 1;
    }
    out.push_back(value);
    out.push_back(static_cast<uint8_t>(run));
    return out;
}

const std::vector<uint8_t>& StageFieldMap() {
    static const std::vector<uint8_t> map = MakeFieldMap();
    return map;
}

void BuildStageFileHeader(const StageFileLayout& layout, std::span<uint8_t> header,
                          const std::tm& t, int revision) {
    if (header.size() < layout.headerBlockSize) return;
    uint8_t* p = header.data();
    std::fill_n(p, layout.headerBlockSize, uint8_t{0});
    const uint16_t fields[] = {layout.version,
                               static_cast<uint16_t>(t.tm_year + 1900),
                               static_cast<uint16_t>(t.tm_mon + 1),
                               static_cast<uint16_t>(t.tm_mday),
                               static_cast<uint16_t>(t.tm_hour),
                               static_cast<uint16_t>(t.tm_min),
                               static_cast<uint16_t>(t.tm_sec)};
    for (std::size_t i = 0; i < std::size(fields); ++i) stage_bytes::StoreLE(p + 2 * i, fields[i]);

    const std::string text = StageFileHeaderText(layout.version, t, revision);
    const std::size_t room = layout.headerBlockSize - kTextOffset - 1;
    const std::size_t textLength = std::min(text.size(), room);
    std::memcpy(p + kTextOffset, text.data(), textLength);
    if (!layout.fieldMap) return;

    const std::vector<uint8_t>& map = StageFieldMap();
    char marker[16];
    const int markerLength = std::snprintf(marker, sizeof marker, "#%04d*", int(map.size()));
    if (textLength + 1 + markerLength + 1 + map.size() > kTextRoom) return;
    uint8_t* q = p + kTextOffset + textLength + 1;
    std::memcpy(q, marker, markerLength + 1);
    std::memcpy(q + markerLength + 1, map.data(), map.size());
}

StageFileHeaderInfo ReadStageFileHeader(const StageFileLayout& layout,
                                        std::span<const uint8_t> header) {
    StageFileHeaderInfo info;
    if (header.size() < layout.recordSize) return info;
    const uint8_t* p = header.data();
    int* fields[] = {&info.version, &info.year,   &info.month, &info.day,
                     &info.hour,    &info.minute, &info.second};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = stage_bytes::LoadLE<uint16_t>(p + 2 * i);
    if (layout.revisionOffset != 0)
        info.revision = stage_bytes::LoadLE<int32_t>(p + layout.revisionOffset);
    info.writeFlag = stage_bytes::LoadLE<int32_t>(p + layout.writeFlagOffset);
    return info;
}

std::tm StageFileLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}
