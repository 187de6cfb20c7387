// Grids that live only in memory until they are saved: an estimated grid and a
// resampled one. Every command that would discard one asks first.
#pragma once

namespace kessadon::app {

struct AppState;
struct MainContext;

// True while the resampled grid is the current one.
bool RefinedGridShown(const AppState& state);

// The current grid is now in a file.
void MarkShownGridSaved(AppState& state);

// For each unsaved grid, the current one first: save it (through the save
// dialog), discard it, or cancel. True when the command may go on, i.e. every
// unsaved grid was saved or let go; a cancelled save dialog cancels too.
bool ConfirmDiscardGrids(MainContext& context);

// The same for the resampled grid alone, which a new resampling replaces.
bool ConfirmDiscardRefinedGrid(MainContext& context);

}  // namespace kessadon::app
