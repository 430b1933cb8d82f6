#include "camera/image/ColourSettings.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/LutRegistry.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

constexpr const char* kUpdateCommand = "Update_Comand_Color";
constexpr const char* kLin = "LutCOLOR lin";
constexpr const char* kBg39 = "LutBG39 installed";
constexpr const char* kXpos = "LutCOLOR xpos";
constexpr const char* kYpos = "LutCOLOR ypos";

// One channel's registry names and its place in the parameters.
struct channel_values {
    const char* min_name;
    const char* max_name;
    int colour_parameters::*min;
    int colour_parameters::*max;
};

constexpr channel_values kChannels[kColourChannels] = {
    {"LutRED min", "LutRED max", &colour_parameters::red_min, &colour_parameters::red_max},
    {"LutGREEN min", "LutGREEN max", &colour_parameters::green_min, &colour_parameters::green_max},
    {"LutBLUE min", "LutBLUE max", &colour_parameters::blue_min, &colour_parameters::blue_max},
};

struct colour_state {
    std::mutex mutex;
    colour_parameters params;
    int bg39 = kBg39NotInstalled;
    uint8_t tables[kColourChannels][kLutEntries];
    colour_state() { build(); }
    void build() {
        for (int c = 0; c < kColourChannels; ++c)
            (void)lut_build(params.*kChannels[c].min, params.*kChannels[c].max, params.lin,
                            tables[c]);
    }
};

colour_state& state() {
    static colour_state s;
    return s;
}

std::atomic<colour_dialog_observer> dialog_observer{nullptr};

bool is_flag(int v) {
    return v == 0 || v == 1;
}

bool valid_range(int min, int max) {
    return min >= 0 && min <= kLutMinLimit && max >= 1 && max <= kLutMaxLimit && min < max;
}

bool valid(const colour_parameters& p) {
    for (const auto& c : kChannels)
        if (!valid_range(p.*c.min, p.*c.max)) return false;
    return is_flag(p.lin);
}

void read_channel(winport::RegistryKey& key, const channel_values& c, colour_parameters& p) {
    p.*c.min = lut_registry_read_repaired(key, c.min_name, kBwDefaultMin,
                                          [](int v) { return v >= 0 && v <= kLutMinLimit; });
    const int min = p.*c.min;
    p.*c.max = lut_registry_read_repaired(key, c.max_name, kBwDefaultMax,
                                          [&](int v) { return v > min && v <= kLutMaxLimit; });
}

// Stores the parameters and builds the working tables; copies of the tables go to `out`.
void store(const colour_parameters& p, uint8_t out[kColourChannels][kLutEntries]) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().params = p;
    state().build();
    std::memcpy(out, state().tables, sizeof state().tables);
}

void apply(const colour_parameters& p) {
    uint8_t tables[kColourChannels][kLutEntries];
    store(p, tables);
    (void)colour_load_tables(tables[kRed], tables[kGreen], tables[kBlue]);
}

}  // namespace

int colour_registry_read(int board, const bw_dialog_geometry* geometry, colour_settings& out) {
    auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, bw_registry_key(board));
    if (!key) return kRegistryMissing;
    const int default_update = static_cast<int>(kColourDefaultUpdateCommand);
    out.update_command = static_cast<uint32_t>(
        lut_registry_read_repaired(*key, kUpdateCommand, default_update, [](int) { return true; }));
    for (const auto& c : kChannels) read_channel(*key, c, out.lut);
    out.lut.lin = lut_registry_read_repaired(*key, kLin, kBwLinear, is_flag);
    out.bg39_installed = lut_registry_read_repaired(*key, kBg39, kBg39NotInstalled, is_flag);
    if (geometry) lut_registry_read_position(*key, kXpos, kYpos, *geometry, out.xpos, out.ypos);
    return kOk;
}

