// Arbitrary bytes as a table with a header row (the first byte picks the
// columns chosen). Whatever reads gives finite positions short of the
// no-position marker, values within the bound of all data and no NaN, and
// no more records than lines; a refusal is one line of bounded length.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "io/DataTable.h"
#include "io/NumberText.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "data table: %s\n", what);
    std::abort();
  }
}

// A height, trend or dip: absent, or within the bound.
bool Value(double v) { return v == kessadon::NoValue || kessadon::WithinValueBound(v); }

void CheckRecords(const kessadon::MeasuredData& data, std::string_view text) {
  using namespace kessadon;
  const std::size_t n = data.DataX.size();
  Check(n > 0, "a table read without records");
  Check(data.DataId.size() == n && data.DataY.size() == n && data.DataZ.size() == n &&
            data.DataL.size() == n && data.DataTrend.size() == n && data.DataDip.size() == n,
        "record arrays differ in length");
  // The header ends at a line end, and each record but the last at one more.
  Check(n <= static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
                                                    [](char c) { return c == '\r' || c == '\n'; })),
        "more records than lines");
  for (std::size_t k = 0; k < n; ++k) {
    const double x = data.DataX[k], y = data.DataY[k];
    Check(std::isfinite(x) && std::isfinite(y), "position not finite");
    Check(std::fabs(x) < kNoPositionFrom && std::fabs(y) < kNoPositionFrom,
          "position at or beyond the no-position marker");
    Check(Value(data.DataZ[k]), "height out of bound or NaN");
    Check(Value(data.DataTrend[k]) && Value(data.DataDip[k]), "dip reading out of bound or NaN");
    Check((data.DataTrend[k] == NoValue) == (data.DataDip[k] == NoValue), "trend without dip");
  }
  Check(data.LastFile.headerSkipped, "header not marked");
}

void CheckRefusal(const kessadon::Failure& failure) {
  const std::string& message = failure.message;
  Check(!message.empty(), "refusal without a reason");
  Check(failure.line >= 0, "negative line");
  Check(message.size() < 4096, "refusal too long");
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    Check(byte >= 0x20 && byte != 0x7F, "control character in a refusal");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  if (size == 0) return 0;
  static const ColumnChoice kChoices[] = {
      {}, *ParseColumnChoice("x=E,y=N,z=H"), *ParseColumnChoice("z=-,trend=ｄｄ,dip=d,id=名前")};
  ColumnChoice choice = kChoices[data[0] % 3];
  choice.swapXY = data[0] & 4U;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const Result<MeasuredData> read = ParseDataTable(text, choice);
  if (read) {
    CheckRecords(*read, text);
  } else {
    CheckRefusal(read.failure());
  }
  const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
  const Result<std::vector<std::string>> names = HeaderNames(first);
  if (names) {
    Check(names->size() <= kMaxTableColumns, "more names than columns allowed");
  } else {
    CheckRefusal(names.failure());
  }
  NamesPositionColumns(first);
  return 0;
}
