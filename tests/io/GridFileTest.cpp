#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "TempFolder.h"
#include "io/GridFile.h"
#include "io/ListInput.h"
#include "io/NumberText.h"
#include "io/TextFile.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

using testing::TempFolder;

GridData MustParse(std::string_view text) {
  Result<GridData> grid = ParseGridText(text);
  if (!grid) ADD_FAILURE() << Describe(grid.failure());
  return grid ? std::move(*grid) : GridData{};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(GridFile, WorkedExample) {
  GridData grid = MustParse("3 2 100 200 10 20\n1 2 3 4 5 6\n");
  ASSERT_EQ(grid.Nx, 3);
  ASSERT_EQ(grid.Ny, 2);
  EXPECT_EQ(grid.Xmin, 100);
  EXPECT_EQ(grid.Ymin, 200);
  EXPECT_EQ(grid.Dx, 10);
  EXPECT_EQ(grid.Dy, 20);
  EXPECT_EQ(grid.Z.UpperI(), 3);
  EXPECT_EQ(grid.Z.UpperJ(), 2);
  EXPECT_EQ(grid.Z(1, 1), 1);
  EXPECT_EQ(grid.Z(1, 2), 2);
  EXPECT_EQ(grid.Z(2, 1), 3);
  EXPECT_EQ(grid.Z(2, 2), 4);
  EXPECT_EQ(grid.Z(3, 1), 5);
  EXPECT_EQ(grid.Z(3, 2), 6);

  KeepOriginalGrid(grid);
  UpdateGridGeometry(grid);
  EXPECT_EQ(grid.Xmax, 120);
  EXPECT_EQ(grid.Ymax, 220);
  EXPECT_EQ(grid.Zmin, 1);
  EXPECT_EQ(grid.Zmax, 6);
  EXPECT_EQ(grid.Xcen, 110);
  EXPECT_EQ(grid.Ycen, 210);
  EXPECT_EQ(grid.Zcen, 3.5);
  EXPECT_EQ(DefaultZbase(grid.Zmin), 0);
  EXPECT_DOUBLE_EQ(grid.Zeps, 5e-6);
  ASSERT_EQ(grid.GridX.size(), 5u);
  ASSERT_EQ(grid.GridY.size(), 4u);
  EXPECT_EQ(grid.GridX[1], 100);
  EXPECT_EQ(grid.GridX[2], 110);
  EXPECT_EQ(grid.GridX[3], 120);
  EXPECT_EQ(grid.GridY[1], 200);
  EXPECT_EQ(grid.GridY[2], 220);

  EXPECT_EQ(FormatGridText(grid), "3 2 100 200 10 20\n1 2\n3 4\n5 6\n");
}

TEST(GridFile, AnyListSeparatorsAndLayout) {
  const GridData reference = MustParse("3 2 100 200 10 20\n1 2 3 4 5 6\n");
  for (const char* text : {"3,2,100,200,10,20,1,2,3,4,5,6",
                           "3\r\n2\r\n100\r\n200\r\n10\r\n20\r\n1 2\r\n3 4\r\n5 6\r\n",
                           "  3 ,\t2 , 100 200\r10 20 1\r2 3 4 5\r6",
                           "3 2 100 200 10 20 1 2 3 4 5 6 7 8 9 extra \"text\""}) {
    GridData grid = MustParse(text);
    EXPECT_EQ(grid.Nx, reference.Nx) << text;
    EXPECT_EQ(grid.Xmin, reference.Xmin) << text;
    EXPECT_EQ(grid.Dy, reference.Dy) << text;
    EXPECT_EQ(grid.Z, reference.Z) << text;
  }
}

TEST(GridFile, FieldsWithoutANumberReadAsZero) {
  GridData grid = MustParse("2 2 0 0 1 1\nabc 5\n,7");
  EXPECT_EQ(grid.Z(1, 1), 0);
  EXPECT_EQ(grid.Z(1, 2), 5);
  EXPECT_EQ(grid.Z(2, 1), 0);
  EXPECT_EQ(grid.Z(2, 2), 7);

  // A blank line is an empty field too.
  GridData blank = MustParse("1 3 0 0 1 1\n4\n\n6\n");
  EXPECT_EQ(blank.Z(1, 1), 4);
  EXPECT_EQ(blank.Z(1, 2), 0);
  EXPECT_EQ(blank.Z(1, 3), 6);
}

TEST(GridFile, NodeCountsRoundTiesToEven) {
  GridData grid = MustParse("2.5 3.5 0 0 1 1\n1 2 3 4 5 6 7 8");
  EXPECT_EQ(grid.Nx, 2);
  EXPECT_EQ(grid.Ny, 4);
  EXPECT_EQ(grid.Z(2, 4), 8);
}

TEST(GridFile, RejectsNodeCountsOutOfRange) {
  struct Case {
    const char* text;
    const char* mention;
    int line;
  };
  for (const Case& c :
       {Case{"0 2 0 0 1 1\n1 2", "Nx が 1 未満", 1}, Case{"0.4 2 0 0 1 1\n1 2", "Nx が 1 未満", 1},
        Case{"2\n-3 0 0 1 1\n1 2", "Ny が 1 未満です（-3）", 2},
        Case{"1e12 1 0 0 1 1\n1", "Nx が整数の範囲を超えています（1000000000000）", 1},
        Case{"1 2147483647.5 0 0 1 1\n1", "Ny が整数の範囲", 1},
        Case{"1e999 1 0 0 1 1\n1", "Nx の値が大きすぎます", 1},
        Case{"1 1 0 0 -1e400 1\n1", "Dx", 1}}) {
    Result<GridData> grid = ParseGridText(c.text);
    ASSERT_FALSE(grid) << c.text;
    EXPECT_TRUE(Contains(grid.failure().message, c.mention)) << grid.failure().message;
    EXPECT_EQ(grid.failure().line, c.line) << c.text;
  }
}

TEST(GridFile, RejectsTooManyNodesBeforeAllocating) {
  Result<GridData> huge = ParseGridText("100000 100000 0 0 1 1\n1 2 3");
  ASSERT_FALSE(huge);
  EXPECT_TRUE(Contains(huge.failure().message, "10000000000"));
  EXPECT_TRUE(Contains(huge.failure().message, "50000000"));

  // The 32-bit product would wrap to a small positive count.
  Result<GridData> wrapping = ParseGridText("65536 65537 0 0 1 1\n1");
  ASSERT_FALSE(wrapping);
  EXPECT_TRUE(Contains(wrapping.failure().message, "4295032832"));

  Result<GridData> justOver = ParseGridText("7072 7071 0 0 1 1\n1");
  ASSERT_FALSE(justOver);
  EXPECT_TRUE(Contains(justOver.failure().message, "50006112"));

  // Within the limit, the short text is noticed without allocating 50 million nodes.
  Result<GridData> justUnder = ParseGridText("7071 7071 0 0 1 1\n1 2");
  ASSERT_FALSE(justUnder);
  EXPECT_TRUE(Contains(justUnder.failure().message, "49999041 個のうち 2 個まで"))
      << justUnder.failure().message;
}

TEST(GridFile, EarlyEndSaysHowFarItGot) {
  Result<GridData> fewBytes = ParseGridText("1000 1000 0 0 1 1\n1 2\n3\n");
  ASSERT_FALSE(fewBytes);
  EXPECT_TRUE(Contains(fewBytes.failure().message, "1000000 個のうち 3 個まで"))
      << fewBytes.failure().message;
  EXPECT_EQ(fewBytes.failure().line, 3);

  // Enough bytes for the count, but blanks rather than fields.
  Result<GridData> fewFields = ParseGridText("3 2 100 200 10 20\n1 2 3\r\n4            ");
  ASSERT_FALSE(fewFields);
  EXPECT_TRUE(Contains(fewFields.failure().message, "6 個のうち 4 個まで"))
      << fewFields.failure().message;
  EXPECT_EQ(fewFields.failure().line, 3);
  EXPECT_EQ(Describe(fewFields.failure()), "3 行目：" + fewFields.failure().message);

  Result<GridData> noHeights = ParseGridText("3 2 100 200 10 20\n");
  ASSERT_FALSE(noHeights);
  EXPECT_TRUE(Contains(noHeights.failure().message, "6 個のうち 0 個まで"));
  EXPECT_EQ(noHeights.failure().line, 1);
}

TEST(GridFile, EarlyEndInTheHeader) {
  Result<GridData> partial = ParseGridText("3 2\n100");
  ASSERT_FALSE(partial);
  EXPECT_TRUE(Contains(partial.failure().message, "ヘッダー"));
  EXPECT_TRUE(Contains(partial.failure().message, "3 個まで"));
  EXPECT_EQ(partial.failure().line, 2);

  Result<GridData> empty = ParseGridText("");
  ASSERT_FALSE(empty);
  EXPECT_EQ(empty.failure().line, 0);
  EXPECT_EQ(Describe(empty.failure()), empty.failure().message);
}

TEST(GridFile, HeightBeyondTheBound) {
  Result<GridData> grid = ParseGridText("2 2 0 0 1 1\n1 2\n3 -4e101\n");
  ASSERT_FALSE(grid);
  EXPECT_EQ(grid.failure().message, "高さ Z(2, 2) の値が大きすぎます（絶対値は 1E+100 まで）");
  EXPECT_EQ(grid.failure().line, 3);
  EXPECT_TRUE(ParseGridText("1 2 -1e100 0 1e100 1\n1e100 -1e100\n"));
}

TEST(GridFile, HeaderReaderLeavesTheRestForTheCaller) {
  ListReader reader("2 3 -1.5 2e3 0.5 0.25 first");
  Result<GridHeader> header = ReadGridHeader(reader);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->Nx, 2);
  EXPECT_EQ(header->Ny, 3);
  EXPECT_EQ(header->Xmin, -1.5);
  EXPECT_EQ(header->Ymin, 2000);
  EXPECT_EQ(header->Dx, 0.5);
  EXPECT_EQ(header->Dy, 0.25);
  EXPECT_EQ(reader.NextField(), "first");
}

