// From the texts of the view panel to the projection settings, and the texts
// that the 2-D and 3-D default commands and the base and perspective switches
// write into the panel.
#pragma once

#include <optional>
#include <string>

#include "ViewProjection.h"
#include "io/Defaults.h"

namespace kessadon {

// The seven view fields as typed; an empty text keeps the setting as it was.
struct ViewTexts {
  std::string Ve, Alpha, Gamma, Sca, Zbase, Dist, Ppz;
};

// Takes the number of every non-empty text (0 when it does not start with one).
void TakeViewTexts(ViewProjection& view, const ViewTexts& texts);

// What taking the view fields came to: whether the view may be drawn (true
// converts to it), and why a perspective was refused.
struct ViewTaken {
  bool Ready = false;
  std::optional<std::string> Refusal;
  explicit operator bool() const { return Ready; }
};

// TakeViewTexts, then UpdateViewProjection. Ready when ViewReady is to be
// raised: a positive magnification and no refused perspective. A refused view
// is taken all the same, so the panel and the settings agree, but is not to be
// drawn.
ViewTaken TakeViewSettings(ViewProjection& view, const ViewTexts& texts, const GridData& grid,
                           const DataExtent& data, double scaleWidth, double scaleHeight);

// The texts of the plan view. The front end writes them in the order Alpha,
// Gamma, Sca, Ve, Zbase, Dist, Ppz, then ticks the frame with four sides.
ViewTexts PlanViewTexts();

// The texts of the default 3-D view, written in the same order; the base sits
// just below the lowest node. The front end then ticks the pedestal.
ViewTexts DefaultViewTexts(const ViewLightDefaults& defaults, double zmin);

// The last base height and perspective values, kept while those are switched off.
struct SavedViewValues {
  double SavedZbase = 0, SavedDist = 0, SavedPpz = 0;
};

// The pedestal switched on or off: keeps the base height of the moment and
// returns the text for the base field (enabled only while on).
std::string BaseSwitchText(bool on, double zbase, SavedViewValues& saved);

struct PerspectiveTexts {
  std::string Dist, Ppz;
};

// Perspective switched on or off: keeps the values of the moment and returns
// the texts for the distance and plane fields (enabled only while on).
PerspectiveTexts PerspectiveSwitchTexts(bool on, double dist, double ppz, SavedViewValues& saved);

}  // namespace kessadon
