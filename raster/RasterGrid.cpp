#include "RasterGrid.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_alg.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Gdal.h"
#include "NodeRaster.h"
#include "io/GridFile.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

constexpr const char* kOriginItem = "KESSADON_NODE_ORIGIN";
constexpr const char* kSpacingItem = "KESSADON_NODE_SPACING";

// Grids above this many nodes are written in tiles.
constexpr std::int64_t kTiledFrom = std::int64_t{512} * 512;

std::string Pair(double a, double b) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g %.17g", a, b);
  return text;
}

// A metadata item of the dataset, also under the name netCDF keeps it as a
// global attribute.
bool ReadPair(GDALDatasetH dataset, const char* item, double& a, double& b) {
  const char* text = GDALGetMetadataItem(dataset, item, nullptr);
  if (text == nullptr) {
    text = GDALGetMetadataItem(dataset, (std::string("NC_GLOBAL#GDAL_") + item).c_str(), nullptr);
  }
  return text != nullptr && std::sscanf(text, "%lf %lf", &a, &b) == 2;
}

// Takes the written origin and spacing when they describe the same nodes as
// the geotransform (to a millionth of a cell): a file edited in another tool
// keeps the metadata only when it did not move the nodes.
void SnapToWrittenNodes(GDALDatasetH dataset, GridData& g) {
  double x, y, dx, dy;
  if (!ReadPair(dataset, kOriginItem, x, y) || !ReadPair(dataset, kSpacingItem, dx, dy)) return;
  const bool same = std::abs(dx - g.Dx) <= 1e-9 * g.Dx && std::abs(dy - g.Dy) <= 1e-9 * g.Dy &&
                    std::abs(x - g.Xmin) <= 1e-6 * g.Dx && std::abs(y - g.Ymin) <= 1e-6 * g.Dy;
  if (!same) return;
  g.Xmin = x;
  g.Ymin = y;
  g.Dx = dx;
  g.Dy = dy;
}

// The dataset written: the grid in memory, with the node origin and spacing.
GDALDatasetH MemoryDataset(const GridData& g, std::vector<double>& rows, const std::string& crs) {
  GDALDatasetH dataset = NodeRasterInMemory(g, rows, crs);
  if (dataset == nullptr) return nullptr;
  GDALSetMetadataItem(dataset, kOriginItem, Pair(g.Xmin, g.Ymin).c_str(), nullptr);
  GDALSetMetadataItem(dataset, kSpacingItem, Pair(g.Dx, g.Dy).c_str(), nullptr);
  return dataset;
}

// Node origin and spacing of g (whose Nx and Ny are set) from the pixel-corner
// geotransform, then from the written metadata where it agrees. Refuses
// rotated, sheared or east-to-west rasters; the value tells whether the first
// row is the northernmost.
Result<bool> PlaceNodes(GDALDatasetH dataset, GridData& g) {
  double t[6] = {0, 1, 0, 0, 0, 1};
  GDALGetGeoTransform(dataset, t);
  if (t[2] != 0 || t[4] != 0) return Failure{"回転または傾いた格子は読めません"};
  const bool bounded = WithinValueBound(t[0]) && WithinValueBound(t[1]) && WithinValueBound(t[3]) &&
                       WithinValueBound(t[5]);
  if (!(t[1] > 0) || t[5] == 0 || !bounded) {
    return Failure{"格子の向きか間隔が正しくありません（x は東へ増え、間隔は 0 より大きいこと）"};
  }
  g.Dx = t[1];
  g.Dy = std::abs(t[5]);
  g.Xmin = t[0] + t[1] / 2;
  const bool northUp = t[5] < 0;
  g.Ymin = northUp ? t[3] + t[5] * (g.Ny - 0.5) : t[3] + t[5] / 2;
  SnapToWrittenNodes(dataset, g);
  return northUp;
}

// Cells without data (NaN or the band's no-data value) in the values read:
// refused unless fillNodata, then filled in place from their neighbours.
Status FillMissingHeights(GDALRasterBandH band, const GridData& g, std::vector<double>& values,
                          bool fillNodata) {
  int hasNoData = 0;
  const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
  auto missing = [&](double v) { return std::isnan(v) || (hasNoData && v == noData); };
  std::int64_t holes = 0;
  for (double v : values) holes += missing(v) ? 1 : 0;
  if (holes > 0 && !fillNodata) {
    return Failure{"値のない格子点が " + std::to_string(holes) +
                   " 個あります。格子には欠けた点を置けません（コマンドラインでは --fill-nodata "
                   "で埋められます）"};
  }
  if (holes == static_cast<std::int64_t>(values.size()))
    return Failure{"値のある格子点がありません"};
  if (holes == 0) return Ok();
  // GDAL fills from the nearest values around each hole, in a copy in memory.
  constexpr double kMarker = -1.0e300;
  for (double& v : values) v = missing(v) ? kMarker : v;
  DatasetCloser memory{NodeRasterInMemory(g, values, {})};
  if (memory.dataset == nullptr) return Failure{"欠けた点を埋める場所を作れません"};
  GDALRasterBandH copy = GDALGetRasterBand(memory.dataset, 1);
  GDALSetRasterNoDataValue(copy, kMarker);
  CPLErrorReset();
  if (GDALFillNodata(copy, GDALGetMaskBand(copy), std::max(g.Nx, g.Ny), 0, 0, nullptr, nullptr,
                     nullptr) != CE_None) {
    return Failure{"欠けた点を埋められません：" + GdalError("GDAL が失敗しました")};
  }
  std::int64_t left = 0;
  for (double v : values) left += v == kMarker ? 1 : 0;
  if (left > 0)
    return Failure{"値のない格子点のうち " + std::to_string(left) + " 個を埋められません"};
  return Ok();
}

}  // namespace

