#include "camera/board/DialogModule.h"

#include <dlfcn.h>

#include <memory>
#include <mutex>

#include "camera/api/BoardTable.h"
#include "camera/api/ResultCodes.h"
#include "camera/board/CcdTraits.h"
#include "lmvntcam.h"
#include "winport/MessageBox.h"
#include "winport/Module.h"

namespace lmv {
namespace {

using init_fn = int (*)(intptr_t*);
using end_fn = int (*)(int);

ccd_dialog init_dialog(const board_record& r) {
    return ccd_traits_or_unknown(r.ccd_typ).init_dialog;
}
ccd_dialog open_dialog(const board_record& r) {
    return ccd_traits_or_unknown(r.ccd_typ).open_dialog;
}
bool ccd56(const board_record& r) {
    return init_dialog(r) == ccd_dialog::interline;
}
bool init_hsf(const board_record& r) {
    return init_dialog(r) == ccd_dialog::hsf;
}
bool init_hsl(const board_record& r) {
    return init_dialog(r) == ccd_dialog::hsl;
}
bool open_hsf(const board_record& r) {
    return open_dialog(r) == ccd_dialog::hsf;
}
bool open_hsl(const board_record& r) {
    return open_dialog(r) == ccd_dialog::hsl;
}
bool camera1(const board_record& r) {
    return r.camera_typ == 1;
}
bool camera2to4(const board_record& r) {
    return r.camera_typ >= 2 && r.camera_typ <= 4;
}
bool camera5(const board_record& r) {
    return r.camera_typ == 5;
}
bool camera2_not_ccd56(const board_record& r) {
    return r.camera_typ == 2 && !ccd56(r);
}

// The first rule of the mode that applies decides; a rule without module refuses the camera.
struct module_rule {
    int mode;
    bool (*applies)(const board_record&);
    const char* module;
};

constexpr module_rule kInitRules[] = {
    {2, ccd56, nullptr},
    {2, init_hsl, "LMV_HSL"},
    {2, init_hsf, "LMV_HSF"},
    {2, camera1, "LMV_STF"},
    {2, camera2to4, "LMV_STL"},
    {2, camera5, "LMV_GAT"},
    {3, camera2_not_ccd56, "LMV_SQGN"},
    {4, ccd56, "LMV_INL"},
    {5, camera2_not_ccd56, "LMV_FRM"},
    {6, camera2_not_ccd56, "LMV_DBL"},
    {7, camera5, "LMV_GAT"},
    {8, camera1, "LMV_SEQ"},
};

constexpr module_rule kOpenRules[] = {
    {0, open_hsf, "LMV_HSF"}, {0, open_hsl, "LMV_HSL"},   {0, camera1, "LMV_STF"},
    {0, camera5, "LMV_GAT"},  {0, camera2to4, "LMV_STL"},
};

template <size_t N>
const module_rule* first_rule(const module_rule (&rules)[N], int mode, const board_record& rec) {
    for (const auto& r : rules)
        if (r.mode == mode && r.applies(rec)) return &r;
    return nullptr;
}

struct block_store {
    std::mutex mutex;
    parameter_block blocks[kBoardSlots] = {};
};

block_store& stored_blocks() {
    static block_store store;
    return store;
}

// The library's own export by name: services of other layers appear here once they are built.
intptr_t own_export(const char* name) {
    Dl_info info{};
    void* symbol = nullptr;
    if (::dladdr(reinterpret_cast<void*>(&own_export), &info) && info.dli_fname) {
        if (void* self = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD)) {
            symbol = ::dlsym(self, name);
            ::dlclose(self);
        }
    }
    return reinterpret_cast<intptr_t>(symbol);
}

template <typename Fn>
intptr_t address_of(Fn* fn) {
    return reinterpret_cast<intptr_t>(fn);
}

}  // namespace

int select_init_module(int mode, const board_record& rec, std::string* name) {
    const module_rule* rule = first_rule(kInitRules, mode, rec);
    if (!rule) return mode == 2 ? kWrongParameter : kTypeNotSupported;
    if (!rule->module) return kTypeNotSupported;
    if (name) *name = rule->module;
    return kOk;
}

int select_open_module(const board_record& rec, std::string* name) {
    const module_rule* rule = first_rule(kOpenRules, 0, rec);
    if (!rule) return kWrongParameter;
    if (name) *name = rule->module;
    return kOk;
}

int load_dialog_module(int board, const std::string& name) {
    auto module = std::make_shared<winport::Module>(
        winport::Module::Load(name, reinterpret_cast<const void*>(&load_dialog_module)));
    if (!module->IsLoaded()) {
        winport::ShowMessageBox("", "Cannot load Library " + name + ".DLL");
        return kNoResource;
    }
    set_dialog_module(board, std::move(module));
    return kOk;
}

void release_dialog_module(int board) {
    if (!dialog_module(board)) return;
    if (auto end = dialog_entry_as<end_fn>(board, "END_DIALOG_CAM")) end(board);
    set_dialog_module(board, nullptr);  // unloaded when no other board holds it
    set_dialog_window(board, nullptr);
}

const parameter_block& fill_parameter_block(int board, const board_record& rec, int32_t init_word) {
    std::lock_guard<std::mutex> lock(stored_blocks().mutex);
    parameter_block& b = stored_blocks().blocks[board];
    b.fill(0);
    b[kWordGetImageSize] = own_export("GET_IMAGE_SIZE");
    b[kWordGetStatus] = own_export("GET_STATUS");
    b[kWordSetCoc] = own_export("SET_COC");
    b[kWordStatusDialogBw] = own_export("STATUS_DIALOG_BW");
    b[kWordStatusDialogCol] = own_export("STATUS_DIALOG_COL");
    b[kWordGetCocTime] = address_of(&GET_COCTIME);
    b[kWordGetBelTime] = address_of(&GET_BELTIME);
    b[kWordSetBoard] = own_export("SET_BOARD");  // selection reloads the COC: a session export
    b[kWordGetBoard] = address_of(&GET_BOARD);
    b[kWordAutoRange] = own_export("AUTO_RANGE");
    b[kWordExpMax] = rec.exp_max;
    b[kWordExpMin] = rec.exp_min;
    b[kWordBoard] = board;
    b[kWordDelayMax] = rec.delay_max;
    b[kWordDialogWindows] = 0;  // the dialog-window slots are handed over by no module yet
    b[kWordGainIndex] = rec.gain_index;
    b[kWordInitMode] = init_word;
    b[kWordCcdTyp] = rec.ccd_typ;
    b[kWordTestCoc] = own_export("TESTCOC");
    return b;
}

int init_dialog_module(int board, const board_record& rec, int32_t init_word) {
    auto init = dialog_entry_as<init_fn>(board, "INIT_DIALOG_CAM");
    if (!init) return kFunctionMissing;
    const parameter_block& block = fill_parameter_block(board, rec, init_word);
    return init(const_cast<intptr_t*>(block.data()));
}

void* dialog_entry(int board, const char* name) {
    const auto module = dialog_module(board);
    return module ? module->Symbol(name) : nullptr;
}

}  // namespace lmv
