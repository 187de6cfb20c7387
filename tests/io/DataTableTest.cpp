// Measured data from tables with a header row.
#include <gtest/gtest.h>

#include <string>

#include "io/DataTable.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

struct Record {
  double x, y, z;
  std::int16_t l;
  double trend, dip;
};

void ExpectRecords(const MeasuredData& data, const std::vector<Record>& expected,
                   const std::string& what) {
  ASSERT_EQ(data.Ndata(), static_cast<std::int32_t>(expected.size())) << what;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const Record& e = expected[k];
    EXPECT_EQ(data.DataX[k], e.x) << what << " record " << k;
    EXPECT_EQ(data.DataY[k], e.y) << what << " record " << k;
    EXPECT_EQ(data.DataZ[k], e.z) << what << " record " << k;
    EXPECT_EQ(data.DataL[k], e.l) << what << " record " << k;
    EXPECT_EQ(data.DataTrend[k], e.trend) << what << " record " << k;
    EXPECT_EQ(data.DataDip[k], e.dip) << what << " record " << k;
  }
}

TEST(DataTable, ReadsColumnsByTheirNamesInEitherEncoding) {
  const std::vector<Record> expected = {{10, 20, 5.5, 0, NoValue, NoValue},
                                        {11, 21, NoValue, 0, 120, 30},
                                        {12, 22, 7, 1, NoValue, NoValue}};
  struct Case {
    const char* what;
    const char* text;
    ColumnChoice choice;
  };
  const ColumnChoice byName = *ParseColumnChoice("x=E,y=N,z=H");
  ColumnChoice swapped;
  swapped.swapXY = true;
  const Case cases[] = {
      {"commas, common names, a dip without a height",
       "id,X,Y,Z,code,trend,dip\na,10,20,5.5,,,\nb,11,21,,,120,30\nc,12,22,7,1,,\n",
       {}},
      // "地点,x座標,y座標,標高,l,傾斜方向,傾斜" in Shift_JIS, CR LF, a trend without its dip.
      {"Shift_JIS",
       "\x92n\x93_,x\x8d\xc0\x95W,y\x8d\xc0\x95W,\x95W\x8d\x82,l,\x8cX\x8e\xce\x95\xfb\x8c\xfc,"
       "\x8cX\x8e\xce\r\n"
       "a,10,20,5.5,0,45,\r\nb,11,21,,0,120,30\r\nc,12,22,7,1,,\r\n",
       {}},
      {"UTF-8 with its mark, tabs, quotes, blank lines",
       "\xEF\xBB\xBF\"name\"\tEasting\tNorthing\tElevation\tbound\tdipdir\tdip\n\n"
       "\"a\"\t10\t20\t5.5\t\t\t\n\"b\"\t11\t21\t\t\t120\t30\n\"c\"\t12\t22\t7\t1\t\t\n",
       {}},
      {"columns chosen",
       "E N H L trend dip\n10 20 5.5 0 9e9 9e9\n11 21 9e9 0 120 30\n12 22 7 1 9e9 9e9\n", byName},
      // Northing named X and easting Y, as Japanese survey tables write them.
      {"x and y swapped", "X,Y,Z,L,Trend,Dip\n20,10,5.5,,,\n21,11,,,120,30\n22,12,7,1,,\n",
       swapped},
  };
  for (const Case& c : cases) {
    const Result<MeasuredData> data = ParseDataTable(c.text, c.choice);
    ASSERT_TRUE(data) << c.what << ": " << Describe(data.failure());
    ExpectRecords(*data, expected, c.what);
    EXPECT_EQ(data->LastFile.heights, 2) << c.what;
    EXPECT_EQ(data->LastFile.dips, 1) << c.what;
  }
}

TEST(DataTable, RefusesWhatItCannotPlace) {
  const ColumnChoice absent = *ParseColumnChoice("z=elev");
  struct Case {
    const char* text;
    ColumnChoice choice;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {"x,y,z\n1,2,3\n1,2,abc\n", {}, 3, "\"z\" の \"abc\""},
      {"a,b,z\n1,2,3\n", {}, 1, "x と y の列"},
      {"x,y,q\n1,2,3\n", {}, 1, "z の列も"},
      {"x,y,z\n1,2,3\n", absent, 1, "\"elev\""},
      {"x,y,z\n,2,3\n", {}, 2, "空です"},
      {"x,y,z\n", {}, 0, "データの行がありません"},
      {"x,y,z\n1,2,3\n\x82\n", {}, 0, "Shift_JIS"},
      // The layout files' "no position" marker is no value in a table: refused, not dropped.
      {"x,y,z\n1,2,3\n950000000,2,3\n", {}, 3, "座標 (950000000, 2) が大きすぎます"},
      {"x,y,z\n1,-9e8,3\n", {}, 2, "未満にしてください"},
      // Columns whose meaning would be left to chance.
      {"x,y,z\n1,2,3\n", *ParseColumnChoice("y=x"), 1, "\"x\" が x と y の両方"},
      {"x,y,z,x\n1,2,3,4\n", {}, 1, "列名 \"x\" が 2 つ以上"},
  };
  for (const Case& c : cases) {
    const Result<MeasuredData> data = ParseDataTable(c.text, c.choice);
    ASSERT_FALSE(data) << c.text;
    EXPECT_EQ(data.failure().line, c.line) << c.text;
    EXPECT_NE(data.failure().message.find(c.says), std::string::npos) << data.failure().message;
  }
  EXPECT_FALSE(ParseColumnChoice("height=H"));
  EXPECT_FALSE(ParseColumnChoice("z="));
  EXPECT_FALSE(ParseColumnChoice(""));
  const Result<ColumnChoice> twice = ParseColumnChoice("z=a,z=b");
  ASSERT_FALSE(twice);
  EXPECT_NE(twice.failure().message.find("z が 2 回"), std::string::npos);
  const Result<ColumnChoice> choice = ParseColumnChoice("x=E,l=Code,dip=傾斜");
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->name[int(DataColumn::X)], "E");
  EXPECT_EQ(choice->name[int(DataColumn::Code)], "Code");
  EXPECT_EQ(choice->name[int(DataColumn::Dip)], "傾斜");
}

TEST(DataTable, TellsAHeaderOfNamesFromARecord) {
  EXPECT_TRUE(NamesPositionColumns("id,x,y,z"));
  EXPECT_TRUE(NamesPositionColumns("地点\tx座標\ty座標\t標高"));
  EXPECT_FALSE(NamesPositionColumns("a,1,2,3"));
  EXPECT_FALSE(NamesPositionColumns("id,east,z"));
}

}  // namespace
}  // namespace kessadon
