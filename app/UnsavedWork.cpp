#include "UnsavedWork.h"

#include <QLabel>
#include <optional>

#include "GridFileCommands.h"
#include "MainContext.h"
#include "Platform.h"
#include "estimate/GridRefinement.h"

namespace kessadon::app {
namespace {

enum class Answer { Saved, Discarded, Cancelled };

// Asks about one grid; `grid` is what saving writes, the current grid when
// `shown`.
Answer AskAbout(MainContext& context, const QString& what, const GridData& grid, bool shown) {
  const QString question =
      what + "は保存されていません。\r\n保存しますか？（破棄すると元に戻せません）";
  switch (context.platform->AskSaveDiscardCancel(context.window, question)) {
    case SaveChoice::Save: {
      const std::optional<QString> path = SaveGridAs(context, grid);
      if (!path) return Answer::Cancelled;
      if (shown) NameGridFile(context, *path);
      return Answer::Saved;
    }
    case SaveChoice::Discard:
      return Answer::Discarded;
    case SaveChoice::Cancel:
      break;
  }
  return Answer::Cancelled;
}

QString Description(const AppState& s, bool refined) {
  return refined ? "格子数を変更した格子データ（" + QString::number(s.Refined->NxNew) + " × " +
                       QString::number(s.Refined->NyNew) + "）"
                 : QString("推定された格子データ");
}

}  // namespace

bool RefinedGridShown(const AppState& s) {
  // The test the switch between the two grids makes.
  return s.Refined && s.Grid.Nx == s.Refined->NxNew && s.Grid.Ny == s.Refined->NyNew;
}

void MarkShownGridSaved(AppState& s) {
  (RefinedGridShown(s) ? s.RefinedUnsaved : s.OriginalUnsaved) = false;
}

bool ConfirmDiscardGrids(MainContext& context) {
  AppState& s = context.state;
  if (s.GridLoaded != 1) return true;
  // A grid discarded here stays marked until the command lets it go, so that
  // a later cancel leaves it as work; a grid saved here is saved for good.
  const bool refinedShown = RefinedGridShown(s);
  if (refinedShown ? s.RefinedUnsaved : s.OriginalUnsaved) {
    const Answer answer = AskAbout(context, Description(s, refinedShown), s.Grid, true);
    if (answer == Answer::Cancelled) return false;
  }
  bool& otherUnsaved = refinedShown ? s.OriginalUnsaved : s.RefinedUnsaved;
  if (otherUnsaved && s.Refined) {
    // The other grid is written as the switch would show it.
    GridData other = s.Grid;
    ToggleRefinedGrid(other, *s.Refined);
    const Answer answer = AskAbout(context, Description(s, !refinedShown), other, false);
    if (answer == Answer::Cancelled) return false;
    if (answer == Answer::Saved) otherUnsaved = false;
  }
  return true;
}

bool ConfirmDiscardRefinedGrid(MainContext& context) {
  AppState& s = context.state;
  if (!s.Refined || !s.RefinedUnsaved) return true;
  const bool shown = RefinedGridShown(s);
  GridData refined = s.Grid;
  if (!shown) ToggleRefinedGrid(refined, *s.Refined);
  const Answer answer = AskAbout(context, Description(s, true), refined, shown);
  if (answer == Answer::Saved) s.RefinedUnsaved = false;
  return answer != Answer::Cancelled;
}

}  // namespace kessadon::app
