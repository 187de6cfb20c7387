#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <utility>

#include "CliRun.h"
#include "TempFolder.h"
#include "io/GridFile.h"

namespace kessadon {
namespace {

using testing::Cli;
using testing::CliRun;

// Lines "name = value" of the output, by name (the first of each name).
std::map<std::string, std::string> Values(const std::string& out) {
  std::map<std::string, std::string> values;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t eq = line.find(" = ");
    if (eq != std::string::npos) values.emplace(line.substr(0, eq), line.substr(eq + 3));
  }
  return values;
}

class EstimateCliTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = folder / name;
    std::ofstream(path) << text;
    return path;
  }
  testing::TempFolder folder;
};

TEST_F(EstimateCliTest, HeightsFromAPlaneComeBackAsThatPlane) {
  auto plane = [](double x, double y) { return 0.3 * x - 0.2 * y + 50; };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(0, 100);
  std::ostringstream text;
  text.precision(17);
  for (int k = 0; k < 300; ++k) {
    const double x = coordinate(random), y = coordinate(random);
    text << "p" << k << "," << x << "," << y << "," << plane(x, y) << "\n";
  }
  text << "end,0,0,0,0,0,0\n";
  const std::string data = Write("plane.txt", text.str());
  const std::string out = folder / "plane.grd";
  const CliRun run =
      Cli({"estimate", data, "--nodes", "11,21", "--range", "0,0,100,100", "-o", out});
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::string> values = Values(run.out);
  EXPECT_EQ(values["Nh"], "300");
  EXPECT_EQ(values["Nd"], "0");
  EXPECT_EQ(values.count("RD"), 0u) << "no dip data, no dip lines";
  EXPECT_EQ(values.count("J1"), 1u);

  Result<GridData> grid = ReadGridFile(out);
  ASSERT_TRUE(grid) << Describe(grid.failure());
  ASSERT_EQ(grid->Nx, 11);
  ASSERT_EQ(grid->Ny, 21);
  EXPECT_EQ(grid->Dx, 10);
  EXPECT_EQ(grid->Dy, 5);
  const double range = plane(100, 0) - plane(0, 100);
  for (int i = 1; i <= grid->Nx; ++i) {
    for (int j = 1; j <= grid->Ny; ++j) {
      const double x = grid->Xmin + (i - 1) * grid->Dx, y = grid->Ymin + (j - 1) * grid->Dy;
      ASSERT_NEAR(grid->Z(i, j), plane(x, y), 1e-9 * range) << i << "," << j;
    }
  }
}

TEST_F(EstimateCliTest, ALowerBoundLiftsTheSurface) {
  // Flat ground at 0 around the edge of the area, and one lower bound of 10 in the middle.
  std::string flat;
  for (int k = 0; k <= 10; ++k) {
    for (const auto& [x, y] : {std::pair{k * 10, 0}, {k * 10, 100}, {0, k * 10}, {100, k * 10}}) {
      flat += "e," + std::to_string(x) + "," + std::to_string(y) + ",0,0\n";
    }
  }
  const std::string without = Write("without.txt", flat + "end,0,0,0,0,0,0\n");
  const std::string with = Write("with.txt", flat + "b,50,50,10,1\nend,0,0,0,0,0,0\n");
  const std::vector<std::string> common = {"--nodes", "11,11", "--range", "0,0,100,100"};
  auto centre = [&](const std::string& data) {
    std::vector<std::string> args = {"estimate", "--layout", "2", data, "-o", folder / "out.grd"};
    args.insert(args.end(), common.begin(), common.end());
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    Result<GridData> grid = ReadGridFile(folder / "out.grd");
    return grid ? grid->Z(6, 6) : std::nan("");
  };
  const double free = centre(without);
  const double lifted = centre(with);
  EXPECT_NEAR(free, 0, 1e-6);
  EXPECT_GT(lifted, free + 5) << "the bound pulls the middle up toward 10";
}