TEST(GridGeometry, OneNode) {
  GridData grid = MustParse("1 1 -5 7 10 10\n42.5");
  UpdateGridGeometry(grid);
  EXPECT_EQ(grid.Xmax, grid.Xmin);
  EXPECT_EQ(grid.Ymax, grid.Ymin);
  EXPECT_EQ(grid.Zmin, 42.5);
  EXPECT_EQ(grid.Zmax, 42.5);
  EXPECT_EQ(grid.Xcen, -5);
  EXPECT_EQ(grid.Ycen, 7);
  EXPECT_EQ(grid.Zeps, 0);
}

TEST(GridGeometry, RangeCoversNodesOnlyAndNegativeSpacing) {
  // All heights above 0, so a scan that strayed into index 0 would find Zmin 0.
  GridData grid = MustParse("2 3 0 100 -10 -25\n7 9 8\n12 3 11\n");
  UpdateGridGeometry(grid);
  EXPECT_EQ(grid.Zmin, 3);
  EXPECT_EQ(grid.Zmax, 12);
  EXPECT_EQ(grid.Xmax, -10);
  EXPECT_EQ(grid.Ymax, 50);
  EXPECT_EQ(grid.Xcen, -5);
  EXPECT_EQ(grid.Ycen, 75);
  EXPECT_EQ(grid.GridY[3], 50);

  GridData below = MustParse("1 3 0 0 1 1\n-1 -7.5 -2");
  UpdateGridGeometry(below);
  EXPECT_EQ(below.Zmin, -7.5);
  EXPECT_EQ(below.Zmax, -1);
  EXPECT_EQ(below.Zcen, -4.25);
}

