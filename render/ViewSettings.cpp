#include "ViewSettings.h"

#include "io/GridData.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

void Take(const std::string& text, double& field) {
  if (!text.empty()) field = ParseLeadingNumber(text);
}

}  // namespace

void TakeViewTexts(ViewProjection& view, const ViewTexts& texts) {
  Take(texts.Ve, view.Ve);
  Take(texts.Alpha, view.Alpha);
  Take(texts.Gamma, view.Gamma);
  Take(texts.Sca, view.Sca);
  Take(texts.Zbase, view.Zbase);
  Take(texts.Dist, view.Dist);
  Take(texts.Ppz, view.Ppz);
}

ViewTaken TakeViewSettings(ViewProjection& view, const ViewTexts& texts, const GridData& grid,
                           const DataExtent& data, double scaleWidth, double scaleHeight) {
  TakeViewTexts(view, texts);
  ViewTaken taken;
  taken.Ready = UpdateViewProjection(view, grid, data, scaleWidth, scaleHeight);
  taken.Refusal = PerspectiveRefusal(view, grid);
  if (taken.Refusal) taken.Ready = false;
  return taken;
}

ViewTexts PlanViewTexts() {
  return ViewTexts{.Ve = "1",
                   .Alpha = "180",
                   .Gamma = "90",
                   .Sca = "1.8",
                   .Zbase = FormatGeneral(NoBase),
                   .Dist = FormatGeneral(NoPerspective),
                   .Ppz = "0"};
}

ViewTexts DefaultViewTexts(const ViewLightDefaults& defaults, double zmin) {
  return ViewTexts{.Ve = FormatGeneral(defaults.VeDefault),
                   .Alpha = FormatGeneral(defaults.AlphaDefault),
                   .Gamma = FormatGeneral(defaults.GammaDefault),
                   .Sca = FormatGeneral(defaults.ScaDefault),
                   .Zbase = FormatGeneral(DefaultZbase(zmin)),
                   .Dist = FormatGeneral(NoPerspective),
                   .Ppz = "0"};
}

std::string BaseSwitchText(bool on, double zbase, SavedViewValues& saved) {
  if (zbase != NoBase) saved.SavedZbase = zbase;
  return on ? FormatGeneral(saved.SavedZbase) : FormatGeneral(NoBase);
}

PerspectiveTexts PerspectiveSwitchTexts(bool on, double dist, double ppz, SavedViewValues& saved) {
  if (dist != NoPerspective) saved.SavedDist = dist;
  if (ppz != 0) saved.SavedPpz = ppz;
  if (!on) return {FormatGeneral(NoPerspective), "0"};
  return {FormatGeneral(saved.SavedDist), FormatGeneral(saved.SavedPpz)};
}

}  // namespace kessadon
