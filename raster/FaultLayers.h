// Fault traces from GIS line layers, and from whichever form a file holds.
#pragma once

#include <string>

#include "io/FaultTraces.h"
#include "io/Result.h"

namespace kessadon {

// Every line and multi-line feature of the first layer of a vector file GDAL
// opens (GeoPackage, Shapefile, GeoJSON, ...), in map coordinates. Refuses a
// file GDAL cannot open, a layer without lines, and a line of fewer than two
// points, naming the feature (its number, from 1, stands in the line).
// `crs`, when given, receives the layer's coordinate system ("" for none).
Result<FaultTraces> ReadFaultTraceLayer(const std::string& path, std::string* crs = nullptr);

// A GIS layer by its extension (.gpkg, .shp, .geojson, .json, .kml, .gml,
// .fgb, .sqlite), any other file as the text form. A layer in another
// coordinate system than `workingCrs` (WKT; "" for none known) is
// transformed into it, and `note` says so.
Result<FaultTraces> ReadFaultTraces(const std::string& path, const std::string& workingCrs = {},
                                    std::string* note = nullptr);

}  // namespace kessadon
