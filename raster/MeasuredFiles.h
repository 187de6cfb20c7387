// One measured-data file read as its kind says: a GIS layer by its
// extension (raster/PointLayers.h), a table by its header row
// (io/DataTable.h), or a file of the layouts (io/MeasuredData.h). The
// command line and the desktop choose alike.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "io/DataTable.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

struct MeasuredFileOptions {
  int layout = 1;
  // The layout was chosen for this file: a .csv or .tsv file is then read in
  // it, not by its header row.
  bool layoutChosen = false;
  std::string layer;                   // of a GIS file; "" for the first with points
  std::optional<ColumnChoice> fields;  // columns by name: any text file is then a table
  bool swapXY = false;
};

// Whether the file is read as a table by its header row: fields chosen, or
// a .csv or .tsv file whose first line names x and y and no layout was
// chosen for.
bool IsTableFile(const std::string& path, const MeasuredFileOptions& options);

// The names in a table's header row.
Result<std::vector<std::string>> TableColumnNames(const std::string& path);

struct MeasuredFileRead {
  MeasuredData data;               // DataFileName = {path}
  std::string crs;                 // a layer's coordinate system as WKT; "" for none
  bool table = false;              // read by its header row
  std::vector<std::string> notes;  // what the reading decided, for the person
};

Result<MeasuredFileRead> ReadMeasuredFile(const std::string& path,
                                          const MeasuredFileOptions& options);

}  // namespace kessadon
