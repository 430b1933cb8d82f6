#pragma once
// Port names and numbers taken from port lists and descriptions ("USB Serial (COM5)").
#include <string>

// The first "COM" followed by digits ("(COM[0-9]*)"); empty when there is none.
std::string PortNameFromText(const std::string& text);
// The digits after the first "COM" ("COM([0-9]*)"); -1 without "COM" or without digits.
int PortNumberFromText(const std::string& text);
