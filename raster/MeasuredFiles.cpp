#include "MeasuredFiles.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>

#include "PointLayers.h"
#include "io/TextEncoding.h"
#include "io/TextFile.h"

namespace kessadon {
namespace {

std::string Extension(const std::string& path) {
  const std::size_t dot = path.find_last_of("./");
  std::string ext = dot == std::string::npos || path[dot] == '/' ? "" : path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// The first line of the file in UTF-8; nothing when it cannot be read so.
std::optional<std::string> FirstLine(const std::string& text) {
  Result<std::string> utf8 = TextToUtf8(std::string_view(text).substr(0, FirstLineEnd(text)));
  if (!utf8) return std::nullopt;
  return std::move(*utf8);
}

// The bytes of a file's first line alone, however large the file. In UTF-16
// a byte 0A may be half of a character: read on to the line's end.
Result<std::string> FirstLineOfFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure{"ファイルを開けません"};
  std::string line, part;
  while (std::getline(file, part)) {
    line += part;
    if (!file.eof()) line += '\n';
    if (file.eof() || FirstLineEnd(line) != std::string::npos) break;
  }
  return line;
}

bool NamesXY(const std::string& path, const std::string& text, const MeasuredFileOptions& options) {
  if (options.fields) return true;
  const std::string ext = Extension(path);
  if (options.layoutChosen || (ext != ".csv" && ext != ".tsv")) return false;
  const std::optional<std::string> first = FirstLine(text);
  return first && NamesPositionColumns(*first);
}

// What a file whose lines all disagree with its layout's record was read as,
// and the layout its lines fit.
std::optional<std::string> LayoutNote(const MeasuredFileSummary& file, int layout) {
  if (file.misfitFields == 0 || layout < 1 || layout > 4) return std::nullopt;
  static const char* const kRecords[] = {"", "id,x,y,z：4 個", "id,x,y,z,l：5 個",
                                         "id,x,y,z,l,trend,dip：7 個",
                                         "id,x,y,z,l：5 個か id,x,y,z,trend,dip：6 個"};
  const std::string as = "形式 " + std::to_string(layout) + "（" + kRecords[layout] + "）";
  const int fits = file.misfitFields == 4   ? 1
                   : file.misfitFields == 5 ? 2
                   : file.misfitFields == 7 ? 3
                                            : 0;
  std::string note = file.misfitFields > 0 ? "どの行も値が " + std::to_string(file.misfitFields) +
                                                 " 個で、" + as + "のレコードと合いません"
                                           : "どの行も値の数が" + as + "のレコードと合いません";
  note += "。レコードは行をまたいで読んだので、点が崩れているかもしれません";
  if (fits != 0 && fits != layout) {
    note += "：形式 " + std::to_string(fits) + " で読んでください（コマンドラインでは --layout " +
            std::to_string(fits) + "）";
  }
  return note;
}

}  // namespace

bool IsTableFile(const std::string& path, const MeasuredFileOptions& options) {
  if (options.fields) return true;
  const Result<std::string> first = FirstLineOfFile(path);
  return first && NamesXY(path, *first, options);
}

Result<std::vector<std::string>> TableColumnNames(const std::string& path) {
  const Result<std::string> text = FirstLineOfFile(path);
  if (!text) return text.failure();
  const std::optional<std::string> first = FirstLine(*text);
  if (!first) return Failure{"見出しの行を UTF-8 としても Shift_JIS としても読めません", 1};
  return HeaderNames(*first);
}

Result<MeasuredFileRead> ReadMeasuredFile(const std::string& path,
                                          const MeasuredFileOptions& options) {
  ColumnChoice choice = options.fields.value_or(ColumnChoice{});
  choice.swapXY = options.swapXY;
  MeasuredFileRead out;
  if (IsPointLayerFile(path)) {
    Result<PointLayerData> read = ReadPointLayer(path, options.layer, choice);
    if (!read) return read.failure();
    out.data = std::move(read->data);
    out.crs = std::move(read->crs);
    out.notes = std::move(read->notes);
    return out;
  }
  Result<std::string> text = ReadWholeFile(path);
  if (!text) return text.failure();
  if (NamesXY(path, *text, options)) {
    Result<MeasuredData> read = ParseDataTable(*text, choice);
    if (!read) return read.failure();
    out.data = std::move(*read);
    out.table = true;
    // A layout file's end line would now be a point.
    const MeasuredData& d = out.data;
    if (!options.fields && d.DataX.back() == 0 && d.DataY.back() == 0) {
      out.notes.push_back(
          "最後の行が x = 0, y = 0 にあります。データファイルの終わりの行なら、形式を選んで"
          "読んでください（コマンドラインでは --layout）");
    }
  } else {
    Result<MeasuredData> read = ParseMeasuredText(*text, options.layout);
    if (!read) return read.failure();
    out.data = std::move(*read);
    if (const std::optional<std::string> note = LayoutNote(out.data.LastFile, options.layout)) {
      out.notes.push_back(*note);
    }
    if (options.swapXY) std::swap(out.data.DataX, out.data.DataY);
  }
  out.data.DataFileName.push_back(path);
  return out;
}

}  // namespace kessadon
