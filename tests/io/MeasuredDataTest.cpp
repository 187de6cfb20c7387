#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "io/MeasuredData.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

using testing::TempFolder;

MeasuredData MustParse(std::string_view text, int dataType) {
  Result<MeasuredData> data = ParseMeasuredText(text, dataType);
  if (!data) ADD_FAILURE() << Describe(data.failure());
  return data ? std::move(*data) : MeasuredData{};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string Layout1Lines(int lines) {
  std::string text;
  for (int k = 1; k <= lines; ++k) {
    text += 'p';
    text += std::to_string(k);
    for (int value : {k, 10 * k, 100 * k}) {
      text += ',';
      text += std::to_string(value);
    }
    text += '\n';
  }
  return text;
}

std::string Sample(const std::string& name) {
  return std::string(KESSADON_SOURCE_DIR) + "/data/samples/" + name;
}

TEST(MeasuredDataFile, FinalLineOfLayoutsOneToThreeIsNotARecord) {
  MeasuredData data = MustParse(Layout1Lines(10), 1);
  ASSERT_EQ(data.Ndata(), 9);
  EXPECT_EQ(data.DataId[8], "p9");
  EXPECT_EQ(data.DataX[8], 9);
  EXPECT_EQ(data.DataY[8], 90);
  EXPECT_EQ(data.DataZ[8], 900);
  EXPECT_EQ(data.DataL[8], 0);
  EXPECT_EQ(data.DataTrend[8], NoValue);
  EXPECT_EQ(data.DataDip[8], NoValue);

  // A last line without a line break counts; CR LF and lone CR end lines too.
  std::string unterminated = Layout1Lines(10);
  unterminated.pop_back();
  EXPECT_EQ(MustParse(unterminated, 1).Ndata(), 9);
  EXPECT_EQ(MustParse("a,1,2,3\r\nb,4,5,6\r\nend,0,0,0\r\n", 1).Ndata(), 2);
  EXPECT_EQ(MustParse("a,1,2,3\rb,4,5,6\rend,0,0,0", 1).Ndata(), 2);
  // A file of one line holds only the final line.
  EXPECT_EQ(MustParse("end,0,0,0\n", 1).Ndata(), 0);
  // Blank lines after the final line are not lines of the file.
  EXPECT_EQ(MustParse("a,1,2,3\nb,4,5,6\nend,0,0,0 \n\n \t\r\n\n", 1).Ndata(), 2);
  EXPECT_EQ(MustParse("a,1,2,3\r\nb,4,5,6\r\n\r\n\x1a", 1).Ndata(), 1);
  EXPECT_EQ(
      MustParse("h,1,1,1,0\nsep,9e9,9e9,9e9,0\nd,2,2,2,90,30\nend,0,0,0,0,0\n\n\n", 4).Ndata(), 2);

  MeasuredData two = MustParse("a,1,2,3,-1\nb,4,5,6,1.5\nc,7,8,9,2.5\nend,0,0,0,0\n", 2);
  ASSERT_EQ(two.Ndata(), 3);
  EXPECT_EQ(two.DataL[0], -1);
  EXPECT_EQ(two.DataL[1], 2);  // ties go to the even integer
  EXPECT_EQ(two.DataL[2], 2);
  EXPECT_EQ(two.DataTrend[2], NoValue);

  MeasuredData three = MustParse("a 1 2 3 0 45 30\nend 0 0 0 0 0 0", 3);
  ASSERT_EQ(three.Ndata(), 1);
  EXPECT_EQ(three.DataTrend[0], 45);
  EXPECT_EQ(three.DataDip[0], 30);
}

TEST(MeasuredDataFile, LayoutFourSectionsAroundTheSeparator) {
  const std::string heights = "h1,1,1,10,0\nh2,2,2,20,1\nh3,3,3,30,-1\nsep,9e9,9e9,9e9,0\n";
  const std::string dips = "d1,4,4,40,90,30\nd2,5,5,9e9,180,20\n";

  MeasuredData seven = MustParse(heights + dips + "end,0,0,0,0,0\n", 4);
  ASSERT_EQ(seven.Ndata(), 5);
  EXPECT_EQ(seven.DataL[0], 0);
  EXPECT_EQ(seven.DataL[1], 1);
  EXPECT_EQ(seven.DataL[2], -1);
  EXPECT_EQ(seven.DataTrend[2], NoValue);
  EXPECT_EQ(seven.DataId[3], "d1");  // the first dip record takes the separator's place
  EXPECT_EQ(seven.DataX[3], 4);
  EXPECT_EQ(seven.DataL[3], 9);
  EXPECT_EQ(seven.DataTrend[3], 90);
  EXPECT_EQ(seven.DataDip[3], 30);
  EXPECT_EQ(seven.DataL[4], 9);
  EXPECT_EQ(seven.DataZ[4], NoValue);
  PreparedData prepared = PrepareMeasuredData(seven);
  EXPECT_EQ(prepared.Nh(), 3);
  EXPECT_EQ(prepared.Nd(), 2);

  // Without the final line the second dip line is read but not counted.
  MeasuredData six = MustParse(heights + dips, 4);
  ASSERT_EQ(six.Ndata(), 4);
  EXPECT_EQ(six.DataId[3], "d1");

  // The separator needs all of x, y and z at 9e9.
  Result<MeasuredData> notSeparated =
      ParseMeasuredText("h1,1,1,10,0\nsep,9e9,9e9,0,0\nd1,4,4,40,90,30\nend,0,0,0,0,0\n", 4);
  ASSERT_FALSE(notSeparated);
  EXPECT_TRUE(Contains(notSeparated.failure().message, "区切り")) << notSeparated.failure().message;
  EXPECT_EQ(notSeparated.failure().line, 4);

  // Records that run over two lines each: the slots they leave empty are not counted.
  MeasuredData wrapped =
      MustParse("h1 1 1\n10 0\nsep 9e9 9e9 9e9 0\nd1 4 4\n40 90 30\nend 0 0\n0 0 0\n", 4);
  ASSERT_EQ(wrapped.Ndata(), 2);
  EXPECT_EQ(wrapped.DataZ[0], 10);
  EXPECT_EQ(wrapped.DataDip[1], 30);
}

TEST(MeasuredDataFile, GridFileAsOneRecordPerNode) {
  MeasuredData data = MustParse("3 2 100 200 10 20\n1 2 3 4 5 6\n", 5);
  ASSERT_EQ(data.Ndata(), 6);
  // The x index outermost, as in the grid file.
  EXPECT_EQ(data.DataX[0], 100);
  EXPECT_EQ(data.DataY[0], 200);
  EXPECT_EQ(data.DataX[1], 100);
  EXPECT_EQ(data.DataY[1], 220);
  EXPECT_EQ(data.DataZ[1], 2);
  EXPECT_EQ(data.DataX[5], 120);
  EXPECT_EQ(data.DataY[5], 220);
  EXPECT_EQ(data.DataZ[5], 6);
  EXPECT_EQ(data.DataL[5], 0);
  EXPECT_EQ(data.DataTrend[5], NoValue);
  EXPECT_EQ(data.DataId[5], "");
  // Any value outside 1 ... 4 reads a grid file.
  EXPECT_EQ(MustParse("1 1 0 0 1 1 7", 0), MustParse("1 1 0 0 1 1 7", 5));

  Result<MeasuredData> hill = LoadMeasuredData(Sample("hill.grd"), 5);
  ASSERT_TRUE(hill) << Describe(hill.failure());
  EXPECT_EQ(hill->Ndata(), 41 * 31);
  EXPECT_EQ(hill->DataX.back(), 1000);
  EXPECT_EQ(hill->DataY.back(), 750);

  Result<MeasuredData> huge = ParseMeasuredText("100000 100000 0 0 1 1\n1 2 3", 5);
  ASSERT_FALSE(huge);
  EXPECT_TRUE(Contains(huge.failure().message, "上限")) << huge.failure().message;
  // Within the limit, a text too short for its heights is noticed before allocating.
  Result<MeasuredData> shortText = ParseMeasuredText("7000 7000 0 0 1 1\n1 2", 5);
  ASSERT_FALSE(shortText);
  EXPECT_TRUE(Contains(shortText.failure().message, "49000000 個のうち 2 個まで"))
      << shortText.failure().message;
}

TEST(MeasuredDataFile, HeaderRowIsSkippedAndSaidSo) {
  MeasuredData data = MustParse("id,x,y,z\r\na,1,2,3\nb,4,5,6\nc,7,8,9\n", 1);
  ASSERT_EQ(data.Ndata(), 2);
  EXPECT_EQ(data.DataX[0], 1);
  EXPECT_EQ(data.LastFile, (MeasuredFileSummary{2, 2, 0, true, "c,7,8,9"}));
  MeasuredData four =
      MustParse("番号 Ｘ Ｙ 標高 l\nh 1 1 1 0\ns 9e9 9e9 9e9 0\nd 2 2 9e9 90 30\ne 0 0 0 0 0\n", 4);
  EXPECT_EQ(four.LastFile, (MeasuredFileSummary{2, 1, 1, true, "e 0 0 0 0 0"}));
  EXPECT_EQ(MustParse("1 2 0 0 1 1\n5 9e9", 5).LastFile, (MeasuredFileSummary{2, 1, 0, false, {}}));

  // Records as before: a number or an empty field in x, y, z, or a file of one line.
  for (const char* text : {"a,x,y,1\nend,0,0,0", "a,x,,z\nend,0,0,0", "id,x,y,z"}) {
    EXPECT_FALSE(MustParse(text, 1).LastFile.headerSkipped) << text;
  }
  // Failures after a header name the line in the file.
  EXPECT_EQ(ParseMeasuredText("id,x,y,z\na,1,2,3\nb,4,5\n", 1).failure().line, 3);
}

// Lines that all hold another count of values than the layout's record are
// read on as before and said to misfit, with the count they hold.
TEST(MeasuredDataFile, LinesThatAllMisfitTheLayoutAreCounted) {
  const struct {
    const char* text;
    int layout;
    std::int32_t misfit;
  } cases[] = {
      {"a,1,2,3,0,90,30\nb,4,5,6,0,90,30\nc,7,8,9,0,90,30\nend,0,0,0,0,0,0\n", 1, 7},
      {"a,1,2,3,0,90,30\nb,4,5,6,0,90,30\nend,0,0,0,0,0,0\n", 3, 0},
      {"a 1 2 3 0\nb 4 5 6 1\nc 7 8 9 -1\nend 0 0 0\n", 1, 5},
      {"a,1,2,3,0\nb,4,5,6,0,1,1\nc,7,8,9,9,9\nend,0,0,0\n", 1, -1},
      {"a,1,2,3\nb,4,5,6,0,1,1\nend,0,0,0\n", 1, 0},  // one line fits
      {"h 1 1 1 0\ns 9e9 9e9 9e9 0\nd 2 2 9e9 90 30\ne 0 0 0 0 0\n", 4, 0},
      {"id,x,y,z\na,1,2,3,0\nb,4,5,6,0\nend,0,0,0\n", 1, 5},  // after a header row
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MustParse(c.text, c.layout).LastFile.misfitFields, c.misfit) << c.text;
  }
}