TEST_F(EstimateCliTest, AutoWeightsPrintTheChoiceAndItsReasons) {
  const std::string samples = KESSADON_SOURCE_DIR "/data/samples/";
  const CliRun run = Cli({"estimate", "--layout", "3", samples + "fault_bed.txt", "--nodes",
                          "41,33", "--faults", samples + "fault_bed_faults.txt", "--auto-weights",
                          "-o", folder / "auto.grd", "--uncertainty", folder / "sd.grd"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::string> values = Values(run.out);
  for (const char* name : {"alpha", "ratio", "GCV", "EDF", "sigma", "sd mean", "sd max"}) {
    ASSERT_EQ(values.count(name), 1u) << name;
    EXPECT_TRUE(std::isfinite(std::stod(values[name]))) << name;
  }
  // The sample's heights carry noise of 0.5 m.
  EXPECT_NEAR(std::stod(values["sigma"]), 0.5, 0.2);
  // The deviations, on the surface's grid, are those printed.
  const Result<GridData> sd = ReadGridFile(folder / "sd.grd");
  ASSERT_TRUE(sd);
  EXPECT_EQ(sd->Nx, 41);
  double largest = 0;
  for (std::int32_t i = 1; i <= sd->Nx; ++i) {
    for (std::int32_t j = 1; j <= sd->Ny; ++j) largest = std::max(largest, sd->Z(i, j));
  }
  EXPECT_NEAR(largest, std::stod(values["sd max"]), 1e-6 * largest);
  EXPECT_GT(std::stod(values["sd mean"]), 0);
}

// With bounds the passes grow alpha: the figures printed are the delivered
// surface's, and a note keeps the choice's.
TEST_F(EstimateCliTest, WithBoundsTheFitPrintedIsTheSurfaceDelivered) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> coordinate(0, 100);
  std::normal_distribution<double> noise(0, 0.3);
  std::ostringstream text;
  for (int k = 0; k < 300; ++k) {
    const double x = coordinate(random), y = coordinate(random);
    text << "p" << k << "," << x << "," << y << "," << 5 * std::sin(x / 9) + 0.2 * y + noise(random)
         << ",0\n";
  }
  text << "u,50.5,50.5,-3,-1\nl,20.5,70.5,30,1\nend,0,0,0,0,0,0\n";
  const CliRun run =
      Cli({"estimate", "--layout", "2", Write("bounds.txt", text.str()), "--nodes", "41,41",
           "--range", "0,0,100,100", "--auto-weights", "-o", folder / "b.grd"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string note =
      "note: GCV, EDF and sigma are those of the surface delivered (its last pass, alpha = ";
  ASSERT_NE(run.err.find(note), std::string::npos) << run.err;
  const std::size_t choice = run.err.find("the weight choice's were GCV = ");
  ASSERT_NE(choice, std::string::npos);
  const double chosenEdf = std::stod(run.err.substr(run.err.find("EDF = ", choice) + 6));
  const double edf = std::stod(Values(run.out)["EDF"]);
  EXPECT_GT(edf, 1.5 * chosenEdf);
  EXPECT_EQ(run.err.find("note: sigma rests on few degrees of freedom") != std::string::npos,
            300 - edf < 30);
}

TEST_F(EstimateCliTest, FailuresWriteNoFileAndOneLine) {
  const std::string bounds =
      Write("b.txt", "a,0,0,1,1\nb,10,10,2,0\nc,0,10,3,0\nd,10,0,4,0\nend,0,0,0,0,0,0\n");
  const std::string out = folder / "never.grd";
  const std::vector<std::vector<std::string>> cases = {
      {"estimate", "--layout", "2", bounds, "--nodes", "5,5", "--passes", "1", "-o", out},
      {"estimate", "--layout", "2", bounds, "--nodes", "5,5", "--alpha-min", "0", "-o", out},
      {"estimate", folder / "missing.txt", "--nodes", "5,5", "-o", out},
      {"estimate", bounds, "--nodes", "5", "-o", out},
      {"estimate", "--layout", "9", bounds, "--nodes", "5,5", "-o", out},
      {"estimate", bounds, "--nodes", "5,5"},
      {"estimate", bounds, "--nodes", "5,5", "--auto-weights", "--alpha-min", "3", "-o", out},
  };
  for (const auto& args : cases) {
    const CliRun run = Cli(args);
    EXPECT_NE(run.status, 0) << args[2];
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

TEST_F(EstimateCliTest, LayoutAppliesToTheFilesAfterIt) {
  const std::string points = Write("p.txt", "a,0,0,1\nb,10,10,2\nend,0,0,0,0,0,0\n");
  const std::string grid = Write("g.grd", "3 2 0 0 5 10\n1 2 3 4 5 6\n");
  const std::string dips = Write("d.txt", "a,5,5,3,0,45,10\nend,0,0,0,0,0,0\n");
  const CliRun run = Cli({"estimate", points, "--layout", "5", grid, "--layout", "3", dips,
                          "--nodes", "5,5", "-o", folder / "mixed.grd"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, std::string> values = Values(run.out);
  EXPECT_EQ(values["Nh"], "9");
  EXPECT_EQ(values["Nd"], "1");
  EXPECT_EQ(values["D : data"], "1");

  // A --layout after the last file would leave that file read as layout 1.
  const CliRun late =
      Cli({"estimate", points, grid, "--layout", "5", "--nodes", "5,5", "-o", folder / "late.grd"});
  EXPECT_EQ(late.status, 1);
  EXPECT_EQ(late.err,
            "kessadon estimate: --layout 5 comes after the last data file and applies to none: "
            "put --layout before the files it describes\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "late.grd"));
}

TEST_F(EstimateCliTest, HeaderRowIsNotedOnStderrOnly) {
  const std::string points =
      Write("h.txt", "id,x,y,z\na,0,0,1\nb,10,0,2\nc,0,10,3\nd,10,10,4\nend,0,0,0\n");
  const CliRun run = Cli({"estimate", points, "--nodes", "5,5", "-o", folder / "h.grd"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Values(run.out)["Nh"], "4");
  EXPECT_EQ(run.err, "note: " + points + ": line 1 was read as a header, not as a point\n");
}

// Standard error that raises a signal once the first line has been flushed
// to it, as a person presses Ctrl-C once the progress shows.
class SignalAfterFirstLine : public std::stringbuf {
 public:
  explicit SignalAfterFirstLine(int signal) : signal_(signal) {}

 protected:
  int sync() override {
    if (!raised_ && str().find('\n') != std::string::npos) {
      raised_ = true;
      std::raise(signal_);
    }
    return std::stringbuf::sync();
  }

 private:
  int signal_;
  bool raised_ = false;
};

TEST_F(EstimateCliTest, ASignalStopsTheRunAndLeavesTheOutputAsItWas) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> coordinate(0, 1000);
  std::ostringstream text;
  for (int k = 0; k < 3000; ++k) {
    const double x = coordinate(random), y = coordinate(random);
    text << "p" << k << "," << x << "," << y << "," << std::sin(x / 100) * y / 10 << "\n";
  }
  text << "end,0,0,0,0,0,0\n";
  const std::string data = Write("many.txt", text.str());
  const std::string old = "3 2 0 0 5 10\n1 2 3 4 5 6\n";
  const std::string out = Write("old.grd", old);

  // The shell's statuses for a program ended by the signal.
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    SignalAfterFirstLine errors(signal);
    std::ostream err(&errors);
    std::ostringstream printed;
    EXPECT_EQ(
        RunCli({"estimate", data, "--nodes", "600,600", "--progress", "-o", out}, printed, err),
        status);
    const std::string said = errors.str();
    EXPECT_EQ(said.substr(0, said.find('\n') + 1), "pass 1/1: assembling 0%\n");
    const std::string last = "kessadon estimate: 推定を中止しました\n";
    ASSERT_GE(said.size(), last.size());
    EXPECT_EQ(said.substr(said.size() - last.size()), last) << said;
    EXPECT_EQ(printed.str(), "");
    std::ostringstream kept;
    kept << std::ifstream(out).rdbuf();
    EXPECT_EQ(kept.str(), old);
    EXPECT_EQ(folder.EntryCount(), 2u) << "no file but the data and the old output";
  }
}

}  // namespace
}  // namespace kessadon
