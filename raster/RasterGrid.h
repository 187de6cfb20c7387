// Grids to and from the rasters of GIS tools, through GDAL. Nodes are points:
// node (i, j) sits at the centre of pixel (i - 1, Ny - j), north up, and the
// raster is marked AREA_OR_POINT=Point. Heights are Float64. The node origin
// and spacing are also kept as metadata, so that a grid read back has exactly
// the Xmin, Ymin, Dx and Dy it was written with, not values rounded through
// the pixel-corner geotransform.
#pragma once

#include <string>

#include "io/GridData.h"
#include "io/Result.h"

namespace kessadon {

struct RasterGrid {
  GridData grid;       // Nx, Ny, Xmin, Ymin, Dx, Dy and Z; geometry not derived
  std::string crs;     // WKT; empty when the raster has none
  std::string driver;  // short name of the GDAL driver that read it
};

// Reads band 1 of any raster GDAL opens into a new grid. Refuses rasters that
// are rotated or sheared, run east to west, or hold more than kMaxGridNodes
// nodes, and cells without data (the band's no-data value, NaN) unless
// fillNodata asks GDAL to fill them from their neighbours.
Result<RasterGrid> ReadRaster(const std::string& path, bool fillNodata = false);

// Writes the grid through the driver `format` (a GDAL short name) or the one
// the extension names: GeoTIFF DEFLATE-compressed and tiled when large, ESRI
// ASCII grid with 17 significant digits, netCDF with CF conventions. `crs` is
// WKT or empty. The old file is replaced only once the new one is whole.
Status WriteRaster(const std::string& path, const GridData& grid, const std::string& crs,
                   const std::string& format = {});

}  // namespace kessadon
