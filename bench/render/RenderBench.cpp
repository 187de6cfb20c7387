// A contour picture of a million cells on an 800 x 800 raster surface, in the
// plan view and in the default 3-D view.
#include <benchmark/benchmark.h>

#include <cmath>

#include "color/ContourLevels.h"
#include "render/LinePicture.h"
#include "render/RasterSurface.h"
#include "render/ViewSettings.h"

namespace kessadon {
namespace {

constexpr int kNodes = 1001;  // a million cells
constexpr int kWindow = 800;

// Two hills and a ridge, heights about 100 ... 300.
GridData HillGrid() {
  GridData grid;
  grid.Nx = grid.Ny = kNodes;
  grid.Dx = grid.Dy = 10;
  grid.Z = NodeArray<double>(kNodes, kNodes);
  for (int i = 1; i <= kNodes; ++i) {
    for (int j = 1; j <= kNodes; ++j) {
      const double x = (i - 1) / double(kNodes - 1), y = (j - 1) / double(kNodes - 1);
      grid.Z(i, j) = 100 + 150 * std::exp(-((x - 0.35) * (x - 0.35) + (y - 0.4) * (y - 0.4)) * 12) +
                     80 * std::exp(-((x - 0.7) * (x - 0.7) + (y - 0.7) * (y - 0.7)) * 20) +
                     20 * std::sin(6 * x + 3 * y);
    }
  }
  UpdateGridGeometry(grid);
  return grid;
}

void ContourPicture(benchmark::State& state, bool plan) {
  const GridData grid = HillGrid();
  ViewProjection view;
  const ViewTexts texts = plan ? PlanViewTexts() : DefaultViewTexts(ViewLightDefaults{}, grid.Zmin);
  TakeViewSettings(view, texts, grid, DataExtent{}, kWindow, kWindow);
  const AutoContourTexts automatic = AutoContourLevels("20", grid.Zmin, grid.Zmax);
  ContourLevels levels;
  TakeContourLevels(levels, {automatic.Cst, automatic.Cen, automatic.Cin});
  NodeArray<Color> cellColors;
  RenderOptions options;
  options.DisplayMode = kDisplayContour;
  options.Contour = true;
  options.ScaleLine = true;
  RasterSurface surface(kWindow, kWindow);
  for (auto _ : state) {
    DrawLinePicture(surface, grid, view, DataExtent{}, levels, cellColors, options);
    benchmark::DoNotOptimize(surface.Image().constBits());
  }
  const double cells = double(kNodes - 1) * (kNodes - 1);
  state.counters["cells_per_second"] =
      benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ContourPlanView(benchmark::State& state) { ContourPicture(state, true); }
void BM_ContourDefault3D(benchmark::State& state) { ContourPicture(state, false); }

BENCHMARK(BM_ContourPlanView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContourDefault3D)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kessadon

BENCHMARK_MAIN();
