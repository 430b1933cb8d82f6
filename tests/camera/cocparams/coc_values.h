#pragma once
// A small value form of the nine COC parameters, and the exports called with it.
#include <algorithm>
#include <ostream>
#include <string>

#include "lmvntcam.h"

namespace testing_lmv {

struct Coc {
    int mode = 0;
    int trig = 0;
    int xmin = 1;
    int xmax = 20;
    int ymin = 1;
    int ymax = 15;
    int hbin = 1;
    int vbin = 1;
    std::string text = "0,10,-1,-1";

    bool operator==(const Coc&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Coc& c) {
    return os << "{mode " << c.mode << " trig " << c.trig << " x " << c.xmin << ".." << c.xmax
              << " y " << c.ymin << ".." << c.ymax << " hbin " << c.hbin << " vbin " << c.vbin
              << " text \"" << c.text << "\"}";
}

inline int SetCoc(const Coc& c) {
    std::string text = c.text;
    return SET_COC(c.mode, c.trig, c.xmin, c.xmax, c.ymin, c.ymax, c.hbin, c.vbin, text.data());
}

struct Tested {
    int rc;
    Coc out;
    int length;
};

// TEST_COC with a text buffer of `capacity` bytes (at least the request's text).
inline Tested TestCoc(const Coc& in, int capacity = 4096) {
    std::string buffer = in.text;
    buffer.resize(std::max<size_t>(capacity, in.text.size() + 1), '\0');
    Tested t{0, in, capacity};
    t.rc = TEST_COC(&t.out.mode, &t.out.trig, &t.out.xmin, &t.out.xmax, &t.out.ymin, &t.out.ymax,
                    &t.out.hbin, &t.out.vbin, buffer.data(), &t.length);
    t.out.text = buffer.c_str();
    return t;
}

inline int GetSettings(Coc& c) {
    std::string buffer(20000, '\0');
    const int rc = GET_SETTINGS(&c.mode, &c.trig, &c.xmin, &c.xmax, &c.ymin, &c.ymax, &c.hbin,
                                &c.vbin, buffer.data());
    c.text = buffer.c_str();
    return rc;
}

}  // namespace testing_lmv
