#include "DataTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "NumberText.h"
#include "TextEncoding.h"

namespace kessadon {
namespace {

const char* const kKeys[kDataColumns] = {"x", "y", "z", "code", "trend", "dip", "id"};

// Without surrounding blanks and quotes, and in ASCII lower case.
std::string Bare(std::string text) {
  const auto blank = [&text](std::size_t at) {
    return text[at] == ' ' || text[at] == '\t' || text[at] == '"';
  };
  std::size_t first = 0, last = text.size();
  while (first < last && blank(first)) ++first;
  while (last > first && blank(last - 1)) --last;
  text = text.substr(first, last - first);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A column name as names are compared: "ｘ　" and "X" are both "x".
std::string NameKey(std::string_view name) { return Bare(FoldFullWidthAscii(FoldFullWidth(name))); }

// A cell as its number is read: full-width digits and signs folded.
std::string CellText(std::string_view cell) { return Bare(FoldFullWidth(cell)); }

// Text of the file or of a choice, quoted in a message.
std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  quoted += Excerpt(text);
  return quoted += '"';
}

// The separator a header line uses: a tab, a comma or a semicolon where it
// holds one, else runs of blanks (0).
char SeparatorOf(std::string_view line) {
  for (char c : {'\t', ',', ';'}) {
    if (line.find(c) != std::string_view::npos) return c;
  }
  return 0;
}

bool Blank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The records of a table, one after another, each split into its cells: a
// record is a line, or several where a cell that opens with a double quote
// holds line breaks (as spreadsheets write a note of several lines). Blank
// lines are left out; lines are numbered as they stand in the file (LF, CR LF
// or CR). The separator is the one of the first line that is not blank.
class Records {
 public:
  explicit Records(std::string_view text) : text_(text), lastQuote_(text.rfind('"')) {
    for (std::size_t at = 0; at < text_.size();) {
      const std::size_t end = std::min(text_.find_first_of("\r\n", at), text_.size());
      const std::string_view line = text_.substr(at, end - at);
      if (!Blank(line)) {
        separator_ = SeparatorOf(line);
        break;
      }
      at = end + 1;
    }
  }

  // The cells of the next record into `cells`; false after the last record.
  // A record of more than kMaxTableColumns cells is refused as it is split,
  // before its cells take any room.
  Result<bool> Next(std::vector<std::string>& cells) {
    cells.clear();
    while (at_ < text_.size()) {
      const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
      if (!Blank(text_.substr(at_, end - at_))) break;
      at_ = end;
      PastLineEnd();
    }
    if (at_ >= text_.size()) return false;
    line_ = next_;
    Status split = separator_ == 0 ? SplitAtBlanks(cells) : SplitAtSeparator(cells);
    if (!split) return split.failure();
    ++records_;
    return true;
  }

  // The line the record read last starts on.
  int Line() const { return line_; }

 private:
  void PastLineEnd() {
    if (at_ >= text_.size()) return;
    at_ += text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
    ++next_;
  }

  Status Add(std::vector<std::string>& cells, std::string&& cell) const {
    if (cells.size() == kMaxTableColumns) {
      return Failure{std::string(records_ == 0 ? "見出しの行の" : "") + "列が多すぎます（上限 " +
                         std::to_string(kMaxTableColumns) + " 列）",
                     line_};
    }
    cells.push_back(std::move(cell));
    return Ok();
  }

  Status SplitAtBlanks(std::vector<std::string>& cells) {
    const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
    while (at_ < end) {
      while (at_ < end && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
      const std::size_t start = at_;
      while (at_ < end && text_[at_] != ' ' && text_[at_] != '\t') ++at_;
      if (at_ == start) continue;
      Status added = Add(cells, std::string(text_.substr(start, at_ - start)));
      if (!added) return added;
    }
    PastLineEnd();
    return Ok();
  }

  // At the separator outside double quotes ("" inside them one quote). A quote
  // that opens its cell holds line breaks up to the quote that closes it; one
  // that no later quote closes ends at its line's end, as any other does.
  Status SplitAtSeparator(std::vector<std::string>& cells) {
    std::string cell;
    std::size_t cellStart = at_;
    bool quoted = false, spans = false;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\r' || c == '\n') {
        if (!spans || lastQuote_ == std::string_view::npos || lastQuote_ < at_) break;
        PastLineEnd();
        cell += '\n';
        continue;
      }
      ++at_;
      if (quoted && c == '"' && at_ < text_.size() && text_[at_] == '"') {
        cell += '"';
        ++at_;
      } else if (c == '"') {
        quoted = !quoted;
        spans = quoted && at_ - 1 == cellStart;
      } else if (c == separator_ && !quoted) {
        Status added = Add(cells, std::move(cell));
        if (!added) return added;
        cell.clear();
        cellStart = at_;
      } else {
        cell += c;
      }
    }
    PastLineEnd();
    return Add(cells, std::move(cell));
  }

  std::string_view text_;
  std::size_t lastQuote_;
  char separator_ = 0;
  std::size_t at_ = 0;
  int next_ = 1;  // the line at at_
  int line_ = 0;
  int records_ = 0;
};

}  // namespace

