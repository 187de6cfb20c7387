// The frame that resamples the grid to other node counts, and the switch
// between the grid as it arrived and the resampled one.
#pragma once

namespace kessadon::app {

struct MainContext;

// The change event of the two count fields: the spacing they give, and the
// command once both ask for more than one node.
void UpdateRefinementControls(MainContext& context);
void cmdG2g_Click(MainContext& context);
void cmdGridChange_Click(MainContext& context);

void ConnectGridChangeFrame(MainContext& context);

}  // namespace kessadon::app
