// Arbitrary bytes as an elevation map sheet. Whatever parses must be a grid
// the program can use and save: node counts backed by the bytes read, heights
// finite and never below -999, and a grid file that reads back the same.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "io/ElevationMap.h"
#include "io/GridFile.h"
#include "io/NumberText.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "elevation map: %s\n", what);
    std::abort();
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Result<ElevationMap> map = ParseElevationMap(bytes);
  if (!map) {
    Check(!map.failure().message.empty(), "failure without a reason");
    return 0;
  }
  GridData& grid = map->grid;
  Check(grid.Nx >= 1 && grid.Ny >= 1, "node counts below 1");
  Check(grid.Z.UpperI() == grid.Nx && grid.Z.UpperJ() >= grid.Ny, "height array too small");
  // Each height takes five characters of at least one byte.
  Check(std::int64_t{grid.Nx} * grid.Ny * 5 <= static_cast<std::int64_t>(size),
        "more heights than bytes");
  Check(grid.Dx == (grid.Nx == 200 ? 62 : 310) && grid.Dy == (grid.Nx == 200 ? 50 : 250),
        "spacing");
  const std::string& name = map->sheetName;
  Check(name.empty() || (!IsBlank(name.front()) && !IsBlank(name.back())), "name not trimmed");
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      Check(std::isfinite(grid.Z(i, j)) && grid.Z(i, j) >= -999, "height");
    }
  }

  KeepOriginalGrid(grid);
  UpdateGridGeometry(grid);
  Result<GridData> again = ParseGridText(FormatGridText(grid));
  Check(again.ok(), "saved grid does not parse");
  Check(
      again->Nx == grid.Nx && again->Ny == grid.Ny && again->Dx == grid.Dx && again->Dy == grid.Dy,
      "saved header");
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      Check(FormatGeneral(again->Z(i, j)) == FormatGeneral(grid.Z(i, j)), "saved height");
    }
  }
  return 0;
}
