#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CliRun.h"
#include "TempFolder.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

TEST(GridInfo, PrintsTheDerivedGeometryOneNameALine) {
  testing::TempFolder folder;
  const std::string path = folder / "small.grd";
  std::ofstream(path) << "3 2 100 200 10 20\n1 2 3 4 5 6\n";
  const CliRun run = Cli({"grid-info", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Nx = 3\nNy = 2\nXmin = 100\nXmax = 120\nYmin = 200\nYmax = 220\nDx = 10\n"
            "Dy = 20\nZmin = 1\nZmax = 6\nXcen = 110\nYcen = 210\nZcen = 3.5\nZbase = 0\n"
            "Zeps = 5E-06\n");
}

TEST(GridInfo, BadFileGivesOneLineOnStderr) {
  const std::string samples = std::string(KESSADON_SOURCE_DIR) + "/data/samples/";
  for (const std::string& path : {samples + "truncated.grd", samples + "no-such.grd"}) {
    const CliRun run = Cli({"grid-info", path});
    EXPECT_NE(run.status, 0) << path;
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_NE(run.err.find(path), std::string::npos);
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

TEST(GridInfo, ArgumentErrorsAndHelp) {
  EXPECT_NE(Cli({"grid-info"}).status, 0);
  EXPECT_NE(Cli({"no-such-command"}).status, 0);
  const CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("grid-info"), std::string::npos);
}

}  // namespace
}  // namespace kessadon
