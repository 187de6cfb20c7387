#include "ContourExport.h"

#include <cpl_string.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Gdal.h"
#include "NodeRaster.h"
#include "estimate/FaultCuts.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

// More levels than this make no map: a typo in the interval, most likely.
constexpr std::int64_t kMaxLevels = 100'000;

}  // namespace

Result<std::vector<double>> ContourLevelValues(const ContourLevels& levels, double zmin,
                                               double zmax) {
  ContourLevels up = levels;
  if (!(up.Cin != 0) || !std::isfinite(up.Cin) || !std::isfinite(up.Cst) ||
      !std::isfinite(up.Cen)) {
    return Failure{"コンターの間隔が 0 か数ではありません"};
  }
  if ((up.Cen - up.Cst) / up.Cin < 0) {
    return Failure{"コンターの間隔が開始値 " + FormatGeneral(up.Cst) + " から終了値 " +
                   FormatGeneral(up.Cen) + " へ向かっていません"};
  }
  if (up.Cin < 0) {
    // The same levels counted upwards from the lowest.
    const double steps = std::floor((up.Cen - up.Cst) / up.Cin + 0.0001);
    up = {up.Cst + steps * up.Cin, up.Cst, -up.Cin, levels.ContourReady};
  }
  const LevelSpan span = LevelsWithin(up, zmin, zmax);
  std::vector<double> values;
  if (span.Empty()) return values;
  if (std::int64_t{span.last} - span.first + 1 > kMaxLevels) {
    return Failure{"コンターの本数が多すぎます（間隔 " + FormatGeneral(up.Cin) + "）"};
  }
  for (std::int64_t k = span.first; k <= span.last; ++k) {
    values.push_back(static_cast<double>(k) * up.Cin + up.Cst);
  }
  return values;
}

namespace {

// An empty line layer in memory with the fields of `like`.
GDALDatasetH LineLayerInMemory(OGRLayerH like) {
  GDALDriverH driver = GDALGetDriverByName("Memory");
  if (driver == nullptr) return nullptr;
  GDALDatasetH data = GDALCreate(driver, "", 0, 0, 0, GDT_Unknown, nullptr);
  if (data == nullptr) return nullptr;
  OGRLayerH layer = GDALDatasetCreateLayer(data, "lines", nullptr, wkbLineString, nullptr);
  OGRFeatureDefnH fields = OGR_L_GetLayerDefn(like);
  for (int k = 0; k < OGR_FD_GetFieldCount(fields); ++k) {
    OGR_L_CreateField(layer, OGR_FD_GetFieldDefn(fields, k), TRUE);
  }
  return data;
}

// Copies the lines of `from` into `to` without their segments in flagged
// cells: each segment of a contour line crosses one cell, named by its middle.
// False when a feature could not be written.
bool CopyOutside(OGRLayerH from, OGRLayerH to, const GridData& grid,
                 const NodeArray<std::uint8_t>& cells) {
  bool written = true;
  auto flagged = [&](double x, double y) {
    const auto i = static_cast<int>(std::clamp(std::floor((x - grid.Xmin) / grid.Dx) + 1, 1.0,
                                               static_cast<double>(grid.Nx - 1)));
    const auto j = static_cast<int>(std::clamp(std::floor((y - grid.Ymin) / grid.Dy) + 1, 1.0,
                                               static_cast<double>(grid.Ny - 1)));
    return cells(i, j) != 0;
  };
  int id = 0;
  OGR_L_ResetReading(from);
  while (OGRFeatureH feature = OGR_L_GetNextFeature(from)) {
    OGRGeometryH line = OGR_F_GetGeometryRef(feature);
    const int points = line != nullptr ? OGR_G_GetPointCount(line) : 0;
    int start = 0;
    // Writes the piece start ... end as a feature of its own, if it has a segment.
    auto write = [&](int end) {
      if (end - start < 1) return;
      OGRGeometryH piece = OGR_G_CreateGeometry(wkbLineString);
      for (int k = start; k <= end; ++k)
        OGR_G_AddPoint_2D(piece, OGR_G_GetX(line, k), OGR_G_GetY(line, k));
      OGRFeatureH copy = OGR_F_Create(OGR_L_GetLayerDefn(to));
      OGR_F_SetFieldInteger(copy, 0, id++);
      OGR_F_SetFieldDouble(copy, 1, OGR_F_GetFieldAsDouble(feature, 1));
      OGR_F_SetGeometryDirectly(copy, piece);
      if (OGR_L_CreateFeature(to, copy) != OGRERR_NONE) written = false;
      OGR_F_Destroy(copy);
    };
    for (int k = 0; k + 1 < points; ++k) {
      const double mx = (OGR_G_GetX(line, k) + OGR_G_GetX(line, k + 1)) / 2;
      const double my = (OGR_G_GetY(line, k) + OGR_G_GetY(line, k + 1)) / 2;
      if (!flagged(mx, my)) continue;
      write(k);
      start = k + 1;
    }
    write(points - 1);
    OGR_F_Destroy(feature);
  }
  return written;
}

}  // namespace

