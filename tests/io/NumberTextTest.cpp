#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <string>

#include "io/NumberText.h"

namespace kessadon {
namespace {

TEST(LeadingNumber, TakesTheLongestLeadingDecimalNumber) {
  EXPECT_EQ(ParseLeadingNumber("12"), 12);
  EXPECT_EQ(ParseLeadingNumber("-7.25"), -7.25);
  EXPECT_EQ(ParseLeadingNumber("+3"), 3);
  EXPECT_EQ(ParseLeadingNumber(".5"), 0.5);
  EXPECT_EQ(ParseLeadingNumber("-.5"), -0.5);
  EXPECT_EQ(ParseLeadingNumber("5."), 5);
  EXPECT_EQ(ParseLeadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(ParseLeadingNumber("12abc"), 12);
  EXPECT_EQ(ParseLeadingNumber("3,5"), 3);
  EXPECT_EQ(ParseLeadingNumber("1 2"), 1);
  EXPECT_EQ(ParseLeadingNumber("0.1"), 0.1);
  EXPECT_EQ(ParseLeadingNumber("123456789012345678"), 123456789012345678.0);
}

TEST(LeadingNumber, SkipsBlanksAndTabsOnly) {
  EXPECT_EQ(ParseLeadingNumber("   42"), 42);
  EXPECT_EQ(ParseLeadingNumber("\t \t-1.5  "), -1.5);
  EXPECT_EQ(ParseLeadingNumber("\n5"), 0);
  EXPECT_EQ(ParseLeadingNumber("- 5"), 0);
}

TEST(LeadingNumber, TextWithoutANumberGivesZero) {
  for (const char* text : {"", "   ", "+", "-", ".", "-.", "abc", "e5", "E", ".e1", "+-1"}) {
    std::size_t consumed = 99;
    EXPECT_EQ(ParseLeadingNumber(text, &consumed), 0) << text;
    EXPECT_EQ(consumed, 0u) << text;
  }
}

TEST(LeadingNumber, ExponentNeedsADigit) {
  EXPECT_EQ(ParseLeadingNumber("1E10"), 1e10);
  EXPECT_EQ(ParseLeadingNumber("1e10"), 1e10);
  EXPECT_EQ(ParseLeadingNumber("2.5e-3"), 2.5e-3);
  EXPECT_EQ(ParseLeadingNumber("-4E+2"), -400);
  EXPECT_EQ(ParseLeadingNumber(".5e1"), 5);
  EXPECT_EQ(ParseLeadingNumber("7.e2"), 700);
  EXPECT_EQ(ParseLeadingNumber("1e"), 1);
  EXPECT_EQ(ParseLeadingNumber("1e+"), 1);
  EXPECT_EQ(ParseLeadingNumber("1E-x"), 1);
  EXPECT_EQ(ParseLeadingNumber("1e2.5"), 100);
  EXPECT_EQ(ParseLeadingNumber("1e2e3"), 100);
  EXPECT_EQ(ParseLeadingNumber("9e9"), 9e9);
}

TEST(LeadingNumber, ReportsTheCharactersOfTheNumber) {
  std::size_t consumed = 0;
  ParseLeadingNumber("  -12.5e+3xyz", &consumed);
  EXPECT_EQ(consumed, 8u);
  ParseLeadingNumber("1e+", &consumed);
  EXPECT_EQ(consumed, 1u);
  ParseLeadingNumber("1.2.3", &consumed);
  EXPECT_EQ(consumed, 3u);
  ParseLeadingNumber("\t.5", &consumed);
  EXPECT_EQ(consumed, 2u);
}

TEST(LeadingNumber, BeyondTheDoubleRange) {
  EXPECT_EQ(ParseLeadingNumber("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("1e-999"), 0);
  EXPECT_EQ(ParseLeadingNumber("0.0001e-330"), 0);
  EXPECT_EQ(ParseLeadingNumber("1e99999999999999999999"), std::numeric_limits<double>::infinity());
  // Many digits before a small exponent still overflow.
  EXPECT_EQ(ParseLeadingNumber("1" + std::string(400, '0') + "e-50"),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingNumber("0e999"), 0);
  EXPECT_EQ(ParseLeadingNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseLeadingNumber("4.9406564584124654e-324"),
            std::numeric_limits<double>::denorm_min());
}

TEST(NumberField, FullWidthFormsReadAsTheirAsciiForms) {
  struct Case {
    const char* text;
    std::optional<double> value;
    bool blank;
  };
  for (const Case& c : {
           Case{"　－１．５", -1.5, false},      // full-width blank, minus, digits and point
           Case{"\u2212２ｅ＋２", -200, false},  // the minus sign of Japanese input methods
           Case{"1２ｍ", 12, false},             // mixed widths, then the leading-number rule
           Case{"ｘ", std::nullopt, false},
           Case{" 　\t", std::nullopt, true},
       }) {
    EXPECT_EQ(ParseNumberField(c.text), c.value) << c.text;
    EXPECT_EQ(IsBlankField(c.text), c.blank) << c.text;
  }
  // Other characters, full-width ones and a cut one included, stay as they are.
  EXPECT_EQ(FoldFullWidth("標高：１０Ａ\xEF\xBC"), "標高：10Ａ\xEF\xBC");
}

TEST(GeneralForm, DropsTrailingZerosAndPoint) {
  EXPECT_EQ(FormatGeneral(0), "0");
  EXPECT_EQ(FormatGeneral(-0.0), "0");
  EXPECT_EQ(FormatGeneral(1), "1");
  EXPECT_EQ(FormatGeneral(120), "120");
  EXPECT_EQ(FormatGeneral(2.5), "2.5");
  EXPECT_EQ(FormatGeneral(-2.5), "-2.5");
  EXPECT_EQ(FormatGeneral(-100.125), "-100.125");
  EXPECT_EQ(FormatGeneral(1e10), "10000000000");
  EXPECT_EQ(FormatGeneral(9e9), "9000000000");
}

TEST(GeneralForm, RoundsToFifteenSignificantDigits) {
  EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatGeneral(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FormatGeneral(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(FormatGeneral(-2.0 / 3), "-0.666666666666667");
  EXPECT_EQ(FormatGeneral(123456789.123456789), "123456789.123457");
  EXPECT_EQ(FormatGeneral(0.017453292519943278), "0.0174532925199433");
  EXPECT_EQ(FormatGeneral(123456789012345678.0), "1.23456789012346E+17");
  EXPECT_EQ(FormatGeneral(0.9999999999999999), "1");
}

TEST(GeneralForm, ExponentFormOutsideOneE4ToOneE15) {
  EXPECT_EQ(FormatGeneral(0.0001), "0.0001");
  EXPECT_EQ(FormatGeneral(-0.0001), "-0.0001");
  EXPECT_EQ(FormatGeneral(0.00012345), "0.00012345");
  EXPECT_EQ(FormatGeneral(0.0000999), "9.99E-05");
  EXPECT_EQ(FormatGeneral(1.5e-5), "1.5E-05");
  EXPECT_EQ(FormatGeneral(-1.5e-5), "-1.5E-05");
  EXPECT_EQ(FormatGeneral(99999999999999.9), "99999999999999.9");
  EXPECT_EQ(FormatGeneral(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatGeneral(1e15), "1E+15");
  EXPECT_EQ(FormatGeneral(-1e15), "-1E+15");
  // Rounding to 15 digits carries into the next power of ten and so into exponent form.
  EXPECT_EQ(FormatGeneral(999999999999999.9), "1E+15");
  EXPECT_EQ(FormatGeneral(0.00009999999999999999), "0.0001");
  EXPECT_EQ(FormatGeneral(1e100), "1E+100");
  EXPECT_EQ(FormatGeneral(2.5e-300), "2.5E-300");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::max()), "1.79769313486232E+308");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
}

TEST(GeneralForm, NonFiniteValuesAreReadable) {
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN()), "NaN");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "Infinity");
  EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity()), "-Infinity");
}

TEST(GeneralForm, ReadsBackToTheSameText) {
  for (double v : {1.0 / 3, -2.0 / 7, 1e-5 / 3, 6.02214076e23, 123.456, 1e15 - 1, 5e-324}) {
    const std::string text = FormatGeneral(v);
    EXPECT_EQ(FormatGeneral(ParseLeadingNumber(text)), text);
    EXPECT_NEAR(ParseLeadingNumber(text), v, std::fabs(v) * 5e-15) << text;
  }
}

TEST(SignedForm, BlankBeforeValuesThatAreNotNegative) {
  EXPECT_EQ(FormatSigned(3), " 3");
  EXPECT_EQ(FormatSigned(0), " 0");
  EXPECT_EQ(FormatSigned(-0.0), " 0");
  EXPECT_EQ(FormatSigned(-3), "-3");
  EXPECT_EQ(FormatSigned(-1.5e-5), "-1.5E-05");
  EXPECT_EQ(FormatSigned(1e15), " 1E+15");
  EXPECT_EQ(FormatSigned(0.1 + 0.2), " 0.3");
}

TEST(Numbers, DecimalPointIgnoresTheLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const char* commaLocale = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE"}) {
    if (std::setlocale(LC_ALL, name)) {
      commaLocale = name;
      break;
    }
  }
  if (!commaLocale) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const double parsed = ParseLeadingNumber("1.5");
  const std::string written = FormatGeneral(2.25);
  const std::string small = FormatGeneral(1.5e-5);
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_EQ(parsed, 1.5);
  EXPECT_EQ(written, "2.25");
  EXPECT_EQ(small, "1.5E-05");
}

