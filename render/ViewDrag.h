// Turning the view by hand: a drag of the picture turns the view direction
// with horizontal motion and the dip with vertical motion, as if the near side
// of the block were grabbed; the wheel enlarges or shrinks the figure. A drag
// that starts in the plan view leaves it for the default 3-D view.
// Angles in degrees (direction clockwise from north, dip below horizontal),
// motion in pixels (right and down positive), wheel turns in notches.
#pragma once

#include <optional>

#include "ViewSettings.h"

namespace kessadon {

// Half a degree per pixel: a quarter turn across 180 pixels.
inline constexpr double kDragDegreesPerPixel = 0.5;
// The dip a drag keeps to: from the horizon to straight down.
inline constexpr double kDragGammaMin = 0;
inline constexpr double kDragGammaMax = 90;
// Each wheel notch away from the person enlarges by this, each toward shrinks.
inline constexpr double kWheelFactor = 1.1;
// The plan view's magnification, as PlanViewTexts writes it.
inline constexpr double kPlanSca = 1.8;

struct ViewAngles {
  double Alpha = 0, Gamma = 0;
  bool operator==(const ViewAngles&) const = default;
};

// The angles after the hand moved (dx, dy). Moving right turns the direction
// clockwise (the near side follows the hand), kept within 0 ... 360; moving
// down raises the eye toward straight down. The dip stays within 0 ... 90; a
// dip typed outside that is not pushed further out, nor snapped into it
// before the hand moves toward it. An axis without motion keeps its angle.
ViewAngles DragViewAngles(ViewAngles from, double dx, double dy);

// The magnification after turning the wheel `notches` (positive away from the
// person, fractions from fine wheels). Nothing when the magnification is not
// positive or would no longer be: the wheel never brings it to 0 or below.
std::optional<double> WheelMagnification(double sca, double notches);

// Whether the view is the plan view that PlanViewTexts sets: straight down
// from the south, heights as they are, no pedestal, parallel projection. The
// magnification may have been changed since, by typing or the wheel.
bool IsPlanView(const ViewProjection& view);

// The view a drag out of the plan view turns into: the default 3-D view
// (base height, magnification, exaggeration, parallel projection), the plan's
// zoom kept relative to kPlanSca. The direction and dip texts are empty, so
// that the plan's angles stay for the drag to turn; the front end then ticks
// the pedestal, as the default 3-D command does.
ViewTexts LeavePlanViewTexts(const ViewLightDefaults& defaults, double zmin, double planSca);

}  // namespace kessadon
