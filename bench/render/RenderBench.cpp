// A contour picture of a million cells on an 800 x 800 raster surface, its
// shaded and coloured pictures, and a hundred thousand measured points drawn
// over it, in the plan view and in the default 3-D view; then every display
// whole at 1000 x 1000 and 4000 x 4000 nodes, on one thread and on every core.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <filesystem>
#include <random>

#include "color/ContourLevels.h"
#include "io/WorkSplit.h"
#include "overlay/DataOverlay.h"
#include "render/ColorPictures.h"
#include "render/GridPicture.h"
#include "render/LinePicture.h"
#include "render/RasterSurface.h"
#include "render/ThinnedGrid.h"
#include "render/VectorSurface.h"
#include "render/ViewSettings.h"

namespace kessadon {
namespace {

constexpr int kNodes = 1001;  // a million cells
constexpr int kWindow = 800;

// Two hills and a ridge, heights about 100 ... 300, over the unit square.
double HillHeight(double x, double y) {
  return 100 + 150 * std::exp(-((x - 0.35) * (x - 0.35) + (y - 0.4) * (y - 0.4)) * 12) +
         80 * std::exp(-((x - 0.7) * (x - 0.7) + (y - 0.7) * (y - 0.7)) * 20) +
         20 * std::sin(6 * x + 3 * y);
}

// The hills on a 10000 by 10000 map, n by n nodes.
GridData HillGrid(int n = kNodes) {
  GridData grid;
  grid.Nx = grid.Ny = n;
  grid.Dx = grid.Dy = 10000.0 / (n - 1);
  grid.Z = NodeArray<double>(n, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      grid.Z(i, j) = HillHeight((i - 1) / double(n - 1), (j - 1) / double(n - 1));
    }
  }
  UpdateGridGeometry(grid);
  return grid;
}

// The contour picture of the hills with scale ticks, in the plan view or the
// default 3-D view.
struct HillPicture {
  explicit HillPicture(bool plan) : grid(HillGrid()), surface(kWindow, kWindow) {
    const ViewTexts texts =
        plan ? PlanViewTexts() : DefaultViewTexts(ViewLightDefaults{}, grid.Zmin);
    TakeViewSettings(view, texts, grid, DataExtent{}, kWindow, kWindow);
    const AutoContourTexts automatic = AutoContourLevels("20", grid.Zmin, grid.Zmax);
    TakeContourLevels(levels, {automatic.Cst, automatic.Cen, automatic.Cin});
    options.DisplayMode = DisplayMode::Contour;
    options.Contour = true;
    options.ScaleLine = true;
  }
  void Draw() { DrawLinePicture(surface, grid, view, DataExtent{}, levels, cellColors, options); }

