// Pictures written as SVG and PDF, the formats chosen by a file's ending, and
// pictures drawn for print at a higher resolution.
#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../io/TempFolder.h"
#include "color/ColorModes.h"
#include "color/ContourLevels.h"
#include "io/TextFile.h"
#include "render/Legend.h"
#include "render/LinePicture.h"
#include "render/PictureFile.h"
#include "render/RasterSurface.h"
#include "render/VectorSurface.h"
#include "render/ViewSettings.h"
#include "support/RecordingSurface.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

using testing::TempFolder;

std::string Read(const std::string& path) {
  Result<std::string> read = ReadWholeFile(path);
  EXPECT_TRUE(read.ok()) << path;
  return read.ok() ? *read : std::string();
}

// The output of a shell command, or nothing when it could not run.
std::optional<std::string> Output(const std::string& command) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string text;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return text;
}

// Green to brown, as a terrain table might run.
ColorTable FiveColours() {
  ColorTable table;
  table.NColor = 5;
  for (int k = 1; k <= 5; ++k) {
    table.ColorR[k] = 40 + 40 * k;
    table.ColorG[k] = 180 - 20 * k;
    table.ColorB[k] = 60;
  }
  return table;
}

// A small hill's contour picture in plan, as the display command draws it.
template <class Surface>
void DrawHill(Surface& surface) {
  const GridData grid = testing::MakeMapGrid(
      {.nx = 9, .ny = 7, .dx = 10, .dy = 10},
      [](double x, double y) { return 100 - 0.02 * ((x - 40) * (x - 40) + (y - 30) * (y - 30)); });
  ViewProjection view;
  ASSERT_TRUE(TakeViewSettings(view, PlanViewTexts(), grid, DataExtent{}, 200, 160));
  ContourLevels levels;
  TakeContourLevels(levels, {"60", "100", "5"});
  RenderOptions options;
  options.DisplayMode = DisplayMode::Contour;
  options.Contour = true;
  NodeArray<Color> cellColors;
  DrawLinePicture(surface, grid, view, DataExtent{}, levels, cellColors, options);
}

std::string Segment(double x1, double y1, double x2, double y2) {
  return QString("%1 %2 %3 %4").arg(x1).arg(y1).arg(x2).arg(y2).toStdString();
}

