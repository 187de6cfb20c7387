// Contour levels: a start Cst, an end Cen and an interval Cin. The levels are
// Cst + k*Cin for whole k within Cst..Cen; band k (1 ... S) runs from
// Cst + (k-1)*Cin to Cst + k*Cin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "io/GridData.h"

namespace kessadon {

struct ContourLevels {
  double Cst = 0, Cen = 0, Cin = 0;
  int ContourReady = 0;  // 1 once levels with a non-zero interval were taken
};

// The texts of the start, end and interval fields.
struct ContourTexts {
  std::string Cst, Cen, Cin;
};

// The band count S shown beside the fields, from their texts; nothing when the
// interval reads 0 (the caption is then left as it was) or S is not finite.
std::optional<double> ContourBandCount(const ContourTexts& texts);

// Takes the number of each non-empty text into the levels and raises
// ContourReady for a non-zero interval; it never lowers it. The front end then
// ticks chkContour and refreshes the display commands.
void TakeContourLevels(ContourLevels& levels, const ContourTexts& texts);

// Whether chkContour may stay ticked: not while start and end are equal.
bool ContourLinesPossible(const ContourLevels& levels);

// What the automatic levels write into the fields, in this order.
struct AutoContourTexts {
  std::optional<std::string> SepInt;  // "1" when the divisions read less than one whole
  std::string Cst, Cen, Cin;
};

// Levels from the grid's height range and the text of the divisions field:
// whole-number start and end around the range, and an interval that divides it
// into about that many parts (a whole number unless the range is too small).
AutoContourTexts AutoContourLevels(std::string_view sepIntText, double zmin, double zmax);

// What the levels are chosen from: the start, end and interval as typed, or
// else automatic levels from the divisions field's text.
struct LevelRequest {
  std::optional<ContourTexts> typed;
  std::string divisions;
  ContourLevels previous;  // what a field typed empty keeps
};

// The levels as the contour frame then holds them.
struct ChosenLevels {
  ContourLevels levels;
  ContourTexts texts;                    // what the three fields read
  std::optional<std::string> divisions;  // what the divisions field then reads, when it changes
  std::optional<double> bands;           // the band count beside the fields, as ContourBandCount
};

// The one way every front end turns typed values or divisions into levels:
// automatic ones as AutoContourLevels writes them, then taken as
// TakeContourLevels takes the fields.
ChosenLevels ChooseContourLevels(const LevelRequest& request, double zmin, double zmax);

// Levels on a round step (1, 2 or 5 times a power of ten) covering zmin ...
// zmax in at most `bands` bands, the finest such step: for a map of values
// that span a fraction of one unit as often as many, such as the standard
// deviations of heights, whose colours must fit a table of `bands` colours.
ContourLevels RoundContourLevels(double zmin, double zmax, int bands);

// The whole numbers k of the levels that lie within lo..hi and within
// Cst..Cen, with a tolerance of 1/10000 of an interval on either side.
struct LevelSpan {
  std::int32_t first = 0, last = -1;  // empty when first > last
  bool Empty() const { return first > last; }
};
LevelSpan LevelsWithin(const ContourLevels& levels, double lo, double hi);

// LevelsWithin in parts, for heights that many cells share: with Cin not 0,
// LevelsWithin(levels, lo, hi) is
// LevelSpanOf(FirstLevelFrom(levels, lo), LastLevelTo(levels, hi)).
double FirstLevelFrom(const ContourLevels& levels, double lo);
double LastLevelTo(const ContourLevels& levels, double hi);
LevelSpan LevelSpanOf(double first, double last);
// FirstLevelFrom(levels, z) and LastLevelTo(levels, z) at once.
std::pair<double, double> LevelNumbersOf(const ContourLevels& levels, double z);

// How much drawing the levels ask of a grid: the levels within its heights,
// and the contour pieces its cells hold, on which the time drawing takes grows.
struct ContourWork {
  double levels = 0;
  double pieces = 0;
};
ContourWork EstimateContourWork(const GridData& grid, const ContourLevels& levels);

}  // namespace kessadon