TEST(MeasuredDataFile, IdsKeepTheirBytes) {
  const std::string sjis = "\x95\x5c\x82\x50";  // "表１" in Shift_JIS, a backslash as trail byte
  const std::string text =
      "\"a, b\",1,2,3\n\"" + sjis + "\",4,5,6\n露頭,7,8,9\n12.5,1,1,1\nend,0,0,0\n";
  MeasuredData data = MustParse(text, 1);
  ASSERT_EQ(data.Ndata(), 4);
  EXPECT_EQ(data.DataId[0], "a, b");
  EXPECT_EQ(data.DataId[1], sjis);
  EXPECT_EQ(data.DataX[1], 4);
  EXPECT_EQ(data.DataId[2], "露頭");
  EXPECT_EQ(data.DataId[3], "12.5");
}

TEST(MeasuredDataFile, BadInputFailsWithLineAndReason) {
  struct Case {
    const char* text;
    int dataType;
    const char* mention;
    int line;
  };
  for (const Case& c : {
           Case{"a,1,2,3\nb,4,5\n", 1, "途中で終わっています（レコード 2 の z", 2},
           Case{"a,1,2,3,0\nb,4,5,6,32768\nend,0,0,0,0", 2,
                "l が -32768～32767 の範囲外です（32768）", 2},
           Case{"a,1,2,3,-32769\nend,0,0,0,0", 2, "範囲外", 1},
           Case{"a,1,2,3,0,10\n", 3, "レコード 1 の dip", 1},
           Case{"a,1,1e999,3\nend,0,0,0", 1, "y の値が大きすぎます", 1},
           Case{"a,1,2,3,0,45,-1e101\nend,0,0,0,0,0,0", 3, "dip の値が大きすぎます", 1},
           Case{"2 1 0 0 1e300 1\n1 2\n", 5, "Dx の値が大きすぎます", 1},
           Case{"", 1, "空です", 0},
           Case{"\n \n", 2, "空です", 0},
           Case{"h1,1,1,10,0\nh2,2,2,20,0\nd1,4,4,40,90,30\n", 4, "区切り", 3},
           Case{"h1,1,1,10,0\nsep,9e9,9e9,9e9,0\nd1,4,4,40,90\n", 4, "レコード 3 の dip", 3},
           Case{"h1,1,1,10,0 h2,2,2,20,0 h3,3,3,30,0\nsep,9e9,9e9,9e9,0\n", 4, "区切り", 1},
           Case{"2 2 0 0 1 1\n1 2 3\n", 5, "途中で終わっています", 2},
       }) {
    Result<MeasuredData> data = ParseMeasuredText(c.text, c.dataType);
    ASSERT_FALSE(data) << c.text;
    EXPECT_TRUE(Contains(data.failure().message, c.mention))
        << c.text << ": " << data.failure().message;
    if (c.line > 0) {
      EXPECT_EQ(data.failure().line, c.line) << c.text;
    }
  }
}

