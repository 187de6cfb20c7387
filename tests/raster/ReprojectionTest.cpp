// The systems suggested for data in degrees, a layer whose system is only
// GDAL's stand-in for an unknown one, and points a transformation cannot place.
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include "TempFolder.h"
#include "raster/Gdal.h"
#include "raster/PointLayers.h"
#include "raster/Reprojection.h"

namespace kessadon {
namespace {

TEST(Reprojection, SuggestsTheZonesThatHoldThePlace) {
  struct Case {
    const char* place;
    double longitude, latitude;
    std::vector<std::string> codes;
  };
  const Case cases[] = {
      {"Tokyo", 139.7, 35.7, {"EPSG:6677", "EPSG:6691"}},      // IX, UTM 54N
      {"Sapporo", 141.35, 43.06, {"EPSG:6680", "EPSG:6691"}},  // XII
      {"Fukuoka", 130.4, 33.6, {"EPSG:6670", "EPSG:6689"}},    // II, UTM 52N
      {"Naha", 127.68, 26.21, {"EPSG:6683", "EPSG:6689"}},     // XV
      {"London", -0.12, 51.5, {"EPSG:32630"}},
      {"Sydney", 151.2, -33.9, {"EPSG:32756"}},
      {"east of the date line", 540.5, 10, {"EPSG:32601"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SuggestedProjections(c.longitude, c.latitude), c.codes) << c.place;
    for (const std::string& code : c.codes) {
      Result<std::string> wkt = CrsFromDefinition(code);
      ASSERT_TRUE(wkt) << code;
      EXPECT_FALSE(IsGeographicCrs(*wkt)) << code;
    }
  }
  EXPECT_TRUE(SuggestedProjections(NAN, 35).empty());
  EXPECT_NE(CrsDescription(*CrsFromDefinition("EPSG:6691")).find("UTM zone 54N"),
            std::string::npos);
}

TEST(Reprojection, ChoosesTheRunsSystemAndRefusesDegrees) {
  const std::string degrees = *CrsFromDefinition("EPSG:4326");
  const std::string ix = *CrsFromDefinition("EPSG:6677"), i = *CrsFromDefinition("EPSG:6669");
  EXPECT_EQ(*WorkingCrs("", {"", degrees, ix, i}, 139.7, 35.7, ""), ix);
  EXPECT_EQ(*WorkingCrs(i, {ix}, 139.7, 35.7, ""), i);
  EXPECT_EQ(*WorkingCrs("", {"", ""}, NAN, NAN, ""), "");
  for (const std::string& chosen : {std::string(), degrees}) {
    Result<std::string> refused = WorkingCrs(chosen, {degrees}, 139.7, 35.7, "--crs で");
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.failure().message.find("--crs で投影座標系を"), std::string::npos);
    EXPECT_NE(refused.failure().message.find("(EPSG:6677)"), std::string::npos);
  }
}

TEST(Reprojection, RefusesAPointItCannotPlaceAndKeepsThemAll) {
  std::vector<double> x = {139.7, 139.8}, y = {35.7, 95};
  Status moved =
      TransformPoints(*CrsFromDefinition("EPSG:4326"), *CrsFromDefinition("EPSG:6677"), x, y);
  ASSERT_FALSE(moved);
  EXPECT_NE(moved.failure().message.find("2 番目の点 (139.8, 95)"), std::string::npos)
      << moved.failure().message;
  EXPECT_EQ(x, (std::vector<double>{139.7, 139.8}));
  EXPECT_EQ(y, (std::vector<double>{35.7, 95}));
}

// A GeoPackage whose layer is tagged srs_id 0, which GDAL reads as
// "Undefined geographic SRS": a layer without a system, not one in degrees.
TEST(Reprojection, AnUndefinedSystemIsNone) {
  testing::TempFolder folder;
  const std::string path = folder / "undefined.gpkg";
  EnsureGdal();
  {
    GDALDatasetH data =
        GDALCreate(GDALGetDriverByName("GPKG"), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(data, nullptr);
    OGRLayerH layer = GDALDatasetCreateLayer(data, "points", nullptr, wkbPoint, nullptr);
    OGRFieldDefnH field = OGR_Fld_Create("z", OFTReal);
    OGR_L_CreateField(layer, field, 1);
    OGR_Fld_Destroy(field);
    OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
    OGR_F_SetFieldDouble(feature, 0, 12.5);
    OGRGeometryH point = OGR_G_CreateGeometry(wkbPoint);
    OGR_G_SetPoint_2D(point, 0, 3000, 4000);
    OGR_F_SetGeometryDirectly(feature, point);
    ASSERT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
    OGR_F_Destroy(feature);
    GDALDatasetReleaseResultSet(
        data, GDALDatasetExecuteSQL(data, "UPDATE gpkg_geometry_columns SET srs_id = 0", nullptr,
                                    nullptr));
    GDALDatasetReleaseResultSet(
        data, GDALDatasetExecuteSQL(data, "UPDATE gpkg_contents SET srs_id = 0", nullptr, nullptr));
    GDALClose(data);
  }
  Result<PointLayerData> read = ReadPointLayer(path, "", {});
  ASSERT_TRUE(read) << read.failure().message;
  EXPECT_EQ(read->crs, "");
  EXPECT_EQ(read->data.DataX, std::vector<double>{3000});
}

}  // namespace
}  // namespace kessadon
