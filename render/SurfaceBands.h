// Drawing one picture on several threads at once: a surface that hands out
// bands, each a surface of its own that draws only into some rows of it.
// A surface without this keeps seeing every call in order on one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "DrawingSurface.h"

namespace kessadon {

struct SurfaceBand {
  std::unique_ptr<DrawingSurface> surface;
  int top = 0, bottom = 0;  // the rows it draws into, top ... bottom - 1
};

// The rows where `count` bands start so that each holds about as much of
// `work`, given by row; fewer when the work lies in fewer rows.
std::vector<int> EvenCuts(std::span<const std::int64_t> work, int count);

class BandSplitting {
 public:
  // Bands that cover this surface's rows from top to bottom, a new one
  // starting at each of the rows `cuts` names in increasing order (others are
  // passed over), each with this surface's pen and brush. The same calls made
  // on every band leave, row for row, the pixels they leave made here; each
  // band may be drawn on by a thread of its own. Bands only draw: erasing
  // one does nothing. This surface must not be drawn on, resized or erased
  // while its bands live. Empty when it cannot split.
  virtual std::vector<SurfaceBand> SplitIntoBands(std::span<const int> cuts) = 0;

 protected:
  ~BandSplitting() = default;
};

}  // namespace kessadon
