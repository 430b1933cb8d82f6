// The dialog's values going to and coming from the library.
#include "camera/ui/DialogView.h"

namespace lmv::ui {
namespace {

constexpr int kNoLoadBit = 2;

colour_parameters to_colour(const lut_values& v) {
    return colour_parameters{v.ch[kRedChannel].min,
                             v.ch[kRedChannel].max,
                             v.ch[kGreenChannel].min,
                             v.ch[kGreenChannel].max,
                             v.ch[kBlueChannel].min,
                             v.ch[kBlueChannel].max,
                             v.lin};
}

lut_values from_colour(const colour_parameters& p) {
    lut_values v;
    v.ch[kRedChannel] = {p.red_min, p.red_max};
    v.ch[kGreenChannel] = {p.green_min, p.green_max};
    v.ch[kBlueChannel] = {p.blue_min, p.blue_max};
    v.lin = p.lin;
    return v;
}

}  // namespace

void store_values(dialog_view& v) {
    if (v.colour()) {
        const colour_parameters p = to_colour(v.values);
        v.host->colour_store(&p, v.bg39, v.tables[0], v.tables[1], v.tables[2]);
    } else {
        const bw_parameters p{v.values.ch[0].min, v.values.ch[0].max, v.values.lin};
        v.host->bw_store(&p, v.tables[0]);
    }
}

void change_values(dialog_view& v, const lut_values& next) {
    if (next == v.values) return;
    v.values = next;
    store_values(v);
    v.pending = true;
}

void refresh_fields(dialog_view& v) {
    v.field[kMaxField] = field_text(v.current().max);
    v.field[kMinField] = field_text(v.current().min);
}

void take_library_values(dialog_view& v) {
    if (v.colour()) {
        colour_parameters p;
        v.host->colour_read(&p, &v.bg39);
        v.values = from_colour(p);
    } else {
        bw_parameters p;
        v.host->bw_read(&p);
        v.values.ch[0] = {p.min, p.max};
        v.values.lin = p.lin;
    }
    store_values(v);
    refresh_fields(v);
}

void load_tables(dialog_view& v) {
    if (v.request.param & kNoLoadBit) return;
    if (v.colour())
        (void)v.host->load_color_lut(v.tables[0], v.tables[1], v.tables[2]);
    else
        (void)v.host->load_output_lut(v.tables[0]);
}

}  // namespace lmv::ui
