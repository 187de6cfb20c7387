// Contour lines of a grid as line features for GIS tools, through GDAL's
// contour generator: one feature per line piece, with its level in the field
// "elev" and a running "id". The levels are the program's: Cst + k Cin within
// Cst ... Cen and within the grid's height range.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "color/ContourLevels.h"
#include "io/FaultTraces.h"
#include "io/GridData.h"
#include "io/Result.h"

namespace kessadon {

// The levels the contour lines are drawn at, lowest first. Refuses an
// interval of 0 and levels that step away from the end level.
Result<std::vector<double>> ContourLevelValues(const ContourLevels& levels, double zmin,
                                               double zmax);

// Writes the lines of `levels` over the grid (geometry derived) to `path`
// through the driver `format` or the one the extension names (.gpkg,
// .geojson, .shp), with the coordinate system `crs` (WKT or empty). Returns
// the number of features written. The old file is replaced only once the
// new one is whole.
// The cells the fault traces cut keep no piece of line, as in the pictures:
// a line is cut where it enters one.
Result<std::int64_t> ExportContours(const std::string& path, const GridData& grid,
                                    const std::vector<double>& levels, const std::string& crs,
                                    const std::string& format = {}, const FaultTraces& faults = {});

}  // namespace kessadon
