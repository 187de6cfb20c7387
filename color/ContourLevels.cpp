#include "ContourLevels.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "io/NumberText.h"

namespace kessadon {
namespace {

// The 64-bit real nearest to the decimal 0.99999.
constexpr double kUpToWhole = 0.99999;

double Number(std::string_view text) { return ParseLeadingNumber(text); }

void Take(const std::string& text, double& field) {
  if (!text.empty()) field = Number(text);
}

}  // namespace

std::optional<double> ContourBandCount(const ContourTexts& texts) {
  const double cin = Number(texts.Cin);
  if (cin == 0) return std::nullopt;
  const double count = IntFloor((Number(texts.Cen) - Number(texts.Cst)) / cin + kUpToWhole);
  if (!std::isfinite(count)) return std::nullopt;
  return count;
}

void TakeContourLevels(ContourLevels& levels, const ContourTexts& texts) {
  Take(texts.Cst, levels.Cst);
  Take(texts.Cen, levels.Cen);
  Take(texts.Cin, levels.Cin);
  if (levels.Cin != 0) levels.ContourReady = 1;
}

bool ContourLinesPossible(const ContourLevels& levels) { return levels.Cst != levels.Cen; }

AutoContourTexts AutoContourLevels(std::string_view sepIntText, double zmin, double zmax) {
  AutoContourTexts texts;
  // The divisions are a 16-bit count; values beyond it are held at its ends
  // rather than overflowing.
  double divisions = IntFloor(Number(sepIntText));
  if (std::isnan(divisions)) divisions = 0;
  if (divisions > 32767) divisions = 32767;
  if (divisions < -32768) divisions = -32768;
  if (divisions == 0) {
    divisions = 1;
    texts.SepInt = std::string("1");
  }
  texts.Cst = FormatGeneral(IntFloor(zmin));
  texts.Cen = FormatGeneral(IntFloor(zmax + kUpToWhole));
  // The interval is worked out from the texts, as the fields now read.
  const double d = (Number(texts.Cen) - Number(texts.Cst)) / divisions;
  double cin = IntFloor(d + kUpToWhole);
  if (cin == 0) cin = d;
  texts.Cin = FormatGeneral(cin);
  return texts;
}

ChosenLevels ChooseContourLevels(const LevelRequest& request, double zmin, double zmax) {
  ChosenLevels chosen;
  if (request.typed) {
    chosen.texts = *request.typed;
  } else {
    AutoContourTexts automatic = AutoContourLevels(request.divisions, zmin, zmax);
    chosen.divisions = std::move(automatic.SepInt);
    chosen.texts = {std::move(automatic.Cst), std::move(automatic.Cen), std::move(automatic.Cin)};
  }
  chosen.levels = request.previous;
  TakeContourLevels(chosen.levels, chosen.texts);
  chosen.bands = ContourBandCount(chosen.texts);
  return chosen;
}

ContourLevels RoundContourLevels(double zmin, double zmax, int bands) {
  bands = std::max(bands, 1);
  // A flat map takes its step from its value, as if it spanned that.
  const double scale = std::max(1.0, std::abs(zmax));
  const double span = zmax - zmin > 1e-9 * scale ? zmax - zmin : scale;
  double power = std::pow(10.0, std::floor(std::log10(span / bands)));
  ContourLevels levels;
  levels.ContourReady = 1;
  // The first candidate may be a little too fine; at most a few decades on,
  // one step always covers the range in a band or two.
  for (int decade = 0; decade < 4; ++decade, power *= 10) {
    for (const double m : {1.0, 2.0, 5.0}) {
      levels.Cin = m * power;
      levels.Cst = std::floor(zmin / levels.Cin) * levels.Cin;
      levels.Cen = std::ceil(zmax / levels.Cin) * levels.Cin;
      if (levels.Cen <= levels.Cst) levels.Cen = levels.Cst + levels.Cin;
      if (std::round((levels.Cen - levels.Cst) / levels.Cin) <= bands) return levels;
    }
  }
  return levels;
}

namespace {

// The numbers of the first level at or above a height and of the last at or
// below it, from (height - Cst) / Cin, with a tolerance of 1/10000 of an
// interval either side.
double FirstOfQuotient(double q) { return IntFloor(q + 0.9999); }
double LastOfQuotient(double q) { return IntFloor(q + 0.0001); }

}  // namespace

double FirstLevelFrom(const ContourLevels& levels, double lo) {
  if (lo < levels.Cst) lo = levels.Cst;
  return FirstOfQuotient((lo - levels.Cst) / levels.Cin);
}

double LastLevelTo(const ContourLevels& levels, double hi) {
  if (hi > levels.Cen) hi = levels.Cen;
  return LastOfQuotient((hi - levels.Cst) / levels.Cin);
}

std::pair<double, double> LevelNumbersOf(const ContourLevels& levels, double z) {
  // Within the levels both take the same quotient.
  if (z >= levels.Cst && z <= levels.Cen) {
    const double q = (z - levels.Cst) / levels.Cin;
    return {FirstOfQuotient(q), LastOfQuotient(q)};
  }
  return {FirstLevelFrom(levels, z), LastLevelTo(levels, z)};
}

LevelSpan LevelSpanOf(double first, double last) {
  // Level numbers beyond 32 bits come from an interval far too fine for any
  // picture; they are not drawn rather than overflowing.
  constexpr double kMin = -2147483648.0, kMax = 2147483647.0;
  if (!(first >= kMin && first <= kMax && last >= kMin && last <= kMax)) return {};
  return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)};
}

LevelSpan LevelsWithin(const ContourLevels& levels, double lo, double hi) {
  if (levels.Cin == 0) return {};  // no interval, no levels
  return LevelSpanOf(FirstLevelFrom(levels, lo), LastLevelTo(levels, hi));
}

ContourWork EstimateContourWork(const GridData& grid, const ContourLevels& levels) {
  const auto count = [](LevelSpan span) {
    return span.Empty() ? 0.0 : static_cast<double>(span.last) - span.first + 1;
  };
  ContourWork work;
  work.levels = count(LevelsWithin(levels, grid.Zmin, grid.Zmax));
  for (std::int32_t i = 1; i < grid.Nx; ++i) {
    for (std::int32_t j = 1; j < grid.Ny; ++j) {
      const auto [lo, hi] =
          std::minmax({grid.Z(i, j), grid.Z(i + 1, j), grid.Z(i, j + 1), grid.Z(i + 1, j + 1)});
      work.pieces += count(LevelsWithin(levels, lo, hi));
    }
  }
  return work;
}

}  // namespace kessadon
