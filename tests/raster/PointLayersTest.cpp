// Measured data from GIS layers and spreadsheets GDAL opens.
#include <gdal_utils.h>
#include <gtest/gtest.h>

#include <fstream>

#include "TempFolder.h"
#include "io/NumberText.h"
#include "raster/Gdal.h"
#include "raster/PointLayers.h"

namespace kessadon {
namespace {

std::string Write(const std::string& path, const std::string& features) {
  std::ofstream(path) << R"({"type":"FeatureCollection","features":[)" << features << "]}";
  return path;
}

std::string Feature(const std::string& properties, const std::string& geometry) {
  return R"({"type":"Feature","properties":{)" + properties + R"(},"geometry":)" + geometry + "}";
}

// An XLSX sheet of the GeoJSON's fields, without geometry, as GDAL writes it.
std::string Spreadsheet(const std::string& geojson, const std::string& xlsx) {
  EnsureGdal();
  GDALDatasetH source = GDALOpenEx(geojson.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  char* argv[] = {const_cast<char*>("-f"), const_cast<char*>("XLSX"), nullptr};
  GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv, nullptr);
  GDALDatasetH written = GDALVectorTranslate(xlsx.c_str(), nullptr, 1, &source, options, nullptr);
  GDALVectorTranslateOptionsFree(options);
  GDALClose(written);
  GDALClose(source);
  return xlsx;
}

TEST(PointLayers, PlacesRecordsByPointsOrByColumns) {
  testing::TempFolder folder;
  const std::string points =
      Write(folder / "p.geojson",
            // A text field named x takes no part where points place the records.
            Feature(R"("標高":5,"傾斜方向":90,"傾斜":10,"x":"n/a")",
                    R"({"type":"Point","coordinates":[1,2]})") +
                "," +
                Feature(R"("標高":null,"傾斜方向":null,"傾斜":null)",
                        R"({"type":"MultiPoint","coordinates":[[3,4],[5,6]]})"));
  // 3-D points without a z field give their z, with a note.
  const std::string threeD = Write(
      folder / "z.geojson", Feature(R"("name":"a")", R"({"type":"Point","coordinates":[1,2,7]})"));
  // Northings named X and eastings Y in a sheet, swapped.
  const std::string sheet =
      Spreadsheet(Write(folder / "s.geojson", Feature(R"("X":20,"Y":10,"Z":3)", "null") + "," +
                                                  Feature(R"("X":21,"Y":11,"Z":4)", "null")),
                  folder / "s.xlsx");
  ColumnChoice swapped;
  swapped.swapXY = true;
  struct Case {
    std::string path;
    ColumnChoice choice;
    std::vector<std::array<double, 3>> xyz;
    std::size_t notes;
  };
  const Case cases[] = {
      {points, {}, {{1, 2, 5}, {3, 4, NoValue}, {5, 6, NoValue}}, 0},
      {threeD, {}, {{1, 2, 7}}, 1},
      {sheet, swapped, {{10, 20, 3}, {11, 21, 4}}, 0},
      // Points are east and north whatever the fields are called: not swapped, with a note.
      {threeD, swapped, {{1, 2, 7}}, 2},
  };
  for (const Case& c : cases) {
    const Result<PointLayerData> read = ReadPointLayer(c.path, "", c.choice);
    ASSERT_TRUE(read) << c.path << ": " << read.failure().message;
    ASSERT_EQ(read->data.Ndata(), static_cast<std::int32_t>(c.xyz.size())) << c.path;
    for (std::size_t k = 0; k < c.xyz.size(); ++k) {
      EXPECT_EQ(read->data.DataX[k], c.xyz[k][0]) << c.path << " " << k;
      EXPECT_EQ(read->data.DataY[k], c.xyz[k][1]) << c.path << " " << k;
      EXPECT_EQ(read->data.DataZ[k], c.xyz[k][2]) << c.path << " " << k;
    }
    EXPECT_EQ(read->notes.size(), c.notes) << c.path;
  }
  const Result<PointLayerData> dips = ReadPointLayer(points, "", {});
  ASSERT_TRUE(dips);
  EXPECT_EQ(dips->data.DataTrend[0], 90);
  EXPECT_EQ(dips->data.DataDip[1], NoValue);
  const Result<std::vector<PointLayer>> layers = ListPointLayers(points);
  ASSERT_TRUE(layers);
  ASSERT_EQ(layers->size(), 1u);
  EXPECT_TRUE((*layers)[0].points);
  EXPECT_EQ((*layers)[0].fields.size(), 4u);
}

TEST(PointLayers, RefusalsNameTheLayerTheFieldAndTheFeature) {
  testing::TempFolder folder;
  const std::string point = R"({"type":"Point","coordinates":[1,2]})";
  struct Case {
    std::string features;
    std::string fields;
    const char* says;
  };
  const Case cases[] = {
      {Feature(R"("z":"high")", point), "", "フィールド \"z\" の \"high\""},
      {Feature(R"("z":1)", point), "z=elev", "\"elev\""},
      {Feature(R"("name":"a")", point), "", "z のフィールドも"},
      {Feature(R"("z":1)", R"({"type":"LineString","coordinates":[[1,2],[3,4]]})"), "",
       "x と y のフィールドも"},
      // The layout files' "no position" marker is no value in a layer: refused, not dropped.
      {Feature(R"("z":1)", R"({"type":"Point","coordinates":[950000000,2]})"), "",
       "座標 (950000000, 2) が大きすぎます"},
      {Feature(R"("x":5,"y":950000000,"z":1)", "null"), "", "座標 (5, 950000000) が大きすぎます"},
  };
  int k = 0;
  for (const Case& c : cases) {
    std::string layer = "r";
    layer += std::to_string(++k);
    const std::string path = Write(folder / (layer + ".geojson"), c.features);
    const ColumnChoice choice = c.fields.empty() ? ColumnChoice{} : *ParseColumnChoice(c.fields);
    const Result<PointLayerData> read = ReadPointLayer(path, "", choice);
    ASSERT_FALSE(read) << c.says;
    EXPECT_NE(read.failure().message.find(c.says), std::string::npos) << read.failure().message;
    EXPECT_NE(read.failure().message.find("レイヤー \"" + layer + "\""), std::string::npos)
        << read.failure().message;
  }
}

}  // namespace
}  // namespace kessadon
