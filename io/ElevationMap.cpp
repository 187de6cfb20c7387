#include "ElevationMap.h"

#include <iconv.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "GridFile.h"
#include "ListInput.h"
#include "NumberText.h"
#include "TextEncoding.h"
#include "TextFile.h"

namespace kessadon {
namespace {

constexpr std::size_t kHeaderLength = 105;
constexpr std::size_t kRecordIdLength = 9;
constexpr std::size_t kHeightWidth = 5;

// A line in UTF-8 with the byte offset of each character, so that fields can
// be cut at character positions.
class CharLine {
 public:
  explicit CharLine(std::string text) : text_(std::move(text)) {
    std::size_t pos = 0;
    while (pos < text_.size()) {
      starts_.push_back(pos);
      NextUtf8(text_, pos);  // valid by construction
    }
    starts_.push_back(text_.size());
  }

  std::size_t Length() const { return starts_.size() - 1; }

  // The characters at 0-based positions from ... from + count - 1.
  std::string_view Chars(std::size_t from, std::size_t count) const {
    return std::string_view(text_).substr(starts_[from], starts_[from + count] - starts_[from]);
  }

 private:
  std::string text_;
  std::vector<std::size_t> starts_;
};

bool IsBlank(std::string_view c) { return c == " " || c == "\t" || c == "\xE3\x80\x80"; }

// Blanks anywhere in a field do not break its number, as a field padded on
// either side or split by a stray blank is still one number.
double FieldNumber(const CharLine& line, std::size_t from, std::size_t count) {
  std::string packed;
  for (std::size_t k = from; k < from + count; ++k) {
    std::string_view c = line.Chars(k, 1);
    if (!IsBlank(c)) packed += c;
  }
  return ParseLeadingNumber(packed);
}

std::string TrimmedText(const CharLine& line, std::size_t from, std::size_t count) {
  std::size_t first = from, last = from + count;
  while (first < last && IsBlank(line.Chars(first, 1))) ++first;
  while (last > first && IsBlank(line.Chars(last - 1, 1))) --last;
  return std::string(line.Chars(first, last - first));
}

// Turns the bytes of one line into characters: as they are when the whole file
// is UTF-8, else from CP932, the Shift_JIS that Japanese desktops write.
class LineDecoder {
 public:
  explicit LineDecoder(bool utf8) : utf8_(utf8) {}
  LineDecoder(const LineDecoder&) = delete;
  LineDecoder& operator=(const LineDecoder&) = delete;
  ~LineDecoder() {
    if (converter_ != kNone) iconv_close(converter_);
  }

  Result<CharLine> Decode(std::string_view bytes, int line) {
    if (utf8_) return CharLine(std::string(bytes));
    if (converter_ == kNone) {
      converter_ = iconv_open("UTF-8", "CP932");
      if (converter_ == kNone) return Failure{"Shift_JIS を読む変換が使えません"};
    }
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    // Every CP932 character becomes at most three bytes of UTF-8.
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    if (iconv(converter_, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1)) {
      return Failure{"Shift_JIS として読めない文字があります（UTF-8 でもありません）", line};
    }
    out.resize(out.size() - outLeft);
    return CharLine(std::move(out));
  }

