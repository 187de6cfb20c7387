// Measured-data files on the command line, as the desktop loads them: the
// first a new load, the others additional loads, each --layout applying to
// the files after it.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "io/MeasuredData.h"

namespace kessadon {

struct DataFileOptions {
  std::vector<int> layouts;
  std::vector<std::string> files;
  CLI::Option* layoutOption = nullptr;
  CLI::Option* fileOption = nullptr;  // the caller's: a positional argument or an option

  // Adds the repeatable --layout option.
  void AddLayoutOption(CLI::App& command);

  // Every file read in the order given; a failure names the file. A --layout
  // after the last file describes none and is refused. A header row skipped
  // is noted on `notes`.
  Result<MeasuredData> Load(const CLI::App& command, std::ostream& notes) const;
};

}  // namespace kessadon
