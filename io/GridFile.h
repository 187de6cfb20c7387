// Grid data files: Nx, Ny, Xmin, Ymin, Dx, Dy, then Nx*Ny heights with the x
// index outermost (each column from south to north, columns west to east),
// all read with the list-input rule.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "GridData.h"
#include "Result.h"

namespace kessadon {

// Largest node count a grid file may announce. Each node costs about 20 bytes
// (heights, the original copy and the cell colours), so this keeps a grid near 1 GiB.
inline constexpr std::int64_t kMaxGridNodes = 50'000'000;

// The header values of a grid file.
struct GridHeader {
  std::int32_t Nx = 0, Ny = 0;
  double Xmin = 0, Ymin = 0, Dx = 0, Dy = 0;
};

// Reads the six header values and checks the node counts (both at least 1,
// product within kMaxGridNodes). Leaves the reader after the header.
class ListReader;
Result<GridHeader> ReadGridHeader(ListReader& reader);

// Parses a whole grid file held in memory into a new grid with Nx, Ny, Xmin,
// Ymin, Dx, Dy and Z filled (geometry not yet derived).
Result<GridData> ParseGridText(std::string_view text);

// Reads a grid file from disk (ParseGridText on its contents).
Result<GridData> ReadGridFile(const std::string& path);

// The text of a grid file: the six header values on the first line, then one
// line of heights per column, in the general number form.
std::string FormatGridText(const GridData& grid);

// Writes the current grid to `path` without ever leaving a partial file there.
Status WriteGridFile(const std::string& path, const GridData& grid);

}  // namespace kessadon
