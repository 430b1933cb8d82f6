// The library's services for the LUT dialog module.
#include <cstring>
#include <string>

#include "camera/api/BoardTable.h"
#include "camera/api/MessageLog.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/BwSettings.h"
#include "camera/image/ColourSettings.h"
#include "camera/image/ColourTables.h"
#include "camera/image/OutputLut.h"
#include "camera/session/LutDialogs.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

void host_log(const char* line) {
    log_message(kLogErrors, "%s\r\n", line ? line : "");
}

int host_current_board() {
    return library().currentBoard.load();
}

void host_bw_read(bw_parameters* p) {
    if (p) *p = bw_current();
}

void host_bw_store(const bw_parameters* p, uint8_t* table) {
    if (!p) return;
    bw_store_parameters(*p);
    if (table) bw_working_table(table);
}

int host_bw_registry_read(int board, const bw_dialog_geometry* g, bw_settings* out) {
    return out ? bw_registry_read(board, g, *out) : kWrongParameter;
}

int host_bw_registry_write(int board, const bw_parameters* p, const int* x, const int* y) {
    return p ? bw_registry_write(board, *p, x, y) : kWrongParameter;
}

void host_colour_read(colour_parameters* p, int* bg39) {
    if (p) *p = colour_current();
    if (bg39) *bg39 = colour_bg39_installed();
}

void host_colour_store(const colour_parameters* p, int bg39, uint8_t* red, uint8_t* green,
                       uint8_t* blue) {
    if (p) colour_store_parameters(*p, bg39, red, green, blue);
}

int host_colour_registry_read(int board, const bw_dialog_geometry* g, colour_settings* out) {
    return out ? colour_registry_read(board, g, *out) : kWrongParameter;
}

int host_colour_registry_write(int board, const colour_parameters* p, int bg39, const int* x,
                               const int* y) {
    return p ? colour_registry_write(board, *p, bg39, x, y) : kWrongParameter;
}

int host_value_read(int board, const char* name, uint32_t* value) {
    if (!name || !value) return kWrongParameter;
    auto key = winport::RegistryKey::Open(winport::Hive::CurrentUser, bw_registry_key(board));
    const auto v = key ? key->ReadDword(name) : std::nullopt;
    if (!v) return kRegistryMissing;
    *value = *v;
    return kOk;
}

int host_value_write(int board, const char* name, uint32_t value) {
    if (!name) return kWrongParameter;
    auto key = winport::RegistryKey::Create(winport::Hive::CurrentUser, bw_registry_key(board));
    if (!key || key->WriteDword(name, value) != winport::RegStatus::Ok) return kRegistryMissing;
    return kOk;
}

const lut_dialog_host kHost = {
    kLutDialogSeamVersion,
    host_log,
    host_current_board,
    host_bw_read,
    host_bw_store,
    load_output_lut,
    host_bw_registry_read,
    host_bw_registry_write,
    host_colour_read,
    host_colour_store,
    colour_load_tables,
    host_colour_registry_read,
    host_colour_registry_write,
    host_value_read,
    host_value_write,
};

}  // namespace

const lut_dialog_host* lut_dialog_host_table() {
    return &kHost;
}

}  // namespace lmv
