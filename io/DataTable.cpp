#include "DataTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "NumberText.h"
#include "TextEncoding.h"

namespace kessadon {
namespace {

const char* const kKeys[kDataColumns] = {"x", "y", "z", "code", "trend", "dip", "id"};

// Without surrounding blanks (full-width ones too) and ASCII lower case.
std::string Normalised(std::string_view name) {
  std::string text = FoldFullWidth(name);
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

// The separator a header line uses: a tab, a comma or a semicolon where it
// holds one, else runs of blanks (0).
char SeparatorOf(std::string_view line) {
  for (char c : {'\t', ',', ';'}) {
    if (line.find(c) != std::string_view::npos) return c;
  }
  return 0;
}

// The cells of one line: split at `separator` outside double quotes (""
// inside them one quote), or at runs of blanks.
std::vector<std::string> SplitCells(std::string_view line, char separator) {
  std::vector<std::string> cells;
  if (separator == 0) {
    std::size_t at = 0;
    while (at < line.size()) {
      while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
      const std::size_t start = at;
      while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
      if (at > start) cells.emplace_back(line.substr(start, at - start));
    }
    return cells;
  }
  std::string cell;
  bool quoted = false;
  for (std::size_t at = 0; at < line.size(); ++at) {
    const char c = line[at];
    if (quoted && c == '"' && at + 1 < line.size() && line[at + 1] == '"') {
      cell += '"';
      ++at;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == separator && !quoted) {
      cells.push_back(std::move(cell));
      cell.clear();
    } else {
      cell += c;
    }
  }
  cells.push_back(std::move(cell));
  return cells;
}

// The lines of the text, line ends LF, CR LF or CR, blank lines left out,
// each with its 1-based number.
std::vector<std::pair<int, std::string_view>> Lines(std::string_view text) {
  std::vector<std::pair<int, std::string_view>> lines;
  int number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    ++number;
    std::string_view line = text.substr(at, end - at);
    if (line.find_first_not_of(" \t") != std::string_view::npos) lines.emplace_back(number, line);
    at = end;
    if (at < text.size()) at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
  }
  return lines;
}

}  // namespace

Result<ColumnChoice> ParseColumnChoice(std::string_view text) {
  ColumnChoice choice;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(at, end - at);
    const std::size_t equals = item.find('=');
    const std::string key = Normalised(item.substr(0, equals));
    const std::string name =
        equals == std::string_view::npos ? std::string() : std::string(item.substr(equals + 1));
    int column = -1;
    for (int k = 0; k < kDataColumns; ++k) {
      if (key == kKeys[k] || (k == int(DataColumn::Code) && key == "l")) column = k;
    }
    if (column < 0) {
      return Failure{"列の指定 \"" + std::string(item) +
                     "\" が読めません（x, y, z, code, trend, dip, id のどれかに = 列名）"};
    }
    if (Normalised(name).empty()) {
      return Failure{"列の指定 \"" + std::string(item) + "\" に列名がありません"};
    }
    if (!choice.name[column].empty()) {
      return Failure{"列の指定で " + std::string(kKeys[column]) + " が 2 回あります（\"" +
                     choice.name[column] + "\" と \"" + name + "\"）"};
    }
    choice.name[column] = name;
    at = end + 1;
  }
  return choice;
}

std::string ColumnNameList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : "、") + name;
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
  std::vector<std::string> normalised;
  normalised.reserve(names.size());
  for (const std::string& name : names) normalised.push_back(Normalised(name));
  const auto find = [&normalised](const std::string& name) {
    const auto at = std::find(normalised.begin(), normalised.end(), Normalised(name));
    return at == normalised.end() ? -1 : static_cast<int>(at - normalised.begin());
  };
  std::vector<int> columns(kDataColumns, -1);
  for (int k = 0; k < kDataColumns; ++k) {
    if (choice.name[k] == kLeftOut) continue;
    if (!choice.name[k].empty()) {
      columns[k] = find(choice.name[k]);
      if (columns[k] < 0) {
        return Failure{where + " に列 \"" + choice.name[k] + "\"（" + kKeys[k] +
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
        return Failure{where + " の列 \"" + names[columns[a]] + "\" が " + kKeys[a] + " と " +
                       kKeys[b] + " の両方に当たります：--fields で別の列を指定してください"};
      }
    }
    if (std::count(normalised.begin(), normalised.end(), normalised[columns[a]]) > 1) {
      return Failure{where + " に列名 \"" + names[columns[a]] + "\" が 2 つ以上あります（" +
                     kKeys[a] + " の列がどれか決まりません）"};
    }
  }
  if (choice.swapXY) std::swap(columns[0], columns[1]);
  return columns;
}

