// Any grid file by its name: the program's own grid data file (the default),
// an elevation map sheet (.mem, .sem), or a raster through GDAL (chosen by
// the extension, by --format, or, for other names, when GDAL recognises the
// file). Both front ends open and save grids through here.
#pragma once

#include <string>

#include "RasterGrid.h"
#include "io/Result.h"

namespace kessadon {

enum class GridFileKind { GridData, ElevationMap, Raster };

struct LoadedGrid {
  GridData grid;  // Nx, Ny, Xmin, Ymin, Dx, Dy and Z; geometry not derived
  std::string crs;
  GridFileKind kind = GridFileKind::GridData;
  std::string sheetName;  // of an elevation map sheet
  std::string driver;     // of a raster
};

struct GridReadOptions {
  bool fillNodata = false;
};

// What a path is read as: map sheets and the raster extensions by name;
// other names as a raster when a GDAL raster driver recognises the file
// (other than its plain-text XYZ reader), else as a grid data file.
GridFileKind GridFileKindOf(const std::string& path);

Result<LoadedGrid> ReadAnyGrid(const std::string& path, const GridReadOptions& options = {});

// Writes a grid data file, unless `format` names a GDAL driver or the
// extension names a raster format. A grid data file holds no coordinate
// system; `crsDropped` then tells whether one was left out.
Status WriteAnyGrid(const std::string& path, const GridData& grid, const std::string& crs,
                    const std::string& format = {}, bool* crsDropped = nullptr);

}  // namespace kessadon
