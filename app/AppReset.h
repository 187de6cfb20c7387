// Putting the main window back to its initial state, the estimation defaults
// for the loaded data, and the rule that enables the display commands.
#pragma once

namespace kessadon::app {

struct MainContext;

// Every field, label, flag and command back to its initial value; reads the
// defaults file. Leaves the grid heights, the original grid and the measured
// data records alone.
void ResetAppState(MainContext& context);

// Estimation parameters suited to the prepared data (dip data, bound data).
void ResetEstimationPanel(MainContext& context);

// Display commands need a grid and a view; each further flag opens more.
void UpdateDisplayCommands(MainContext& context);

}  // namespace kessadon::app
