#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "../io/TempFolder.h"
#include "io/TextFile.h"
#include "render/PictureFile.h"
#include "render/RasterSurface.h"

namespace kessadon {
namespace {

using testing::TempFolder;

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int k = 3; k >= 0; --k) value = value * 256 + static_cast<unsigned char>(bytes[at + k]);
  return value;
}

std::uint16_t Read16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) +
                                    256 * static_cast<unsigned char>(bytes[at + 1]));
}

// 7 x 3 pixels: rows of 21 bytes padded to 24; a red top-left and a blue
// bottom-right pixel tell the row order and the byte order.
struct Sample {
  RasterSurface surface{7, 3};
  Sample() {
    surface.SetBackColor(Rgb(10, 20, 30));
    surface.PSet(0, 0, Rgb(255, 0, 0));
    surface.PSet(6, 2, Rgb(0, 0, 255));
    surface.PSet(3, 1, Rgb(1, 2, 3));
  }
};

TEST(SaveBmp, WritesTwentyFourBitBottomUpPaddedRows) {
  TempFolder folder;
  const Sample sample;
  const RasterSurface& surface = sample.surface;
  const std::string path = folder / "picture.bmp";
  ASSERT_TRUE(SavePicture(surface.Image(), path).ok());

  Result<std::string> read = ReadWholeFile(path);
  ASSERT_TRUE(read.ok());
  const std::string& bytes = *read;
  ASSERT_EQ(bytes.size(), 54u + 24u * 3u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(Read32(bytes, 2), bytes.size());
  EXPECT_EQ(Read32(bytes, 10), 54u);
  EXPECT_EQ(Read32(bytes, 14), 40u);
  EXPECT_EQ(Read32(bytes, 18), 7u);
  EXPECT_EQ(Read32(bytes, 22), 3u);  // positive: bottom-up
  EXPECT_EQ(Read16(bytes, 26), 1u);
  EXPECT_EQ(Read16(bytes, 28), 24u);
  EXPECT_EQ(Read32(bytes, 30), 0u);
  // The first row in the file is the bottom one; its last pixel is blue, stored B, G, R.
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 6 * 3]), 255);
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 6 * 3 + 2]), 0);
  EXPECT_EQ(bytes.substr(54 + 21, 3), std::string(3, '\0'));
  // The last row is the top one, starting with red.
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 48 + 2]), 255);
  EXPECT_EQ(static_cast<unsigned char>(bytes[54 + 48]), 0);

  const QImage back(QString::fromStdString(path));
  ASSERT_FALSE(back.isNull());
  EXPECT_EQ(back.width(), 7);
  EXPECT_EQ(back.height(), 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(FromQRgb(back.pixel(x, y)), surface.ImagePixel(x, y));
  }
}

TEST(SavePicture, PngByNameAnyCase) {
  TempFolder folder;
  const Sample sample;
  const RasterSurface& surface = sample.surface;
  const std::string path = folder / "picture.PNG";
  ASSERT_TRUE(SavePicture(surface.Image(), path).ok());
  Result<std::string> read = ReadWholeFile(path);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->substr(1, 3), "PNG");
  const QImage back(QString::fromStdString(path));
  ASSERT_EQ(back.size(), QSize(7, 3));
  EXPECT_EQ(FromQRgb(back.pixel(3, 1)), Rgb(1, 2, 3));
}

TEST(SavePicture, FailureIsReportedAndLeavesNothing) {
  TempFolder folder;
  const Sample sample;
  const RasterSurface& surface = sample.surface;
  EXPECT_FALSE(SavePicture(surface.Image(), folder / "missing/picture.bmp").ok());
  EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST(SavePicture, ReplacesAnExistingFileWhole) {
  TempFolder folder;
  const std::string path = folder / "old.bmp";
  ASSERT_TRUE(WriteFileAtomically(path, std::string(5000, 'x')).ok());
  ASSERT_TRUE(SavePicture(Sample().surface.Image(), path).ok());
  EXPECT_EQ(ReadWholeFile(path)->size(), 54u + 72u);
  EXPECT_EQ(folder.EntryCount(), 1u);
}

}  // namespace
}  // namespace kessadon
