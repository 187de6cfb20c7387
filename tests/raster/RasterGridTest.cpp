#include <gdal.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "TempFolder.h"
#include "io/GridFile.h"
#include "raster/Gdal.h"
#include "raster/GridFiles.h"
#include "raster/RasterGrid.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

using testing::TempFolder;

// Non-square, spacing and origin that no binary fraction holds, heights with
// all their bits in use.
GridData OddGrid() {
  return testing::MakeGrid(
      {.nx = 7, .ny = 4, .dx = 0.3, .dy = 2.7, .xmin = 1234.1, .ymin = -56.7},
      [](int i, int j) { return std::sqrt(2.0) * i - j / 3.0 + 1e-7 * i * j; });
}

// A Float64 GeoTIFF made by GDAL directly, with the given geotransform.
void MakeTiff(const std::string& path, int columns, int rows, const double (&transform)[6],
              const std::vector<double>& values, std::optional<double> noData = {}) {
  EnsureGdal();
  GDALDatasetH d = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), columns, rows, 1,
                              GDT_Float64, nullptr);
  ASSERT_NE(d, nullptr);
  GDALSetGeoTransform(d, const_cast<double*>(transform));
  GDALRasterBandH band = GDALGetRasterBand(d, 1);
  if (noData) GDALSetRasterNoDataValue(band, *noData);
  ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, columns, rows, const_cast<double*>(values.data()),
                         columns, rows, GDT_Float64, 0, 0),
            CE_None);
  GDALClose(d);
}

TEST(RasterGrid, EveryFormatGivesBackTheGridExactlyWithItsCoordinateSystem) {
  TempFolder folder;
  const GridData grid = OddGrid();
  Result<std::string> crs = CrsFromDefinition("EPSG:6677");
  ASSERT_TRUE(crs) << crs.failure().message;
  const std::pair<const char*, const char*> cases[] = {
      {"a.tif", ""}, {"a.asc", ""}, {"a.nc", ""}, {"a.img", ""}, {"a.dat", "GTiff"}};
  for (const auto& [name, format] : cases) {
    SCOPED_TRACE(name);
    const std::string path = folder / name;
    Status written = WriteRaster(path, grid, *crs, format);
    ASSERT_TRUE(written) << written.failure().message;
    Result<RasterGrid> back = ReadRaster(path);
    ASSERT_TRUE(back) << back.failure().message;
    const GridData& g = back->grid;
    ASSERT_EQ(g.Nx, grid.Nx);
    ASSERT_EQ(g.Ny, grid.Ny);
    EXPECT_EQ(g.Xmin, grid.Xmin);
    EXPECT_EQ(g.Ymin, grid.Ymin);
    EXPECT_EQ(g.Dx, grid.Dx);
    EXPECT_EQ(g.Dy, grid.Dy);
    for (int i = 1; i <= g.Nx; ++i) {
      for (int j = 1; j <= g.Ny; ++j) ASSERT_EQ(g.Z(i, j), grid.Z(i, j)) << i << "," << j;
    }
    EXPECT_NE(CrsDescription(back->crs).find("Japan Plane Rectangular CS IX"), std::string::npos)
        << back->crs;

    // GDAL's own reading puts node (1, Ny) at the centre of the first pixel.
    const char* const float64[] = {"DATATYPE=Float64", nullptr};  // for the ASCII grid
    GDALDatasetH d = GDALOpenEx(path.c_str(), GDAL_OF_RASTER, nullptr,
                                std::string(name) == "a.asc" ? float64 : nullptr, nullptr);
    ASSERT_NE(d, nullptr);
    double t[6];
    ASSERT_EQ(GDALGetGeoTransform(d, t), CE_None);
    EXPECT_NEAR(t[0] + t[1] / 2, grid.Xmin, 1e-9);
    EXPECT_NEAR(t[3] + t[5] / 2, grid.Ymin + (grid.Ny - 1) * grid.Dy, 1e-9);
    EXPECT_NEAR(t[5], -grid.Dy, 1e-12);
    double corner = 0;
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(d, 1), GF_Read, 0, 0, 1, 1, &corner, 1, 1, GDT_Float64,
                           0, 0),
              CE_None);
    EXPECT_EQ(corner, grid.Z(1, grid.Ny)) << "north-west node first";
    if (std::string(name) == "a.tif") {
      EXPECT_STREQ(GDALGetMetadataItem(d, GDALMD_AREA_OR_POINT, nullptr), GDALMD_AOP_POINT);
    }
    GDALClose(d);
  }
}

TEST(RasterGrid, HolesAreRefusedWithTheirCountOrFilledOnRequest) {
  TempFolder folder;
  const std::string path = folder / "holes.tif";
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // 4 x 3, north-up; two cells hold the no-data value, one NaN.
  MakeTiff(path, 4, 3, {100, 10, 0, 530, 0, -10}, {1, 2, 3, 4, 5, -9999, 7, 8, nan, 10, -9999, 12},
           -9999);
  Result<RasterGrid> refused = ReadRaster(path);
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.failure().message.find("3 個"), std::string::npos) << refused.failure().message;

  Result<RasterGrid> filled = ReadRaster(path, true);
  ASSERT_TRUE(filled) << filled.failure().message;
  const GridData& g = filled->grid;
  EXPECT_EQ(g.Xmin, 105);
  EXPECT_EQ(g.Ymin, 505);
  EXPECT_EQ(g.Z(1, 3), 1) << "row 0 is the northern one";
  EXPECT_EQ(g.Z(4, 1), 12);
  for (auto [i, j] : {std::pair{2, 2}, {1, 1}, {3, 1}}) {
    EXPECT_TRUE(std::isfinite(g.Z(i, j)) && g.Z(i, j) > 0 && g.Z(i, j) < 13) << i << "," << j;
  }
}

