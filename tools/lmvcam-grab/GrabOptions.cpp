#include "GrabOptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Number(const char* text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 0);
    if (end == text || *end != '\0' || v < -2147483647L || v > 2147483647L) return false;
    *value = static_cast<int>(v);
    return true;
}

// "a,b" or "a,b,c,d" into `count` numbers.
bool Numbers(const char* text, int* values, int count) {
    std::string rest = text;
    for (int i = 0; i < count; ++i) {
        const auto comma = rest.find(',');
        const std::string part = rest.substr(0, comma);
        if (!Number(part.c_str(), &values[i])) return false;
        if (i + 1 < count && comma == std::string::npos) return false;
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return rest.empty();
}

bool Fail(const char* option, const char* why) {
    std::fprintf(stderr, "lmvcam-grab: %s: %s\n", option, why);
    return false;
}

}  // namespace

void PrintGrabUsage() {
    std::fputs(
        "usage: lmvcam-grab [options]\n"
        "  -b, --board N           board 0 to 9 (default 0)\n"
        "  -e, --exposure MS       exposure time in ms (default 10)\n"
        "  -r, --region X0,X1,Y0,Y1  region in blocks of 32 pixels, 1-based, inclusive\n"
        "                          (default: the whole sensor)\n"
        "  -B, --binning H,V       horizontal and vertical binning (default 1,1)\n"
        "  -n, --count N           pictures to take (default 1)\n"
        "  -o, --output FILE       PNG file (default lmvcam-grab.png); with a count above 1\n"
        "                          the pictures are FILE-001.png, FILE-002.png, ...\n"
        "  -q, --quiet             print only the files written\n"
        "Initialises the board (SET_INIT 1), loads a long-exposure operation code, takes the\n"
        "pictures, scales each to 8 bits between its darkest and brightest pixel and releases\n"
        "the board.\n",
        stderr);
}

std::optional<GrabOptions> ParseGrabOptions(int argc, char** argv) {
    GrabOptions o;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto is = [a](const char* s, const char* l) {
            return std::strcmp(a, s) == 0 || std::strcmp(a, l) == 0;
        };
        if (is("-h", "--help")) {
            PrintGrabUsage();
            return std::nullopt;
        }
        if (is("-q", "--quiet")) {
            o.quiet = true;
            continue;
        }
        if (i + 1 >= argc) {
            Fail(a, "needs a value");
            PrintGrabUsage();
            return std::nullopt;
        }
        const char* v = argv[++i];
        int region[4] = {}, binning[2] = {};
        bool ok = true;
        if (is("-b", "--board"))
            ok = (Number(v, &o.board) && o.board >= 0 && o.board <= 9) ||
                 Fail(a, "a board from 0 to 9");
        else if (is("-e", "--exposure"))
            ok = (Number(v, &o.exposure_ms) && o.exposure_ms >= 1) || Fail(a, "at least 1 ms");
        else if (is("-r", "--region")) {
            ok = (Numbers(v, region, 4) && region[0] >= 1 && region[1] >= region[0] &&
                  region[2] >= 1 && region[3] >= region[2]) ||
                 Fail(a, "X0,X1,Y0,Y1 with 1 <= X0 <= X1 and 1 <= Y0 <= Y1");
            o.xmin = region[0], o.xmax = region[1], o.ymin = region[2], o.ymax = region[3];
        } else if (is("-B", "--binning")) {
            ok = (Numbers(v, binning, 2) && binning[0] >= 1 && binning[1] >= 1) ||
                 Fail(a, "H,V of at least 1");
            o.hbin = binning[0], o.vbin = binning[1];
        } else if (is("-n", "--count"))
            ok = (Number(v, &o.count) && o.count >= 1 && o.count <= 9999) ||
                 Fail(a, "1 to 9999 pictures");
        else if (is("-o", "--output"))
            o.output = v;
        else
            ok = Fail(a, "unknown option");
        if (!ok) return std::nullopt;
    }
    return o;
}
