// Measured data from GIS point layers and spreadsheets that GDAL opens
// (GeoPackage, Shapefile, GeoJSON, KML, FlatGeobuf, and CSV, XLSX or ODS
// tables): x and y from the points (or from named columns of a table without
// geometry), z, the bound code, the trend and the dip from fields chosen by
// name or found by the common names (io/DataTable.h).
#pragma once

#include <string>
#include <vector>

#include "io/DataTable.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

// Whether a file is read as a GIS layer, by its extension.
bool IsPointLayerFile(const std::string& path);

struct PointLayer {
  std::string name;
  std::vector<std::string> fields;
  bool points = false;  // its geometry is points or multi-points, or of mixed kinds
};

// The layers of a file, with their fields, for a person to choose from.
Result<std::vector<PointLayer>> ListPointLayers(const std::string& path);

struct PointLayerData {
  MeasuredData data;               // DataFileName = {path}
  std::string crs;                 // the layer's coordinate system as WKT; "" when it has none
  std::string layer;               // the layer read
  std::vector<std::string> notes;  // for the person: what was decided
};

// The features of layer `layer` (the first layer with points, or else the
// first, when empty); a feature without points is placed by its x and y
// fields. Refusals name the layer, the field and the feature: a field chosen
// that is not there, a value that is not a number, a feature without a point
// or x and y, a layer that gives no height or dip. A 3-D point whose z disagrees with the z field
// keeps the field's z, and a note says so.
Result<PointLayerData> ReadPointLayer(const std::string& path, const std::string& layer,
                                      const ColumnChoice& choice);

}  // namespace kessadon