Result<std::int64_t> ExportContours(const std::string& path, const GridData& grid,
                                    const std::vector<double>& levels, const std::string& crs,
                                    const std::string& format, const FaultTraces& faults) {
  Result<GDALDriverH> driver = DriverFor(path, format, DriverKind::Vector);
  if (!driver) return driver.failure();
  if (grid.Nx < 2 || grid.Ny < 2) return Failure{"コンターを引くには格子点が 2 × 2 以上必要です"};
  const NodeArray<std::uint8_t> cut =
      faults.traces.empty() ? NodeArray<std::uint8_t>() : FaultCutCells(grid, faults);
  const NodeArray<std::uint8_t>* uncontoured = cut.Empty() ? nullptr : &cut;

  std::vector<double> rows = RowsNorthFirst(grid);
  DatasetCloser memory{NodeRasterInMemory(grid, rows, {})};
  if (memory.dataset == nullptr) return Failure{"コンターを引く格子を用意できません"};

  std::string fixed;
  for (double level : levels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", level);
    if (!fixed.empty()) fixed += ',';
    fixed += text;
  }
  OGRSpatialReferenceH srs = nullptr;
  if (!crs.empty()) {
    srs = OSRNewSpatialReference(crs.c_str());
    OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
  }
  Status written = ReplaceDataset(path, [&](const std::string& temp) -> Result<GDALDatasetH> {
    GDALDatasetH out = GDALCreate(*driver, temp.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (out == nullptr) return Failure{"書き出せません：" + GdalError("GDAL が失敗しました")};
    OGRLayerH layer = GDALDatasetCreateLayer(out, "contour", srs, wkbLineString, nullptr);
    if (layer == nullptr) {
      GDALClose(out);
      return Failure{"線の層を作れません：" + GdalError("GDAL が失敗しました")};
    }
    for (auto [name, type] : {std::pair{"id", OFTInteger}, std::pair{"elev", OFTReal}}) {
      OGRFieldDefnH field = OGR_Fld_Create(name, type);
      OGR_L_CreateField(layer, field, TRUE);
      OGR_Fld_Destroy(field);
    }
    CPLStringList options;
    options.SetNameValue("ID_FIELD", "0");
    options.SetNameValue("ELEV_FIELD", "1");
    if (!fixed.empty()) options.SetNameValue("FIXED_LEVELS", fixed.c_str());
    // With cells to leave out the lines are made in memory first, then
    // copied in the pieces that stay outside those cells.
    DatasetCloser lines{uncontoured != nullptr ? LineLayerInMemory(layer) : nullptr};
    OGRLayerH target = lines.dataset != nullptr ? GDALDatasetGetLayer(lines.dataset, 0) : layer;
    if (!fixed.empty() && GDALContourGenerateEx(GDALGetRasterBand(memory.dataset, 1), target,
                                                options.List(), nullptr, nullptr) != CE_None) {
      GDALClose(out);
      return Failure{"コンターを引けません：" + GdalError("GDAL が失敗しました")};
    }
    if (lines.dataset != nullptr && !CopyOutside(target, layer, grid, *uncontoured)) {
      GDALClose(out);
      return Failure{"コンターを書き出せません：" + GdalError("GDAL が失敗しました")};
    }
    return out;
  });
  if (srs != nullptr) OSRDestroySpatialReference(srs);
  if (!written) return written.failure();
  // Counted in the file as written: some drivers know the count only then.
  GDALDatasetH back =
      GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  if (back == nullptr)
    return Failure{"書き出したファイルを読めません：" + GdalError("GDAL が失敗しました")};
  OGRLayerH layer = GDALDatasetGetLayer(back, 0);
  const std::int64_t features = layer != nullptr ? OGR_L_GetFeatureCount(layer, TRUE) : 0;
  GDALClose(back);
  return features;
}

}  // namespace kessadon
