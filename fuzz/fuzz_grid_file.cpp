// Arbitrary bytes as a grid file. Whatever parses must survive being written
// and read again: the same node counts, and every value the same to the
// fifteen digits written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "io/GridFile.h"
#include "io/NumberText.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "round trip mismatch: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Result<GridData> grid = ParseGridText(text);
  if (!grid) {
    Check(!grid.failure().message.empty(), "failure without a reason");
    return 0;
  }
  Check(grid->Nx >= 1 && grid->Ny >= 1, "node counts below 1");
  Check(std::int64_t{grid->Nx} * grid->Ny <= static_cast<std::int64_t>(size),
        "more nodes than bytes");

  const std::string written = FormatGridText(*grid);
  Result<GridData> again = ParseGridText(written);
  Check(again.ok(), "written grid does not parse");
  Check(again->Nx == grid->Nx && again->Ny == grid->Ny, "node counts");
  for (auto member : {&GridData::Xmin, &GridData::Ymin, &GridData::Dx, &GridData::Dy}) {
    Check(FormatGeneral((*again).*member) == FormatGeneral((*grid).*member), "header value");
  }
  for (int i = 1; i <= grid->Nx; ++i) {
    for (int j = 1; j <= grid->Ny; ++j) {
      Check(FormatGeneral(again->Z(i, j)) == FormatGeneral(grid->Z(i, j)), "height");
    }
  }
  Check(FormatGridText(*again) == written, "second writing differs");

  UpdateGridGeometry(*again);
  Check(again->Zmin <= again->Zmax, "height range");
  return 0;
}
