#pragma once
// 8-bit grey PNG files.
#include <cstdint>
#include <string>

// Writes width x height bytes, rows top to bottom; false with the reason in `error`.
bool WriteGreyPng(const std::string& path, const uint8_t* pixels, int width, int height,
                  std::string* error);
