// Digital elevation map sheets (*.mem, *.sem): fixed-column text, Shift_JIS
// (CP932) or UTF-8, where every position counts characters, a double-byte
// character counting as one.
//
// The header line gives the column count at 24-26, the row count to allocate
// at 27-29, the sheet name at 59-68 and the number of row records that follow
// at 103-105. Each record is one line, northernmost row first; after 9
// characters of record id it holds one 5-character height per column, west to
// east, in tenths of a metre. Columns are 62 m by 50 m apart on sheets of 200
// columns, 310 m by 250 m on any other.
#pragma once

#include <string>
#include <string_view>

#include "GridData.h"
#include "Result.h"

namespace kessadon {

struct ElevationMap {
  // Nx, Ny, Xmin = Ymin = 0, Dx, Dy and Z filled (geometry not yet derived).
  // Z holds nodes 1 ... Nx by 1 ... Ny.
  GridData grid;
  std::string sheetName;  // UTF-8, blanks at either end trimmed
};

// Parses a whole sheet held in memory.
Result<ElevationMap> ParseElevationMap(std::string_view bytes);

// Reads a sheet from disk (ParseElevationMap on its contents).
Result<ElevationMap> ReadElevationMap(const std::string& path);

}  // namespace kessadon
