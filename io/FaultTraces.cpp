#include "FaultTraces.h"

#include <algorithm>
#include <cmath>

#include "ListInput.h"
#include "NumberText.h"
#include "TextEncoding.h"
#include "TextFile.h"

namespace kessadon {

std::int64_t FaultTraces::PointCount() const {
  std::int64_t count = 0;
  for (const FaultTrace& trace : traces) count += static_cast<std::int64_t>(trace.x.size());
  return count;
}

void FaultTraces::Add(const FaultTraces& more) {
  traces.insert(traces.end(), more.traces.begin(), more.traces.end());
}

std::optional<std::string> OutsideTracesNote(const FaultTraces& traces, double xmin, double xmax,
                                             double ymin, double ymax) {
  int outside = 0;
  for (const FaultTrace& trace : traces.traces) {
    if (trace.x.empty()) continue;
    const auto [left, right] = std::minmax_element(trace.x.begin(), trace.x.end());
    const auto [bottom, top] = std::minmax_element(trace.y.begin(), trace.y.end());
    if (*right < xmin || *left > xmax || *top < ymin || *bottom > ymax) ++outside;
  }
  if (outside == 0) return std::nullopt;
  return "断層線 " + std::to_string(outside) +
         " 本が格子の外にあります（どの格子点も区切りません。座標系を確かめてください）";
}

namespace {

std::string_view WithoutComment(std::string_view line) {
  const std::size_t hash = line.find('#');
  return hash == std::string_view::npos ? line : line.substr(0, hash);
}

bool Blank(std::string_view line) {
  return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// A coordinate of a trace's point: a number (not text without one, such as
// "nan" or "abc", which would read as 0) within the bound of all data.
Result<double> Coordinate(const std::string& field, int line) {
  std::size_t used = 0;
  const double value = ParseLeadingNumber(field, &used);
  if (used == 0) {
    return Failure{"断層線の点の座標が数値ではありません（" + Excerpt(field) + "）", line};
  }
  if (!WithinValueBound(value)) return Failure{BeyondValueBound("断層線の点の座標"), line};
  return value;
}

}  // namespace

Result<FaultTraces> ParseFaultTraces(std::string_view text) {
  FaultTraces out;
  FaultTrace current;
  auto close = [&]() -> std::optional<Failure> {
    if (current.x.empty()) return std::nullopt;
    if (current.x.size() < 2) {
      return Failure{"断層線の点が 1 つしかありません（2 点以上必要です）", current.line};
    }
    out.traces.push_back(std::move(current));
    current = FaultTrace{};
    return std::nullopt;
  };
  LineReader lines(text);
  int number = 0;
  while (std::optional<std::string_view> raw = lines.NextLine()) {
    ++number;
    const std::string_view whole = *raw;
    const bool separator = whole.substr(0, 1) == ">" || Blank(whole);
    const std::string_view line = WithoutComment(whole);
    if (separator) {
      if (std::optional<Failure> failed = close()) return *failed;
      continue;
    }
    if (Blank(line)) continue;  // a comment alone
    ListReader fields(line);
    const std::optional<std::string> xText = fields.NextField(), yText = fields.NextField();
    if (!xText || !yText) return Failure{"断層線の点には x と y の 2 つの数値が必要です", number};
    const Result<double> x = Coordinate(*xText, number);
    if (!x) return x.failure();
    const Result<double> y = Coordinate(*yText, number);
    if (!y) return y.failure();
    if (current.x.empty()) current.line = number;
    current.x.push_back(*x);
    current.y.push_back(*y);
  }
  if (std::optional<Failure> failed = close()) return *failed;
  if (out.traces.empty()) return Failure{"断層線がありません（x, y の点が 1 行に 1 つ必要です）"};
  return out;
}

Result<FaultTraces> ReadFaultTraceText(const std::string& path) {
  Result<std::string> text = ReadWholeFile(path);
  if (!text) return text.failure();
  return ParseFaultTraces(*text);
}

}  // namespace kessadon