  GridData grid;
  ViewProjection view;
  ContourLevels levels;
  NodeArray<Color> cellColors;
  RenderOptions options;
  RasterSurface surface;
};

void ContourPicture(benchmark::State& state, bool plan) {
  HillPicture picture(plan);
  for (auto _ : state) {
    picture.Draw();
    benchmark::DoNotOptimize(picture.surface.Image().constBits());
  }
  const double cells = double(kNodes - 1) * (kNodes - 1);
  state.counters["cells_per_second"] =
      benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ContourPlanView(benchmark::State& state) { ContourPicture(state, true); }
void BM_ContourDefault3D(benchmark::State& state) { ContourPicture(state, false); }

BENCHMARK(BM_ContourPlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContourDefault3D)->Unit(benchmark::kMillisecond);

// The filled pictures of the same hills, light from the north-west with the
// grey levels equalised, contour lines over them as the desktop draws them
// after automatic levels. Shading and equalisation are part of every picture.
enum class Filled { Shade, ColorContour, ColorShade };

Palette BenchPalette(int count) {
  ColorTable table;
  table.NColor = count;
  for (int k = 1; k <= count; ++k) {
    table.ColorR[k] = k % 256;
    table.ColorG[k] = (k * 7) % 256;
    table.ColorB[k] = 255 - k % 256;
  }
  return PaletteFromTable(table);
}

void FilledPictureBench(benchmark::State& state, Filled kind, bool plan) {
  HillPicture hills(plan);
  const LightSettings light{315, 45, 1};
  const Palette bands = BenchPalette(20), shades = BenchPalette(190);
  const FilledPicture picture{hills.surface, hills.grid,   hills.view,
                              DataExtent{},  hills.levels, hills.cellColors};
  for (auto _ : state) {
    switch (kind) {
      case Filled::Shade:
        DrawShadePicture(picture, hills.options, light);
        break;
      case Filled::ColorContour:
        DrawColorContourPicture(picture, hills.options, bands);
        break;
      case Filled::ColorShade:
        DrawColorShadePicture(picture, hills.options, light, shades);
        break;
    }
    benchmark::DoNotOptimize(hills.surface.Image().constBits());
  }
  const double cells = double(kNodes - 1) * (kNodes - 1);
  state.counters["cells_per_second"] =
      benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ShadePlanView(benchmark::State& state) { FilledPictureBench(state, Filled::Shade, true); }
void BM_ColorContourPlanView(benchmark::State& state) {
  FilledPictureBench(state, Filled::ColorContour, true);
}
void BM_ColorShadePlanView(benchmark::State& state) {
  FilledPictureBench(state, Filled::ColorShade, true);
}
void BM_ColorShadeDefault3D(benchmark::State& state) {
  FilledPictureBench(state, Filled::ColorShade, false);
}

BENCHMARK(BM_ShadePlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorContourPlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorShadePlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorShadeDefault3D)->Unit(benchmark::kMillisecond);

// The grey levels alone: shading and equalisation of the million nodes.
void BM_ShadingAndEqualisation(benchmark::State& state) {
  const GridData grid = HillGrid();
  NodeArray<std::int32_t> levels(kNodes, kNodes);
  for (auto _ : state) {
    ShadeGrid(grid, LightSettings{315, 45, 1}, levels);
    benchmark::DoNotOptimize(levels.Data());
  }
  state.counters["nodes_per_second"] =
      benchmark::Counter(double(kNodes) * kNodes * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShadingAndEqualisation)->Unit(benchmark::kMillisecond);

// Every display whole, as `kessadon render` and the display buttons draw it:
// Args are the nodes along each side and the threads (0: one per core).
// Contour lines over every picture, as after automatic levels; the shade
// and the colour shade equalised.
void FullFrame(benchmark::State& state, DisplayMode mode, bool plan) {
  const auto nodes = static_cast<int>(state.range(0));
  SetRenderThreads(static_cast<int>(state.range(1)));
  const GridData grid = HillGrid(nodes);
  ViewProjection view;
  TakeViewSettings(view, plan ? PlanViewTexts() : DefaultViewTexts(ViewLightDefaults{}, grid.Zmin),
                   grid, DataExtent{}, kWindow, kWindow);
  GridPictureSettings settings;
  settings.mode = mode;
  const AutoContourTexts automatic = AutoContourLevels("20", grid.Zmin, grid.Zmax);
  TakeContourLevels(settings.levels, {automatic.Cst, automatic.Cen, automatic.Cin});
  settings.bands = 20;
  settings.options.Contour = true;
  settings.options.ScaleLine = true;
  settings.light = LightSettings{315, 45, 1};
  settings.table.NColor = mode == DisplayMode::ColorShade ? 190 : 20;
  for (int k = 1; k <= settings.table.NColor; ++k) {
    settings.table.ColorR[k] = k % 256;
    settings.table.ColorG[k] = (k * 7) % 256;
    settings.table.ColorB[k] = 255 - k % 256;
  }
  RasterSurface surface(kWindow, kWindow);
  NodeArray<Color> cellColors;
  // The first picture of a grid also sets up its cell colours; the pictures
  // after it are timed.
  if (!DrawGridPicture(surface, grid, view, DataExtent{}, cellColors, settings)) {
    state.SkipWithError("refused");
  }
  for (auto _ : state) {
    if (!DrawGridPicture(surface, grid, view, DataExtent{}, cellColors, settings)) {
      state.SkipWithError("refused");
      break;
    }
    benchmark::DoNotOptimize(surface.Image().constBits());
  }
  state.counters["threads"] = RenderThreads();
  SetRenderThreads(0);
  const double cells = double(nodes - 1) * (nodes - 1);
  state.counters["cells_per_second"] =
      benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

void FullFrameArgs(benchmark::internal::Benchmark* bench) {
  bench->ArgsProduct({{1000, 4000}, {1, 0}})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(FullFrame, GridPlan, DisplayMode::Grid, true)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, Grid3D, DisplayMode::Grid, false)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, ContourPlan, DisplayMode::Contour, true)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, Contour3D, DisplayMode::Contour, false)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, ShadePlan, DisplayMode::Shade, true)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, Shade3D, DisplayMode::Shade, false)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, ColorContourPlan, DisplayMode::ColorContour, true)
    ->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, ColorContour3D, DisplayMode::ColorContour, false)
    ->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, ColorShadePlan, DisplayMode::ColorShade, true)->Apply(FullFrameArgs);
BENCHMARK_CAPTURE(FullFrame, ColorShade3D, DisplayMode::ColorShade, false)->Apply(FullFrameArgs);

// One frame while the block is turned by hand, on a window of a million
// pixels: the thinned grid's colour-shaded picture (the heaviest display) in
// the default 3-D view, without contour lines, from grids of 1000 and 4000
// nodes a side. The thinned grid is made once a drag, BM_ThinGrid.
constexpr int kDragWindow = 1000;

