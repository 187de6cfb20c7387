// Arbitrary bytes as a colour table file, loaded over a table whose every entry
// is marked. Whatever parses must hold a usable count backed by the bytes read,
// leave the entries it does not own as they were, and read back the same when
// written out as a table file again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "color/ColorTable.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "colour table: %s\n", what);
    std::abort();
  }
}

kessadon::ColorTable MarkedTable() {
  kessadon::ColorTable table;
  table.NColor = 3.5;
  for (int i = 0; i <= kessadon::kMaxColors; ++i) {
    table.ColorR[i] = -1 - i;
    table.ColorG[i] = 1000 + i;
    table.ColorB[i] = -70000 - i;
  }
  return table;
}

bool SameEntry(const kessadon::ColorTable& a, const kessadon::ColorTable& b, int i) {
  return a.ColorR[i] == b.ColorR[i] && a.ColorG[i] == b.ColorG[i] && a.ColorB[i] == b.ColorB[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  static const ColorTable marked = MarkedTable();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Result<ColorTable> table = ParseColorTable(text, marked);
  if (!table) {
    Check(!table.failure().message.empty(), "failure without a reason");
    return 0;
  }
  const int n = ColorCount(table->NColor);
  Check(n >= 1 && n <= kMaxColors, "count out of range");
  // The count and three components a colour, each field at least one byte.
  Check(1 + 3 * static_cast<std::size_t>(n) <= size, "more colours than bytes");
  for (int i = 0; i <= kMaxColors; ++i) {
    if (i == 0 || i > n) Check(SameEntry(*table, marked, i), "entry beyond the count changed");
  }

  // Loading the same file over its own result changes nothing.
  Result<ColorTable> again = ParseColorTable(text, *table);
  Check(again.ok() && again->NColor == table->NColor, "second load");
  for (int i = 0; i <= kMaxColors; ++i) Check(SameEntry(*again, *table, i), "second load entry");

  // The colours written one record a line, CRLF, read back the same.
  std::string written = std::to_string(n) + "\r\n";
  for (int i = 1; i <= n; ++i) {
    written += std::to_string(table->ColorR[i]) + "," + std::to_string(table->ColorG[i]) + "," +
               std::to_string(table->ColorB[i]) + "\r\n";
  }
  Result<ColorTable> read = ParseColorTable(written, ColorTable{});
  Check(read.ok() && read->NColor == n, "written table does not parse");
  for (int i = 1; i <= n; ++i) Check(SameEntry(*read, *table, i), "written colour");
  return 0;
}
