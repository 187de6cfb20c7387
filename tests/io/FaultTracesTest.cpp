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

TEST(FaultTraces, RefusalsNameTheLine) {
  struct Case {
    const char* text;
    int line;
  };
  for (const Case& c : {Case{"1,2\n3,4\n>\n5,6\n>\n7,8\n9,10\n", 4},  // a one-point trace
                        Case{"1,2\n3\n", 2},                          // one number
                        Case{"1,2\n1e999,3\n", 2},                    // beyond any map
                        Case{"# nothing\n\n>\n", 0},                  // no trace at all
                        Case{"", 0}}) {
    const Result<FaultTraces> read = ParseFaultTraces(c.text);
    ASSERT_FALSE(read) << c.text;
    EXPECT_EQ(read.failure().line, c.line) << c.text << read.failure().message;
  }
}

}  // namespace
}  // namespace kessadon
