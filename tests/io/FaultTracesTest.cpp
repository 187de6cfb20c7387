#include <gtest/gtest.h>

#include "io/FaultTraces.h"

namespace kessadon {
namespace {

TEST(FaultTraces, PointsLinesSeparatorsAndComments) {
  const Result<FaultTraces> read = ParseFaultTraces(
      "# two faults\n"
      "10,20\n"
      "30 40   # the bend\r\n"
      "50,\t60,7\n"
      "> second\n"
      "\n"
      "0 0\n"
      "1e2 -5\n"
      "\n");
  ASSERT_TRUE(read) << read.failure().message;
  ASSERT_EQ(read->traces.size(), 2u);
  EXPECT_EQ(read->traces[0].x, (std::vector<double>{10, 30, 50}));
  EXPECT_EQ(read->traces[0].y, (std::vector<double>{20, 40, 60}));
  EXPECT_EQ(read->traces[0].line, 2);
  EXPECT_EQ(read->traces[1].x, (std::vector<double>{0, 100}));
  EXPECT_EQ(read->traces[1].line, 7);
  EXPECT_EQ(read->PointCount(), 5);
}

// Text that holds no number is never read as 0, and coordinates are bounded
// as data are: the refusal names the line and quotes the field.
TEST(FaultTraces, RefusalsNameTheLine) {
  struct Case {
    const char* text;
    int line;
    const char* said;  // a part of the message, or nothing
  };
  for (const Case& c : {Case{"1,2\n3,4\n>\n5,6\n>\n7,8\n9,10\n", 4, nullptr},  // one point
                        Case{"1,2\n3\n", 2, nullptr},                          // one number
                        Case{"1,2\n1e999,3\n", 2, "大きすぎます"},             // beyond any map
                        Case{"1,2\n1e308,3\n", 2, "1E+100"},                   // beyond the bound
                        Case{"1,2\nnan,3\n", 2, "（nan）"}, Case{"1,2\n3,inf\n", 2, "（inf）"},
                        Case{"a,b\n1,2\n", 1, "（a）"}, Case{"1,2\n3,abc\n", 2, "（abc）"},
                        Case{"# nothing\n\n>\n", 0, nullptr},  // no trace at all
                        Case{"", 0, nullptr}}) {
    const Result<FaultTraces> read = ParseFaultTraces(c.text);
    ASSERT_FALSE(read) << c.text;
    EXPECT_EQ(read.failure().line, c.line) << c.text << read.failure().message;
    if (c.said != nullptr) {
      EXPECT_NE(read.failure().message.find(c.said), std::string::npos) << read.failure().message;
    }
  }
  // A long field is quoted cut, never whole.
  const Result<FaultTraces> read = ParseFaultTraces("1,2\n" + std::string(5000, 'x') + ",3\n");
  ASSERT_FALSE(read);
  EXPECT_LT(read.failure().message.size(), 200U);
  EXPECT_NE(read.failure().message.find("…"), std::string::npos);
}

}  // namespace
}  // namespace kessadon
