// Measured data from tables with a header row.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

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

// The bytes of UTF-16 text with its mark, as a spreadsheet saves "Unicode text".
std::string Utf16(std::u16string_view text, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : text) {
    const auto low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += little ? low : high;
    bytes += little ? high : low;
  }
  return bytes;
}

TEST(DataTable, ReadsUnicodeTextFullWidthNamesAndQuotedLineBreaksAlike) {
  const std::u16string unicode = u"地点\tx\ty\t標高\r\n\"a\"\t10\t20\t5.5\r\nb\t11\t21\t7\r\n";
  struct Case {
    const char* what;
    std::string text;
    ColumnChoice choice;
  };
  const Case cases[] = {
      {"UTF-8, half-width names", "地点,x,y,標高\na,10,20,5.5\nb,11,21,7\n", {}},
      {"UTF-16, little-endian", Utf16(unicode, true), {}},
      {"UTF-16, big-endian", Utf16(unicode, false), {}},
      {"full-width names", "地点,Ｘ　,　ｙ,ｚ\na,10,20,5.5\nb,11,21,7\n", {}},
      {"full-width choice", "地点,ＥＡＳＴ,n,h\na,10,20,5.5\nb,11,21,7\n",
       *ParseColumnChoice("x=East,y=Ｎ,z=ｈ")},
      {"a note of two lines",
       "地点,x,y,標高,備考\na,10,20,5.5,\"one\r\n\"\"two\"\"\"\nb,11,21,7,\"\"\n",
       {}},
  };
  for (const Case& c : cases) {
    const Result<MeasuredData> data = ParseDataTable(c.text, c.choice);
    ASSERT_TRUE(data) << c.what << ": " << Describe(data.failure());
    ExpectRecords(*data, {{10, 20, 5.5, 0, NoValue, NoValue}, {11, 21, 7, 0, NoValue, NoValue}},
                  c.what);
    EXPECT_EQ(data->DataId, (std::vector<std::string>{"a", "b"})) << c.what;
  }
  // The line break is the cell's own.
  const Result<MeasuredData> named = ParseDataTable("id,x,y,z\n\"a\r\nb\",1,2,3\n", {});
  ASSERT_TRUE(named);
  EXPECT_EQ(named->DataId, (std::vector<std::string>{"a\nb"}));
}

TEST(DataTable, RefusesWhatItCannotPlace) {
  const ColumnChoice absent = *ParseColumnChoice("z=elev");
  std::string manyCells;
  for (int k = 0; k <= 10000; ++k) manyCells += "a,";
  struct Case {
    std::string text;
    ColumnChoice choice;
    int line;
    std::string says;
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
      {"ｘ,ｙ,ｚ,Ｘ\n1,2,3,4\n", {}, 1, "列名 \"ｘ\" が 2 つ以上"},
      // A cell quoted in a message: control characters shown, and cut short.
      {"x,y,z\n1,2,\x1B[2J\t\x7F\xC2\x9B" + std::string(100, '9') + "\n",
       {},
       2,
       "\"\\x1B[2J\\t\\x7F\\u009B99"},
      {"x,y,z\n1,2," + std::string(58, '9') + "標高\n", {}, 2, "\"" + std::string(58, '9') + "…\""},
      {"x,y,z\x01" + std::string(70, 'q') + "\n1,2,3\n", *ParseColumnChoice("z=h"), 1,
       "z\\x01" + std::string(55, 'q') + "…）"},
      // Lines of more cells than any table has, refused before they take room.
      {manyCells + "x,y,z\n1,2,3\n", {}, 1, "見出しの行の列が多すぎます（上限 10000 列）"},
      {"x,y,z\n1,2,3\n\n1,2," + manyCells + "\n", {}, 4, "列が多すぎます（上限 10000 列）"},
      // A quoted line break is the cell's; later records keep their lines.
      {"x,y,z\n1,2,\"3\r\n4\"\n", {}, 2, "\"3\\n4\"：数値ではありません"},
      {"id,x,y,z\r\n\"a\r\n\r\nb\",1,2,3\r\nc,1,2,?\r\n", {}, 5, "\"?\""},
      {std::string("\xFF\xFEx\0,\0y\0,\0z", 11), {}, 0, "UTF-16 として読めない"},
      {std::string("x\0,\0y\0,\0z\0\n\0", 12), {}, 1, "BOM のない UTF-16"},
  };
  for (const Case& c : cases) {
    const Result<MeasuredData> data = ParseDataTable(c.text, c.choice);
    ASSERT_FALSE(data) << c.says;
    EXPECT_EQ(data.failure().line, c.line) << c.says;
    const std::string& message = data.failure().message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_LT(message.size(), 400u) << c.says;
    EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](char b) {
      return b >= 0 && b < 0x20;
    })) << message;
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
  EXPECT_TRUE(NamesPositionColumns("ｉｄ,Ｘ,Ｙ,Ｚ"));
  EXPECT_FALSE(NamesPositionColumns("a,1,2,3"));
  EXPECT_FALSE(NamesPositionColumns("id,east,z"));
}

}  // namespace
}  // namespace kessadon