TEST(GridGeometry, DefaultBaseHeight) {
  EXPECT_EQ(DefaultZbase(-2.2), -3);
  EXPECT_EQ(DefaultZbase(10), 9);
  EXPECT_EQ(DefaultZbase(10.3), 9);
  EXPECT_EQ(DefaultZbase(10.5), 10);
  EXPECT_EQ(DefaultZbase(1), 0);
  EXPECT_EQ(DefaultZbase(0), -1);
}

TEST(GridGeometry, KeepOriginalGridCopiesCountsSpacingAndHeights) {
  GridData grid = MustParse("3 2 100 200 10 20\n1 2 3 4 5 6\n");
  KeepOriginalGrid(grid);
  EXPECT_EQ(grid.NxOrg, 3);
  EXPECT_EQ(grid.NyOrg, 2);
  EXPECT_EQ(grid.DxOrg, 10);
  EXPECT_EQ(grid.DyOrg, 20);
  EXPECT_EQ(grid.ZOrg, grid.Z);

  // A later change of the grid (as refinement makes) leaves the copy alone.
  grid.Z = NodeArray<double>(5, 3);
  grid.Z(5, 3) = 99;
  EXPECT_EQ(grid.ZOrg.UpperI(), 3);
  EXPECT_EQ(grid.ZOrg(3, 2), 6);
}

GridData RandomGrid(int nx, int ny, unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-12, 18);
  GridData grid = testing::MakeGrid(
      {.nx = nx,
       .ny = ny,
       .dx = 2.0 / 7,
       .dy = 1e-7 / 3,
       .xmin = -12345.678901234567,
       .ymin = 1.0 / 3},
      [&](int, int) { return mantissa(random) * std::pow(10.0, exponent(random)); });
  grid.Z(1, 1) = 0;
  grid.Z(nx, ny) = -0.0;
  return grid;
}

