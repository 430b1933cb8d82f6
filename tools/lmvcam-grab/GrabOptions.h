#pragma once
// Command line of lmvcam-grab.
#include <optional>
#include <string>
#include <variant>

#include "tools/common/ToolOptions.h"

struct GrabOptions {
    int board = 0;
    int exposure_ms = 10;
    // Region in blocks of 32 pixels, 1-based, inclusive; 0 for the whole sensor.
    int xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int hbin = 1, vbin = 1;
    int count = 1;
    std::string output = "lmvcam-grab.png";
    bool quiet = false;
};

extern const zrtool::Tool kGrabTool;

// The options, or the exit code after help, version or a usage error was printed.
std::variant<GrabOptions, int> ParseGrabOptions(int argc, char** argv);