Result<RasterGrid> ReadRaster(const std::string& path, bool fillNodata) {
  EnsureGdal();
  CPLErrorReset();
  // ESRI ASCII grids would otherwise come in as Float32, rounding the heights.
  const char* const asciiOptions[] = {"DATATYPE=Float64", nullptr};
  // Compressed GeoTIFF tiles are decoded on every core.
  const char* const tiffOptions[] = {"NUM_THREADS=ALL_CPUS", nullptr};
  const std::string byName = RasterDriverForExtension(path);
  DatasetCloser file{GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr,
                                byName == "AAIGrid" ? asciiOptions
                                : byName == "GTiff" ? tiffOptions
                                                    : nullptr,
                                nullptr)};
  if (file.dataset == nullptr) {
    return Failure{"ラスターとして開けません：" + GdalError("GDAL の知らない形式です")};
  }
  GDALDatasetH dataset = file.dataset;
  if (GDALGetRasterCount(dataset) < 1) return Failure{"高さのバンドがありません"};
  const int columns = GDALGetRasterXSize(dataset), rows = GDALGetRasterYSize(dataset);
  if (columns < 1 || rows < 1) return Failure{"格子点がありません"};
  if (std::int64_t{columns} * rows > kMaxGridNodes) {
    return Failure{"格子点が多すぎます（" + std::to_string(columns) + " × " + std::to_string(rows) +
                   "）"};
  }

  RasterGrid out;
  GridData& g = out.grid;
  g.Nx = columns;
  g.Ny = rows;
  const Result<bool> placed = PlaceNodes(dataset, g);
  if (!placed) return placed.failure();
  const bool northUp = *placed;

  GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
  std::vector<double> values(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  if (GDALRasterIO(band, GF_Read, 0, 0, columns, rows, values.data(), columns, rows, GDT_Float64, 0,
                   0) != CE_None) {
    return Failure{"高さを読めません：" + GdalError("ファイルが壊れています")};
  }
  if (Status filled = FillMissingHeights(band, g, values, fillNodata); !filled) {
    return filled.failure();
  }

  g.Z = NodeArray<double>(g.Nx, g.Ny);
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::int32_t j = northUp ? rows - r : r + 1;
    const double* row = &values[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns)];
    for (std::int32_t i = 1; i <= columns; ++i) {
      // An infinite or huge height would overflow every range and the refinement.
      if (!WithinValueBound(row[i - 1])) {
        return Failure{
            BeyondValueBound("高さ Z(" + std::to_string(i) + ", " + std::to_string(j) + ")")};
      }
      g.Z(i, j) = row[i - 1];
    }
  }
  if (const char* wkt = GDALGetProjectionRef(dataset); wkt != nullptr) out.crs = wkt;
  out.driver = GDALGetDriverShortName(GDALGetDatasetDriver(dataset));
  return out;
}

Status WriteRaster(const std::string& path, const GridData& grid, const std::string& crs,
                   const std::string& format) {
  Result<GDALDriverH> driver = DriverFor(path, format, DriverKind::Raster);
  if (!driver) return driver.failure();
  if (grid.Nx < 1 || grid.Ny < 1) return Failure{"書き出す格子がありません"};
  std::vector<double> rows = RowsNorthFirst(grid);
  DatasetCloser memory{MemoryDataset(grid, rows, crs)};
  if (memory.dataset == nullptr) return Failure{"書き出す格子を用意できません"};

  const std::string name = GDALGetDriverShortName(*driver);
  CPLStringList options;
  if (name == "GTiff") {
    options.SetNameValue("COMPRESS", "DEFLATE");
    options.SetNameValue("PREDICTOR", "3");
    options.SetNameValue("BIGTIFF", "IF_SAFER");
    options.SetNameValue("NUM_THREADS", "ALL_CPUS");  // compression is most of the time
    if (std::int64_t{grid.Nx} * grid.Ny >= kTiledFrom) options.SetNameValue("TILED", "YES");
  } else if (name == "AAIGrid") {
    options.SetNameValue("SIGNIFICANT_DIGITS", "17");
  } else if (name == "netCDF") {
    options.SetNameValue("FORMAT", "NC4");
    options.SetNameValue("COMPRESS", "DEFLATE");
  }
  return ReplaceDataset(path, [&](const std::string& temp) -> Result<GDALDatasetH> {
    GDALDatasetH written = GDALCreateCopy(*driver, temp.c_str(), memory.dataset, FALSE,
                                          options.List(), nullptr, nullptr);
    if (written == nullptr) return Failure{"書き出せません：" + GdalError("GDAL が失敗しました")};
    return written;
  });
}

}  // namespace kessadon
