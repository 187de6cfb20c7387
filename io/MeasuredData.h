// Measured-data files: scattered points with a position, usually a height, an
// optional code l (0 ordinary height, +1 lower bound, -1 upper bound, 9 no
// usable height) and an optional trend/dip reading in degrees.
//
// Five layouts, one record per line, read with the list-input rule:
//   1  id, x, y, z
//   2  id, x, y, z, l
//   3  id, x, y, z, l, trend, dip
//   4  id, x, y, z, l ... then a separator id, 9e9, 9e9, 9e9, l,
//      then id, x, y, z, trend, dip ... (these get l = 9)
//   5  a grid data file, one record per node
// Layouts 1 ... 4 end with one final line that is read as a record but not kept;
// blank lines after it are not lines of the file. Their first line is a header
// row, not a record, when its x, y and z fields all hold text but no number
// (as "id,x,y,z" written by a spreadsheet) and a further line follows.
// Values beyond kValueBound in magnitude are refused.
//
// Records are held 0-based here: record k of the panel's numbering is index k-1.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GridFile.h"
#include "Result.h"

namespace kessadon {

// A new load and at most 19 additional ones.
inline constexpr int kMaxDataFiles = 20;

// Most records a record set may hold, over all its files.
inline constexpr std::int64_t kMaxMeasuredRecords = kMaxGridNodes;

// What one file gave, for the user to see what was read and what was not.
struct MeasuredFileSummary {
  std::int32_t records = 0;  // kept from the file
  std::int32_t heights = 0;  // of them, those giving a height datum
  std::int32_t dips = 0;     // and those giving a dip datum (a record may give both)
  bool headerSkipped = false;
  // Layouts 1 ... 4: the final line, taken as the end record; its bytes as written.
  std::optional<std::string> endLine;
  // Layouts 1 ... 4 when no line before the final one holds as many fields as
  // a record of the layout: the count they all hold, or -1 when they differ;
  // 0 when some line fits.
  std::int32_t misfitFields = 0;

  bool operator==(const MeasuredFileSummary&) const = default;
};

// The records of every file loaded, in load order.
struct MeasuredData {
  std::vector<std::string>
      DataId;  // the id field's bytes as written (Shift_JIS or UTF-8); empty for grid nodes
  std::vector<double> DataX, DataY, DataZ;
  std::vector<std::int16_t> DataL;
  std::vector<double> DataTrend, DataDip;  // NoValue when absent
  std::vector<std::string> DataFileName;   // paths in load order, at most kMaxDataFiles
  MeasuredFileSummary LastFile;            // of the latest file parsed into these records

  std::int32_t Ndata() const { return static_cast<std::int32_t>(DataX.size()); }
  bool operator==(const MeasuredData&) const = default;
};

// `dataType` 1 ... 4 picks those layouts; every other value reads a grid data
// file (layout 5), as the panel's option buttons are interpreted.
// Parses the text of one file into new records (DataFileName left empty).
Result<MeasuredData> ParseMeasuredText(std::string_view text, int dataType);

// A new load: the records of one file, with DataFileName = {path}.
Result<MeasuredData> LoadMeasuredData(const std::string& path, int dataType);

// An additional load: appends the records of one more file to `data`, of any
// layout. A 21st file, a file that fails to parse, or a total beyond
// kMaxMeasuredRecords is refused and leaves `data` exactly as it was.
Status AppendMeasuredData(MeasuredData& data, const std::string& path, int dataType);

// The same for text already in memory; `path` is what DataFileName records.
Status AppendMeasuredText(MeasuredData& data, std::string_view text, int dataType,
                          const std::string& path);

// Counts the records of LastFile, and those giving height and dip data.
void CountKinds(MeasuredData& data);

// Appends records read from another source, with `path` as their file, as
// an additional load: refused, `data` as it was, in the same cases.
Status AppendRecords(MeasuredData& data, MeasuredData more, const std::string& path);

// Height data and dip data split from the records, with their ranges.
struct PreparedData {
  std::vector<double> XH, YH, ZH;
  std::vector<std::int16_t> LH;
  std::vector<double> XD, YD, ZD, TrendD, DipD;
  std::vector<double> GxD, GyD;  // target slopes dz/dx, dz/dy of the dip data
  // x and y over height and dip data together, z over height data only;
  // 1e10 and -1e10 when there is nothing to range over.
  double XminH = 1e10, XmaxH = -1e10, YminH = 1e10, YmaxH = -1e10, ZminH = 1e10, ZmaxH = -1e10;
  bool HasDipData = false;
  bool HasBoundData = false;  // some record, used or not, has l = -1 or +1

  std::int32_t Nh() const { return static_cast<std::int32_t>(XH.size()); }
  std::int32_t Nd() const { return static_cast<std::int32_t>(XD.size()); }
};

// From this x on, a record of the layout files marks "no position" and gives
// no datum. Tables and GIS layers, where an empty cell means no value, refuse
// such positions instead (PositionBeyondMarker) rather than lose the record.
inline constexpr double kNoPositionFrom = 9e8;
// The refusal of a table's or layer's x or y at or beyond kNoPositionFrom
// in magnitude; nothing for a position that is fine.
std::optional<std::string> PositionBeyondMarker(double x, double y);

// A note when every record lies outside the rectangle, as data in another
// coordinate system than the grid's would; nothing when any lies within.
std::optional<std::string> OutsideDataNote(const MeasuredData& data, double xmin, double xmax,
                                           double ymin, double ymax);

// A record with x below 9e8 gives a height datum when its z is not above 8.9e9
// and its l is not 9, and, independently, a dip datum when its trend is below 9e8.
PreparedData PrepareMeasuredData(const MeasuredData& data);
bool GivesHeightDatum(double x, double z, std::int16_t l);
bool GivesDipDatum(double x, double trend);

}  // namespace kessadon
