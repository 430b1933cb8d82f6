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

using InitFn = int (*)(intptr_t*);
using EndFn = int (*)(int);

ccd_dialog InitDialog(const board_record& r) {
    return ccd_traits_or_unknown(r.ccd_typ).init_dialog;
}
ccd_dialog OpenDialog(const board_record& r) {
    return ccd_traits_or_unknown(r.ccd_typ).open_dialog;
}
bool Ccd56(const board_record& r) {
    return InitDialog(r) == ccd_dialog::interline;
}
bool InitHsf(const board_record& r) {
    return InitDialog(r) == ccd_dialog::hsf;
}
bool InitHsl(const board_record& r) {
    return InitDialog(r) == ccd_dialog::hsl;
}
bool OpenHsf(const board_record& r) {
    return OpenDialog(r) == ccd_dialog::hsf;
}
bool OpenHsl(const board_record& r) {
    return OpenDialog(r) == ccd_dialog::hsl;
}
bool Camera1(const board_record& r) {
    return r.camera_typ == 1;
}
bool Camera2to4(const board_record& r) {
    return r.camera_typ >= 2 && r.camera_typ <= 4;
}
bool Camera5(const board_record& r) {
    return r.camera_typ == 5;
}
bool Camera2NotCcd56(const board_record& r) {
    return r.camera_typ == 2 && !Ccd56(r);
}

// The first rule of the mode that applies decides; a rule without module refuses the camera.
struct module_rule {
    int mode;
    bool (*applies)(const board_record&);
    const char* module;
};

constexpr module_rule kInitRules[] = {
    {2, Ccd56, nullptr},
    {2, InitHsl, "LMV_HSL"},
    {2, InitHsf, "LMV_HSF"},
    {2, Camera1, "LMV_STF"},
    {2, Camera2to4, "LMV_STL"},
    {2, Camera5, "LMV_GAT"},
    {3, Camera2NotCcd56, "LMV_SQGN"},
    {4, Ccd56, "LMV_INL"},
    {5, Camera2NotCcd56, "LMV_FRM"},
    {6, Camera2NotCcd56, "LMV_DBL"},
    {7, Camera5, "LMV_GAT"},
    {8, Camera1, "LMV_SEQ"},
};

constexpr module_rule kOpenRules[] = {
    {0, OpenHsf, "LMV_HSF"}, {0, OpenHsl, "LMV_HSL"},    {0, Camera1, "LMV_STF"},
    {0, Camera5, "LMV_GAT"}, {0, Camera2to4, "LMV_STL"},
};

template <size_t N>
const module_rule* FirstRule(const module_rule (&rules)[N], int mode, const board_record& rec) {
    for (const auto& r : rules)
        if (r.mode == mode && r.applies(rec)) return &r;
    return nullptr;
}

struct block_store {
    std::mutex mutex;
    parameter_block blocks[kBoardSlots] = {};
};

block_store& Blocks() {
    static block_store store;
    return store;
}

// The library's own export by name: services of other layers appear here once they are built.
intptr_t OwnExport(const char* name) {
    Dl_info info{};
    void* symbol = nullptr;
    if (::dladdr(reinterpret_cast<void*>(&OwnExport), &info) && info.dli_fname) {
        if (void* self = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD)) {
            symbol = ::dlsym(self, name);
            ::dlclose(self);
        }
    }
    return reinterpret_cast<intptr_t>(symbol);
}

template <typename Fn>
intptr_t Address(Fn* fn) {
    return reinterpret_cast<intptr_t>(fn);
}

}  // namespace

int SelectInitModule(int mode, const board_record& rec, std::string* name) {
    const module_rule* rule = FirstRule(kInitRules, mode, rec);
    if (!rule) return mode == 2 ? kWrongParameter : kTypeNotSupported;
    if (!rule->module) return kTypeNotSupported;
    if (name) *name = rule->module;
    return kOk;
}

int SelectOpenModule(const board_record& rec, std::string* name) {
    const module_rule* rule = FirstRule(kOpenRules, 0, rec);
    if (!rule) return kWrongParameter;
    if (name) *name = rule->module;
    return kOk;
}

int LoadDialogModule(int board, const std::string& name) {
    auto module = std::make_shared<winport::Module>(
        winport::Module::Load(name, reinterpret_cast<const void*>(&LoadDialogModule)));
    if (!module->IsLoaded()) {
        winport::ShowMessageBox("", "Cannot load Library " + name + ".DLL");
        return kNoResource;
    }
    SetDialogModule(board, std::move(module));
    return kOk;
}

void ReleaseDialogModule(int board) {
    if (!DialogModule(board)) return;
    if (auto end = DialogEntryAs<EndFn>(board, "END_DIALOG_CAM")) end(board);
    SetDialogModule(board, nullptr);  // unloaded when no other board holds it
    SetDialogWindow(board, nullptr);
}

const parameter_block& FillParameterBlock(int board, const board_record& rec, int32_t init_word) {
    std::lock_guard<std::mutex> lock(Blocks().mutex);
    parameter_block& b = Blocks().blocks[board];
    b.fill(0);
    b[kWordGetImageSize] = OwnExport("GET_IMAGE_SIZE");
    b[kWordGetStatus] = OwnExport("GET_STATUS");
    b[kWordSetCoc] = OwnExport("SET_COC");
    b[kWordStatusDialogBw] = OwnExport("STATUS_DIALOG_BW");
    b[kWordStatusDialogCol] = OwnExport("STATUS_DIALOG_COL");
    b[kWordGetCocTime] = Address(&GET_COCTIME);
    b[kWordGetBelTime] = Address(&GET_BELTIME);
    b[kWordSetBoard] = OwnExport("SET_BOARD");  // selection reloads the COC: a session export
    b[kWordGetBoard] = Address(&GET_BOARD);
    b[kWordAutoRange] = OwnExport("AUTO_RANGE");
    b[kWordExpMax] = rec.exp_max;
    b[kWordExpMin] = rec.exp_min;
    b[kWordBoard] = board;
    b[kWordDelayMax] = rec.delay_max;
    b[kWordDialogWindows] = 0;  // the dialog-window slots are handed over by no module yet
    b[kWordGainIndex] = rec.gain_index;
    b[kWordInitMode] = init_word;
    b[kWordCcdTyp] = rec.ccd_typ;
    b[kWordTestCoc] = OwnExport("TESTCOC");
    return b;
}

int InitDialogModule(int board, const board_record& rec, int32_t init_word) {
    auto init = DialogEntryAs<InitFn>(board, "INIT_DIALOG_CAM");
    if (!init) return kFunctionMissing;
    const parameter_block& block = FillParameterBlock(board, rec, init_word);
    return init(const_cast<intptr_t*>(block.data()));
}

void* DialogEntry(int board, const char* name) {
    const auto module = DialogModule(board);
    return module ? module->Symbol(name) : nullptr;
}

}  // namespace lmv
