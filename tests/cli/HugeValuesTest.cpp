#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CliRun.h"
#include "TempFolder.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

// Heights that are infinite, or so large that sums of their squares overflow,
// never reach a result: each input is refused with its place, nothing is written.
TEST(HugeValues, EveryReaderRefusesThemAndNothingIsWritten) {
  testing::TempFolder folder;
  const auto write = [&folder](const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return folder / name;
  };
  const std::string grid =
      write("huge.grd", "3 3 0 0 1 1\n1e308 -1e308 1e308\n-1e308 1e308 -1e308\n1 2 3\n");
  const std::string points =
      write("huge.txt",
            "a,0,0,-1e308\nb,10,0,1e308\nc,0,10,-1e308\nd,10,10,-1e308\ne,5,5,1\nend,0,0,0\n");
  const std::string raster =
      write("inf.asc", "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n4 inf 6\n");

  const std::string out = folder / "out.grd";
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {{"refine", grid, "--nodes", "5,5", "-o", out}, "2 行目：高さ Z(1, 1) の値が大きすぎます"},
      {{"estimate", points, "--nodes", "5,5", "-o", out},
       "1 行目：レコード 1 の z の値が大きすぎます"},
      {{"grid-info", raster}, "高さ Z(2, 1) の値が大きすぎます"},
      {{"convert", raster, "-o", folder / "out.tif"}, "高さ Z(2, 1)"},
  };
  for (const Case& c : cases) {
    const CliRun run = Cli(c.args);
    EXPECT_EQ(run.status, 1) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  EXPECT_EQ(folder.EntryCount(), 3u) << "only the inputs";
}

}  // namespace
}  // namespace kessadon