int colour_registry_write(int board, const colour_parameters& p, int bg39_installed,
                          const int* xpos, const int* ypos) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, bw_registry_key(board));
    if (!key) return kRegistryMissing;
    bool ok = true;
    auto write = [&](const char* name, int v) {
        ok &= key->WriteDword(name, static_cast<uint32_t>(v)) == winport::RegStatus::Ok;
    };
    for (const auto& c : kChannels) write(c.min_name, p.*c.min);
    for (const auto& c : kChannels) write(c.max_name, p.*c.max);
    write(kLin, p.lin);
    write(kBg39, bg39_installed);
    if (xpos) write(kXpos, *xpos);
    if (ypos) write(kYpos, *ypos);
    return ok ? kOk : kRegistryMissing;
}

colour_parameters colour_current() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().params;
}

int colour_bg39_installed() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().bg39;
}

void colour_working_tables(uint8_t red[kLutEntries], uint8_t green[kLutEntries],
                           uint8_t blue[kLutEntries]) {
    std::lock_guard<std::mutex> lock(state().mutex);
    std::memcpy(red, state().tables[kRed], kLutEntries);
    std::memcpy(green, state().tables[kGreen], kLutEntries);
    std::memcpy(blue, state().tables[kBlue], kLutEntries);
}

void colour_set_dialog_observer(colour_dialog_observer observer) {
    dialog_observer = observer;
}

int colour_set_dialog(const colour_parameters& p) {
    if (!valid(p)) return kWrongParameter;
    uint8_t tables[kColourChannels][kLutEntries];
    store(p, tables);
    const colour_dialog_observer observer = dialog_observer.load();
    if (observer && observer(p, tables[kRed], tables[kGreen], tables[kBlue])) return kOk;
    (void)colour_load_tables(tables[kRed], tables[kGreen], tables[kBlue]);
    (void)colour_registry_write(library().currentBoard.load(), p, colour_bg39_installed());
    return kOk;
}

int colour_get_dialog(int* red_min, int* red_max, int* green_min, int* green_max, int* blue_min,
                      int* blue_max, int* lin) {
    const colour_parameters p = colour_current();
    int* const out[] = {red_min, red_max, green_min, green_max, blue_min, blue_max, lin};
    const int values[] = {p.red_min,  p.red_max,  p.green_min, p.green_max,
                          p.blue_min, p.blue_max, p.lin};
    for (size_t i = 0; i < sizeof values / sizeof values[0]; ++i)
        if (out[i]) *out[i] = values[i];
    return kOk;
}

void colour_store_parameters(const colour_parameters& p, int bg39_installed, uint8_t* red,
                             uint8_t* green, uint8_t* blue) {
    colour_parameters clamped = p;
    for (const auto& c : kChannels) {
        const lut_range r = lut_clamp(p.*c.min, p.*c.max);
        clamped.*c.min = r.min;
        clamped.*c.max = r.max;
    }
    clamped.lin = p.lin ? kBwGamma : kBwLinear;
    uint8_t tables[kColourChannels][kLutEntries];
    store(clamped, tables);
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().bg39 = bg39_installed ? kBg39Installed : kBg39NotInstalled;
    }
    uint8_t* const out[kColourChannels] = {red, green, blue};
    for (int c = 0; c < kColourChannels; ++c)
        if (out[c]) std::memcpy(out[c], tables[c], kLutEntries);
}

void colour_build_default() {
    apply(colour_parameters{});
    pseudo_colour_load_grey_ramp();
}

int colour_restore(int board) {
    colour_settings s;
    int rc = colour_registry_read(board, nullptr, s);
    if (rc == kRegistryMissing &&
        winport::RegistryKey::Create(winport::Hive::CurrentUser, bw_registry_key(board)))
        rc = colour_registry_read(board, nullptr, s);
    if (rc != kOk) return rc;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().bg39 = s.bg39_installed;
    }
    apply(s.lut);
    return kOk;
}

}  // namespace lmv
