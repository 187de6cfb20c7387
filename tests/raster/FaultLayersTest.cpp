#include <gtest/gtest.h>

#include <fstream>

#include "TempFolder.h"
#include "raster/FaultLayers.h"

namespace kessadon {
namespace {

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// The same two traces from a GeoJSON layer (a line and a two-part line) as
// from the text form; a text file by any other name.
TEST(FaultLayers, LinesAndMultiLinesOfTheFirstLayerAsTheTextFormGivesThem) {
  const testing::TempFolder folder;
  const std::string json = (folder / "faults.geojson"), text = (folder / "faults.txt");
  Write(json, R"({"type": "FeatureCollection", "features": [
    {"type": "Feature", "properties": {}, "geometry":
      {"type": "LineString", "coordinates": [[10, 20], [30, 40], [50, 60]]}},
    {"type": "Feature", "properties": {}, "geometry":
      {"type": "MultiLineString", "coordinates": [[[0, 0], [100, -5]], [[7, 7], [8, 9]]]}}]})");
  Write(text, "10,20\n30,40\n50,60\n>\n0 0\n100 -5\n>\n7 7\n8 9\n");
  const Result<FaultTraces> layer = ReadFaultTraces(json), plain = ReadFaultTraces(text);
  ASSERT_TRUE(layer) << layer.failure().message;
  ASSERT_TRUE(plain) << plain.failure().message;
  ASSERT_EQ(layer->traces.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(layer->traces[k].x, plain->traces[k].x);
    EXPECT_EQ(layer->traces[k].y, plain->traces[k].y);
  }
  EXPECT_EQ(layer->traces[2].line, 2);  // the feature it came from

  // Refusals: points only, and a file GDAL cannot open as a layer.
  const std::string points = (folder / "points.geojson");
  Write(points, R"({"type": "FeatureCollection", "features": [
    {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [1, 2]}}]})");
  EXPECT_FALSE(ReadFaultTraces(points));
  const std::string broken = (folder / "broken.gpkg");
  Write(broken, "not a GeoPackage");
  EXPECT_FALSE(ReadFaultTraces(broken));
}

}  // namespace
}  // namespace kessadon
