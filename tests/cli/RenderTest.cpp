#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "CliRun.h"
#include "TempFolder.h"

namespace kessadon {
namespace {

std::string Sample(const char* name) {
  return std::string(KESSADON_SOURCE_DIR) + "/data/samples/" + name;
}

using testing::Cli;

TEST(RenderCli, WritesAPictureOfTheRequestedSize) {
  testing::TempFolder folder;
  const std::string bmp = folder / "hill.bmp";
  ASSERT_EQ(Cli({"render", Sample("hill.grd"), "--mode", "contour", "--size", "300,200", "-o", bmp})
                .status,
            0);
  QImage picture(QString::fromStdString(bmp));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(300, 200));
  EXPECT_EQ(picture.depth(), 32) << "Qt reads 24-bit BMP files as 32-bit images";
  EXPECT_EQ(picture.pixelColor(0, 0), Qt::white);

  const std::string png = folder / "hill.png";
  ASSERT_EQ(Cli({"render", Sample("hill.grd"), "--view", "225,30", "--black", "--scale-ticks",
                 "--perspective", "3000,0", "-o", png})
                .status,
            0);
  QImage black(QString::fromStdString(png));
  ASSERT_EQ(black.size(), QSize(800, 800));
  EXPECT_EQ(black.pixelColor(0, 0), Qt::black);
  int white = 0;
  for (int y = 0; y < 800; ++y) {
    for (int x = 0; x < 800; ++x) white += black.pixelColor(x, y) == Qt::white;
  }
  EXPECT_GT(white, 2000) << "white lines on black";
}

TEST(RenderCli, VectorPicturesAndPrintResolution) {
  testing::TempFolder folder;
  // SVG and PDF pages are the picture's size at the resolution given.
  ASSERT_EQ(Cli({"render", Sample("hill.grd"), "--mode", "color-shade", "--size", "960,480",
                 "--dpi", "192", "-o", folder / "hill.svg", "--legend", folder / "legend.pdf"})
                .status,
            0);
  std::ifstream svg(folder / "hill.svg");
  std::string head(400, '\0');
  svg.read(head.data(), 400);
  EXPECT_NE(head.find("width=\"127mm\" height=\"63.5mm\""), std::string::npos) << head;
  EXPECT_NE(head.find("viewBox=\"0 0 960 480\""), std::string::npos) << head;
  std::ifstream pdf(folder / "legend.pdf");
  std::string magic(5, '\0');
  pdf.read(magic.data(), 5);
  EXPECT_EQ(magic, "%PDF-");

  // The legend of a bitmap grows with the resolution.
  ASSERT_EQ(Cli({"render", Sample("hill.grd"), "--mode", "color-contour", "--dpi", "288", "-o",
                 folder / "hill.png", "--legend", folder / "legend.png"})
                .status,
            0);
  EXPECT_EQ(QImage(QString::fromStdString(folder / "hill.png")).size(), QSize(800, 800));
  EXPECT_EQ(QImage(QString::fromStdString(folder / "legend.png")).size(), QSize(609, 1320));
}

int PixelsOf(const QImage& image, QColor color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == color;
  }
  return count;
}

TEST(RenderCli, DrawsTheMeasuredDataOverThePictureOrAlone) {
  testing::TempFolder folder;
  const std::string png = folder / "data.png", dips = Sample("fold_dips.txt");
  struct Case {
    std::vector<std::string> args;
    bool symbols;
  };
  for (const Case& c : {
           Case{
               {"render", Sample("hill.grd"), "--mode", "contour", "--layout", "3", "--data", dips},
               true},
           Case{{"render", Sample("hill.grd"), "--layout", "3", "--data", dips, "--elevation-only"},
                false},
           Case{{"render", "--data-view", "--layout", "3", "--data", dips, "--symbol-scale", "2"},
                true},
       }) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", png});
    const auto [status, out, err] = Cli(args);
    ASSERT_EQ(status, 0) << err;
    const QImage picture(QString::fromStdString(png));
    EXPECT_EQ(PixelsOf(picture, Qt::red) > 100, c.symbols) << args[1];
    EXPECT_GT(PixelsOf(picture, QColor(255, 128, 0)), 100) << args[1] << ": elevation marks";
  }
}

TEST(RenderCli, ShadedAndColouredPicturesWithTheirLegend) {
  testing::TempFolder folder;
  const std::string png = folder / "colour.png", legend = folder / "legend.png";
  const QColor firstOfPattern1(38, 115, 60);
  struct Case {
    std::vector<std::string> args;
    bool greyOnly;
  };
  for (const Case& c : {
           Case{{"--mode", "shade", "--light", "0,90", "--equalize"}, true},
           Case{{"--mode", "color-contour", "--legend", legend}, false},
           Case{{"--mode", "color-shade", "--view", "225,30", "--legend", legend}, false},
       }) {
    std::vector<std::string> args = {"render", Sample("hill.grd"), "--size", "200,200", "-o", png};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto [status, out, err] = Cli(args);
    ASSERT_EQ(status, 0) << err;
    const QImage picture(QString::fromStdString(png));
    int coloured = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QColor p = picture.pixelColor(x, y);
        coloured += p.red() != p.green() || p.green() != p.blue();
      }
    }
    EXPECT_EQ(coloured == 0, c.greyOnly) << c.args[1];
  }
  const QImage colourShadeLegend(QString::fromStdString(legend));
  EXPECT_EQ(colourShadeLegend.size(), QSize(203, 440));
  EXPECT_GT(PixelsOf(colourShadeLegend, QColor(114, 164, 128)), 50)
      << "the lightest shade of band 1";
}

