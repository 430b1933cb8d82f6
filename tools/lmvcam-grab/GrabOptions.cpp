#include "GrabOptions.h"

#include <string>

using zrtool::ParseNumber;

const zrtool::Tool kGrabTool(
    {"lmvcam-grab", "[options]", "Takes pictures with a camera and writes them as PNG files.",
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
     "the board; each picture is reported as it is written. Without a camera installation\n"
     "run lmvpci-install first (the simulated board).\n"});

namespace {

constexpr long kMaxInt = 2147483647L;

// "a,b" or "a,b,c,d" into `count` numbers of at least 1.
bool Numbers(const std::string& text, int* values, int count) {
    std::string rest = text;
    for (int i = 0; i < count; ++i) {
        const auto comma = rest.find(',');
        const auto v = ParseNumber(rest.substr(0, comma), 1, kMaxInt);
        if (!v) return false;
        values[i] = static_cast<int>(*v);
        if (i + 1 < count && comma == std::string::npos) return false;
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    return rest.empty();
}

bool Whole(const std::string& text, long min, long max, int* value) {
    const auto v = ParseNumber(text, min, max);
    if (v) *value = static_cast<int>(*v);
    return v.has_value();
}

// One option with its value into o; the reason when the value is refused.
std::optional<std::string> Apply(const std::string& option, const std::string& v, GrabOptions& o) {
    int region[4] = {}, binning[2] = {};
    if (option == "-b" || option == "--board")
        return Whole(v, 0, 9, &o.board) ? std::nullopt
                                        : std::optional<std::string>("a board from 0 to 9");
    if (option == "-e" || option == "--exposure")
        return Whole(v, 1, kMaxInt, &o.exposure_ms) ? std::nullopt
                                                    : std::optional<std::string>("at least 1 ms");
    if (option == "-n" || option == "--count")
        return Whole(v, 1, 9999, &o.count) ? std::nullopt
                                           : std::optional<std::string>("1 to 9999 pictures");
    if (option == "-o" || option == "--output") {
        o.output = v;
        return v.empty() ? std::optional<std::string>("a file name") : std::nullopt;
    }
    if (option == "-B" || option == "--binning") {
        if (!Numbers(v, binning, 2)) return "H,V of at least 1";
        o.hbin = binning[0], o.vbin = binning[1];
        return std::nullopt;
    }
    if (!Numbers(v, region, 4) || region[1] < region[0] || region[3] < region[2])
        return "X0,X1,Y0,Y1 with 1 <= X0 <= X1 and 1 <= Y0 <= Y1";
    o.xmin = region[0], o.xmax = region[1], o.ymin = region[2], o.ymax = region[3];
    return std::nullopt;
}

struct valued_option {
    const char* shortName;
    const char* longName;
};
constexpr valued_option kValued[] = {{"-b", "--board"},   {"-e", "--exposure"}, {"-r", "--region"},
                                     {"-B", "--binning"}, {"-n", "--count"},    {"-o", "--output"}};

}  // namespace

std::variant<GrabOptions, int> ParseGrabOptions(int argc, char** argv) {
    if (const auto done = kGrabTool.Start(argc, argv)) return *done;
    GrabOptions o;
    zrtool::ArgList args(argc, argv);
    while (!args.Done()) {
        if (args.Take("-q", "--quiet")) {
            o.quiet = true;
            continue;
        }
        bool taken = false;
        for (const auto& option : kValued)
            taken = taken || args.Take(option.shortName, option.longName);
        if (!taken) {
            const std::string word = args.Next();
            return kGrabTool.UsageError(word == "--" || word.empty() || word[0] != '-'
                                            ? "unexpected argument \"" + word + "\""
                                            : "unknown option " + word);
        }
        const std::string option = args.Option();
        const auto value = args.Value();
        if (!value) return kGrabTool.UsageError(option + " needs a value");
        if (const auto why = Apply(option, *value, o))
            return kGrabTool.UsageError(option + ": " + *why);
    }
    return o;
}
