#include "MeasuredData.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <utility>

#include "ListInput.h"
#include "NumberText.h"
#include "TextEncoding.h"
#include "TextFile.h"

namespace kessadon {
namespace {

// The fields each section of a file gives a record.
enum class Section { Xyz, XyzL, XyzLTrendDip, XyzTrendDip };

struct Record {
  std::string id;
  double x = 0, y = 0, z = 0;
  std::int16_t l = 0;
  double trend = NoValue, dip = NoValue;

  bool IsSeparator() const { return x == NoValue && y == NoValue && z == NoValue; }
};

// Reads fields and says where an early end or a bad value struck.
class FieldSource {
 public:
  explicit FieldSource(std::string_view text) : reader_(text) {}
  ListReader& Reader() { return reader_; }
  bool AtEnd() const { return reader_.AtEnd(); }
  // The line of the last field read: where an early end shows in the file.
  int LastLine() const { return lastLine_ > 0 ? lastLine_ : 1; }
  // The last failure was the text running out, not a bad value.
  bool EndedEarly() const { return endedEarly_; }

  Status Id(std::string& out, std::int64_t record) {
    const int line = reader_.Line();
    std::optional<std::string> field = reader_.NextField();
    if (!field) return EarlyEnd(record, "id");
    lastLine_ = line;
    out = std::move(*field);
    return Ok();
  }

  Status Number(double& out, std::int64_t record, const char* name) {
    const int line = reader_.Line();
    std::optional<double> value = reader_.NextNumber();
    if (!value) return EarlyEnd(record, name);
    lastLine_ = line;
    // A huge coordinate or height would overflow the ranges and the estimation.
    if (!WithinValueBound(*value)) {
      return Failure{BeyondValueBound("レコード " + std::to_string(record) + " の " + name), line};
    }
    out = *value;
    return Ok();
  }

  Status Code(std::int16_t& out, std::int64_t record) {
    const int line = reader_.Line();
    double value = 0;
    Status read = Number(value, record, "l");
    if (!read) return read;
    std::optional<std::int16_t> code = ToInteger(value);
    if (!code) {
      return Failure{"レコード " + std::to_string(record) +
                         " の l が -32768～32767 の範囲外です（" + FormatGeneral(value) + "）",
                     line};
    }
    out = *code;
    return Ok();
  }

  Failure EarlyEnd(std::int64_t record, const char* name) {
    endedEarly_ = true;
    return {"ファイルが途中で終わっています（レコード " + std::to_string(record) + " の " + name +
                " がありません）",
            LastLine()};
  }

