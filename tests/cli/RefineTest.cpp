#include <gtest/gtest.h>

#include <cmath>

#include "CliRun.h"
#include "TempFolder.h"
#include "io/GridFile.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

const std::string kHill = std::string(KESSADON_SOURCE_DIR) + "/data/samples/hill.grd";

TEST(Refine, SavesTheResampledGridOverTheSameExtent) {
  testing::TempFolder folder;
  const std::string out = folder / "hill-fine.grd";
  const CliRun run = Cli({"refine", kHill, "--nodes", "81,61", "-o", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kHill + ": 41 x 31 -> 81 x 61 nodes -> " + out + "\n");

  Result<GridData> hill = ReadGridFile(kHill), fine = ReadGridFile(out);
  ASSERT_TRUE(hill && fine);
  EXPECT_EQ(fine->Nx, 81);
  EXPECT_EQ(fine->Ny, 61);
  EXPECT_EQ(fine->Xmin, hill->Xmin);
  EXPECT_EQ(fine->Ymin, hill->Ymin);
  EXPECT_EQ(fine->Dx, hill->Dx / 2);
  EXPECT_EQ(fine->Dy, hill->Dy / 2);
  EXPECT_NEAR(fine->Z(81, 61), hill->Z(41, 31), 1e-9);
}

TEST(Refine, ARefusalWritesNothing) {
  testing::TempFolder folder;
  const std::string out = folder / "out.grd";
  const std::string single = std::string(KESSADON_SOURCE_DIR) + "/data/samples/single.grd";
  const std::pair<std::string, std::string> cases[] = {
      {kHill, "1,61"}, {kHill, "81,1e9"}, {single, "3,3"}, {kHill + ".missing", "81,61"}};
  for (const auto& [grid, nodes] : cases) {
    const CliRun run = Cli({"refine", grid, "--nodes", nodes, "-o", out});
    EXPECT_EQ(run.status, 1) << grid << " " << nodes;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("kessadon refine: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(folder.EntryCount(), 0u);
}

}  // namespace
}  // namespace kessadon