TEST(MeasuredDataFile, AppendKeepsOrderAndMixesLayouts) {
  TempFolder folder;
  const std::string first = folder / "first.txt";
  std::ofstream(first) << "a,1,2,3\nb,4,5,6\nend,0,0,0\n";
  Result<MeasuredData> loaded = LoadMeasuredData(first, 1);
  ASSERT_TRUE(loaded) << Describe(loaded.failure());
  MeasuredData data = std::move(*loaded);

  const std::string grid = folder / "grid.grd";
  std::ofstream(grid) << "2 1 10 20 5 5\n7 8\n";
  ASSERT_TRUE(AppendMeasuredData(data, grid, 5));
  ASSERT_EQ(data.Ndata(), 4);
  EXPECT_EQ(data.DataId[1], "b");
  EXPECT_EQ(data.DataX[2], 10);
  EXPECT_EQ(data.DataZ[3], 8);
  EXPECT_EQ(data.DataX[3], 15);

  ASSERT_TRUE(AppendMeasuredText(data, "h,1,1,1,1\nsep,9e9,9e9,9e9,0\nd,2,2,2,0,5\nend,0,0,0,0,0\n",
                                 4, "four.txt"));
  ASSERT_EQ(data.Ndata(), 6);
  EXPECT_EQ(data.DataL[4], 1);
  EXPECT_EQ(data.DataL[5], 9);
  EXPECT_EQ(data.DataFileName, (std::vector<std::string>{first, grid, "four.txt"}));
  EXPECT_EQ(data.LastFile, (MeasuredFileSummary{2, 1, 1, false, "end,0,0,0,0,0"}));

  // A layout-4 file appended after a record that looks like a separator still
  // reads its first section as heights.
  MeasuredData odd = MustParse("s,9e9,9e9,9e9\nend,0,0,0\n", 1);
  ASSERT_TRUE(AppendMeasuredText(odd, "h,1,1,1,0\nsep,9e9,9e9,9e9,0\nend,0,0,0,0,0\n", 4, "x"));
  ASSERT_EQ(odd.Ndata(), 2);
  EXPECT_EQ(odd.DataX[0], NoValue);
  EXPECT_EQ(odd.DataX[1], 1);
  EXPECT_EQ(odd.DataL[1], 0);
}

