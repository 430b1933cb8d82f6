#include "camera/image/BwSetup.h"

#include <atomic>

#include "camera/api/DriverChannel.h"
#include "camera/api/ResultCodes.h"
#include "camera/image/BwSettings.h"
#include "camera/image/OutputLut.h"
#include "winport/Registry.h"

namespace lmv {
namespace {

std::atomic<int> lut_maximum{kLutMaxLimit + 1};

int apply(int board, const bw_parameters& p) {
    bw_store_parameters(p);
    uint8_t table[kLutEntries];
    bw_working_table(table);
    bw_store_table(table);
    return driver::is_open(board) ? driver::load_lut(board, table) : kOk;
}

}  // namespace

int bw_build_default(int board) {
    return apply(board, bw_parameters{});
}

int bw_restore(int board) {
    bw_settings s;
    int rc = bw_registry_read(board, nullptr, s);
    if (rc == kRegistryMissing &&
        winport::RegistryKey::Create(winport::Hive::CurrentUser, bw_registry_key(board)))
        rc = bw_registry_read(board, nullptr, s);
    if (rc != kOk) return rc;
    return apply(board, s.lut);
}

void bw_set_lut_maximum(int maximum) {
    lut_maximum = maximum;
}

int bw_lut_maximum() {
    return lut_maximum.load();
}

}  // namespace lmv
