#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "TempFolder.h"
#include "io/TextFile.h"

namespace kessadon {
namespace {

using testing::TempFolder;

void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

TEST(ReadWholeFile, ReturnsEveryByteUnchanged) {
  TempFolder folder;
  const std::string bytes = std::string("a\r\nb\rc\n\x95\x5c") + std::string(1, '\0') + "end";
  WriteRaw(folder / "raw.txt", bytes);
  Result<std::string> text = ReadWholeFile(folder / "raw.txt");
  ASSERT_TRUE(text) << Describe(text.failure());
  EXPECT_EQ(*text, bytes);

  std::string big(200'000, 'x');
  big[123'456] = '\n';
  WriteRaw(folder / "big.txt", big);
  Result<std::string> bigText = ReadWholeFile(folder / "big.txt");
  ASSERT_TRUE(bigText);
  EXPECT_EQ(*bigText, big);

  WriteRaw(folder / "empty.txt", "");
  Result<std::string> empty = ReadWholeFile(folder / "empty.txt");
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, "");
}

TEST(ReadWholeFile, FailsWithAReason) {
  TempFolder folder;
  Result<std::string> missing = ReadWholeFile(folder / "none.txt");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.failure().message.find("ファイルを開けません"), std::string::npos);
  EXPECT_EQ(missing.failure().line, 0);

  EXPECT_FALSE(ReadWholeFile(folder.path().string()));
}

TEST(ReadWholeFile, RefusesFilesAboveTheLimit) {
  TempFolder folder;
  WriteRaw(folder / "ten.txt", "0123456789");
  EXPECT_TRUE(ReadWholeFile(folder / "ten.txt", 10));
  Result<std::string> tooBig = ReadWholeFile(folder / "ten.txt", 9);
  ASSERT_FALSE(tooBig);
  EXPECT_NE(tooBig.failure().message.find("9 バイト"), std::string::npos);
}

TEST(WriteFileAtomically, ReplacesAnExistingFileWhole) {
  TempFolder folder;
  const std::string path = folder / "out.txt";
  WriteRaw(path, std::string(1000, 'o'));
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(path, "short\n"));
  EXPECT_EQ(ReadWholeFile(path).value(), "short\n");
  EXPECT_EQ(folder.EntryCount(), 1u);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  ASSERT_TRUE(WriteFileAtomically(path, ""));
  EXPECT_EQ(ReadWholeFile(path).value(), "");
}

TEST(WriteFileAtomically, FailureLeavesNothingBehind) {
  TempFolder folder;
  const std::string path = folder / "missing/out.txt";
  Status status = WriteFileAtomically(path, "text");
  ASSERT_FALSE(status);
  EXPECT_NE(status.failure().message.find("ファイルに書き込めません"), std::string::npos);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(folder.EntryCount(), 0u);

  // Renaming onto a folder fails after the temporary file was written.
  std::filesystem::create_directory(folder / "taken");
  EXPECT_FALSE(WriteFileAtomically(folder / "taken", "text"));
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(FileExists, FilesButNotFolders) {
  TempFolder folder;
  EXPECT_FALSE(FileExists(folder / "a.txt"));
  WriteRaw(folder / "a.txt", "x");
  EXPECT_TRUE(FileExists(folder / "a.txt"));
  EXPECT_FALSE(FileExists(folder.path().string()));
}

}  // namespace
}  // namespace kessadon
