// Layers in another coordinate system than the run's are transformed into
// it: outcrops in degrees give the surface of the same outcrops in metres,
// and a fault layer in degrees cuts the same links.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "CliRun.h"
#include "LayerFiles.h"
#include "TempFolder.h"
#include "io/FaultTraces.h"
#include "raster/Gdal.h"
#include "raster/GridFiles.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

const std::string kSamples = std::string(KESSADON_SOURCE_DIR) + "/data/samples/";

// The sample's fault traces as GeoJSON lines in the sample's system.
std::string FaultLayer(const std::string& path) {
  Result<FaultTraces> traces = ReadFaultTraceText(kSamples + "fault_bed_faults.txt");
  EXPECT_TRUE(traces);
  std::ostringstream text;
  text.precision(17);
  text << R"({"type":"FeatureCollection","crs":{"type":"name","properties":)"
       << R"({"name":"urn:ogc:def:crs:EPSG::6677"}},"features":[)";
  for (std::size_t t = 0; t < traces->traces.size(); ++t) {
    const FaultTrace& trace = traces->traces[t];
    text << (t == 0 ? "" : ",")
         << R"({"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[)";
    for (std::size_t k = 0; k < trace.x.size(); ++k) {
      text << (k == 0 ? "" : ",") << '[' << trace.x[k] << ',' << trace.y[k] << ']';
    }
    text << "]}}";
  }
  std::ofstream(path) << text.str() << "]}";
  return path;
}

std::vector<std::string> Estimate(std::vector<std::string> input, const std::string& out) {
  std::vector<std::string> args = {"estimate"};
  args.insert(args.end(), input.begin(), input.end());
  for (const char* more : {"--nodes", "101,81", "--range", "0,0,1000,800", "-o"}) {
    args.emplace_back(more);
  }
  args.push_back(out);
  return args;
}

double LargestDifference(const std::string& a, const std::string& b) {
  Result<LoadedGrid> first = ReadAnyGrid(a), second = ReadAnyGrid(b);
  EXPECT_TRUE(first && second);
  if (!first || !second) return INFINITY;
  double most = 0;
  for (std::size_t k = 0; k < first->grid.Z.Size(); ++k) {
    most = std::max(most, std::fabs(first->grid.Z.Data()[k] - second->grid.Z.Data()[k]));
  }
  return most;
}

TEST(ReprojectionCli, LayersInDegreesGiveTheSurfaceOfTheSameDataInMetres) {
  testing::TempFolder folder;
  const std::string metres = kSamples + "fault_bed.geojson";
  const std::string faults = FaultLayer(folder / "faults.geojson");
  const std::string degrees = folder / "bed.gpkg", faultDegrees = folder / "faults.gpkg";
  testing::TranslateLayer(metres, degrees, "GPKG", "EPSG:4326");
  testing::TranslateLayer(faults, faultDegrees, "GPKG", "EPSG:4326");
  const std::string kml = folder / "bed.kml";
  testing::TranslateLayer(metres, kml, "KML", "EPSG:4326");

  const std::string reference = folder / "reference.tif";
  CliRun run = Cli(Estimate({metres, "--faults", faults}, reference));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("cut links = 95\n"), std::string::npos) << run.out;
  Result<LoadedGrid> read = ReadAnyGrid(reference);
  ASSERT_TRUE(read);
  const NodeArray<double>& z = read->grid.Z;
  const auto [low, high] = std::minmax_element(z.Data(), z.Data() + z.Size());
  const double range = *high - *low;
  ASSERT_GT(range, 100);

  struct Case {
    std::vector<std::string> input;
    const char* note;
  };
  const Case cases[] = {
      // --crs names the system; the faults follow the data into it.
      {{degrees, "--crs", "EPSG:6677", "--faults", faultDegrees}, "WGS 84 (EPSG:4326) から"},
      // Outcrops as every KML holds them.
      {{kml, "--crs", "EPSG:6677", "--faults", faults}, "(EPSG:6677) に変換しました（160 点）"},
      // Without it the first projected layer's system is taken, whatever its place.
      {{degrees, metres, "--faults", faultDegrees},
       "JGD2011 / Japan Plane Rectangular CS IX (EPSG:6677) に変換しました"},
  };
  for (const Case& c : cases) {
    const std::string out = folder / "out.tif";
    run = Cli(Estimate(c.input, out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("cut links = 95\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(c.note), std::string::npos) << run.err;
    if (c.input.back() != metres) {
      EXPECT_LT(LargestDifference(reference, out), 1e-6 * range);
    }
  }

  // Degrees alone are refused, naming systems that would hold the data.
  run = Cli(Estimate({degrees}, folder / "never.grd"));
  EXPECT_NE(run.status, 0);
  for (const char* says : {"経緯度", "--crs", "Japan Plane Rectangular CS IX (EPSG:6677)",
                           "JGD2011 / UTM zone 54N (EPSG:6691)"}) {
    EXPECT_NE(run.err.find(says), std::string::npos) << says << ": " << run.err;
  }
  run = Cli(Estimate({degrees, "--crs", "EPSG:4326"}, folder / "never.grd"));
  EXPECT_NE(run.err.find("経緯度"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "never.grd"));

  // A picture brings the layers into its grid's system; where the grid has
  // none, layers that miss it are named.
  run = Cli(
      {"render", reference, "--data", degrees, "--faults", faultDegrees, "-o", folder / "p.png"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("に変換しました（160 点）"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("格子の外"), std::string::npos) << run.err;
  run = Cli({"render", kSamples + "plane.grd", "--data", degrees, "--faults", faultDegrees, "-o",
             folder / "p.png"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("断層線 1 本が格子の外にあります"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("点はどれも格子の外にあります"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kessadon
