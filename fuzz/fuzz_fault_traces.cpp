// Arbitrary bytes through the fault trace reader: every trace it gives has
// two points or more, each coordinate within the bound of all data, and a
// text without a single digit gives no trace (no word is ever read as 0).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "io/FaultTraces.h"
#include "io/NumberText.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Result<FaultTraces> read = ParseFaultTraces(text);
  if (!read) return 0;
  Check(text.find_first_of("0123456789") != std::string_view::npos);
  Check(!read->traces.empty());
  for (const FaultTrace& trace : read->traces) {
    Check(trace.x.size() >= 2 && trace.x.size() == trace.y.size());
    for (std::size_t k = 0; k < trace.x.size(); ++k) {
      Check(WithinValueBound(trace.x[k]) && WithinValueBound(trace.y[k]));
    }
  }
  return 0;
}