TEST(Integers, IntIsFloor) {
  EXPECT_EQ(IntFloor(2.7), 2);
  EXPECT_EQ(IntFloor(-2.2), -3);
  EXPECT_EQ(IntFloor(-3), -3);
  EXPECT_EQ(IntFloor(-0.5), -1);
}

TEST(Integers, RoundHalfEvenTiesGoToTheEvenInteger) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999999999999996), 2);
  EXPECT_EQ(RoundHalfEven(2.5000000000000004), 3);
  EXPECT_EQ(RoundHalfEven(-2.6), -3);
  EXPECT_EQ(RoundHalfEven(4503599627370497.0), 4503599627370497.0);
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

TEST(Integers, LongConversionRoundsThenChecksTheRange) {
  EXPECT_EQ(ToLong(2.5), 2);
  EXPECT_EQ(ToLong(3.5), 4);
  EXPECT_EQ(ToLong(-2.5), -2);
  EXPECT_EQ(ToLong(2147483647.0), 2147483647);
  EXPECT_EQ(ToLong(2147483647.4), 2147483647);
  EXPECT_EQ(ToLong(2147483647.5), std::nullopt);
  EXPECT_EQ(ToLong(2147483648.0), std::nullopt);
  EXPECT_EQ(ToLong(-2147483648.0), -2147483647 - 1);
  EXPECT_EQ(ToLong(-2147483648.5), -2147483647 - 1);
  EXPECT_EQ(ToLong(-2147483648.6), std::nullopt);
  EXPECT_EQ(ToLong(1e12), std::nullopt);
  EXPECT_EQ(ToLong(std::nan("")), std::nullopt);
  EXPECT_EQ(ToLong(std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(ToLong(-std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(Integers, IntegerConversionRoundsThenChecksTheRange) {
  EXPECT_EQ(ToInteger(32767.0), 32767);
  EXPECT_EQ(ToInteger(32767.5), std::nullopt);
  EXPECT_EQ(ToInteger(32766.5), 32766);
  EXPECT_EQ(ToInteger(-32768.0), -32768);
  EXPECT_EQ(ToInteger(-32768.5), -32768);
  EXPECT_EQ(ToInteger(-32769.0), std::nullopt);
  EXPECT_EQ(ToInteger(-1.5), -2);
  EXPECT_EQ(ToInteger(9.0), 9);
  EXPECT_EQ(ToInteger(std::nan("")), std::nullopt);
}

}  // namespace
}  // namespace kessadon
