// Survey data straight from spreadsheets and GIS layers: the same points in
// every form give the same grid, and a layer's coordinate system reaches it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CliRun.h"
#include "LayerFiles.h"
#include "TempFolder.h"
#include "raster/Gdal.h"
#include "raster/GridFiles.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

struct Point {
  double x, y;
  const char* z;  // "" for no height
  int l;
  const char* trend;  // "" for no reading
  const char* dip;
};

const Point kPoints[] = {{10, 10, "101.5", 0, "", ""},       {60, 15, "98.25", 0, "", ""},
                         {110, 12, "95", 0, "90", "12.5"},   {15, 55, "104", 0, "", ""},
                         {65, 60, "", 0, "85", "10"},        {112, 58, "96.75", 0, "", ""},
                         {20, 95, "106.5", 0, "", ""},       {70, 100, "101", -1, "", ""},
                         {115, 98, "97.5", 0, "95.5", "11"}, {45, 40, "100", 1, "", ""}};

std::string Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string Or9e9(const char* value) { return *value != 0 ? value : "9e9"; }
std::string OrNull(const char* value) { return *value != 0 ? value : "null"; }

std::string LayoutFile() {
  std::ostringstream text;
  int id = 0;
  for (const Point& p : kPoints) {
    text << "p" << ++id << ',' << p.x << ',' << p.y << ',' << Or9e9(p.z) << ',' << p.l << ','
         << Or9e9(p.trend) << ',' << Or9e9(p.dip) << '\n';
  }
  return text.str() + "end,0,0,0,0,0,0\n";
}

// "地点,x座標,y座標,標高,l,傾斜方向,傾斜" in Shift_JIS, then the rows with
// empty cells where a value is missing.
std::string ShiftJisTable() {
  std::ostringstream text;
  text << "\x92n\x93_,x\x8d\xc0\x95W,y\x8d\xc0\x95W,\x95W\x8d\x82,l,\x8cX\x8e\xce\x95\xfb\x8c\xfc,"
          "\x8cX\x8e\xce\r\n";
  int id = 0;
  for (const Point& p : kPoints) {
    text << "p" << ++id << ',' << p.x << ',' << p.y << ',' << p.z << ',' << p.l << ',' << p.trend
         << ',' << p.dip << "\r\n";
  }
  return text.str();
}

// GeoJSON in JGD2011 / Japan Plane Rectangular CS IX with fields named as
// GIS tools often name them.
std::string GeoJson() {
  std::ostringstream text;
  text << R"({"type":"FeatureCollection","crs":{"type":"name","properties":)"
       << R"({"name":"urn:ogc:def:crs:EPSG::6677"}},"features":[)";
  bool first = true;
  for (const Point& p : kPoints) {
    text << (first ? "" : ",") << R"({"type":"Feature","properties":{"elev":)" << OrNull(p.z)
         << R"(,"code":)" << p.l << R"(,"dipdir":)" << OrNull(p.trend) << R"(,"dip":)"
         << OrNull(p.dip) << R"(},"geometry":{"type":"Point","coordinates":[)" << p.x << ',' << p.y
         << "]}}";
    first = false;
  }
  return text.str() + "]}";
}

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(DataInputCli, EveryFormOfThePointsGivesTheSameGrid) {
  testing::TempFolder folder;
  const std::string geojson = Write(folder / "points.geojson", GeoJson());
  testing::TranslateLayer(geojson, folder / "points.gpkg", "GPKG");
  testing::TranslateLayer(geojson, folder / "points.shp", "ESRI Shapefile");
  struct Case {
    std::vector<std::string> input;
    bool crs;
  };
  const Case cases[] = {
      {{"--layout", "3", Write(folder / "points.txt", LayoutFile())}, false},
      {{Write(folder / "points.csv", ShiftJisTable())}, false},
      {{folder / "points.gpkg"}, true},
      {{folder / "points.shp"}, true},
      {{geojson}, true},
  };
  std::string reference;
  for (const Case& c : cases) {
    std::vector<std::string> args = {"estimate"};
    args.insert(args.end(), c.input.begin(), c.input.end());
    const std::string out = folder / "out.grd";
    for (const char* more : {"--nodes", "13,11", "--range", "0,0,120,100", "-o"}) {
      args.emplace_back(more);
    }
    args.push_back(out);
    const CliRun run = Cli(args);
    ASSERT_EQ(run.status, 0) << c.input.back() << ": " << run.err;
    EXPECT_EQ(run.err.find("holds no coordinate system") != std::string::npos, c.crs)
        << c.input.back() << ": " << run.err;
    const std::string grid = Slurp(out);
    if (reference.empty()) reference = grid;
    EXPECT_EQ(grid, reference) << c.input.back();
  }

  // The layer's coordinate system reaches a GeoTIFF; --crs names another, into which the
  // points are transformed.
  CliRun run =
      Cli({"estimate", folder / "points.gpkg", "--nodes", "13,11", "-o", folder / "g.tif"});
  ASSERT_EQ(run.status, 0) << run.err;
  Result<LoadedGrid> tiff = ReadAnyGrid(folder / "g.tif");
  ASSERT_TRUE(tiff);
  EXPECT_NE(CrsDescription(tiff->crs).find("EPSG:6677"), std::string::npos) << tiff->crs;
  run = Cli({"estimate", folder / "points.gpkg", "--nodes", "13,11", "--crs", "EPSG:6669", "-o",
             folder / "h.tif"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("(EPSG:6677) から JGD2011 / Japan Plane Rectangular CS I (EPSG:6669) に"),
            std::string::npos)
      << run.err;
  tiff = ReadAnyGrid(folder / "h.tif");
  ASSERT_TRUE(tiff);
  EXPECT_NE(CrsDescription(tiff->crs).find("EPSG:6669"), std::string::npos) << tiff->crs;

  // The layout-3 file read as layout 1: read on as before, with a note naming the layout its
  // lines fit.
  run = Cli({"estimate", folder / "points.txt", "--nodes", "13,11", "-o", folder / "i.grd"});
  EXPECT_NE(run.err.find("形式 1（id,x,y,z：4 個）のレコードと合いません"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("--layout 3"), std::string::npos) << run.err;
}

TEST(DataInputCli, RefusalsNameTheFileAndWriteNothing) {
  testing::TempFolder folder;
  const std::string geojson = Write(folder / "points.geojson", GeoJson());
  // Degrees, as every KML holds them.
  const std::string degrees =
      Write(folder / "degrees.geojson",
            R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"z":1},)"
            R"("geometry":{"type":"Point","coordinates":[139.7,35.6]}}]})");
  const std::string out = folder / "never.grd";
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{degrees}, "経緯度"},
      {{geojson, "--fields", "z=height"}, "\"height\""},
      {{geojson, "--fields", "depth=d"}, "--fields"},
      {{geojson, "--fields", ""}, "--fields"},  // given empty: no choice left to the names
      {{geojson, "--layer", "nothing"}, "\"nothing\""},
      {{Write(folder / "t.csv", "x,y,z\n1,2,3\n4,5,six\n")}, "3 行目"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"estimate"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    for (const char* more : {"--nodes", "5,5", "-o"}) args.emplace_back(more);
    args.push_back(out);
    const CliRun run = Cli(args);
    EXPECT_NE(run.status, 0) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

}  // namespace
}  // namespace kessadon
