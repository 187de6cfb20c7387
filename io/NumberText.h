// Numbers as the program reads and writes them in text fields, labels and files.
//
// Reading follows the leading-number rule: skip blanks, take the longest leading
// decimal number (sign, digits, one point, optional exponent), else 0.
// Writing uses the general form: up to 15 significant digits, no trailing zeros,
// exponent form only below 1E-4 or from 1E15 on in magnitude ("1E+15", "1.5E-05").
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>

namespace kessadon {

// Degrees to radians; 3.14159265358979/180, a hair below pi/180. Results depend on it.
inline constexpr double kDegree = 0.017453292519943278;
static_assert(kDegree == 3.14159265358979 / 180 && kDegree < std::numbers::pi / 180);

// Marks an absent trend or dip, and the separator record of measured-data layout 4.
inline constexpr double NoValue = 9e9;

// The leading-number rule. `consumed`, when given, receives the number of
// characters that made up the number, the skipped blanks not counted (0 when
// there was none). Beyond the double range: infinity above, 0 below.
double ParseLeadingNumber(std::string_view text, std::size_t* consumed = nullptr);

// Full-width digits, signs, point, exponent letters and the full-width blank
// (０-９, ＋, －, ．, Ｅ, ｅ, "　") and the minus sign U+2212 that Japanese input
// methods give, turned into their ASCII forms; every other byte of the UTF-8
// text stays as it is.
std::string FoldFullWidth(std::string_view utf8);

// A panel field's number: full-width forms folded, then the leading-number
// rule. Nothing when the text holds no leading number, blank text included
// (IsBlankField tells that case apart, where a field keeps its value).
// Beyond the double range: infinity, as ParseLeadingNumber gives.
std::optional<double> ParseNumberField(std::string_view utf8);

// Nothing but blanks, tabs and full-width blanks (or nothing at all).
bool IsBlankField(std::string_view utf8);

// Largest magnitude a height, coordinate or angle read from a file may have.
// Far beyond any survey (and the 9e9 of NoValue), yet squares of differences
// of such values summed over the largest grid stay far inside the double
// range, so that no estimation or refinement overflows on them.
inline constexpr double kValueBound = 1e100;

// Finite and not beyond kValueBound in magnitude.
inline bool WithinValueBound(double value) { return std::fabs(value) <= kValueBound; }

// The refusal of a value beyond the bound: "<what> の値が大きすぎます（…）".
std::string BeyondValueBound(const std::string& what);

// General form, as text fields and labels show numbers.
std::string FormatGeneral(double value);

// Signed form for labels on pictures: the general form with one leading blank
// for values that are not negative.
std::string FormatSigned(double value);

// "Int": the largest integer not above the argument. Inline: pictures call it
// a few times for each of a million nodes.
inline double IntFloor(double value) { return std::floor(value); }

// Nearest integer, ties to the even one (no range check).
double RoundHalfEven(double value);

// Conversion to a 32-bit ("Long") or 16-bit ("Integer") variable: nearest
// integer with ties to even; nothing when the result does not fit.
std::optional<std::int32_t> ToLong(double value);
std::optional<std::int16_t> ToInteger(double value);

}  // namespace kessadon
