// Arbitrary bytes through the field reader and the line splitter, checking that
// they agree on where lines end and that every field consumes input.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "io/ListInput.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::size_t LineBreaks(std::string_view text) {
  std::size_t breaks = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\n' || (text[k] == '\r' && (k + 1 == text.size() || text[k + 1] != '\n'))) {
      ++breaks;
    }
  }
  return breaks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t breaks = LineBreaks(text);

  // Alternate the two readings so that numbers are taken from every kind of field.
  ListReader reader(text);
  bool asNumber = false;
  for (;;) {
    const std::size_t before = reader.Remaining();
    const int line = reader.Line();
    bool got;
    if (asNumber) {
      got = reader.NextNumber().has_value();
    } else {
      std::optional<std::string> field = reader.NextField();
      got = field.has_value();
      if (got) Check(field->size() <= before);
    }
    asNumber = !asNumber;
    Check(reader.Line() >= line);
    if (!got) break;
    Check(reader.Remaining() < before);
  }
  Check(reader.AtEnd());
  Check(static_cast<std::size_t>(reader.Line()) == breaks + 1);

  std::size_t lines = 0;
  std::size_t bytes = 0;
  LineReader lineReader(text);
  while (std::optional<std::string_view> line = lineReader.NextLine()) {
    Check(line->find_first_of("\r\n") == std::string_view::npos);
    bytes += line->size();
    ++lines;
  }
  const std::size_t expected =
      breaks + (size > 0 && text.back() != '\n' && text.back() != '\r' ? 1 : 0);
  Check(lines == expected);
  Check(CountLines(text) == expected);
  Check(bytes <= size);
  return 0;
}
