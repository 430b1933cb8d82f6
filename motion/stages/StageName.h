#pragma once
// Rules for stage names in the stage database files.
#include <cstddef>
#include <string_view>

// Longest names of the two file layouts.
inline constexpr std::size_t kStageNameMaxLengthV200 = 31;
inline constexpr std::size_t kStageNameMaxLengthV100 = 15;

// True when the name has at most maxLength characters and, upper-cased, consists only of
// "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890.@_-+&". Lower-case letters pass and are stored as given;
// the empty name passes.
bool IsValidStageName(std::string_view name, std::size_t maxLength);
