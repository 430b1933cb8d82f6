#pragma once
// Table fixtures: settings of a board record, the expected word table and the four times.
//
//   # comment
//   set <field> <value...>        board_record field (timevalues takes a list)
//   constants T=63.52 S=20.48 E=7.36
//   result 0
//   words 3010 2498 157x193 15x(198 198 200)
//   coctime 497T                  sums of terms: number, or number times T, S, E or B (1024 T)
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "camera/api/board_record.h"

namespace coc_test {

struct fixture {
    std::string name;
    lmv::board_record rec{};
    float T = 0, S = 0, E = 0;
    int result = 0;
    std::vector<uint16_t> words;
    bool has_times = false;
    std::string coctime, beltime, exptime, deltime;  // expressions
};

// The set-up's record defaults (a long-exposure camera on CCD type 1) with a 10 us exposure.
lmv::board_record default_record();

fixture load_fixture(const std::filesystem::path& file);
std::vector<std::filesystem::path> fixture_files();

// Expands "157x193" and "15x(198 198 200)" runs.
std::vector<uint16_t> expand_words(const std::string& text);
// Evaluates a time expression with the fixture's constants.
double eval_time(const std::string& expr, double T, double S, double E);

}  // namespace coc_test
