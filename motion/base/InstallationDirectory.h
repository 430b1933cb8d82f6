#pragma once
// The installation folder of the TALTranslator tools: the string value "Path" of the key
// HKEY_LOCAL_MACHINE "Software\\ZR\\TALTranslator" in the registry store, at most 259 characters.
// The log configuration and the stage files are looked for there. The value is read once per
// process and kept after the first success; while key or value are missing the result is empty
// and the next call reads again.
#include <string>

std::string InstallationDirectory();

// Forgets the kept value, so the next call reads the registry store again.
void ForgetInstallationDirectory();

// dir and name joined with the native separator ("/"); name alone when dir is empty.
std::string JoinNativePath(const std::string& dir, const std::string& name);
