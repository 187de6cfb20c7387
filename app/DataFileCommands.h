// Loading measured-data files (a new load, additional loads), clearing them,
// and showing the prepared data on the panel.
#pragma once

namespace kessadon::app {

struct MainContext;

void cmdOpenData_Click(MainContext& context);
void cmdOpenDataAdd_Click(MainContext& context);
void cmdClear_Click(MainContext& context);
// Fault traces: opened (added to those open) and cleared.
void cmdOpenFaults_Click(MainContext& context);
void cmdClearFaults_Click(MainContext& context);

// Splits the records into height and dip data, shows their counts and ranges,
// raises DataReady and sets the estimation defaults for them.
void PrepareMeasuredData(MainContext& context);

// Resets the window for another grid, the measured data, their files and
// the fault traces kept: they do not depend on the grid.
void ResetKeepingData(MainContext& context);

}  // namespace kessadon::app
