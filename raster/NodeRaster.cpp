#include "NodeRaster.h"

#include <gdal.h>

#include <cstdio>

namespace kessadon {

std::vector<double> RowsNorthFirst(const GridData& g) {
  std::vector<double> rows(static_cast<std::size_t>(g.Nx) * static_cast<std::size_t>(g.Ny));
  for (std::int32_t j = 1; j <= g.Ny; ++j) {
    double* row = &rows[static_cast<std::size_t>(g.Ny - j) * static_cast<std::size_t>(g.Nx)];
    for (std::int32_t i = 1; i <= g.Nx; ++i) row[i - 1] = g.Z(i, j);
  }
  return rows;
}

GDALDatasetH NodeRasterInMemory(const GridData& g, std::vector<double>& rows,
                                const std::string& crs) {
  EnsureGdal();
  GDALDatasetH dataset =
      GDALCreate(GDALGetDriverByName("MEM"), "", g.Nx, g.Ny, 0, GDT_Float64, nullptr);
  if (dataset == nullptr) return nullptr;
  char pointer[64];
  std::snprintf(pointer, sizeof pointer, "DATAPOINTER=%p", static_cast<void*>(rows.data()));
  char* options[] = {pointer, nullptr};
  if (GDALAddBand(dataset, GDT_Float64, options) != CE_None) {
    GDALClose(dataset);
    return nullptr;
  }
  double transform[6] = {
      g.Xmin - g.Dx / 2, g.Dx, 0, g.Ymin + (g.Ny - 1) * g.Dy + g.Dy / 2, 0, -g.Dy};
  GDALSetGeoTransform(dataset, transform);
  if (!crs.empty()) GDALSetProjection(dataset, crs.c_str());
  GDALSetMetadataItem(dataset, GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT, nullptr);
  return dataset;
}

DatasetCloser::~DatasetCloser() {
  if (dataset != nullptr) GDALClose(dataset);
}

}  // namespace kessadon