Result<ColumnChoice> ParseColumnChoice(std::string_view text) {
  ColumnChoice choice;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(at, end - at);
    const std::size_t equals = item.find('=');
    const std::string key = NameKey(item.substr(0, equals));
    const std::string name =
        equals == std::string_view::npos ? std::string() : std::string(item.substr(equals + 1));
    int column = -1;
    for (int k = 0; k < kDataColumns; ++k) {
      if (key == kKeys[k] || (k == int(DataColumn::Code) && key == "l")) column = k;
    }
    if (column < 0) {
      return Failure{"列の指定 " + Quote(item) +
                     " が読めません（x, y, z, code, trend, dip, id のどれかに = 列名）"};
    }
    if (NameKey(name).empty()) return Failure{"列の指定 " + Quote(item) + " に列名がありません"};
    if (!choice.name[column].empty()) {
      return Failure{"列の指定で " + std::string(kKeys[column]) + " が 2 回あります（" +
                     Quote(choice.name[column]) + " と " + Quote(name) + "）"};
    }
    choice.name[column] = name;
    at = end + 1;
  }
  return choice;
}

std::string ColumnNameList(const std::vector<std::string>& names) {
  // A message stays one line of some length, however many names there are.
  constexpr std::size_t kListed = 30;
  std::string list;
  for (std::size_t k = 0; k < names.size() && k < kListed; ++k) {
    list += (list.empty() ? "" : "、") + Excerpt(names[k]);
  }
  if (names.size() > kListed) {
    list += "、…（ほか " + std::to_string(names.size() - kListed) + " 個）";
  }
  return list.empty() ? "なし" : list;
}

const std::vector<std::string>& CommonColumnNames(DataColumn column) {
  static const std::vector<std::string> kNames[kDataColumns] = {
      {"x", "easting", "east", "x座標"},
      {"y", "northing", "north", "y座標"},
      {"z", "elev", "elevation", "height", "標高", "高さ"},
      {"l", "code", "bound"},
      {"trend", "dipdir", "dip_dir", "azimuth", "傾斜方向"},
      {"dip", "傾斜", "傾斜角"},
      {"id", "name", "名前", "地点", "番号"}};
  return kNames[static_cast<int>(column)];
}

Result<std::vector<int>> FindColumns(const std::vector<std::string>& names,
                                     const ColumnChoice& choice, const std::string& where) {
  std::vector<std::string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) keys.push_back(NameKey(name));
  const auto find = [&keys](const std::string& name) {
    const auto at = std::find(keys.begin(), keys.end(), NameKey(name));
    return at == keys.end() ? -1 : static_cast<int>(at - keys.begin());
  };
  std::vector<int> columns(kDataColumns, -1);
  for (int k = 0; k < kDataColumns; ++k) {
    if (NameKey(choice.name[k]) == kLeftOut) continue;
    if (!choice.name[k].empty()) {
      columns[k] = find(choice.name[k]);
      if (columns[k] < 0) {
        return Failure{where + " に列 " + Quote(choice.name[k]) + "（" + kKeys[k] +
                       "）がありません（あるのは " + ColumnNameList(names) + "）"};
      }
      continue;
    }
    for (const std::string& name : CommonColumnNames(static_cast<DataColumn>(k))) {
      if (columns[k] < 0) columns[k] = find(name);
    }
  }
  // One column for two quantities, or a name two columns share, leaves the
  // records' meaning to chance.
  const int placed[] = {int(DataColumn::X), int(DataColumn::Y), int(DataColumn::Z),
                        int(DataColumn::Trend), int(DataColumn::Dip)};
  for (const int a : placed) {
    if (columns[a] < 0) continue;
    for (const int b : placed) {
      if (b > a && columns[b] == columns[a]) {
        return Failure{where + " の列 " + Quote(names[columns[a]]) + " が " + kKeys[a] + " と " +
                       kKeys[b] + " の両方に当たります：--fields で別の列を指定してください"};
      }
    }
    if (std::count(keys.begin(), keys.end(), keys[columns[a]]) > 1) {
      return Failure{where + " に列名 " + Quote(names[columns[a]]) + " が 2 つ以上あります（" +
                     kKeys[a] + " の列がどれか決まりません）"};
    }
  }
  if (choice.swapXY) std::swap(columns[0], columns[1]);
  return columns;
}

Result<std::optional<double>> CellNumber(std::string_view cell) {
  const std::string text = CellText(cell);
  if (text.empty()) return std::optional<double>();
  std::size_t consumed = 0;
  const double value = ParseLeadingNumber(text, &consumed);
  if (consumed != text.size() || !std::isfinite(value)) return Failure{"数値ではありません"};
  if (!WithinValueBound(value)) return Failure{"値が大きすぎます"};
  return std::optional<double>(value);
}

Result<std::vector<std::string>> HeaderNames(std::string_view firstLine) {
  Records records(firstLine);
  std::vector<std::string> names;
  Result<bool> read = records.Next(names);
  if (!read) return read.failure();
  return names;
}

