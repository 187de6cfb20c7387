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
  std::string layer, fields;
  bool swapXY = false;
  CLI::Option* layoutOption = nullptr;
  CLI::Option* fileOption = nullptr;  // the caller's: a positional argument or an option

  // Adds the repeatable --layout option, and --layer, --fields (or
  // --columns) and --swap-xy for tables and GIS layers.
  void AddLayoutOption(CLI::App& command);

  // Every file read in the order given; a failure names the file. A GIS
  // layer by its extension (raster/PointLayers.h); a table by its header row
  // (io/DataTable.h) when --fields names its columns, or when a .csv or .tsv
  // file that no --layout describes names x and y in its first line; any
  // other file in its layout. A --layout after the last file describes none
  // and is refused. A header row skipped and what a layer's reading decided
  // are noted on `notes`. Loads in different coordinate systems are brought
  // into one (raster/Reprojection.h), with a note: `crs`, when given, names it
  // (WKT; "" for the first load's, projected ones first) and receives it.
  // `projected` refuses a system in degrees, as an estimate must.
  Result<MeasuredData> Load(const CLI::App& command, std::ostream& notes,
                            std::string* crs = nullptr, bool projected = false) const;
};

}  // namespace kessadon
