// Writing and reading square grids as rasters, a 4000 x 4000 GeoTIFF among
// them: the time should be the disk's and the compression's, not per-node
// calls. Smooth terrain with a little noise compresses as a real model does.
//
//   kessadon_raster_bench --benchmark_filter='/4000'
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "raster/RasterGrid.h"

namespace kessadon {
namespace {

GridData Terrain(std::int32_t n) {
  GridData g;
  g.Nx = g.Ny = n;
  g.Xmin = 30000.5;
  g.Ymin = -120000.25;
  g.Dx = g.Dy = 2.5;
  g.Z = NodeArray<double>(n, n);
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0, 0.05);
  for (std::int32_t i = 1; i <= n; ++i) {
    for (std::int32_t j = 1; j <= n; ++j) {
      g.Z(i, j) = 300 + 120 * std::sin(i / 310.0) * std::cos(j / 170.0) + 0.01 * i + noise(random);
    }
  }
  return g;
}

const char* Extension(std::int64_t format) { return format == 0 ? ".tif" : ".nc"; }

void WriteRasterFile(benchmark::State& state) {
  const GridData grid = Terrain(static_cast<std::int32_t>(state.range(0)));
  const std::string path = (std::filesystem::temp_directory_path() / "kessadon-bench").string() +
                           Extension(state.range(1));
  for (auto _ : state) {
    if (!WriteRaster(path, grid, {})) state.SkipWithError("write failed");
  }
  state.counters["MiB_on_disk"] = static_cast<double>(std::filesystem::file_size(path)) / 1048576;
  state.counters["nodes_per_s"] = benchmark::Counter(static_cast<double>(grid.Nx) * grid.Ny,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void ReadRasterFile(benchmark::State& state) {
  const GridData grid = Terrain(static_cast<std::int32_t>(state.range(0)));
  const std::string path = (std::filesystem::temp_directory_path() / "kessadon-bench").string() +
                           Extension(state.range(1));
  if (!WriteRaster(path, grid, {})) state.SkipWithError("write failed");
  for (auto _ : state) {
    Result<RasterGrid> read = ReadRaster(path);
    if (!read) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read->grid.Z.Data());
  }
  state.counters["nodes_per_s"] = benchmark::Counter(static_cast<double>(grid.Nx) * grid.Ny,
                                                     benchmark::Counter::kIsIterationInvariantRate);
  std::remove(path.c_str());
}

// format 0 GeoTIFF, 1 netCDF.
BENCHMARK(WriteRasterFile)->ArgsProduct({{1000, 4000}, {0, 1}})->Unit(benchmark::kSecond);
BENCHMARK(ReadRasterFile)->ArgsProduct({{1000, 4000}, {0, 1}})->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kessadon

BENCHMARK_MAIN();
