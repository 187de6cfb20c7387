#include "GridChangeCommands.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Controls.h"
#include "FieldHelp.h"
#include "GridFileCommands.h"
#include "MainContext.h"
#include "Platform.h"
#include "UnsavedWork.h"
#include "ViewCommands.h"
#include "estimate/GridRefinement.h"

namespace kessadon::app {

void UpdateRefinementControls(MainContext& context) {
  GridChangeFrame& g = *context.panel.gridChange;
  const GridData& grid = context.state.Grid;
  const double a = FieldValue(g.txtXGridG), b = FieldValue(g.txtYGridG);
  if (a > 1 && b > 1) g.cmdG2g->setEnabled(true);
  if (a != 1 && a != 0) SetCaption(g.lblDxxG, (grid.Xmax - grid.Xmin) / (a - 1));
  if (b != 1 && b != 0) SetCaption(g.lblDyyG, (grid.Ymax - grid.Ymin) / (b - 1));
}

void cmdG2g_Click(MainContext& context) {
  AppState& s = context.state;
  GridChangeFrame& g = *context.panel.gridChange;
  if (RefuseFieldProblems(context, {g.txtXGridG, g.txtYGridG})) return;
  if (s.GridLoaded != 1) {
    context.platform->ShowMessage(
        context.window, "格子データがありません。格子データを開くか推定してから実行してください");
    return;
  }
  // Always from the original grid, never a resampling of a resampling.
  const bool refinedShown = RefinedGridShown(s);
  GridData original = s.Grid;
  if (refinedShown) ToggleRefinedGrid(original, *s.Refined);
  Result<RefinedGrid> refined = [&] {
    BusyPointer busy(*context.platform);
    return RefineGrid(original, FieldValue(g.txtXGridG), FieldValue(g.txtYGridG));
  }();
  if (!refined) {
    context.platform->ShowMessage(context.window, ToQ(refined.failure().message));
    return;
  }
  // A resampled grid not yet saved is replaced only when the person agrees.
  if (!ConfirmDiscardRefinedGrid(context)) return;
  if (refinedShown) ToggleRefinedGrid(s.Grid, *s.Refined);
  const std::int32_t nx = s.Grid.Nx, ny = s.Grid.Ny;
  s.Refined = std::move(*refined);
  s.RefinedUnsaved = true;
  cmdGridChange_Click(context);
  context.ShowStatus(QString("格子数を %1 × %2 から %3 × %4 に変更しました")
                         .arg(nx)
                         .arg(ny)
                         .arg(s.Refined->NxNew)
                         .arg(s.Refined->NyNew));
  g.cmdG2g->setEnabled(false);
  g.cmdGridChange->setEnabled(true);
  context.panel.gridFile->cmdSaveGridData->setEnabled(true);
}

void cmdGridChange_Click(MainContext& context) {
  AppState& s = context.state;
  if (!s.Refined) return;
  const bool resampled = ToggleRefinedGrid(s.Grid, *s.Refined);
  ForgetPicture(context);
  // The base sits under the grid now current, as after loading it; with the
  // pedestal off it waits for the pedestal to be ticked again.
  const double zbase = DefaultZbase(s.Grid.Zmin);
  if (context.panel.view->chkBase->isChecked()) {
    s.View.Zbase = zbase;
    SetText(context.panel.view->txtZbase, zbase);
  } else {
    s.SavedView.SavedZbase = zbase;
  }
  UpdateViewProjection(context);
  // The figures show the grid now current, whichever it is.
  ShowGridFigures(context);
  context.panel.gridChange->cmdGridChange->setText(resampled ? "オリジナルに戻す"
                                                             : "変更後のデータへ");
  context.panel.gridFile->lblGridOnOff->setText(resampled ? "★☆★ 格子数変更後のデータ ★☆★"
                                                          : "オリジナルデータ");
}

void ConnectGridChangeFrame(MainContext& context) {
  GridChangeFrame& g = *context.panel.gridChange;
  for (QLineEdit* field : {g.txtXGridG, g.txtYGridG}) {
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [&context] { UpdateRefinementControls(context); });
  }
  OnClick(context, g.cmdG2g, cmdG2g_Click);
  OnClick(context, g.cmdGridChange, cmdGridChange_Click);
}

}  // namespace kessadon::app
