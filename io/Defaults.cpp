#include "Defaults.h"

#include <cmath>

#include "ListInput.h"
#include "NumberText.h"

namespace kessadon {

DefaultsRead ParseDefaults(std::string_view text) {
  DefaultsRead result;
  ViewLightDefaults& v = result.values;
  double* const targets[6] = {&v.AlphaDefault, &v.GammaDefault, &v.ScaDefault,
                              &v.VeDefault,    &v.RoDefault,    &v.ThDefault};
  LineReader lines(text);
  for (double* target : targets) {
    if (!lines.NextLine()) return result;
    std::optional<std::string_view> value = lines.NextLine();
    if (!value) return result;
    // A number beyond the double range would put infinity on the panel; the
    // built-in value stands instead.
    const double number = ParseLeadingNumber(*value);
    if (std::isfinite(number)) *target = number;
  }
  result.complete = true;
  return result;
}

}  // namespace kessadon