void BM_DragFrame(benchmark::State& state) {
  const GridData grid = HillGrid(static_cast<int>(state.range(0)));
  const GridData thin = ThinGrid(grid, ThinningStep(grid));
  RasterSurface surface(kDragWindow, kDragWindow);
  ViewProjection view;
  TakeViewSettings(view, DefaultViewTexts(ViewLightDefaults{}, grid.Zmin), grid, DataExtent{},
                   kDragWindow, kDragWindow);
  const AutoContourTexts automatic = AutoContourLevels("20", grid.Zmin, grid.Zmax);
  ContourLevels levels;
  TakeContourLevels(levels, {automatic.Cst, automatic.Cen, automatic.Cin});
  NodeArray<Color> cellColors;
  const FilledPicture picture{surface, thin, view, DataExtent{}, levels, cellColors};
  const Palette shades = BenchPalette(190);
  for (auto _ : state) {
    DrawColorShadePicture(picture, RenderOptions{}, LightSettings{315, 45, 1}, shades);
    benchmark::DoNotOptimize(surface.Image().constBits());
  }
  state.counters["cells"] = static_cast<double>(ThinnedCells(thin, 1));
}
BENCHMARK(BM_DragFrame)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_ThinGrid(benchmark::State& state) {
  const GridData grid = HillGrid(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    GridData thin = ThinGrid(grid, ThinningStep(grid));
    benchmark::DoNotOptimize(thin.Z.Data());
  }
}
BENCHMARK(BM_ThinGrid)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

constexpr int kPoints = 100000;

// Scattered over the map: heights of every code, and a third with strike and
// dip, some of those without a height.
MeasuredData ScatteredData() {
  std::mt19937 random(20010);
  std::uniform_real_distribution<double> unit(0, 1);
  MeasuredData data;
  for (int k = 0; k < kPoints; ++k) {
    const double x = unit(random), y = unit(random);
    const bool dip = k % 3 == 0;
    data.DataX.push_back(x * 10000);
    data.DataY.push_back(y * 10000);
    data.DataZ.push_back(dip && k % 2 == 0 ? NoValue : std::round(HillHeight(x, y) * 10) / 10);
    data.DataL.push_back(static_cast<std::int16_t>(k % 3 - 1));
    data.DataTrend.push_back(dip ? std::round(unit(random) * 360) : NoValue);
    data.DataDip.push_back(dip ? std::round(unit(random) * 120) : NoValue);
  }
  return data;
}

// The overlay alone, over the finished picture, with the hidden-point test
// at work in the 3-D view.
void MeasuredDataOverlay(benchmark::State& state, bool plan) {
  HillPicture picture(plan);
  picture.Draw();
  const MeasuredData data = ScatteredData();
  for (auto _ : state) {
    DrawMeasuredData(picture.surface, picture.grid, picture.view, data, DataDisplaySettings{});
    benchmark::DoNotOptimize(picture.surface.Image().constBits());
  }
  state.counters["points_per_second"] =
      benchmark::Counter(double(kPoints) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_OverlayPlanView(benchmark::State& state) { MeasuredDataOverlay(state, true); }
void BM_OverlayDefault3D(benchmark::State& state) { MeasuredDataOverlay(state, false); }

BENCHMARK(BM_OverlayPlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverlayDefault3D)->Unit(benchmark::kMillisecond);

// The colour shade of the million cells written as SVG and as PDF, drawing
// included: the cells go into one embedded image beneath the contour lines.
void VectorExport(benchmark::State& state, PictureFormat format, bool plan) {
  HillPicture hills(plan);
  const LightSettings light{315, 45, 1};
  const Palette shades = BenchPalette(190);
  const std::string path =
      std::filesystem::temp_directory_path() /
      (format == PictureFormat::Svg ? "kessadon-bench.svg" : "kessadon-bench.pdf");
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    VectorSurface vector(kWindow, kWindow, plan);
    const FilledPicture picture{vector,       hills.grid,   hills.view,
                                DataExtent{}, hills.levels, hills.cellColors};
    DrawColorShadePicture(picture, hills.options, light, shades);
    if (!vector.Save(path, format).ok()) state.SkipWithError("cannot write the picture");
    bytes = std::filesystem::file_size(path);
  }
  std::filesystem::remove(path);
  state.counters["file_MB"] = double(bytes) / 1e6;
}

void BM_VectorSvgPlanView(benchmark::State& state) {
  VectorExport(state, PictureFormat::Svg, true);
}
void BM_VectorPdfPlanView(benchmark::State& state) {
  VectorExport(state, PictureFormat::Pdf, true);
}
void BM_VectorPdfDefault3D(benchmark::State& state) {
  VectorExport(state, PictureFormat::Pdf, false);
}

BENCHMARK(BM_VectorSvgPlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorPdfPlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorPdfDefault3D)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kessadon

// Labels need a QGuiApplication; without a display it takes the offscreen platform.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
