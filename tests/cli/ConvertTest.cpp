#include <gtest/gtest.h>

#include <fstream>

#include "CliRun.h"
#include "TempFolder.h"
#include "io/ElevationMap.h"
#include "io/GridFile.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

TEST(Convert, SampleSheetBecomesAGridThatReadsBack) {
  testing::TempFolder folder;
  const std::string sheet = std::string(KESSADON_SOURCE_DIR) + "/data/samples/sample_map.mem";
  const std::string output = folder / "map.grd";
  const CliRun run = Cli({"convert", sheet, "-o", output});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, sheet + ": 40 x 30 nodes, sheet 架空山地 -> " + output + "\n");

  Result<ElevationMap> map = ReadElevationMap(sheet);
  Result<GridData> grid = ReadGridFile(output);
  ASSERT_TRUE(map && grid);
  EXPECT_EQ(grid->Nx, 40);
  EXPECT_EQ(grid->Ny, 30);
  EXPECT_EQ(grid->Dx, 310);
  for (int i = 1; i <= 40; ++i) {
    for (int j = 1; j <= 30; ++j) ASSERT_EQ(grid->Z(i, j), map->grid.Z(i, j)) << i << ',' << j;
  }
}

TEST(Convert, BadSheetWritesNothing) {
  testing::TempFolder folder;
  const std::string shortSheet = folder / "short.mem";
  std::ofstream(shortSheet) << "too short\n";
  for (const std::string& sheet : {shortSheet, folder / "no-such.mem"}) {
    const CliRun run = Cli({"convert", sheet, "-o", folder / "map.grd"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("kessadon convert: " + sheet + ": ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(folder.EntryCount(), 1u);
}

}  // namespace
}  // namespace kessadon
