#include "camera/image/BwSettings.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/LutRegistry.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

constexpr const char* kUpdateCommand = "Update_Comand_BW";
constexpr const char* kMin = "LutBW min";
constexpr const char* kMax = "LutBW max";
constexpr const char* kLinRead = "LutBW lin";
constexpr const char* kLinWrite = "LutBw lin";  // same value: names are case-insensitive
constexpr const char* kXpos = "LutBW xpos";
constexpr const char* kYpos = "LutBW ypos";

struct bw_state {
    std::mutex mutex;
    bw_parameters params;
    uint8_t table[kLutEntries];
    bw_state() { lut_build(params.min, params.max, params.lin, table); }
};

bw_state& state() {
    static bw_state s;
    return s;
}

std::atomic<bw_dialog_observer> dialog_observer{nullptr};

}  // namespace

std::string bw_registry_key(int board) {
    if (board == 0) return "Software\\RVD\\Camera Settings\\LUT";
    char key[64];
    std::snprintf(key, sizeof key, "Software\\RVD\\Camera Settings %d\\LUT", board);
    return key;
}

int bw_registry_read(int board, const bw_dialog_geometry* geometry, bw_settings& out) {
    auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, bw_registry_key(board));
    if (!key) return kRegistryMissing;
    const auto update = key->ReadDword(kUpdateCommand);
    out.update_command = update ? *update : kBwDefaultUpdateCommand;
    bw_parameters& p = out.lut;
    p.min = lut_registry_read_repaired(*key, kMin, kBwDefaultMin,
                                       [](int v) { return v >= 0 && v <= kLutMinLimit; });
    p.max = lut_registry_read_repaired(
        *key, kMax, kBwDefaultMax, [&](int v) { return v > 0 && v <= kLutMaxLimit && v > p.min; });
    p.lin = lut_registry_read_repaired(*key, kLinRead, kBwLinear,
                                       [](int v) { return v == kBwLinear || v == kBwGamma; });
    if (geometry) lut_registry_read_position(*key, kXpos, kYpos, *geometry, out.xpos, out.ypos);
    return kOk;
}

int bw_registry_write(int board, const bw_parameters& p, const int* xpos, const int* ypos) {
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, bw_registry_key(board));
    if (!key) return kRegistryMissing;
    bool ok = key->WriteDword(kMin, static_cast<uint32_t>(p.min)) == winport::RegStatus::Ok;
    ok &= key->WriteDword(kMax, static_cast<uint32_t>(p.max)) == winport::RegStatus::Ok;
    ok &= key->WriteDword(kLinWrite, static_cast<uint32_t>(p.lin)) == winport::RegStatus::Ok;
    if (xpos) ok &= key->WriteDword(kXpos, static_cast<uint32_t>(*xpos)) == winport::RegStatus::Ok;
    if (ypos) ok &= key->WriteDword(kYpos, static_cast<uint32_t>(*ypos)) == winport::RegStatus::Ok;
    return ok ? kOk : kRegistryMissing;
}

bw_parameters bw_current() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().params;
}

void bw_working_table(uint8_t table[kLutEntries]) {
    std::lock_guard<std::mutex> lock(state().mutex);
    std::memcpy(table, state().table, kLutEntries);
}

void bw_set_dialog_observer(bw_dialog_observer observer) {
    dialog_observer = observer;
}

void bw_store_parameters(const bw_parameters& p) {
    const lut_range r = lut_clamp(p.min, p.max);
    std::lock_guard<std::mutex> lock(state().mutex);
    state().params = bw_parameters{r.min, r.max, p.lin ? kBwGamma : kBwLinear};
    lut_build(r.min, r.max, p.lin, state().table);
}

int bw_set_dialog(int min, int max, int lin) {
    if (min < 0 || min > kLutMinLimit || max < 1 || max > kLutMaxLimit || min >= max ||
        (lin != kBwLinear && lin != kBwGamma))
        return kWrongParameter;
    const bw_parameters p{min, max, lin};
    uint8_t table[kLutEntries];
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().params = p;
        lut_build(min, max, lin, state().table);
        std::memcpy(table, state().table, sizeof table);
    }
    const bw_dialog_observer observer = dialog_observer.load();
    if (observer && observer(p, table)) return kOk;
    load_output_lut(table);
    bw_registry_write(library().currentBoard.load(), p);
    return kOk;
}

int bw_get_dialog(int* min, int* max, int* lin) {
    const bw_parameters p = bw_current();
    if (min) *min = p.min;
    if (max) *max = p.max;
    if (lin) *lin = p.lin;
    return kOk;
}

}  // namespace lmv