TEST(MeasuredDataFile, RefusedAppendChangesNothing) {
  MeasuredData data = MustParse("a,1,2,3\nend,0,0,0\n", 1);
  data.DataFileName = {"new.txt"};
  for (int k = 2; k <= kMaxDataFiles; ++k) {
    ASSERT_TRUE(AppendMeasuredText(data, "b,4,5,6\nend,0,0,0\n", 1, "add" + std::to_string(k)));
  }
  ASSERT_EQ(data.Ndata(), kMaxDataFiles);
  const MeasuredData before = data;

  Status twentyFirst = AppendMeasuredText(data, "c,7,8,9\nend,0,0,0\n", 1, "more");
  ASSERT_FALSE(twentyFirst);
  EXPECT_TRUE(Contains(twentyFirst.failure().message, "19 個まで"));
  EXPECT_EQ(data, before);
  Status fromDisk = AppendMeasuredData(data, "/nonexistent/also-refused.txt", 1);
  ASSERT_FALSE(fromDisk);
  EXPECT_TRUE(Contains(fromDisk.failure().message, "19 個まで"));

  MeasuredData few = MustParse("a,1,2,3\nend,0,0,0\n", 1);
  const MeasuredData fewBefore = few;
  for (const char* bad : {"b,4,5,6,1\nc,7,8\n", "b,4,5,6,99999\nend,0,0,0,0\n"}) {
    EXPECT_FALSE(AppendMeasuredText(few, bad, 2, "bad"));
    EXPECT_EQ(few, fewBefore);
  }
  EXPECT_FALSE(AppendMeasuredData(few, "/nonexistent/file.txt", 1));
  EXPECT_EQ(few, fewBefore);
}