bool NamesPositionColumns(std::string_view firstLine) {
  const Result<std::vector<std::string>> names = HeaderNames(firstLine);
  if (!names) return false;
  for (const std::string& name : *names) {
    Result<std::optional<double>> number = CellNumber(name);
    if (number && *number) return false;
  }
  Result<std::vector<int>> columns = FindColumns(*names, {}, "");
  return columns && (*columns)[0] >= 0 && (*columns)[1] >= 0;
}

namespace {

// The header's columns of the quantities (FindColumns), refused unless they
// place the records and give a height or a dip.
Result<std::vector<int>> HeaderColumns(const std::vector<std::string>& names,
                                       const ColumnChoice& choice, int line) {
  // NUL bytes in names are what UTF-16 without its mark looks like here.
  if (std::any_of(names.begin(), names.end(),
                  [](const std::string& name) { return name.find('\0') != std::string::npos; })) {
    return Failure{
        "見出しの行に NUL 文字があります（BOM のない UTF-16 かもしれません。UTF-8 か "
        "Shift_JIS で保存し直してください）",
        line};
  }
  Result<std::vector<int>> found = FindColumns(names, choice, "見出しの行");
  if (!found) return Failure{found.failure().message, line};
  const auto missing = [&](DataColumn c) { return (*found)[static_cast<int>(c)] < 0; };
  if (missing(DataColumn::X) || missing(DataColumn::Y)) {
    return Failure{"見出しの行に x と y の列が見つかりません（あるのは " + ColumnNameList(names) +
                       "）：--columns で列を指定してください",
                   line};
  }
  if (missing(DataColumn::Z) && (missing(DataColumn::Trend) || missing(DataColumn::Dip))) {
    return Failure{"見出しの行に z の列も trend と dip の列も見つかりません（あるのは " +
                       ColumnNameList(names) + "）",
                   line};
  }
  return found;
}

// Appends record `k` (1-based among the records), the cells of line `line`.
Status AddRecord(const std::vector<std::string>& cells, const std::vector<std::string>& names,
                 const std::vector<int>& column, int k, int line, MeasuredData& data) {
  double value[kDataColumns - 1];
  for (int c = 0; c < kDataColumns - 1; ++c) {
    const int at = column[c];
    const std::string_view cell =
        at >= 0 && at < static_cast<int>(cells.size()) ? std::string_view(cells[at]) : "";
    Result<std::optional<double>> read = CellNumber(cell);
    if (!read) {
      return Failure{
          "列 " + Quote(names[at]) + " の " + Quote(cell) + "：" + read.failure().message, line};
    }
    const bool position = c == int(DataColumn::X) || c == int(DataColumn::Y);
    if (position && !*read) return Failure{"列 " + Quote(names[at]) + " が空です", line};
    value[c] = read->value_or(c == int(DataColumn::Code) ? 0 : NoValue);
  }
  if (const std::optional<std::string> far = PositionBeyondMarker(value[0], value[1])) {
    return Failure{*far, line};
  }
  const std::optional<std::int16_t> code = ToInteger(value[int(DataColumn::Code)]);
  if (!code) return Failure{"l（code）が整数の範囲外です", line};
  // Without an id, the record's number among the rows.
  const int id = column[int(DataColumn::Id)];
  const bool named = id >= 0 && id < static_cast<int>(cells.size()) && !CellText(cells[id]).empty();
  data.DataId.push_back(named ? cells[id] : std::to_string(k));
  data.DataX.push_back(value[0]);
  data.DataY.push_back(value[1]);
  data.DataZ.push_back(value[2]);
  data.DataL.push_back(*code);
  // A trend without a dip, or a dip without a trend, is no reading.
  const bool dip = value[4] != NoValue && value[5] != NoValue;
  data.DataTrend.push_back(dip ? value[4] : NoValue);
  data.DataDip.push_back(dip ? value[5] : NoValue);
  return Ok();
}

}  // namespace

Result<MeasuredData> ParseDataTable(std::string_view bytes, const ColumnChoice& choice) {
  Result<std::string> text = TextToUtf8(bytes);
  if (!text) return text.failure();
  Records records(*text);
  std::vector<std::string> names;
  const Result<bool> header = records.Next(names);
  if (!header) return header.failure();
  if (!*header) return Failure{"空のファイルです"};
  const Result<std::vector<int>> column = HeaderColumns(names, choice, records.Line());
  if (!column) return column.failure();
  MeasuredData data;
  std::vector<std::string> cells;
  for (int k = 1;; ++k) {
    const Result<bool> more = records.Next(cells);
    if (!more) return more.failure();
    if (!*more) break;
    Status added = AddRecord(cells, names, *column, k, records.Line(), data);
    if (!added) return added.failure();
  }
  if (data.DataX.empty()) return Failure{"見出しの行のほかにデータの行がありません"};
  CountKinds(data);
  data.LastFile.headerSkipped = true;
  return data;
}

}  // namespace kessadon
