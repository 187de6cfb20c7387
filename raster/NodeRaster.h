// The grid as a Float64 raster in GDAL's memory driver, each node at the
// centre of a pixel and the northern row first, which is how every written
// raster and the contour generator see it.
#pragma once

#include <string>
#include <vector>

#include "Gdal.h"
#include "io/GridData.h"

namespace kessadon {

// Row r holds the nodes j = Ny - r, west to east.
std::vector<double> RowsNorthFirst(const GridData& grid);

// A dataset over `rows` (not copied: it must outlive the dataset) with the
// grid's Nx, Ny, node placement and the coordinate system `crs` (WKT or
// empty); null when GDAL cannot make one. Rows of a hole-filling pass may be
// in either order: only the shape is used then.
GDALDatasetH NodeRasterInMemory(const GridData& grid, std::vector<double>& rows,
                                const std::string& crs);

// Closes a dataset on every way out.
struct DatasetCloser {
  explicit DatasetCloser(GDALDatasetH d) : dataset(d) {}
  ~DatasetCloser();
  GDALDatasetH dataset;
  DatasetCloser(const DatasetCloser&) = delete;
  DatasetCloser& operator=(const DatasetCloser&) = delete;
};

}  // namespace kessadon