TEST(PrepareMeasuredData, ClassifiesRecords) {
  MeasuredData data = MustParse(
      "height,1,2,3,0,9e9,9e9\n"
      "both,4,5,6,-1,90,45\n"
      "noheight,7,8,9e9,0,0,30\n"
      "code9,10,11,12,9,180,10\n"
      "farx,9e8,13,14,1,20,20\n"
      "high,-2,-3,8.9e9,0,9e9,9e9\n"
      "fary,1,9e9,5,0,9e9,9e9\n"  // only x decides whether a record is placed
      "end,0,0,0,0,0,0\n",
      3);
  ASSERT_EQ(data.Ndata(), 7);
  PreparedData p = PrepareMeasuredData(data);
  EXPECT_EQ(p.XH, (std::vector<double>{1, 4, -2, 1}));
  EXPECT_EQ(p.ZH, (std::vector<double>{3, 6, 8.9e9, 5}));
  EXPECT_EQ(p.LH, (std::vector<std::int16_t>{0, -1, 0, 0}));
  EXPECT_EQ(p.XD, (std::vector<double>{4, 7, 10}));
  EXPECT_EQ(p.ZD, (std::vector<double>{6, 9e9, 12}));
  EXPECT_EQ(p.TrendD, (std::vector<double>{90, 0, 180}));
  EXPECT_EQ(p.DipD, (std::vector<double>{45, 30, 10}));
  EXPECT_TRUE(p.HasDipData);
  EXPECT_TRUE(p.HasBoundData);
  EXPECT_EQ(p.XminH, -2);
  EXPECT_EQ(p.XmaxH, 10);
  EXPECT_EQ(p.YminH, -3);
  EXPECT_EQ(p.YmaxH, 9e9);
  EXPECT_EQ(p.ZminH, 3);
  EXPECT_EQ(p.ZmaxH, 8.9e9);

  // A bound on a record that is no datum still marks the data as bounded.
  PreparedData onlyFar = PrepareMeasuredData(MustParse("f,9e8,0,1,1\nend,0,0,0,0\n", 2));
  EXPECT_EQ(onlyFar.Nh(), 0);
  EXPECT_TRUE(onlyFar.HasBoundData);
  EXPECT_FALSE(PrepareMeasuredData(MustParse("f,1,0,1,2\nend,0,0,0,0\n", 2)).HasBoundData);
}

TEST(PrepareMeasuredData, TargetSlopesUseTheProgramsDegree) {
  MeasuredData data = MustParse("n,0,0,9e9,0,0,30\ne,1,1,9e9,0,90,45\nend,0,0,0,0,0,0\n", 3);
  PreparedData p = PrepareMeasuredData(data);
  ASSERT_EQ(p.Nd(), 2);
  EXPECT_EQ(p.GxD[0], 0);
  EXPECT_DOUBLE_EQ(p.GyD[0], -0.5773502691896251);
  // 3.14159265358979/180 is a little below pi/180: not -1 and 0.
  EXPECT_DOUBLE_EQ(p.GxD[1], -0.9999999999999983);
  EXPECT_NE(p.GxD[1], -1.0);
  EXPECT_LT(p.GyD[1], -1e-15);
  EXPECT_GT(p.GyD[1], -2e-15);

  // With dip data only the height range stays empty.
  EXPECT_EQ(p.Nh(), 0);
  EXPECT_EQ(p.ZminH, 1e10);
  EXPECT_EQ(p.ZmaxH, -1e10);
  EXPECT_EQ(p.XminH, 0);
  EXPECT_EQ(p.XmaxH, 1);
  EXPECT_EQ(p.YmaxH, 1);
}

TEST(MeasuredDataSamples, EveryLayoutLoads) {
  struct Case {
    const char* name;
    int dataType;
    int hasDip, hasBound;
  };
  for (const Case& c : {Case{"hill_points.txt", 1, 0, 0}, Case{"bounds.txt", 2, 0, 1},
                        Case{"fold_dips.txt", 3, 1, 0}, Case{"fold_sections.txt", 4, 1, 0},
                        Case{"hill.grd", 5, 0, 0}}) {
    Result<MeasuredData> data = LoadMeasuredData(Sample(c.name), c.dataType);
    ASSERT_TRUE(data) << c.name << ": " << Describe(data.failure());
    PreparedData p = PrepareMeasuredData(*data);
    EXPECT_GT(p.Nh(), 10) << c.name;
    EXPECT_EQ(p.HasDipData, c.hasDip) << c.name;
    EXPECT_EQ(p.HasBoundData, c.hasBound) << c.name;
    EXPECT_LE(data->Ndata(), 1271) << c.name;
  }
}

}  // namespace
}  // namespace kessadon
