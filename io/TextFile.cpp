#include "TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>

namespace kessadon {
namespace {

// The common reasons in the user's language; the rest as the system words them.
std::string Reason(int error) {
  switch (error) {
    case ENOENT:
      return "ファイルまたはフォルダーがありません";
    case EACCES:
    case EPERM:
      return "アクセスが許可されていません";
    case EISDIR:
      return "フォルダーです";
    case ENOSPC:
      return "ディスクの空きがありません";
    case EROFS:
      return "読み取り専用の場所です";
    default:
      return std::strerror(error);
  }
}

Failure OpenFailure(int error) { return {"ファイルを開けません：" + Reason(error)}; }
Failure ReadFailure(int error) { return {"ファイルを読み込めません：" + Reason(error)}; }
Failure WriteFailure(int error) { return {"ファイルに書き込めません：" + Reason(error)}; }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now so that the caller sees the error close may report.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd);
  }

 private:
  int fd_;
};

std::string TemporaryName(const std::string& path, std::mt19937_64& random) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = path + ".tmp-";
  for (int k = 0; k < 6; ++k) name += kLetters[random() % (sizeof kLetters - 1)];
  return name;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return OpenFailure(errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return ReadFailure(errno);
  if (S_ISDIR(info.st_mode)) return OpenFailure(EISDIR);
  const Failure tooLarge{"ファイルが大きすぎます（上限 " + std::to_string(maxBytes) + " バイト）"};
  if (S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    return tooLarge;
  }

  std::string text;
  if (S_ISREG(info.st_mode)) text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return ReadFailure(errno);
    }
    if (got == 0) break;
    // The size may have grown since fstat, and pipes have none.
    if (static_cast<std::size_t>(got) > maxBytes - text.size()) return tooLarge;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

Status WriteFileAtomically(const std::string& path, std::string_view text) {
  std::mt19937_64 random(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::string temporary;
  int fd = -1;
  // Like mkstemp, but created with mode 0666 so that the umask applies as it
  // would to any newly saved file.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(path, random);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return WriteFailure(errno);
  }
  if (fd < 0) return WriteFailure(EEXIST);
  FileDescriptor file(fd);

  auto fail = [&](int error) -> Status {
    if (file.get() >= 0) file.Close();
    ::unlink(temporary.c_str());
    return WriteFailure(error);
  };

  // Saving over a file keeps who may read it.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    if (::fchmod(file.get(), existing.st_mode & 07777) != 0) return fail(errno);
  }
  if (!WriteAll(file.get(), text)) return fail(errno);
  if (::fsync(file.get()) != 0) return fail(errno);
  if (file.Close() != 0) return fail(errno);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);

  // Make the rename itself survive a crash; the file is already complete, so a
  // failure here is not reported.
  const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return Ok();
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace kessadon
