// Fault traces: polylines in map coordinates (x east, y north) along which
// the surface may break.
//
// The text form has one point a line, "x,y" or "x y", read by the list-input
// rules of the data files. A line that starts with ">" or a blank line ends
// the trace before it; "#" starts a comment that runs to the line's end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Result.h"

namespace kessadon {

struct FaultTrace {
  std::vector<double> x, y;
  int line = 0;  // 1-based line (or feature) where the trace starts, for messages
  bool operator==(const FaultTrace&) const = default;
};

struct FaultTraces {
  std::vector<FaultTrace> traces;
  std::int64_t PointCount() const;
  // Appends the traces of another file.
  void Add(const FaultTraces& more);
  bool operator==(const FaultTraces&) const = default;
};

// A note for the traces that lie wholly outside the rectangle, as traces in
// another coordinate system than the grid's would: nothing when none does.
std::optional<std::string> OutsideTracesNote(const FaultTraces& traces, double xmin, double xmax,
                                             double ymin, double ymax);

// Refuses a point line without two numbers, a trace of fewer than two points
// and a text without any trace, with the line.
Result<FaultTraces> ParseFaultTraces(std::string_view text);

// The text form from a file; the failure's message leaves the file name to the caller.
Result<FaultTraces> ReadFaultTraceText(const std::string& path);

}  // namespace kessadon