 private:
  // iconv's own mark for no converter.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  bool utf8_;
  iconv_t converter_ = kNone;
};

Result<std::int32_t> Count(const std::string& name, const CharLine& header, std::size_t from) {
  const double value = FieldNumber(header, from, 3);
  std::optional<std::int32_t> count = ToLong(value);
  if (!count) {
    return Failure{name + "が整数の範囲を超えています（" + FormatGeneral(value) + "）", 1};
  }
  if (*count < 1) return Failure{name + "が 1 未満です（" + FormatGeneral(value) + "）", 1};
  return *count;
}

// The columns and the rows that follow, from the header; the first row count
// only bounds the second.
struct SheetSize {
  std::int32_t nx;
  std::int32_t ny;
};

Result<SheetSize> ReadSheetSize(const CharLine& header) {
  if (header.Length() < kHeaderLength) {
    return Failure{"見出し行が短すぎます（" + std::to_string(kHeaderLength) + " 文字必要です）", 1};
  }
  Result<std::int32_t> nx = Count("列数", header, 23);
  if (!nx) return nx.failure();
  Result<std::int32_t> rows = Count("行数", header, 26);
  if (!rows) return rows.failure();
  Result<std::int32_t> ny = Count("2 つ目の行数", header, 102);
  if (!ny) return ny.failure();
  if (*ny > *rows) {
    return Failure{"2 つ目の行数 " + std::to_string(*ny) + " が 1 つ目の行数 " +
                       std::to_string(*rows) + " を超えています",
                   1};
  }
  const std::int64_t nodes = std::int64_t{*nx} * *rows;
  if (nodes > kMaxGridNodes) {
    return Failure{"格子点数 " + std::to_string(nodes) + " が上限 " +
                       std::to_string(kMaxGridNodes) + " を超えています",
                   1};
  }
  return SheetSize{*nx, *ny};
}

}  // namespace

Result<ElevationMap> ParseElevationMap(std::string_view bytes) {
  if (bytes.empty()) return Failure{"ファイルが空です"};
  const bool utf8 = IsUtf8(bytes);
  // A BOM would shift every position of the header by one.
  if (utf8 && bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  LineDecoder decoder(utf8);
  LineReader lines(bytes);

  Result<CharLine> header = decoder.Decode(lines.NextLine().value_or(""), 1);
  if (!header) return header.failure();
  Result<SheetSize> size = ReadSheetSize(*header);
  if (!size) return size.failure();
  const std::int32_t nx = size->nx;
  const std::int32_t ny = size->ny;

  // A character takes at least one byte, so the records can be found short by
  // their bytes before anything as large as the grid is allocated.
  const std::size_t recordLength = kRecordIdLength + kHeightWidth * static_cast<std::size_t>(nx);
  const auto shortRecord = [&](int line) {
    return Failure{"標高が " + std::to_string(nx) + " 列分ありません（" +
                       std::to_string(recordLength) + " 文字必要です）",
                   line};
  };
  std::vector<std::string_view> records;
  while (records.size() < static_cast<std::size_t>(ny)) {
    std::optional<std::string_view> record = lines.NextLine();
    if (!record) {
      return Failure{"行数 " + std::to_string(ny) + " に対して " + std::to_string(records.size()) +
                     " 行しかありません"};
    }
    if (record->size() < recordLength) return shortRecord(static_cast<int>(records.size()) + 2);
    records.push_back(*record);
  }

  ElevationMap map;
  map.sheetName = TrimmedText(*header, 58, 10);
  GridData& grid = map.grid;
  grid.Nx = nx;
  grid.Ny = ny;
  grid.Dx = grid.Nx == 200 ? 62 : 310;
  grid.Dy = grid.Nx == 200 ? 50 : 250;
  // Only the rows that follow are ever used; the first count merely bounds them.
  grid.Z = NodeArray<double>(nx, ny);
  for (int r = 0; r < ny; ++r) {
    const int lineNumber = r + 2;
    Result<CharLine> record = decoder.Decode(records[r], lineNumber);
    if (!record) return record.failure();
    if (record->Length() < recordLength) return shortRecord(lineNumber);
    const int j = ny - r;
    for (int i = 1; i <= grid.Nx; ++i) {
      const double z = FieldNumber(*record, kRecordIdLength + kHeightWidth * (i - 1), 5) / 10;
      // Below -999 m is the sheet's mark for no height (-9999 as stored).
      if (z < -999) {
        grid.Z(i, j) = -1;
        continue;
      }
      // "9e999" fits in a field; such a height would overflow every range.
      if (!WithinValueBound(z)) {
        return Failure{
            BeyondValueBound("標高 Z(" + std::to_string(i) + ", " + std::to_string(j) + ")"),
            lineNumber};
      }
      grid.Z(i, j) = z;
    }
  }
  return map;
}

Result<ElevationMap> ReadElevationMap(const std::string& path) {
  Result<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return bytes.failure();
  return ParseElevationMap(*bytes);
}

}  // namespace kessadon
