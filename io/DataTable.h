// Measured data from tables whose first row names the columns, as
// spreadsheets and GIS tools write them: which column is x, y, z, the bound
// code, the trend and the dip, by the names chosen or by common names, and
// delimited text in that form (comma, tab, semicolon or blanks; UTF-8,
// Shift_JIS or UTF-16 with its mark; a quoted cell may hold line breaks).
//
// A record without z has no height (as 9e9 in the layouts); one without a
// trend or a dip has no dip reading; one without a code is an ordinary
// height. Nothing ends the table but its last line.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MeasuredData.h"
#include "Result.h"

namespace kessadon {

// The measured quantities, in this order wherever they are listed.
enum class DataColumn { X, Y, Z, Code, Trend, Dip, Id };
inline constexpr int kDataColumns = 7;

// A chosen name that leaves the quantity out.
inline constexpr const char* kLeftOut = "-";

// Most cells a header or a record may have: far beyond any table, yet a line
// of millions of cells is refused before they take room.
inline constexpr std::size_t kMaxTableColumns = 10000;

// The column name chosen for each quantity; empty for the common names.
struct ColumnChoice {
  std::array<std::string, kDataColumns> name;
  // The column named x holds northings and the one named y eastings, as
  // Japanese survey tables name them: their values are swapped.
  bool swapXY = false;
};

// "x=E,y=N,z=H,code=L,trend=DD,dip=D,id=NAME" (any of them, any order; "l"
// stands for code too; a name of "-" leaves the quantity out). Refuses an
// unknown key or a key without a name.
Result<ColumnChoice> ParseColumnChoice(std::string_view text);

// The names each quantity is found by when not chosen, compared (as chosen
// names are) without regard to ASCII case, full-width forms (ｘ, Ｘ, "　") or
// surrounding blanks: x, easting, east, x座標; y, northing, north, y座標; z,
// elev, elevation, height, 標高, 高さ; l, code, bound; trend, dipdir,
// dip_dir, azimuth, 傾斜方向; dip, 傾斜, 傾斜角; id, name, 名前, 地点, 番号.
const std::vector<std::string>& CommonColumnNames(DataColumn column);

// Where each quantity stands among `names` (-1: not there). Refuses a chosen
// name that is not among them, naming `where` (a file or a layer) and the
// names there are.
Result<std::vector<int>> FindColumns(const std::vector<std::string>& names,
                                     const ColumnChoice& choice, const std::string& where);

// "a、b、c": the names, for a refusal to list; quoted as Excerpt quotes text,
// and the first 30 of them only.
std::string ColumnNameList(const std::vector<std::string>& names);

// A cell's number: blanks round it and full-width forms allowed; nothing for
// an empty cell; a failure for text that is not a whole number.
Result<std::optional<double>> CellNumber(std::string_view cell);

// The names of a header line, split as ParseDataTable splits it. Refuses more
// than kMaxTableColumns of them.
Result<std::vector<std::string>> HeaderNames(std::string_view firstLine);

// Whether a first line, split as ParseDataTable splits it, names columns
// that give x and y (by the common names) rather than holding a record.
bool NamesPositionColumns(std::string_view firstLine);

// The records of a delimited table (`bytes` as read from the file). x and y
// must be found (by name or as chosen), and z or the trend and the dip. A
// cell that is not a number is refused with its line and column, and so is a
// line of more than kMaxTableColumns cells. Lines are counted as they stand
// in the file, a record of several lines by its first.
Result<MeasuredData> ParseDataTable(std::string_view bytes, const ColumnChoice& choice);

}  // namespace kessadon
