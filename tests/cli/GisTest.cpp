#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "CliRun.h"
#include "TempFolder.h"
#include "io/GridFile.h"
#include "raster/GridFiles.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

const std::string kHill = std::string(KESSADON_SOURCE_DIR) + "/data/samples/hill.grd";

// A script's round: tag a grid as GeoTIFF, read its coordinate system back,
// refine it to netCDF, contour it to a GeoPackage, and bring it home.
TEST(GisCli, GridsTravelThroughRastersWithTheirCoordinateSystem) {
  testing::TempFolder folder;
  const std::string tiff = folder / "hill.tif", nc = folder / "fine.nc", gpkg = folder / "c.gpkg",
                    home = folder / "home.grd";
  CliRun run = Cli({"convert", kHill, "-o", tiff, "--crs", "EPSG:6677"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Cli({"grid-info", tiff});
  EXPECT_NE(run.out.find("CRS = JGD2011 / Japan Plane Rectangular CS IX (EPSG:6677)\n"),
            std::string::npos)
      << run.out;
  run = Cli({"refine", tiff, "--nodes", "81,61", "-o", nc});
  ASSERT_EQ(run.status, 0) << run.err;
  Result<LoadedGrid> fine = ReadAnyGrid(nc);
  ASSERT_TRUE(fine);
  EXPECT_EQ(fine->grid.Nx, 81);
  EXPECT_NE(fine->crs, "");

  run = Cli({"contours", nc, "--levels", "100,400,50", "-o", gpkg});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("levels 100 to 400 every 50, 5 within the grid"), std::string::npos)
      << run.out;

  run = Cli({"convert", tiff, "-o", home});
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("holds no coordinate system"), std::string::npos) << run.err;
  Result<GridData> original = ReadGridFile(kHill), back = ReadGridFile(home);
  ASSERT_TRUE(original && back);
  EXPECT_EQ(back->Z(7, 9), original->Z(7, 9));
}

TEST(GisCli, RefusalsTakeOneLineAndWriteNothing) {
  testing::TempFolder folder;
  const std::vector<std::vector<std::string>> cases = {
      {"convert", kHill, "-o", folder / "a.tif", "--crs", "EPSG:999999"},
      {"convert", kHill, "-o", folder / "a.out", "--format", "NoSuchDriver"},
      {"contours", kHill, "-o", folder / "a.txt"},
      {"contours", kHill, "--levels", "0,100,0", "-o", folder / "a.gpkg"},
  };
  for (const auto& args : cases) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 1) << args[3];
    EXPECT_EQ(run.err.rfind("kessadon " + args[0] + ": ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(folder.EntryCount(), 0u);
}

}  // namespace
}  // namespace kessadon

namespace kessadon {
namespace {

// The faulted sample from the command line: estimated with its fault, its
// contours break at the fault instead of stacking along the scarp, and the
// picture draws the trace.
TEST(GisCli, FaultsBreakTheEstimateItsContoursAndItsPicture) {
  testing::TempFolder folder;
  const std::string samples = std::string(KESSADON_SOURCE_DIR) + "/data/samples/";
  const std::string faults = samples + "fault_bed_faults.txt", grid = folder / "bed.grd";
  CliRun run = Cli({"estimate", "--layout", "3", samples + "fault_bed.txt", "--nodes", "101,81",
                    "--range", "0,0,1000,800", "--faults", faults, "-o", grid});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("cut links = 95\ndropped data = 0\n"), std::string::npos) << run.out;

  // Levels 290 to 330 lie only on the scarp between the blocks.
  for (const auto& [extra, lines] : {std::pair{std::string(), 16}, {faults, 15}}) {
    std::vector<std::string> args = {"contours",   grid, "--levels",
                                     "150,450,20", "-o", folder / "c.geojson"};
    if (!extra.empty()) args.insert(args.end(), {"--faults", extra});
    run = Cli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::to_string(lines) + " lines"), std::string::npos) << run.out;
  }
  run = Cli({"render", grid, "--mode", "contour", "--faults", faults, "-o", folder / "p.png"});
  ASSERT_EQ(run.status, 0) << run.err;
  const QImage picture(QString::fromStdString(folder / "p.png"));
  int red = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) red += picture.pixel(x, y) == qRgb(139, 0, 0);
  }
  EXPECT_GT(red, 500);
}

}  // namespace
}  // namespace kessadon
