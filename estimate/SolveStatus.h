// Outcome codes of the numeric core, shared by the equations, the solver and the run.
// A code left unread is a compile warning, as a Result is.
#pragma once

#include <cstdint>

namespace kessadon {

enum class [[nodiscard]] SolveStatus : std::int16_t{
    Success = 0,
    TooFewData = 1,           // too few usable data to determine a surface
    NotPositiveDefinite = 2,  // a pivot at or under the threshold: some node heights undetermined
    Cancelled = 4,            // the progress callback asked to stop
    NotConverged = 5,         // an iteration ran out of steps before reaching its tolerance
};

}  // namespace kessadon
