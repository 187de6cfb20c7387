#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/ListInput.h"

namespace kessadon {
namespace {

std::vector<std::string> Fields(std::string_view text) {
  ListReader reader(text);
  std::vector<std::string> fields;
  while (std::optional<std::string> field = reader.NextField()) fields.push_back(*field);
  return fields;
}

using Strings = std::vector<std::string>;

TEST(ListInput, CommaBlankTabAndLineEndSeparate) {
  EXPECT_EQ(Fields("1,2,3"), (Strings{"1", "2", "3"}));
  EXPECT_EQ(Fields("1 2\t3"), (Strings{"1", "2", "3"}));
  EXPECT_EQ(Fields("1   2 \t 3   "), (Strings{"1", "2", "3"}));
  EXPECT_EQ(Fields("1\n2\n3\n"), (Strings{"1", "2", "3"}));
  EXPECT_EQ(Fields("  a"), (Strings{"a"}));
  EXPECT_EQ(Fields(""), Strings{});
  EXPECT_EQ(Fields(" \t "), Strings{});
}

TEST(ListInput, BlanksAroundACommaBelongToTheSeparator) {
  EXPECT_EQ(Fields("a , b"), (Strings{"a", "b"}));
  EXPECT_EQ(Fields("a\t,\tb"), (Strings{"a", "b"}));
  EXPECT_EQ(Fields("a ,\nb"), (Strings{"a", "", "b"}));
  EXPECT_EQ(Fields("a  \nb"), (Strings{"a", "b"}));
}

TEST(ListInput, EmptyFieldsBetweenCommasAndBeforeLineEnds) {
  EXPECT_EQ(Fields("1,,3"), (Strings{"1", "", "3"}));
  EXPECT_EQ(Fields("1, ,3"), (Strings{"1", "", "3"}));
  EXPECT_EQ(Fields(",1"), (Strings{"", "1"}));
  EXPECT_EQ(Fields("1,2,\n3"), (Strings{"1", "2", "", "3"}));
  EXPECT_EQ(Fields("1\n\n2"), (Strings{"1", "", "2"}));
  EXPECT_EQ(Fields("1,2,"), (Strings{"1", "2"}));

  ListReader reader("5,,x,7");
  EXPECT_EQ(reader.NextNumber(), 5);
  EXPECT_EQ(reader.NextNumber(), 0);
  EXPECT_EQ(reader.NextNumber(), 0);
  EXPECT_EQ(reader.NextNumber(), 7);
  EXPECT_EQ(reader.NextNumber(), std::nullopt);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(ListInput, QuotedFieldsKeepCommasAndBlanks) {
  EXPECT_EQ(Fields("\"a, b\",2"), (Strings{"a, b", "2"}));
  EXPECT_EQ(Fields("  \" x \"  ,  3"), (Strings{" x ", "3"}));
  EXPECT_EQ(Fields("\"\",1"), (Strings{"", "1"}));
  EXPECT_EQ(Fields("\"open to the end"), (Strings{"open to the end"}));
  EXPECT_EQ(Fields("\"P1\"\t10\t20"), (Strings{"P1", "10", "20"}));
  // Bytes glued to the closing quote are dropped.
  EXPECT_EQ(Fields("\"ab\"cd,e"), (Strings{"ab", "e"}));
  EXPECT_EQ(Fields("\"ab\"cd e"), (Strings{"ab", "e"}));
  // A quote inside an unquoted field is an ordinary byte.
  EXPECT_EQ(Fields("ab\"c,d"), (Strings{"ab\"c", "d"}));

  ListReader reader("\"12.5\",\"-3\"");
  EXPECT_EQ(reader.NextNumber(), 12.5);
  EXPECT_EQ(reader.NextNumber(), -3);
}

TEST(ListInput, RecordsNeedNotKeepToLines) {
  ListReader reader("P1, 10\n 20, 30 P2\n40\r\n50 60");
  std::vector<std::string> ids;
  std::vector<double> numbers;
  for (int record = 0; record < 2; ++record) {
    ids.push_back(reader.NextField().value());
    for (int k = 0; k < 3; ++k) numbers.push_back(reader.NextNumber().value());
  }
  EXPECT_EQ(ids, (Strings{"P1", "P2"}));
  EXPECT_EQ(numbers, (std::vector<double>{10, 20, 30, 40, 50, 60}));
  EXPECT_TRUE(reader.AtEnd());
}

TEST(ListInput, LineEndsOfAllThreeKinds) {
  EXPECT_EQ(Fields("1\r\n2\r3\n4"), (Strings{"1", "2", "3", "4"}));
  EXPECT_EQ(Fields("1\r\n\r\n2"), (Strings{"1", "", "2"}));
  EXPECT_EQ(Fields("1\r\r2"), (Strings{"1", "", "2"}));
  EXPECT_EQ(Fields("1\n\r2"), (Strings{"1", "", "2"}));

  ListReader reader("a\r\nb\rc\nd");
  std::vector<int> lines;
  while (reader.NextField()) lines.push_back(reader.Line());
  EXPECT_EQ(lines, (std::vector<int>{2, 3, 4, 4}));
}

TEST(ListInput, LineIsTheLineOfTheNextByte) {
  ListReader reader("1 2\n\n3,\"x\ny\"\r\n  4");
  EXPECT_EQ(reader.Line(), 1);
  reader.NextField();
  EXPECT_EQ(reader.Line(), 1);
  reader.NextField();
  EXPECT_EQ(reader.Line(), 2);
  EXPECT_EQ(reader.NextField(), "");
  EXPECT_EQ(reader.Line(), 3);
  reader.NextField();
  EXPECT_EQ(reader.Line(), 3);
  EXPECT_EQ(reader.NextField(), "x\ny");
  EXPECT_EQ(reader.Line(), 5);
  EXPECT_EQ(reader.NextField(), "4");
  EXPECT_EQ(reader.Line(), 5);
  EXPECT_EQ(reader.NextField(), std::nullopt);
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ListInput, QuotedLineEndsCountOnceEach) {
  ListReader reader("\"a\r\nb\rc\n\"");
  EXPECT_EQ(reader.NextField(), "a\r\nb\rc\n");
  EXPECT_EQ(reader.Line(), 4);
}

TEST(ListInput, ShiftJisBytesPassThrough) {
  // 表 in Shift_JIS is 95 5C, 能 is 94 5C: trail bytes that are backslashes.
  const std::string hyou = "\x95\x5c";
  const std::string nou = "\x94\x5c";
  EXPECT_EQ(Fields("\"" + hyou + "1\",10\n" + hyou + nou + " 20"),
            (Strings{hyou + "1", "10", hyou + nou, "20"}));
  // A trail byte in the printable range right before a comma or quote.
  const std::string so = "\x83\x5c";  // ソ
  const std::string a = "\x82\xa0";   // あ
  EXPECT_EQ(Fields(so + "," + a + "\t\"" + so + "\""), (Strings{so, a, so}));
}

TEST(ListInput, RemainingBoundsTheFieldsToCome) {
  ListReader reader("1,2,,3\n\n");
  std::size_t last = reader.Remaining();
  int fields = 0;
  while (reader.NextField()) {
    EXPECT_LT(reader.Remaining(), last);
    last = reader.Remaining();
    ++fields;
  }
  EXPECT_EQ(fields, 5);
  EXPECT_TRUE(reader.AtEnd());
}

std::vector<std::string> Lines(std::string_view text) {
  LineReader reader(text);
  std::vector<std::string> lines;
  while (std::optional<std::string_view> line = reader.NextLine()) lines.emplace_back(*line);
  return lines;
}

TEST(LineCounting, FinalLineBreakStartsNoLine) {
  EXPECT_EQ(CountLines(""), 0u);
  EXPECT_EQ(CountLines("a"), 1u);
  EXPECT_EQ(CountLines("a\n"), 1u);
  EXPECT_EQ(CountLines("a\n\n"), 2u);
  EXPECT_EQ(CountLines("\n"), 1u);
  EXPECT_EQ(CountLines("a\r\nb"), 2u);
  EXPECT_EQ(CountLines("a\rb\r"), 2u);
  EXPECT_EQ(CountLines("a\r\n\r\n"), 2u);
  EXPECT_EQ(CountLines("a\n\rb"), 3u);
  EXPECT_EQ(CountLines(" "), 1u);
}

TEST(LineCounting, LineReaderSplitsTheSameWay) {
  EXPECT_EQ(Lines(""), Strings{});
  EXPECT_EQ(Lines("a\n\n"), (Strings{"a", ""}));
  EXPECT_EQ(Lines("\n"), (Strings{""}));
  EXPECT_EQ(Lines("a\r\nb"), (Strings{"a", "b"}));
  EXPECT_EQ(Lines("a\rb\r"), (Strings{"a", "b"}));
  EXPECT_EQ(Lines("  x, \"y\" \r\n\tz"), (Strings{"  x, \"y\" ", "\tz"}));
  EXPECT_EQ(Lines("\x95\x5c\n"), (Strings{"\x95\x5c"}));
}

}  // namespace
}  // namespace kessadon