TEST(GridFile, WriteAndReadBackKeepsFifteenDigits) {
  TempFolder folder;
  const GridData original = RandomGrid(17, 13, 20240611);
  const std::string path = folder / "random.grd";
  ASSERT_TRUE(WriteGridFile(path, original));
  Result<GridData> back = ReadGridFile(path);
  ASSERT_TRUE(back) << Describe(back.failure());
  EXPECT_EQ(back->Nx, 17);
  EXPECT_EQ(back->Ny, 13);
  EXPECT_NEAR(back->Xmin, original.Xmin, 1e-10);
  EXPECT_NEAR(back->Dy, original.Dy, 1e-22);
  for (int i = 1; i <= 17; ++i) {
    for (int j = 1; j <= 13; ++j) {
      const double z = original.Z(i, j);
      EXPECT_NEAR(back->Z(i, j), z, std::fabs(z) * 5e-15) << i << "," << j;
      EXPECT_EQ(FormatGeneral(back->Z(i, j)), FormatGeneral(z));
    }
  }
  EXPECT_EQ(FormatGridText(*back), FormatGridText(original));
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(GridFile, WriteIntoAMissingFolderLeavesNothing) {
  TempFolder folder;
  const std::string path = folder / "no-such-folder/out.grd";
  Status status = WriteGridFile(path, RandomGrid(2, 2, 1));
  ASSERT_FALSE(status);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST(GridFile, WritingOverAFileReplacesItWhole) {
  TempFolder folder;
  const std::string path = folder / "grid.grd";
  ASSERT_TRUE(WriteGridFile(path, RandomGrid(30, 30, 2)));
  const GridData small = MustParse("1 2 5 6 1 1\n8 9\n");
  ASSERT_TRUE(WriteGridFile(path, small));
  EXPECT_EQ(ReadWholeFile(path).value(), FormatGridText(small));
  Result<GridData> back = ReadGridFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Z, small.Z);
}

TEST(GridFile, ReadingAMissingFileFails) {
  TempFolder folder;
  Result<GridData> grid = ReadGridFile(folder / "absent.grd");
  ASSERT_FALSE(grid);
  EXPECT_TRUE(Contains(grid.failure().message, "ファイルを開けません"));
}

std::string Sample(const char* name) {
  return std::string(KESSADON_SOURCE_DIR) + "/data/samples/" + name;
}

TEST(Samples, AllParse) {
  Result<GridData> hill = ReadGridFile(Sample("hill.grd"));
  ASSERT_TRUE(hill) << Describe(hill.failure());
  EXPECT_EQ(hill->Nx, 41);
  EXPECT_EQ(hill->Ny, 31);
  UpdateGridGeometry(*hill);
  EXPECT_GE(hill->Zmin, 100);
  EXPECT_LE(hill->Zmax, 400);
  EXPECT_GT(hill->Zmax - hill->Zmin, 250);
  // The summit lies inside, not on the rim.
  EXPECT_LT(std::max({hill->Z(1, 1), hill->Z(41, 1), hill->Z(1, 31), hill->Z(41, 31)}), 150);

  Result<GridData> plane = ReadGridFile(Sample("plane.grd"));
  ASSERT_TRUE(plane) << Describe(plane.failure());
  UpdateGridGeometry(*plane);
  EXPECT_EQ(plane->Nx, 11);
  EXPECT_EQ(plane->Ny, 9);
  EXPECT_EQ(plane->Xmin, 1000);
  EXPECT_EQ(plane->Ymin, 2000);
  for (int i = 1; i <= plane->Nx; ++i) {
    for (int j = 1; j <= plane->Ny; ++j) {
      EXPECT_DOUBLE_EQ(plane->Z(i, j), 0.5 * plane->GridX[i] + 0.25 * plane->GridY[j] + 10);
    }
  }

  Result<GridData> single = ReadGridFile(Sample("single.grd"));
  ASSERT_TRUE(single) << Describe(single.failure());
  EXPECT_EQ(single->Nx, 1);
  EXPECT_EQ(single->Ny, 1);
}

TEST(Samples, TruncatedFails) {
  Result<GridData> truncated = ReadGridFile(Sample("truncated.grd"));
  ASSERT_FALSE(truncated);
  EXPECT_TRUE(Contains(truncated.failure().message, "途中で終わっています"));
  EXPECT_GT(truncated.failure().line, 1);
}

}  // namespace
}  // namespace kessadon