TEST(RasterGrid, InfiniteAndHugeHeightsAreRefusedWithTheirNode) {
  TempFolder folder;
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {inf, -inf, 1e300}) {
    // 3 x 2, north-up: the bad cell is the middle one of the southern row.
    MakeTiff(folder / "bad.tif", 3, 2, {0, 1, 0, 2, 0, -1}, {1, 2, 3, 4, bad, 6});
    Result<RasterGrid> read = ReadRaster(folder / "bad.tif");
    ASSERT_FALSE(read) << bad;
    EXPECT_EQ(read.failure().message, "高さ Z(2, 1) の値が大きすぎます（絶対値は 1E+100 まで）");
  }
}

TEST(RasterGrid, RotatedAndBrokenFilesAreRefusedWithAReason) {
  TempFolder folder;
  const std::string rotated = folder / "rotated.tif";
  MakeTiff(rotated, 2, 2, {0, 1, 0.2, 10, 0.1, -1}, {1, 2, 3, 4});
  const std::string good = folder / "good.tif";
  ASSERT_TRUE(WriteRaster(good, OddGrid(), {}));
  std::ifstream in(good, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  const std::string truncated = folder / "truncated.tif";
  std::ofstream(truncated, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  const std::string empty = folder / "empty.tif";
  std::ofstream{empty};
  const std::string text = folder / "text.tif";
  std::ofstream(text) << "3 2 100 200 10 20\n1 2 3 4 5 6\n";

  const std::pair<std::string, const char*> cases[] = {{rotated, "回転"},
                                                       {truncated, ""},
                                                       {empty, "開けません"},
                                                       {text, "開けません"},
                                                       {folder / "missing.tif", "開けません"}};
  for (const auto& [path, reason] : cases) {
    Result<LoadedGrid> read = ReadAnyGrid(path);
    ASSERT_FALSE(read) << path;
    EXPECT_FALSE(read.failure().message.empty());
    EXPECT_NE(read.failure().message.find(reason), std::string::npos)
        << path << ": " << read.failure().message;
  }
}

TEST(RasterGrid, NamesDecideTheFormatAndGridDataFilesStayTheDefault) {
  TempFolder folder;
  const GridData grid = OddGrid();
  const std::string tiff = folder / "b.tif", plain = folder / "b.grd",
                    renamed = folder / "tiff.grd";
  bool dropped = false;
  ASSERT_TRUE(WriteAnyGrid(plain, grid, "LOCAL_CS[\"x\"]", {}, &dropped));
  EXPECT_TRUE(dropped) << "a grid data file cannot keep a coordinate system";
  ASSERT_TRUE(ReadGridFile(plain)) << "written as a grid data file";
  ASSERT_TRUE(WriteAnyGrid(tiff, grid, {}, {}, &dropped));
  EXPECT_FALSE(dropped);
  std::filesystem::copy_file(tiff, renamed);

  EXPECT_EQ(GridFileKindOf(plain), GridFileKind::GridData);
  EXPECT_EQ(GridFileKindOf(tiff), GridFileKind::Raster);
  EXPECT_EQ(GridFileKindOf(renamed), GridFileKind::Raster) << "GDAL recognises the content";
  EXPECT_EQ(GridFileKindOf(std::string(KESSADON_SOURCE_DIR) + "/data/samples/sample_map.mem"),
            GridFileKind::ElevationMap);
  Result<LoadedGrid> read = ReadAnyGrid(renamed);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->driver, "GTiff");
  EXPECT_EQ(read->grid.Dx, grid.Dx);

  // A failed write leaves the old file and no stray files.
  const std::size_t before = folder.EntryCount();
  EXPECT_FALSE(WriteRaster(tiff, grid, {}, "NoSuchDriver"));
  EXPECT_FALSE(WriteRaster(folder / "no-such-folder/c.tif", grid, {}));
  EXPECT_TRUE(ReadRaster(tiff));
  EXPECT_EQ(folder.EntryCount(), before);
}

// The units a picture labels lengths in: those of the system's projected x
// and y, and of its heights where it has a vertical part; none where it says none.
TEST(CrsUnits, FromTheProjectedAndTheVerticalParts) {
  struct Case {
    const char* definition;
    const char* horizontal;
    const char* vertical;
  };
  const Case cases[] = {{"EPSG:6677", "m", ""},
                        {"EPSG:4326", "", ""},
                        {"EPSG:6677+6695", "m", "m"},
                        {"EPSG:2230", "ft", ""}};
  for (const Case& c : cases) {
    const Result<std::string> wkt = CrsFromDefinition(c.definition);
    ASSERT_TRUE(wkt) << c.definition;
    const CrsUnits units = CrsUnitsOf(*wkt);
    EXPECT_EQ(units.horizontal, c.horizontal) << c.definition;
    EXPECT_EQ(units.vertical, c.vertical) << c.definition;
  }
  EXPECT_EQ(CrsUnitsOf("").horizontal, "");
}

}  // namespace
}  // namespace kessadon
