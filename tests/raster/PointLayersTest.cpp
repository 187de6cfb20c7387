// Measured data from GIS layers and spreadsheets GDAL opens.
#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "io/NumberText.h"
#include "raster/Gdal.h"
#include "raster/MeasuredFiles.h"
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
  const std::string longName(70, 'f');
  struct Case {
    std::string features;
    std::string fields;
    std::string says;
  };
  const Case cases[] = {
      {Feature(R"("z":"high")", point), "", "フィールド \"z\" の \"high\""},
      // Names and values quoted: control characters shown, and cut short.
      {Feature(R"("z":"\u001b[31m\n)" + std::string(80, 'x') + "\"", point), "",
       "の \"\\x1B[31m\\n" + std::string(50, 'x') + "…\"："},
      {Feature("\"" + longName + R"(":"high")", point), "z=" + longName,
       "フィールド \"" + std::string(60, 'f') + "…\" の \"high\""},
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
    const std::string& message = read.failure().message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](char b) {
      return b >= 0 && b < 0x20;
    })) << message;
    EXPECT_NE(read.failure().message.find("レイヤー \"" + layer + "\""), std::string::npos)
        << read.failure().message;
  }
}

// A Shapefile of one point with a field z = 5, at z = 7 when 3-D.
std::string Shapefile(const std::string& path, bool threeD, double pointZ = 7) {
  EnsureGdal();
  const char* driver = path.ends_with(".gpkg") ? "GPKG" : "ESRI Shapefile";
  GDALDatasetH data =
      GDALCreate(GDALGetDriverByName(driver), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  OGRLayerH layer =
      GDALDatasetCreateLayer(data, "p", nullptr, threeD ? wkbPoint25D : wkbPoint, nullptr);
  OGRFieldDefnH field = OGR_Fld_Create("z", OFTReal);
  OGR_L_CreateField(layer, field, 1);
  OGR_Fld_Destroy(field);
  OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
  OGR_F_SetFieldDouble(feature, 0, 5);
  OGRGeometryH point = OGR_G_CreateGeometry(threeD ? wkbPoint25D : wkbPoint);
  OGR_G_SetPoint(point, 0, 1, 2, pointZ);
  OGR_F_SetGeometryDirectly(feature, point);
  EXPECT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
  OGR_F_Destroy(feature);
  GDALClose(data);
  return path;
}

TEST(PointLayers, OpeningRefusalsSayWhatIsMissing) {
  testing::TempFolder folder;
  const auto without = [&](const std::string& name, bool threeD, const char* side) {
    const std::string path = Shapefile(folder / (name + ".shp"), threeD);
    std::filesystem::remove(folder / (name + side));
    return path;
  };
  std::ofstream(folder / "broken.geojson") << "{\"type\": \"FeatureCollection\", \"fea";
  struct Case {
    std::string path;
    const char* fields;
    const char* says;  // nothing: read, with this z
    double z;
  };
  const Case cases[] = {
      {Shapefile(folder / "whole.shp", false), "", nullptr, 5},
      // A z some writers leave as no number is no height of the point: the field's is taken.
      {Shapefile(folder / "nanz.gpkg", true, NAN), "", nullptr, 5},
      {without("noshx", false, ".shx"), "",
       "GIS のレイヤーとして開けません：付属ファイル .shx がありません（Unable to open", 0},
      // No .dbf opens without a field: refused where a field is wanted, not
      // where the points give z.
      {without("nodbf", false, ".dbf"), "",
       "GIS のレイヤーとして開けません：付属ファイル .dbf がありません（属性が読めません）", 0},
      {without("nodbf3", true, ".dbf"), "", nullptr, 7},
      {without("nodbf3z", true, ".dbf"), "z=z",
       "GIS のレイヤーとして開けません：付属ファイル .dbf がありません（属性が読めません）", 0},
      {folder / "none.gpkg", "", "GIS のレイヤーとして開けません：ファイルがありません", 0},
      {folder / "broken.geojson", "", "GIS のレイヤーとして開けません：", 0},
  };
  for (const Case& c : cases) {
    const ColumnChoice choice = *c.fields ? *ParseColumnChoice(c.fields) : ColumnChoice{};
    const Result<PointLayerData> read = ReadPointLayer(c.path, "", choice);
    if (c.says == nullptr) {
      ASSERT_TRUE(read) << c.path << ": " << read.failure().message;
      EXPECT_EQ(read->data.DataZ, std::vector<double>{c.z}) << c.path;
      continue;
    }
    ASSERT_FALSE(read) << c.path;
    EXPECT_EQ(read.failure().message.rfind(c.says, 0), 0u) << read.failure().message;
  }
}

// What a spreadsheet saves as "Unicode text": a table by its header as in
// UTF-8, though a byte of its first line's characters is that of a line end,
// and a file of the layouts as well.
TEST(MeasuredFiles, ReadsUnicodeText) {
  testing::TempFolder folder;
  const std::u16string table = u"地点,上端,x,y,標高\r\na,1,10,20,5\r\nb,1,11,21,6\r\n";
  const std::u16string layout =
      u"地点\tx\ty\t標高\r\na\t10\t20\t5\r\nb\t11\t21\t6\r\nend\t0\t0\t0\r\n";
  for (const bool little : {true, false}) {
    for (const bool isTable : {true, false}) {
      std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
      for (const char16_t unit : isTable ? table : layout) {
        const auto low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? low : high;
        bytes += little ? high : low;
      }
      const std::string path =
          folder / ((little ? "le" : "be") + std::string(isTable ? ".csv" : ".txt"));
      std::ofstream(path, std::ios::binary) << bytes;
      EXPECT_EQ(IsTableFile(path, {}), isTable) << path;
      if (isTable) {
        const Result<std::vector<std::string>> names = TableColumnNames(path);
        ASSERT_TRUE(names) << path;
        EXPECT_EQ(*names, (std::vector<std::string>{"地点", "上端", "x", "y", "標高"}));
      }
      const Result<MeasuredFileRead> read = ReadMeasuredFile(path, {});
      ASSERT_TRUE(read) << path << ": " << read.failure().message;
      EXPECT_EQ(read->data.DataId, (std::vector<std::string>{"a", "b"})) << path;
      EXPECT_EQ(read->data.DataX, (std::vector<double>{10, 11})) << path;
      EXPECT_EQ(read->data.DataZ, (std::vector<double>{5, 6})) << path;
    }
  }
}

}  // namespace
}  // namespace kessadon