Result<std::optional<double>> CellNumber(std::string_view cell) {
  const std::string text = Normalised(cell);
  if (text.empty()) return std::optional<double>();
  std::size_t consumed = 0;
  const double value = ParseLeadingNumber(text, &consumed);
  if (consumed != text.size() || !std::isfinite(value)) return Failure{"数値ではありません"};
  if (!WithinValueBound(value)) return Failure{"値が大きすぎます"};
  return std::optional<double>(value);
}

std::vector<std::string> HeaderNames(std::string_view firstLine) {
  return SplitCells(firstLine, SeparatorOf(firstLine));
}

bool NamesPositionColumns(std::string_view firstLine) {
  const std::vector<std::string> names = HeaderNames(firstLine);
  for (const std::string& name : names) {
    Result<std::optional<double>> number = CellNumber(name);
    if (number && *number) return false;
  }
  Result<std::vector<int>> columns = FindColumns(names, {}, "");
  return columns && (*columns)[0] >= 0 && (*columns)[1] >= 0;
}

Result<MeasuredData> ParseDataTable(std::string_view bytes, const ColumnChoice& choice) {
  Result<std::string> text = TextToUtf8(bytes);
  if (!text) return text.failure();
  const std::vector<std::pair<int, std::string_view>> lines = Lines(*text);
  if (lines.empty()) return Failure{"空のファイルです"};
  const char separator = SeparatorOf(lines[0].second);
  const std::vector<std::string> names = SplitCells(lines[0].second, separator);
  Result<std::vector<int>> found = FindColumns(names, choice, "見出しの行");
  if (!found) return Failure{found.failure().message, lines[0].first};
  const std::vector<int>& column = *found;
  const auto missing = [&](DataColumn c) { return column[static_cast<int>(c)] < 0; };
  if (missing(DataColumn::X) || missing(DataColumn::Y)) {
    return Failure{"見出しの行に x と y の列が見つかりません（あるのは " + ColumnNameList(names) +
                       "）：--columns で列を指定してください",
                   lines[0].first};
  }
  if (missing(DataColumn::Z) && (missing(DataColumn::Trend) || missing(DataColumn::Dip))) {
    return Failure{"見出しの行に z の列も trend と dip の列も見つかりません（あるのは " +
                       ColumnNameList(names) + "）",
                   lines[0].first};
  }
  MeasuredData data;
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const auto [number, line] = lines[k];
    const std::vector<std::string> cells = SplitCells(line, separator);
    double value[kDataColumns - 1];
    for (int c = 0; c < kDataColumns - 1; ++c) {
      const int at = column[c];
      const std::string_view cell =
          at >= 0 && at < static_cast<int>(cells.size()) ? std::string_view(cells[at]) : "";
      Result<std::optional<double>> read = CellNumber(cell);
      if (!read) {
        return Failure{
            "列 \"" + names[at] + "\" の \"" + std::string(cell) + "\"：" + read.failure().message,
            number};
      }
      const bool position = c == int(DataColumn::X) || c == int(DataColumn::Y);
      if (position && !*read) return Failure{"列 \"" + names[at] + "\" が空です", number};
      value[c] = read->value_or(c == int(DataColumn::Code) ? 0 : NoValue);
    }
    if (const std::optional<std::string> far = PositionBeyondMarker(value[0], value[1])) {
      return Failure{*far, number};
    }
    const std::optional<std::int16_t> code = ToInteger(value[int(DataColumn::Code)]);
    if (!code) return Failure{"l（code）が整数の範囲外です", number};
    // Without an id, the record's number among the rows.
    const int id = column[int(DataColumn::Id)];
    const bool named =
        id >= 0 && id < static_cast<int>(cells.size()) && !Normalised(cells[id]).empty();
    data.DataId.push_back(named ? cells[id] : std::to_string(k));
    data.DataX.push_back(value[0]);
    data.DataY.push_back(value[1]);
    data.DataZ.push_back(value[2]);
    data.DataL.push_back(*code);
    // A trend without a dip, or a dip without a trend, is no reading.
    const bool dip = value[4] != NoValue && value[5] != NoValue;
    data.DataTrend.push_back(dip ? value[4] : NoValue);
    data.DataDip.push_back(dip ? value[5] : NoValue);
  }
  if (data.DataX.empty()) return Failure{"見出しの行のほかにデータの行がありません"};
  CountKinds(data);
  data.LastFile.headerSkipped = true;
  return data;
}

}  // namespace kessadon
