// The program's one door to GDAL: registration, error text, drivers chosen by
// name or by a file's extension, coordinate systems, and writing a dataset
// beside its target and renaming it into place.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "io/Result.h"

typedef void* GDALDatasetH;
typedef void* GDALDriverH;
typedef void* OGRLayerH;

namespace kessadon {

// Registers the drivers once; every entry point of raster/ calls it.
void EnsureGdal();

// The message of GDAL's last error on this thread, or `fallback`.
std::string GdalError(const std::string& fallback);

// A vector dataset opened for reading. A refusal says first in Japanese what
// failed (no such file, a Shapefile without its .shx, a format GDAL does not
// know), then GDAL's own words where it gave any.
Result<GDALDatasetH> OpenVectorFile(const std::string& path);

// Whether `path` is a Shapefile whose side file `extension` (".dbf") is missing.
bool ShapefileLacks(const std::string& path, const std::string& extension);

enum class DriverKind { Raster, Vector };

// The driver a written file goes through: `format` (a GDAL short name) when
// given, else by the path's extension. A failure names the formats known by
// extension.
Result<GDALDriverH> DriverFor(const std::string& path, const std::string& format, DriverKind kind);

// "GeoTIFF" for "GTiff": a driver's name for people.
std::string RasterFormatName(const std::string& driver);

// The short name of the raster driver an extension stands for, or "".
std::string RasterDriverForExtension(const std::string& path);

// A coordinate system from anything GDAL accepts ("EPSG:6677", WKT, PROJ
// strings, a .prj file) as WKT.
Result<std::string> CrsFromDefinition(const std::string& definition);

// "JGD2011 / Japan Plane Rectangular CS IX (EPSG:6677)"; "" for no WKT.
std::string CrsDescription(const std::string& wkt);

// The units of a coordinate system's lengths, as a picture labels them ("m",
// "ft", "km", else the unit's own name): `horizontal` those of a projected
// system's x and y, `vertical` those of its heights where it has a vertical
// part. "" where the system says none (a geographic one, no WKT).
struct CrsUnits {
  std::string horizontal, vertical;
};
CrsUnits CrsUnitsOf(const std::string& wkt);

// A vector layer's coordinate system as WKT; "" when it has none, or only
// GDAL's stand-in for an unknown one ("Undefined geographic SRS", as a
// GeoPackage's srs_id 0 reads), which says nothing of the data.
std::string LayerCrs(OGRLayerH layer);

// Whether two coordinate systems (WKT) are the same one; "" is only the same as "".
bool SameCrs(const std::string& a, const std::string& b);

// Creates the dataset through make(tempPath) at a temporary path beside
// `path` with the same extension, closes it, and renames each of its files to
// the target's name, so that a failed write leaves the old file as it was.
// Side files of an old target that the new dataset lacks (GDAL's .aux.xml,
// the .prj of ESRI formats) are removed, so they cannot speak for the new one.
Status ReplaceDataset(const std::string& path,
                      const std::function<Result<GDALDatasetH>(const std::string&)>& make);

}  // namespace kessadon