// A grid spanning a tenth of a unit, as standard deviations do: whole-number
// levels give it a colour or two; --round-levels the finest round step that
// fits the table's 20 colours (0.01 here: 0.005 would make 21 bands).
TEST(RenderCli, RoundLevelsColourAGridOfAFractionOfAUnit) {
  testing::TempFolder folder;
  const std::string grid = folder / "sd.grd", png = folder / "sd.png";
  {
    std::ofstream out(grid);
    out << "21 21 0 0 1 1\n";
    for (int j = 0; j < 21; ++j) {
      for (int i = 0; i < 21; ++i) out << 0.0995 + 0.0999 * (i + j) / 40 << (i < 20 ? " " : "\n");
    }
  }
  for (const bool round : {false, true}) {
    std::vector<std::string> args = {"render", grid,      "--mode", "color-contour",
                                     "--size", "200,200", "-o",     png};
    if (round) args.emplace_back("--round-levels");
    const auto [status, out, err] = Cli(args);
    ASSERT_EQ(status, 0) << err;
    const QImage picture(QString::fromStdString(png));
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QColor p = picture.pixelColor(x, y);
        if (p.red() != p.green() || p.green() != p.blue()) colours.insert(p.rgb());
      }
    }
    if (round) {
      EXPECT_GE(colours.size(), 10U);
    } else {
      EXPECT_LE(colours.size(), 3U);
    }
  }
}

// The scale bar says its unit where the grid's coordinate system names one.
TEST(RenderCli, TheScaleBarCarriesTheMapUnit) {
  testing::TempFolder folder;
  const std::string tif = folder / "hill.tif", svg = folder / "hill.svg";
  ASSERT_EQ(Cli({"convert", Sample("hill.grd"), "-o", tif, "--crs", "EPSG:6677"}).status, 0);
  for (const auto& [grid, label] :
       {std::pair{tif, ">200 m</text>"}, {Sample("hill.grd"), ">200</text>"}}) {
    const auto [status, out, err] =
        Cli({"render", grid, "--mode", "contour", "--scale-bar", "-o", svg});
    ASSERT_EQ(status, 0) << err;
    std::stringstream text;
    text << std::ifstream(svg).rdbuf();
    EXPECT_NE(text.str().find(label), std::string::npos) << grid;
  }
}

TEST(RenderCli, ErrorsTakeOneLineAndWriteNothing) {
  testing::TempFolder folder;
  const std::string out = folder / "never.png";
  const std::vector<std::vector<std::string>> cases = {
      {"render", Sample("truncated.grd"), "-o", out},
      {"render", Sample("hill.grd"), "--view", "south", "-o", out},
      {"render", Sample("hill.grd"), "--scale", "0", "-o", out},
      {"render", Sample("hill.grd"), "--levels", "0,10,1", "--divisions", "5", "-o", out},
      {"render", Sample("hill.grd"), "--mode", "relief", "-o", out},
      {"render", Sample("hill.grd"), "--mode", "color-shade", "--palette", "2", "-o", out},
      {"render", Sample("hill.grd"), "--mode", "color-contour", "--levels", "0,400,10", "-o", out},
      {"render", Sample("hill.grd"), "--mode", "color-contour", "--levels", "400,0,10", "-o", out},
      {"render", Sample("hill.grd"), "--mode", "color-contour", "--palette", "none.txt", "-o", out},
      {"render", Sample("hill.grd"), "--mode", "contour", "--legend", folder / "l.png", "-o", out},
      {"render", Sample("hill.grd"), "--size", "0,10", "-o", out},
      {"render", Sample("hill.grd"), "--dpi", "0", "-o", out},
      {"render", Sample("hill.grd"), "-o", folder / "never.sv"},
      {"render", Sample("hill.grd"), "--mode", "color-shade", "--legend", folder / "l.svgz", "-o",
       out},
      {"render", Sample("hill.grd"), "-o", folder / "no-folder/x.png"},
      {"render", "--data-view", "-o", out},
      {"render", "--data", Sample("hill_points.txt"), "-o", out},
      {"render", Sample("hill.grd"), "--data", Sample("missing.txt"), "-o", out},
      {"render", Sample("hill.grd"), "--data", Sample("bounds.txt"), "--layout", "2", "-o", out},
      {"render", Sample("hill.grd"), "--layout", "2", "-o", out},
      {"render", Sample("hill.grd"), "--view", "225,30", "--perspective", "0,0", "-o", out},
      {"render", Sample("hill.grd"), "--view", "225,30", "--perspective", "300,0", "-o", out},
      {"render", Sample("hill.grd"), "--view", "225,30", "--perspective", "3000,3000", "-o", out},
  };
  for (const auto& args : cases) {
    const auto [status, printed, err] = Cli(args);
    EXPECT_NE(status, 0) << args[2];
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    if (args.size() > 5 && args[5] == "--perspective") {
      EXPECT_NE(err.find("透視投影ができません"), std::string::npos) << err;
    }
  }
}

}  // namespace
}  // namespace kessadon
