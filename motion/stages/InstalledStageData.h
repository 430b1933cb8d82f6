#pragma once
// The maker database as installed with the library: in the data folder that lies at a fixed
// place relative to the library's own folder (<prefix>/share/zr-corvane-tal/stages beside
// <prefix>/lib). Read only; the library never writes there.
#include <string>

// The installed copy of the file called name (its folders are ignored); empty when there is none.
std::string InstalledStageFile(const std::string& name);
