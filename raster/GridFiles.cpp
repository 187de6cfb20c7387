#include "GridFiles.h"

#include <gdal.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "Gdal.h"
#include "io/ElevationMap.h"
#include "io/GridFile.h"

namespace kessadon {

GridFileKind GridFileKindOf(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".mem" || ext == ".sem") return GridFileKind::ElevationMap;
  if (!RasterDriverForExtension(path).empty()) return GridFileKind::Raster;
  EnsureGdal();
  GDALDriverH driver = GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, nullptr, nullptr);
  // XYZ would take a grid data file's rows of numbers for points.
  if (driver != nullptr && std::string(GDALGetDriverShortName(driver)) != "XYZ") {
    return GridFileKind::Raster;
  }
  return GridFileKind::GridData;
}

Result<LoadedGrid> ReadAnyGrid(const std::string& path, const GridReadOptions& options) {
  LoadedGrid out;
  out.kind = GridFileKindOf(path);
  switch (out.kind) {
    case GridFileKind::ElevationMap: {
      Result<ElevationMap> map = ReadElevationMap(path);
      if (!map) return map.failure();
      out.grid = std::move(map->grid);
      out.sheetName = std::move(map->sheetName);
      break;
    }
    case GridFileKind::Raster: {
      Result<RasterGrid> raster = ReadRaster(path, options.fillNodata);
      if (!raster) return raster.failure();
      out.grid = std::move(raster->grid);
      out.crs = std::move(raster->crs);
      out.driver = std::move(raster->driver);
      break;
    }
    case GridFileKind::GridData: {
      Result<GridData> grid = ReadGridFile(path);
      if (!grid) return grid.failure();
      out.grid = std::move(*grid);
      break;
    }
  }
  return out;
}

Status WriteAnyGrid(const std::string& path, const GridData& grid, const std::string& crs,
                    const std::string& format, bool* crsDropped) {
  if (crsDropped != nullptr) *crsDropped = false;
  if (!format.empty() || !RasterDriverForExtension(path).empty()) {
    return WriteRaster(path, grid, crs, format);
  }
  if (crsDropped != nullptr) *crsDropped = !crs.empty();
  return WriteGridFile(path, grid);
}

}  // namespace kessadon