 private:
  ListReader reader_;
  int lastLine_ = 0;
  bool endedEarly_ = false;
};

Status ReadRecord(FieldSource& source, Section section, std::int64_t number, Record& record) {
  record = Record{};
  Status status = source.Id(record.id, number);
  if (status) status = source.Number(record.x, number, "x");
  if (status) status = source.Number(record.y, number, "y");
  if (status) status = source.Number(record.z, number, "z");
  if (status && section != Section::Xyz && section != Section::XyzTrendDip) {
    status = source.Code(record.l, number);
  }
  if (status && (section == Section::XyzLTrendDip || section == Section::XyzTrendDip)) {
    status = source.Number(record.trend, number, "trend");
    if (status) status = source.Number(record.dip, number, "dip");
  }
  return status;
}

void Push(MeasuredData& data, Record&& record) {
  data.DataId.push_back(std::move(record.id));
  data.DataX.push_back(record.x);
  data.DataY.push_back(record.y);
  data.DataZ.push_back(record.z);
  data.DataL.push_back(record.l);
  data.DataTrend.push_back(record.trend);
  data.DataDip.push_back(record.dip);
}

void Reserve(MeasuredData& data, std::size_t count) {
  data.DataId.reserve(count);
  data.DataX.reserve(count);
  data.DataY.reserve(count);
  data.DataZ.reserve(count);
  data.DataL.reserve(count);
  data.DataTrend.reserve(count);
  data.DataDip.reserve(count);
}

void Truncate(MeasuredData& data, std::size_t count) {
  data.DataId.resize(count);
  data.DataX.resize(count);
  data.DataY.resize(count);
  data.DataZ.resize(count);
  data.DataL.resize(count);
  data.DataTrend.resize(count);
  data.DataDip.resize(count);
}

Failure TooManyRecords(std::int64_t count) {
  return {"レコード数 " + std::to_string(count) + " が上限 " + std::to_string(kMaxMeasuredRecords) +
          " を超えています"};
}

// Layouts 1 ... 3: as many records as the file has lines, the last one dropped.
Result<MeasuredData> ParseOneSection(std::string_view text, Section section) {
  const std::size_t lines = CountLines(text);
  if (lines == 0) return Failure{"ファイルが空です"};
  const std::int64_t records = static_cast<std::int64_t>(lines) - 1;
  if (records > kMaxMeasuredRecords) return TooManyRecords(records);

  MeasuredData data;
  Reserve(data, lines - 1);
  FieldSource source(text);
  Record record;
  for (std::size_t t = 1; t <= lines; ++t) {
    Status read = ReadRecord(source, section, static_cast<std::int64_t>(t), record);
    if (!read) return read.failure();
    if (t < lines) Push(data, std::move(record));
  }
  return data;
}

// Layout 4: heights with codes up to the separator, then dips with l = 9.
Result<MeasuredData> ParseTwoSections(std::string_view text) {
  const std::size_t lines = CountLines(text);
  if (lines == 0) return Failure{"ファイルが空です"};
  const std::int64_t records = static_cast<std::int64_t>(lines) - 2;
  if (records > kMaxMeasuredRecords) return TooManyRecords(records);

  MeasuredData data;
  Reserve(data, lines);
  FieldSource source(text);
  Record record;
  std::size_t t = 0;  // slot of the record last read
  const auto noSeparator = [&] {
    return Failure{"区切りのレコード（x, y, z がすべて 9e9）がありません", source.LastLine()};
  };
  for (;;) {
    // A file with more records than lines has run past its count without a separator.
    if (++t > lines || source.AtEnd()) return noSeparator();
    Status read = ReadRecord(source, Section::XyzL, static_cast<std::int64_t>(t), record);
    if (!read) return source.EndedEarly() ? noSeparator() : read.failure();
    if (record.IsSeparator()) break;
    Push(data, std::move(record));
  }
  // The first dip record takes the separator's slot.
  for (; !source.AtEnd(); ++t) {
    if (t > lines) {
      return Failure{"レコードが行数より多くあります（1 行に 1 レコードで書いてください）",
                     source.LastLine()};
    }
    // Messages number records as they stand in the file, the separator included.
    Status read =
        ReadRecord(source, Section::XyzTrendDip, static_cast<std::int64_t>(t) + 1, record);
    if (!read) return read.failure();
    record.l = 9;
    Push(data, std::move(record));
  }
  // The two lines not counted are the separator and the final line. Records
  // that run over several lines leave fewer than that; never count slots that
  // no record filled.
  const std::int64_t counted = std::min<std::int64_t>(
      static_cast<std::int64_t>(lines) - 2, static_cast<std::int64_t>(data.DataX.size()) - 1);
  Truncate(data, static_cast<std::size_t>(std::max<std::int64_t>(counted, 0)));
  return data;
}

// Layout 5: a grid data file, one record per node, the x index outermost.
Result<MeasuredData> ParseGridNodes(std::string_view text) {
  FieldSource source(text);
  Result<GridHeader> header = ReadGridHeader(source.Reader());
  if (!header) return header.failure();
  const std::int64_t nodes = std::int64_t{header->Nx} * header->Ny;
  // Every field takes at least one byte: a shorter text cannot hold the heights.
  if (source.Reader().Remaining() < static_cast<std::uint64_t>(nodes)) {
    std::int64_t read = 0;
    while (source.Reader().NextField()) ++read;
    return Failure{"ファイルが途中で終わっています（高さ " + std::to_string(nodes) + " 個のうち " +
                       std::to_string(read) + " 個まで）",
                   source.Reader().Line()};
  }

  MeasuredData data;
  Reserve(data, static_cast<std::size_t>(nodes));
  std::int64_t number = 0;
  for (std::int32_t i = 1; i <= header->Nx; ++i) {
    for (std::int32_t j = 1; j <= header->Ny; ++j) {
      Record record;
      Status read = source.Number(record.z, ++number, "z");
      if (!read) return read.failure();
      record.x = (i - 1) * header->Dx + header->Xmin;
      record.y = (j - 1) * header->Dy + header->Ymin;
      Push(data, std::move(record));
    }
  }
  return data;
}

Failure OutOfMemory() { return {"メモリが足りません"}; }

// Blank lines after the final line (and an old editor's end-of-file mark) are
// not records; counted as lines they would make the reader run past the end.
std::string_view WithoutTrailingBlankLines(std::string_view text) {
  const std::size_t last = text.find_last_not_of(" \t\r\n\x1a");
  if (last == std::string_view::npos) return {};
  const std::size_t lineEnd = text.find_first_of("\r\n", last);
  return lineEnd == std::string_view::npos ? text : text.substr(0, lineEnd);
}

// A header row: x, y and z each hold text, none of it a number. The id may be anything.
bool IsHeaderLine(std::string_view line) {
  ListReader fields(line);
  if (!fields.NextField()) return false;
  for (int k = 0; k < 3; ++k) {
    std::optional<std::string> field = fields.NextField();
    std::size_t consumed = 0;
    if (!field || field->find_first_not_of(" \t") == std::string::npos) return false;
    ParseLeadingNumber(*field, &consumed);
    if (consumed > 0) return false;
  }
  return true;
}

// The text after its header row, when the first line is one and another line
// follows; the only line of a file is its end line, whatever it holds.
std::optional<std::string_view> AfterHeaderLine(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return std::nullopt;
  const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
  const std::size_t next = end + (crlf ? 2 : 1);
  if (next >= text.size() || !IsHeaderLine(text.substr(0, end))) return std::nullopt;
  return text.substr(next);
}

std::string_view FinalLine(std::string_view text) {
  const std::size_t lastBreak = text.find_last_of("\r\n");
  return lastBreak == std::string_view::npos ? text : text.substr(lastBreak + 1);
}

// Whether no record line holds as many fields as the layout's record (for
// layout 4, a height's or a dip's): 0 when one does, else the count they
// all hold, or -1 when they differ. The final line is the end line.
std::int32_t MisfitFields(std::string_view records, int dataType) {
  static constexpr int kFields[] = {0, 4, 5, 7};
  LineReader lines(records);
  std::int32_t common = 0;
  std::optional<std::string_view> line = lines.NextLine();
  for (std::optional<std::string_view> next; line; line = next) {
    next = lines.NextLine();
    if (!next) break;
    ListReader fields(*line);
    std::int32_t count = 0;
    while (fields.NextField()) ++count;
    if (count == 0) continue;
    const bool fits = dataType == 4 ? count == 5 || count == 6 : count == kFields[dataType];
    if (fits) return 0;
    common = common == 0 || common == count ? count : -1;
  }
  return common;
}

// Layouts 1 ... 4: the records after a header row, and what was skipped.
Result<MeasuredData> ParseLines(std::string_view text, int dataType) {
  text = WithoutTrailingBlankLines(text);
  const std::optional<std::string_view> afterHeader = AfterHeaderLine(text);
  const std::string_view records = afterHeader.value_or(text);
  Result<MeasuredData> data = dataType == 4   ? ParseTwoSections(records)
                              : dataType == 1 ? ParseOneSection(records, Section::Xyz)
                              : dataType == 2 ? ParseOneSection(records, Section::XyzL)
                                              : ParseOneSection(records, Section::XyzLTrendDip);
  if (!data) {
    Failure failure = data.failure();
    if (afterHeader && failure.line > 0) ++failure.line;
    return failure;
  }
  data->LastFile.headerSkipped = afterHeader.has_value();
  data->LastFile.endLine = std::string(FinalLine(text));
  data->LastFile.misfitFields = MisfitFields(records, dataType);
  return data;
}

std::optional<Failure> RefuseFurtherFile(const MeasuredData& data) {
  if (data.DataFileName.size() < static_cast<std::size_t>(kMaxDataFiles)) return std::nullopt;
  return Failure{"追加で読み込めるファイルは " + std::to_string(kMaxDataFiles - 1) + " 個までです"};
}

}  // namespace

void CountKinds(MeasuredData& data) {
  MeasuredFileSummary& summary = data.LastFile;
  summary.records = data.Ndata();
  for (std::size_t k = 0; k < data.DataX.size(); ++k) {
    if (GivesHeightDatum(data.DataX[k], data.DataZ[k], data.DataL[k])) ++summary.heights;
    if (GivesDipDatum(data.DataX[k], data.DataTrend[k])) ++summary.dips;
  }
}

Result<MeasuredData> ParseMeasuredText(std::string_view text, int dataType) {
  // A spreadsheet's "Unicode text" is read as the UTF-8 it holds; its lines stay as they were.
  if (text.starts_with(kUtf16LeBom) || text.starts_with(kUtf16BeBom)) {
    Result<std::string> utf8 = TextToUtf8(text);
    if (!utf8) return utf8.failure();
    return ParseMeasuredText(*utf8, dataType);
  }
  try {
    Result<MeasuredData> data =
        dataType >= 1 && dataType <= 4 ? ParseLines(text, dataType) : ParseGridNodes(text);
    if (data) CountKinds(*data);
    return data;
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

Result<MeasuredData> LoadMeasuredData(const std::string& path, int dataType) {
  try {
    Result<std::string> text = ReadWholeFile(path);
    if (!text) return text.failure();
    Result<MeasuredData> data = ParseMeasuredText(*text, dataType);
    if (data) data->DataFileName.push_back(path);
    return data;
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

Status AppendMeasuredData(MeasuredData& data, const std::string& path, int dataType) {
  if (std::optional<Failure> refused = RefuseFurtherFile(data)) return *refused;
  try {
    Result<std::string> text = ReadWholeFile(path);
    if (!text) return text.failure();
    return AppendMeasuredText(data, *text, dataType, path);
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
}

Status AppendMeasuredText(MeasuredData& data, std::string_view text, int dataType,
                          const std::string& path) {
  if (std::optional<Failure> refused = RefuseFurtherFile(data)) return *refused;
  Result<MeasuredData> more = ParseMeasuredText(text, dataType);
  if (!more) return more.failure();
  return AppendRecords(data, std::move(*more), path);
}

Status AppendRecords(MeasuredData& data, MeasuredData more, const std::string& path) {
  if (std::optional<Failure> refused = RefuseFurtherFile(data)) return *refused;
  const std::size_t total = data.DataX.size() + more.DataX.size();
  if (static_cast<std::int64_t>(total) > kMaxMeasuredRecords) {
    return TooManyRecords(static_cast<std::int64_t>(total));
  }
  try {
    // With room reserved everywhere first, the moves below cannot fail halfway.
    Reserve(data, total);
    data.DataFileName.reserve(data.DataFileName.size() + 1);
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
  auto append = [](auto& to, auto& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  };
  append(data.DataId, more.DataId);
  append(data.DataX, more.DataX);
  append(data.DataY, more.DataY);
  append(data.DataZ, more.DataZ);
  append(data.DataL, more.DataL);
  append(data.DataTrend, more.DataTrend);
  append(data.DataDip, more.DataDip);
  data.DataFileName.push_back(path);
  data.LastFile = std::move(more.LastFile);
  return Ok();
}

std::optional<std::string> PositionBeyondMarker(double x, double y) {
  if (std::fabs(x) < kNoPositionFrom && std::fabs(y) < kNoPositionFrom) return std::nullopt;
  return "座標 (" + FormatGeneral(x) + ", " + FormatGeneral(y) + ") が大きすぎます（x と y は " +
         FormatGeneral(kNoPositionFrom) + " 未満にしてください）";
}

std::optional<std::string> OutsideDataNote(const MeasuredData& data, double xmin, double xmax,
                                           double ymin, double ymax) {
  std::size_t placed = 0;  // records with a position
  for (std::size_t k = 0; k < data.DataX.size(); ++k) {
    const double x = data.DataX[k], y = data.DataY[k];
    if (x >= kNoPositionFrom) continue;
    if (x >= xmin && x <= xmax && y >= ymin && y <= ymax) return std::nullopt;
    ++placed;
  }
  if (placed == 0) return std::nullopt;
  return "データ " + std::to_string(placed) +
         " 点はどれも格子の外にあります（座標系を確かめてください）";
}

bool GivesHeightDatum(double x, double z, std::int16_t l) {
  return x < kNoPositionFrom && z <= 8.9e9 && l != 9;
}
bool GivesDipDatum(double x, double trend) { return x < kNoPositionFrom && trend < 9e8; }

PreparedData PrepareMeasuredData(const MeasuredData& data) {
  PreparedData out;
  const auto widen = [](double value, double& low, double& high) {
    if (value < low) low = value;
    if (value > high) high = value;
  };
  const std::size_t n = data.DataX.size();
  for (std::size_t k = 0; k < n; ++k) {
    const double x = data.DataX[k], y = data.DataY[k], z = data.DataZ[k];
    const std::int16_t l = data.DataL[k];
    if (l == -1 || l == 1) out.HasBoundData = true;
    if (GivesHeightDatum(x, z, l)) {
      out.XH.push_back(x);
      out.YH.push_back(y);
      out.ZH.push_back(z);
      out.LH.push_back(l);
      widen(x, out.XminH, out.XmaxH);
      widen(y, out.YminH, out.YmaxH);
      widen(z, out.ZminH, out.ZmaxH);
    }
    if (GivesDipDatum(x, data.DataTrend[k])) {
      out.XD.push_back(x);
      out.YD.push_back(y);
      out.ZD.push_back(z);
      out.TrendD.push_back(data.DataTrend[k]);
      out.DipD.push_back(data.DataDip[k]);
      widen(x, out.XminH, out.XmaxH);
      widen(y, out.YminH, out.YmaxH);
      out.HasDipData = true;
    }
  }
  out.GxD.resize(out.XD.size());
  out.GyD.resize(out.XD.size());
  for (std::size_t j = 0; j < out.XD.size(); ++j) {
    const double t = std::tan(out.DipD[j] * kDegree);
    out.GxD[j] = -std::sin(out.TrendD[j] * kDegree) * t;
    out.GyD[j] = -std::cos(out.TrendD[j] * kDegree) * t;
  }
  return out;
}

}  // namespace kessadon
