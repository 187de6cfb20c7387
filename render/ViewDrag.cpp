#include "ViewDrag.h"

#include <algorithm>
#include <cmath>

#include "io/GridData.h"
#include "io/NumberText.h"

namespace kessadon {

ViewAngles DragViewAngles(ViewAngles from, double dx, double dy) {
  ViewAngles to = from;
  if (dx != 0) {
    to.Alpha = std::fmod(from.Alpha + kDragDegreesPerPixel * dx, 360.0);
    if (to.Alpha < 0) to.Alpha += 360;
    // A tiny negative angle rounds up to 360 itself.
    if (to.Alpha >= 360) to.Alpha = 0;
  }
  if (dy != 0) {
    const double low = std::min(kDragGammaMin, from.Gamma);
    const double high = std::max(kDragGammaMax, from.Gamma);
    to.Gamma = std::clamp(from.Gamma + kDragDegreesPerPixel * dy, low, high);
  }
  return to;
}

std::optional<double> WheelMagnification(double sca, double notches) {
  if (!(sca > 0)) return std::nullopt;
  const double scaled = sca * std::pow(kWheelFactor, notches);
  if (!(scaled > 0) || !std::isfinite(scaled)) return std::nullopt;
  return scaled;
}

bool IsPlanView(const ViewProjection& view) {
  return view.Alpha == 180 && view.Gamma == 90 && view.Ve == 1 && view.Zbase == NoBase &&
         view.Dist == NoPerspective;
}

ViewTexts LeavePlanViewTexts(const ViewLightDefaults& defaults, double zmin, double planSca) {
  ViewTexts texts = DefaultViewTexts(defaults, zmin);
  texts.Alpha.clear();
  texts.Gamma.clear();
  // The plan's own magnification gives exactly the default.
  if (planSca > 0 && planSca != kPlanSca) {
    texts.Sca = FormatGeneral(defaults.ScaDefault * (planSca / kPlanSca));
  }
  return texts;
}

}  // namespace kessadon
