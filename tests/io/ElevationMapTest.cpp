#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "io/ElevationMap.h"

namespace kessadon {
namespace {

// A header line with the three counts (3 characters each) and a sheet name 10
// characters wide. The unused columns hold digits, so a field read one
// position off would change a count.
std::string Header(const std::string& nx, const std::string& rows, const std::string& ny,
                   const std::string& name = "TEST      ") {
  return std::string(23, '9') + nx + rows + std::string(29, '9') + name + std::string(34, '9') +
         ny + "99\n";
}

std::string Record(const std::vector<int>& tenths, const std::string& id = "AB1234  1") {
  std::string line = id;
  for (int value : tenths) {
    char field[16];
    std::snprintf(field, sizeof field, "%5d", value);
    line += field;
  }
  return line + "\n";
}

ElevationMap MustParse(const std::string& bytes) {
  Result<ElevationMap> map = ParseElevationMap(bytes);
  if (!map) ADD_FAILURE() << Describe(map.failure());
  return map ? std::move(*map) : ElevationMap{};
}

TEST(ElevationMap, SpacingDependsOnTheColumnCountOnly) {
  struct Case {
    int nx;
    double dx, dy;
  };
  for (const Case& c : {Case{200, 62, 50}, Case{40, 310, 250}, Case{199, 310, 250}}) {
    char nx[8];
    std::snprintf(nx, sizeof nx, "%3d", c.nx);
    const ElevationMap map = MustParse(Header(nx, "  1", "  1") + Record(std::vector(c.nx, 7)));
    EXPECT_EQ(map.grid.Nx, c.nx);
    EXPECT_EQ(map.grid.Ny, 1);
    EXPECT_EQ(map.grid.Xmin, 0);
    EXPECT_EQ(map.grid.Ymin, 0);
    EXPECT_EQ(map.grid.Dx, c.dx) << c.nx;
    EXPECT_EQ(map.grid.Dy, c.dy) << c.nx;
  }
}

TEST(ElevationMap, HeightsAreTenthsBelowMinus999MeansNoHeight) {
  struct Case {
    const char* field;
    double z;
  };
  for (const Case& c : {Case{" 1234", 123.4}, Case{"-9999", -1}, Case{"-9990", -999},
                        Case{"-9991", -1}, Case{"     ", 0}, Case{" 12 3", 12.3}, Case{"-  50", -5},
                        Case{"ab 12", 0}, Case{"1e3  ", 100}, Case{"-9e99", -1}}) {
    const ElevationMap map = MustParse(Header("  1", "  1", "  1") + "AB1234  1" + c.field + "\n");
    EXPECT_DOUBLE_EQ(map.grid.Z(1, 1), c.z) << '"' << c.field << '"';
  }
}

TEST(ElevationMap, FirstRecordIsTheNorthernmostRow) {
  // Whatever follows the last column, and lines after the records, are not read.
  const std::string body = Header("  2", "  3", "  3") + "AB1234  1    1    2 ,9,\n" +
                           Record({3, 4}) + Record({5, 6}) + "AB1234  9   77   88\n";
  for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
    std::string text;
    for (char c : body) c == '\n' ? text += lineEnd : text += c;
    const ElevationMap map = MustParse(text);
    ASSERT_EQ(map.grid.Ny, 3);
    const double expected[4][4] = {{}, {0, 0.5, 0.3, 0.1}, {0, 0.6, 0.4, 0.2}};
    for (int i = 1; i <= 2; ++i) {
      for (int j = 1; j <= 3; ++j) EXPECT_DOUBLE_EQ(map.grid.Z(i, j), expected[i][j]) << i << j;
    }
  }
}

TEST(ElevationMap, SmallerSecondRowCountReadsOnlyThatMany) {
  const ElevationMap map =
      MustParse(Header("  1", "  5", "  2") + Record({10}) + Record({20}) + Record({30}));
  EXPECT_EQ(map.grid.Ny, 2);
  EXPECT_EQ(map.grid.Z.UpperJ(), 2);
  EXPECT_DOUBLE_EQ(map.grid.Z(1, 2), 1);
  EXPECT_DOUBLE_EQ(map.grid.Z(1, 1), 2);
}

TEST(ElevationMap, Refusals) {
  struct Case {
    std::string bytes;
    const char* mention;
    int line;
  };
  const std::string ok = Record({1, 2});
  for (const Case& c : {
           Case{"", "ファイルが空です", 0},
           Case{Header("  2", "  1", "  1").substr(0, 104) + "\n" + ok, "105 文字必要です", 1},
           Case{Header("  0", "  1", "  1") + ok, "列数が 1 未満です（0）", 1},
           Case{Header("  2", "   ", "  1") + ok, "行数が 1 未満です（0）", 1},
           Case{Header("  2", "  1", "0.4") + ok, "2 つ目の行数が 1 未満です", 1},
           Case{Header("9e9", "  1", "  1") + ok, "列数が整数の範囲を超えています", 1},
           Case{Header("  2", "  2", "  3") + ok, "2 つ目の行数 3 が 1 つ目の行数 2 を超えています",
                1},
           Case{Header("  2", "  3", "  3") + ok + ok, "行数 3 に対して 2 行しかありません", 0},
           Case{Header("  2", "  2", "  2") + ok + "AB1234  1    1    ", "標高が 2 列分ありません",
                3},
           Case{Header("8e3", "7e3", "  1") + ok, "格子点数 56000000 が上限", 1},
           Case{Header("  2", "  1", "  1") + "AB1234  1    19e999\n", "Z(2, 1) の値が大きすぎます",
                2},
           Case{Header("  2", "  1", "  1") + "AB1234  11e200    2\n",
                "標高 Z(1, 1) の値が大きすぎます（絶対値は 1E+100 まで）", 2},
           Case{Header("  2", "  1", "  1") + "AB1234\x82" + "99    1    2\n",
                "Shift_JIS として読めない", 2},
       }) {
    Result<ElevationMap> map = ParseElevationMap(c.bytes);
    ASSERT_FALSE(map) << c.mention;
    EXPECT_NE(map.failure().message.find(c.mention), std::string::npos) << map.failure().message;
    EXPECT_EQ(map.failure().line, c.line) << c.mention;
  }
}

TEST(ElevationMap, DoubleByteCharactersCountAsOneInShiftJisAndUtf8) {
  struct Case {
    const char* encoding;
    std::string name, recordId;
  };
  // 富士山 and 山 in each encoding; the trail bytes of the Shift_JIS ones are letters.
  for (const Case& c :
       {Case{"Shift_JIS", "\x95\x78\x8e\x6d\x8e\x52", "\x8e\x52"}, Case{"UTF-8", "富士山", "山"}}) {
    const std::string header = Header("  2", "  1", "  1", " " + c.name + "      ");
    const ElevationMap map = MustParse(header + Record({12, -34}, c.recordId + "B1234  1"));
    EXPECT_EQ(map.sheetName, "富士山") << c.encoding;
    EXPECT_EQ(map.grid.Nx, 2) << c.encoding;
    EXPECT_DOUBLE_EQ(map.grid.Z(1, 1), 1.2) << c.encoding;
    EXPECT_DOUBLE_EQ(map.grid.Z(2, 1), -3.4) << c.encoding;
  }
}

}  // namespace
}  // namespace kessadon
