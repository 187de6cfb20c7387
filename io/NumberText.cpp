#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kessadon {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars reports a value beyond the double range without giving one. The
// sign of the decimal exponent of the first non-zero digit tells which way it
// went: far above 1 becomes infinity, far below 1 becomes 0 (as a gradual
// underflow would end).
double OutOfRangeValue(std::string_view mantissa, long long exponent) {
  long long lead = 0;
  std::size_t point = mantissa.find('.');
  std::size_t intDigits = point == std::string_view::npos ? mantissa.size() : point;
  for (std::size_t k = 0; k < mantissa.size(); ++k) {
    if (mantissa[k] == '.' || mantissa[k] == '0') continue;
    lead = k < intDigits ? static_cast<long long>(intDigits - 1 - k)
                         : -static_cast<long long>(k - intDigits);
    break;
  }
  return lead + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// The ASCII form of the three-byte UTF-8 character at `p`, or 0 when it has none.
char AsciiOfWide(std::string_view text, std::size_t p) {
  if (text.size() - p < 3) return 0;
  const auto b0 = static_cast<unsigned char>(text[p]);
  const auto b1 = static_cast<unsigned char>(text[p + 1]);
  const auto b2 = static_cast<unsigned char>(text[p + 2]);
  if (b0 == 0xEF && b1 == 0xBC) {  // U+FF00 ... U+FF3F
    if (b2 >= 0x90 && b2 <= 0x99) return static_cast<char>('0' + (b2 - 0x90));
    switch (b2) {
      case 0x8B:
        return '+';
      case 0x8D:
        return '-';
      case 0x8E:
        return '.';
      case 0xA5:
        return 'E';
    }
    return 0;
  }
  if (b0 == 0xEF && b1 == 0xBD && b2 == 0x85) return 'e';  // U+FF45
  if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80) return ' ';  // U+3000
  if (b0 == 0xE2 && b1 == 0x88 && b2 == 0x92) return '-';  // U+2212
  return 0;
}

}  // namespace

std::string FoldFullWidth(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t p = 0; p < utf8.size();) {
    if (const char ascii = AsciiOfWide(utf8, p)) {
      out += ascii;
      p += 3;
    } else {
      out += utf8[p++];
    }
  }
  return out;
}

std::optional<double> ParseNumberField(std::string_view utf8) {
  std::size_t consumed = 0;
  const double value = ParseLeadingNumber(FoldFullWidth(utf8), &consumed);
  if (consumed == 0) return std::nullopt;
  return value;
}

bool IsBlankField(std::string_view utf8) {
  return FoldFullWidth(utf8).find_first_not_of(" \t") == std::string::npos;
}

std::string BeyondValueBound(const std::string& what) {
  return what + " の値が大きすぎます（絶対値は " + FormatGeneral(kValueBound) + " まで）";
}

double ParseLeadingNumber(std::string_view text, std::size_t* consumed) {
  const std::size_t n = text.size();
  std::size_t p = 0;
  while (p < n && (text[p] == ' ' || text[p] == '\t')) ++p;
  const std::size_t start = p;
  if (consumed) *consumed = 0;

  bool negative = false;
  if (p < n && (text[p] == '+' || text[p] == '-')) {
    negative = text[p] == '-';
    ++p;
  }
  const std::size_t mantissaStart = p;
  std::size_t digits = 0;
  while (p < n && IsDigit(text[p])) ++p, ++digits;
  if (p < n && text[p] == '.') {
    std::size_t q = p + 1;
    while (q < n && IsDigit(text[q])) ++q, ++digits;
    if (digits > 0) p = q;
  }
  if (digits == 0) return 0;
  const std::size_t mantissaEnd = p;

  // An exponent counts only when it has a digit; "1e+" is the number 1.
  long long exponent = 0;
  if (p < n && (text[p] == 'e' || text[p] == 'E')) {
    std::size_t q = p + 1;
    bool negativeExponent = false;
    if (q < n && (text[q] == '+' || text[q] == '-')) negativeExponent = text[q++] == '-';
    if (q < n && IsDigit(text[q])) {
      while (q < n && IsDigit(text[q])) {
        if (exponent < 1'000'000) exponent = exponent * 10 + (text[q] - '0');
        ++q;
      }
      if (negativeExponent) exponent = -exponent;
      p = q;
    }
  }

  // from_chars ignores the locale, so a comma-decimal desktop reads "1.5" as 1.5.
  double value = 0;
  const char* first = text.data() + mantissaStart;
  const char* last = text.data() + p;
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    value = OutOfRangeValue(text.substr(mantissaStart, mantissaEnd - mantissaStart), exponent);
  } else if (ec != std::errc() || ptr != last) {
    return 0;  // cannot happen for the text checked above
  }
  if (consumed) *consumed = p - start;
  return negative ? -value : value;
}

std::string FormatGeneral(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == 0) return "0";

  // Scientific with 14 decimals rounds to 15 significant digits and tells the
  // decimal exponent after rounding, which picks the form.
  char buf[40];
  auto result =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<std::size_t>(result.ptr - buf));
  const std::size_t e = sci.find('e');
  std::string digits;
  digits += sci[0];
  digits.append(sci.substr(2, e - 2));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);

  std::string out = value < 0 ? "-" : "";
  if (exponent >= -4 && exponent < 15) {
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else {
      const std::size_t intLength = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= intLength) {
        out += digits;
        out.append(intLength - digits.size(), '0');
      } else {
        out.append(digits, 0, intLength);
        out += '.';
        out.append(digits, intLength, std::string::npos);
      }
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out.append(digits, 1, std::string::npos);
  }
  out += exponent < 0 ? "E-" : "E+";
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
  return out;
}

std::string FormatSigned(double value) {
  std::string general = FormatGeneral(value);
  return value < 0 ? general : " " + general;
}

double RoundHalfEven(double value) {
  // Spelled out rather than nearbyint so that the floating-point rounding mode
  // of the moment cannot change the result.
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::optional<std::int32_t> ToLong(double value) {
  if (std::isnan(value)) return std::nullopt;
  const double r = RoundHalfEven(value);
  if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(r);
}

std::optional<std::int16_t> ToInteger(double value) {
  if (std::isnan(value)) return std::nullopt;
  const double r = RoundHalfEven(value);
  if (r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(r);
}

}  // namespace kessadon
