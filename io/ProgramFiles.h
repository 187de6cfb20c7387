// The program's own data files (the defaults file, the colour tables): where
// they lie and the defaults read from there, alike for both front ends.
#pragma once

#include <filesystem>

#include "Defaults.h"
#include "Result.h"

namespace kessadon {

// Beside the running program (a build folder), else in the share/kessadon
// of its installation.
std::filesystem::path ProgramFolder();

// The defaults file of `folder`; a failure says why it could not be read.
Result<DefaultsRead> ReadProgramDefaults(const std::filesystem::path& folder);

// The defaults of the program's folder; the built-in values where the file
// is missing.
ViewLightDefaults ProgramDefaults();

}  // namespace kessadon
