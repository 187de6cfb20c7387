#include "Defaults.h"

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
    *target = ParseLeadingNumber(*value);
  }
  result.complete = true;
  return result;
}

}  // namespace kessadon
