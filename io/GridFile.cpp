#include "GridFile.h"

#include "ListInput.h"
#include "NumberText.h"
#include "TextFile.h"

namespace kessadon {
namespace {

// The line of the last field read is where an early end shows in the file;
// the reader's own line may already stand past a final line break.
struct FieldReader {
  ListReader& reader;
  int lastLine = 0;

  std::optional<double> Next() {
    const int line = reader.Line();
    std::optional<double> value = reader.NextNumber();
    if (value) lastLine = line;
    return value;
  }
};

Result<std::int32_t> NodeCount(const char* name, double value, int line) {
  std::optional<std::int32_t> count = ToLong(value);
  if (!count) {
    return Failure{
        std::string(name) + " が整数の範囲を超えています（" + FormatGeneral(value) + "）", line};
  }
  if (*count < 1) {
    return Failure{std::string(name) + " が 1 未満です（" + FormatGeneral(value) + "）", line};
  }
  return *count;
}

Failure EarlyEnd(std::int64_t read, std::int64_t wanted, int line) {
  return {"ファイルが途中で終わっています（高さ " + std::to_string(wanted) + " 個のうち " +
              std::to_string(read) + " 個まで）",
          line};
}

Result<GridHeader> ReadHeader(FieldReader& fields) {
  static constexpr const char* kNames[6] = {"Nx", "Ny", "Xmin", "Ymin", "Dx", "Dy"};
  double values[6];
  int lines[6];
  for (int k = 0; k < 6; ++k) {
    std::optional<double> value = fields.Next();
    if (!value) {
      return Failure{"ファイルが途中で終わっています（ヘッダーの 6 個の数値のうち " +
                         std::to_string(k) + " 個まで）",
                     fields.lastLine};
    }
    lines[k] = fields.lastLine;
    // A huge spacing or corner would overflow every coordinate derived from it.
    if (!WithinValueBound(*value)) return Failure{BeyondValueBound(kNames[k]), lines[k]};
    values[k] = *value;
  }

  GridHeader header;
  Result<std::int32_t> nx = NodeCount("Nx", values[0], lines[0]);
  if (!nx) return nx.failure();
  Result<std::int32_t> ny = NodeCount("Ny", values[1], lines[1]);
  if (!ny) return ny.failure();
  header.Nx = *nx;
  header.Ny = *ny;
  const std::int64_t nodes = std::int64_t{header.Nx} * header.Ny;
  if (nodes > kMaxGridNodes) {
    return Failure{"格子点数 " + std::to_string(nodes) + " が上限 " +
                       std::to_string(kMaxGridNodes) + " を超えています",
                   lines[1]};
  }
  header.Xmin = values[2];
  header.Ymin = values[3];
  header.Dx = values[4];
  header.Dy = values[5];
  return header;
}

}  // namespace

Result<GridHeader> ReadGridHeader(ListReader& reader) {
  FieldReader fields{reader};
  return ReadHeader(fields);
}

Result<GridData> ParseGridText(std::string_view text) {
  ListReader reader(text);
  FieldReader fields{reader};
  Result<GridHeader> header = ReadHeader(fields);
  if (!header) return header.failure();
  const std::int64_t nodes = std::int64_t{header->Nx} * header->Ny;

  // Every field takes at least one byte, so a text shorter than the node count
  // cannot hold the heights: count what is there instead of allocating.
  if (reader.Remaining() < static_cast<std::uint64_t>(nodes)) {
    std::int64_t read = 0;
    while (fields.Next()) ++read;
    return EarlyEnd(read, nodes, fields.lastLine);
  }

  GridData grid;
  grid.Nx = header->Nx;
  grid.Ny = header->Ny;
  grid.Xmin = header->Xmin;
  grid.Ymin = header->Ymin;
  grid.Dx = header->Dx;
  grid.Dy = header->Dy;
  grid.Z = NodeArray<double>(grid.Nx, grid.Ny);
  std::int64_t read = 0;
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      const int line = reader.Line();
      std::optional<double> z = fields.Next();
      if (!z) return EarlyEnd(read, nodes, fields.lastLine);
      // Heights beyond the bound would overflow the refinement and every range.
      if (!WithinValueBound(*z)) {
        return Failure{
            BeyondValueBound("高さ Z(" + std::to_string(i) + ", " + std::to_string(j) + ")"), line};
      }
      grid.Z(i, j) = *z;
      ++read;
    }
  }
  return grid;
}

Result<GridData> ReadGridFile(const std::string& path) {
  Result<std::string> text = ReadWholeFile(path);
  if (!text) return text.failure();
  return ParseGridText(*text);
}

std::string FormatGridText(const GridData& grid) {
  std::string text;
  text.reserve(64 + static_cast<std::size_t>(grid.Nx) * static_cast<std::size_t>(grid.Ny) * 12);
  text += FormatGeneral(grid.Nx);
  for (double value : {double(grid.Ny), grid.Xmin, grid.Ymin, grid.Dx, grid.Dy}) {
    text += ' ';
    text += FormatGeneral(value);
  }
  text += '\n';
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      if (j > 1) text += ' ';
      text += FormatGeneral(grid.Z(i, j));
    }
    text += '\n';
  }
  return text;
}

Status WriteGridFile(const std::string& path, const GridData& grid) {
  return WriteFileAtomically(path, FormatGridText(grid));
}

}  // namespace kessadon
