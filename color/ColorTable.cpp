#include "ColorTable.h"

#include <algorithm>
#include <cmath>

#include "io/ListInput.h"
#include "io/NumberText.h"
#include "io/TextFile.h"

namespace kessadon {
namespace {

// Components are read as 32-bit integers; a number beyond that range is not a colour.
std::int32_t Component(double value) {
  const std::optional<std::int32_t> whole = ToLong(value);
  if (whole) return *whole;
  return value < 0 ? 0 : 255;
}

}  // namespace

int ColorCount(double count) {
  if (!(std::abs(count) <= 1e6)) return 0;
  return static_cast<int>(RoundHalfEven(count));
}

Result<ColorTable> ParseColorTable(std::string_view text, const ColorTable& previous) {
  ListReader reader(text);
  const std::optional<double> count = reader.NextNumber();
  if (!count) return Failure{"色数がありません"};
  const int n = ColorCount(*count);
  if (n <= 0) return Failure{"色数が " + FormatGeneral(*count) + " では色を読めません", 1};
  if (n > kMaxColors) {
    return Failure{"色数 " + FormatGeneral(*count) + " は上限の 256 色を超えています", 1};
  }
  ColorTable table = previous;
  table.NColor = *count;
  for (int i = 1; i <= n; ++i) {
    std::int32_t* components[] = {&table.ColorR[i], &table.ColorG[i], &table.ColorB[i]};
    for (std::int32_t* component : components) {
      const std::optional<double> value = reader.NextNumber();
      if (!value) {
        return Failure{std::to_string(n) + " 色のうち " + std::to_string(i) +
                       " 色目の途中でファイルが終わっています"};
      }
      *component = Component(*value);
    }
  }
  return table;
}

Result<ColorTable> LoadColorTable(const std::string& path, const ColorTable& previous) {
  // A table of 256 colours is a few kilobytes; anything far larger is not one.
  Result<std::string> text = ReadWholeFile(path, std::size_t(1) << 24);
  if (!text) return text.failure();
  return ParseColorTable(*text, previous);
}

}  // namespace kessadon
