// Arbitrary bytes as the defaults file. The values come from the pairs the text
// holds and the built-in ones fill the rest; no value is ever NaN; how lines
// end (LF, CR LF, a lone CR, or none after the last) changes nothing.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "io/Defaults.h"
#include "io/ListInput.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "defaults: %s\n", what);
    std::abort();
  }
}

using Values = kessadon::ViewLightDefaults;
constexpr double Values::*kMembers[6] = {&Values::AlphaDefault, &Values::GammaDefault,
                                         &Values::ScaDefault,   &Values::VeDefault,
                                         &Values::RoDefault,    &Values::ThDefault};

bool Same(const kessadon::DefaultsRead& a, const kessadon::DefaultsRead& b) {
  if (a.complete != b.complete) return false;
  for (auto member : kMembers) {
    if (a.values.*member != b.values.*member) return false;
  }
  return true;
}

// Every line end as a single LF.
std::string WithLf(std::string_view text) {
  std::string lf;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\r') {
      lf += '\n';
      if (k + 1 < text.size() && text[k + 1] == '\n') ++k;
    } else {
      lf += text[k];
    }
  }
  return lf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const DefaultsRead read = ParseDefaults(text);
  const std::size_t lines = CountLines(text);
  Check(read.complete == (lines >= 12), "complete flag");

  const Values builtIn;
  for (std::size_t pair = 0; pair < 6; ++pair) {
    const double value = read.values.*kMembers[pair];
    Check(!std::isnan(value), "NaN value");
    if (2 * pair + 2 > lines) Check(value == builtIn.*kMembers[pair], "missing pair not built in");
  }

  const std::string lf = WithLf(text);
  Check(Same(ParseDefaults(lf), read), "line ends matter");
  if (!lf.empty() && lf.back() != '\n') Check(Same(ParseDefaults(lf + "\n"), read), "final break");
  return 0;
}
