#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "TempFolder.h"
#include "raster/ContourExport.h"
#include "raster/Gdal.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

TEST(ContourExport, LevelsFollowTheDesktopRules) {
  struct Case {
    ContourLevels levels;
    double zmin, zmax;
    std::vector<double> expected;
    bool refused;
  };
  const Case cases[] = {
      {{0, 100, 25, 1}, 10, 80, {25, 50, 75}, false},
      {{0, 100, 25, 1}, 0, 100, {0, 25, 50, 75, 100}, false},
      {{100, 0, -25, 1}, 10, 80, {25, 50, 75}, false},  // counted downwards: the same lines
      {{0, 40, 30, 1}, 0, 100, {0, 30}, false},         // the end level bounds them
      {{0, 100, 0, 1}, 0, 100, {}, true},
      {{0, 100, -10, 1}, 0, 100, {}, true},
  };
  for (const Case& c : cases) {
    Result<std::vector<double>> values = ContourLevelValues(c.levels, c.zmin, c.zmax);
    ASSERT_EQ(!values, c.refused) << c.levels.Cst << " " << c.levels.Cin;
    if (values) {
      EXPECT_EQ(*values, c.expected) << c.levels.Cst << " " << c.levels.Cin;
    }
  }
}

// A cone whose apex is node (16, 11): every level below the apex is one ring
// around it, closed, with the level in "elev".
TEST(ContourExport, ConeGivesOneClosedRingPerLevelInEveryFormat) {
  testing::TempFolder folder;
  const double apexX = 500 + 15 * 10, apexY = 200 + 10 * 12;
  const GridData g = testing::MakeMapGrid(
      {.nx = 31, .ny = 21, .dx = 10, .dy = 12, .xmin = 500, .ymin = 200},
      [&](double x, double y) { return 100 - std::hypot(x - apexX, y - apexY) / 2; });
  Result<std::string> crs = CrsFromDefinition("EPSG:6677");
  ASSERT_TRUE(crs);
  const std::vector<double> levels = {60, 70, 80, 90};

  for (const char* name : {"c.gpkg", "c.geojson", "c.shp"}) {
    SCOPED_TRACE(name);
    const std::string path = folder / name;
    Result<std::int64_t> written = ExportContours(path, g, levels, *crs);
    ASSERT_TRUE(written) << written.failure().message;
    EXPECT_EQ(*written, 4);

    GDALDatasetH d = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
    ASSERT_NE(d, nullptr);
    OGRLayerH layer = GDALDatasetGetLayer(d, 0);
    ASSERT_NE(OGR_L_GetSpatialRef(layer), nullptr);
    std::map<double, int> rings;
    OGR_L_ResetReading(layer);
    while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
      const double elev = OGR_F_GetFieldAsDouble(f, OGR_F_GetFieldIndex(f, "elev"));
      OGRGeometryH line = OGR_F_GetGeometryRef(f);
      const int n = OGR_G_GetPointCount(line);
      EXPECT_EQ(OGR_G_GetX(line, 0), OGR_G_GetX(line, n - 1));
      EXPECT_EQ(OGR_G_GetY(line, 0), OGR_G_GetY(line, n - 1));
      // The ring lies at the right distance from the apex node.
      const double radius = (100 - elev) * 2;
      for (int k = 0; k < n; k += 5) {
        const double r = std::hypot(OGR_G_GetX(line, k) - apexX, OGR_G_GetY(line, k) - apexY);
        EXPECT_NEAR(r, radius, 0.05 * radius) << elev;
      }
      ++rings[elev];
      OGR_F_Destroy(f);
    }
    GDALClose(d);
    EXPECT_EQ(rings, (std::map<double, int>{{60, 1}, {70, 1}, {80, 1}, {90, 1}}));
  }
}

// A fault across a slope rising east: each level's line stops at the row of
// cells the trace cuts and goes on beyond it, as the pictures draw it.
TEST(ContourExport, FaultTracesBreakTheLinesAtTheCellsTheyCut) {
  testing::TempFolder folder;
  const GridData g =
      testing::MakeMapGrid({.nx = 31, .ny = 21, .dx = 10, .dy = 12, .xmin = 500, .ymin = 200},
                           [](double x, double) { return x; });
  FaultTraces faults;
  faults.traces.push_back({{490, 810}, {321, 321}});
  const std::string path = folder / "c.geojson";
  Result<std::int64_t> written = ExportContours(path, g, {555, 605, 655, 705}, "", {}, faults);
  ASSERT_TRUE(written) << written.failure().message;
  EXPECT_EQ(*written, 8);

  GDALDatasetH d = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(d, nullptr);
  OGRLayerH layer = GDALDatasetGetLayer(d, 0);
  OGR_L_ResetReading(layer);
  while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
    OGRGeometryH line = OGR_F_GetGeometryRef(f);
    double south = 1e9, north = -1e9;
    for (int k = 0; k < OGR_G_GetPointCount(line); ++k) {
      south = std::min(south, OGR_G_GetY(line, k));
      north = std::max(north, OGR_G_GetY(line, k));
    }
    // Each piece keeps to its side of the cut row of cells, 320 to 332.
    EXPECT_TRUE(north <= 320 + 1e-9 || south >= 332 - 1e-9) << south << " " << north;
    OGR_F_Destroy(f);
  }
  GDALClose(d);
}

}  // namespace
}  // namespace kessadon