// "x1 y1 x2 y2" of every one-segment subpath of the SVG's paths, so of every
// line and point drawn; cells have four corners and are left out.
std::multiset<std::string> SvgSegments(const std::string& svg) {
  std::multiset<std::string> segments;
  const QRegularExpression path(R"re( d="([^"]*)")re");
  const QRegularExpression subpath(R"re(M([-\d.]+),([-\d.]+) L([-\d.]+),([-\d.]+)\s*(?=M|$))re");
  for (auto paths = path.globalMatch(QString::fromStdString(svg)); paths.hasNext();) {
    const QString d = paths.next().captured(1).trimmed();
    if (d.count('L') != d.count('M')) continue;
    for (auto parts = subpath.globalMatch(d); parts.hasNext();) {
      const auto m = parts.next();
      segments.insert(Segment(m.captured(1).toDouble(), m.captured(2).toDouble(),
                              m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
  }
  return segments;
}

TEST(PictureFormat, FollowsTheEndingInAnyCaseAndRefusesOthersWithTheList) {
  const std::map<std::string, std::optional<PictureFormat>> cases = {
      {"a.bmp", PictureFormat::Bmp}, {"b.PNG", PictureFormat::Png}, {"c.Jpg", PictureFormat::Jpeg},
      {"d.svg", PictureFormat::Svg}, {"e.PDF", PictureFormat::Pdf}, {"dir.svg/f.sv", std::nullopt},
      {"g", std::nullopt},           {".png", std::nullopt},        {"h.svgz", std::nullopt},
  };
  for (const auto& [name, format] : cases) {
    EXPECT_EQ(PictureFormatOf(name), format) << name;
    const Result<PictureFormat> required = RequirePictureFormat(name);
    EXPECT_EQ(required.ok(), format.has_value()) << name;
    if (!required.ok()) {
      EXPECT_NE(required.failure().message.find(".svg, .pdf"), std::string::npos);
    }
  }
  // The desktop's save adds no ending; a name without one is still a BMP.
  TempFolder folder;
  RasterSurface surface(4, 3);
  ASSERT_TRUE(SavePicture(surface.Image(), folder / "picture").ok());
  EXPECT_EQ(Read(folder / "picture").substr(0, 2), "BM");
  EXPECT_FALSE(SavePicture(surface.Image(), folder / "picture.svg").ok());
}

TEST(VectorSurface, SvgHasEveryLineAtItsPixelsCentreAndTheLabelsAsText) {
  RecordingSurface recorded(200, 160);
  DrawHill(recorded);
  VectorSurface vector(200, 160, true);
  DrawHill(vector);
  EXPECT_FALSE(vector.Embeds());
  TempFolder folder;
  ASSERT_TRUE(vector.Save(folder / "hill.svg", PictureFormat::Svg).ok());
  const std::string svg = Read(folder / "hill.svg");

  std::multiset<std::string> expected;
  int cells = 0;
  for (const RecordedOperation& op : recorded.Operations()) {
    const auto& p = op.points;
    // A point, or a line of no length, is a stub of a hundredth of a pixel.
    if (op.op == SurfaceOp::Line && p[0] != p[1]) {
      expected.insert(Segment(p[0].x + 0.5, p[0].y + 0.5, p[1].x + 0.5, p[1].y + 0.5));
    } else if (op.op == SurfaceOp::Point || op.op == SurfaceOp::Line) {
      expected.insert(Segment(p[0].x + 0.5, p[0].y + 0.5, p[0].x + 0.51, p[0].y + 0.5));
    }
    cells += op.op == SurfaceOp::Polygon;
  }
  EXPECT_EQ(cells, 8 * 6);
  EXPECT_GT(expected.size(), 60u);
  EXPECT_EQ(SvgSegments(svg), expected);

  VectorSurface legend(kLegendWidth, kLegendHeight, true);
  const ColorTable table = FiveColours();
  ContourLevels levels;
  TakeContourLevels(levels, {"0", "50", "10"});
  DrawLegend(legend, DisplayMode::ColorContour, PaletteFromTable(table), levels, 0, 50);
  ASSERT_TRUE(legend.Save(folder / "legend.svg", PictureFormat::Svg).ok());
  const std::string text = Read(folder / "legend.svg");
  for (const char* label : {"0", "10", "50"}) {
    EXPECT_NE(text.find(std::string("> ") + label + "</text>"), std::string::npos) << label;
  }
}

TEST(VectorSurface, PdfOpensWithItsLabelsAsTextAndLooksLikeTheBitmap) {
  const ColorTable table = FiveColours();
  ContourLevels levels;
  TakeContourLevels(levels, {"0", "50", "10"});
  VectorSurface vector(kLegendWidth, kLegendHeight, true);
  RasterSurface raster(kLegendWidth, kLegendHeight);
  for (DrawingSurface* surface :
       {static_cast<DrawingSurface*>(&vector), static_cast<DrawingSurface*>(&raster)}) {
    DrawLegend(*surface, DisplayMode::ColorContour, PaletteFromTable(table), levels, 0, 50);
  }
  TempFolder folder;
  const std::string pdf = folder / "legend.pdf";
  ASSERT_TRUE(vector.Save(pdf, PictureFormat::Pdf).ok());
  EXPECT_EQ(Read(pdf).substr(0, 5), "%PDF-");

  const std::optional<std::string> text = Output("pdftotext '" + pdf + "' -");
  if (!text) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  for (const char* label : {"0", "10", "40", "50"}) {
    EXPECT_NE(text->find(std::string(label) + "\n"), std::string::npos) << label;
  }
  const std::string page = std::string(KESSADON_SCREENS_DIR) + "/legend-from-pdf";
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  ASSERT_TRUE(Output("pdftoppm -png -r 96 -singlefile '" + pdf + "' '" + page + "'"));
  const QImage back(QString::fromStdString(page + ".png"));
  ASSERT_EQ(back.size(), QSize(kLegendWidth, kLegendHeight));
  // Inside each band the page shows the bitmap's colour.
  for (int y = 60; y < kLegendHeight - 30; y += 40) {
    EXPECT_EQ(FromQRgb(back.pixel(70, y)), raster.ImagePixel(70, y)) << y;
  }
}

// A line, more cells than the page takes as polygons, and a line after them.
TEST(VectorSurface, ManyCellsBecomeOneImageBeneathTheLinesTheyCannotHide) {
  for (const bool flat : {true, false}) {
    VectorSurface surface(600, 400, flat);
    surface.Line(0, 5, 599, 5);
    surface.SetDrawStyle(kDrawInvisible);
    surface.SetFillStyle(kFillSolid);
    for (std::size_t k = 0; k <= kMostVectorCells; ++k) {
      const int x = static_cast<int>(k % 600), y = static_cast<int>(k / 600 % 400);
      surface.SetFillColor(Rgb(static_cast<int>(k % 256), 100, 50));
      const SurfacePoint cell[4] = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}};
      surface.Polygon(cell);
    }
    surface.SetDrawStyle(kDrawSolid);
    surface.Line(0, 300, 599, 300);
    EXPECT_TRUE(surface.Embeds());
    TempFolder folder;
    ASSERT_TRUE(surface.Save(folder / "cells.svg", PictureFormat::Svg).ok());
    const std::string svg = Read(folder / "cells.svg");
    EXPECT_EQ(QString::fromStdString(svg).count("<image"), 1);
    EXPECT_LT(svg.size(), 2'000'000u);
    // The cells cover the first line: seen from above it stays a line over
    // them, in a 3-D view it went into the image with them.
    std::multiset<std::string> lines = {"0.5 300.5 599.5 300.5"};
    if (flat) lines.insert("0.5 5.5 599.5 5.5");
    EXPECT_EQ(SvgSegments(svg), lines) << flat;
  }
}

TEST(PrintResolution, PensMarksAndTextGrowWithTheScale) {
  struct Measured {
    int lineRows = 0;
    double textHeight = 0;
    int tick = 0;
  };
  auto measure = [](double scale) {
    RasterSurface surface(100, 100);
    surface.SetScale(scale);
    surface.Line(10, 50, 90, 50);
    Measured m;
    for (int y = 0; y < 100; ++y) m.lineRows += surface.ImagePixel(50, y) == Rgb(0, 0, 0);
    surface.SetFontName("Century");
    surface.SetFontSize(7);
    m.textHeight = surface.TextHeight("0");
    m.tick = surface.Scaled(10);
    return m;
  };
  const Measured screen = measure(1), print = measure(300.0 / 96);
  EXPECT_EQ(screen.lineRows, 1);
  EXPECT_EQ(print.lineRows, 3);
  EXPECT_EQ(screen.tick, 10);
  EXPECT_EQ(print.tick, 31);
  EXPECT_NEAR(print.textHeight / screen.textHeight, 300.0 / 96, 0.35);
  // Nonsense leaves the screen's size.
  RasterSurface surface(10, 10);
  for (const double bad : {0.0, -2.0, std::nan(""), 1e9}) {
    surface.SetScale(bad);
    EXPECT_EQ(surface.Scale(), 1) << bad;
  }
}

}  // namespace
}  // namespace kessadon
