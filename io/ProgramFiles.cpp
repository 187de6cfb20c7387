#include "ProgramFiles.h"

#include <string>

#include "TextFile.h"

namespace kessadon {

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return ".";
  // A build folder holds them beside the program; an installed one in share.
  std::filesystem::path beside = program.parent_path();
  std::filesystem::path shared = beside.parent_path() / "share" / "kessadon";
  if (!std::filesystem::exists(beside / kDefaultsFileName, error) &&
      std::filesystem::exists(shared / kDefaultsFileName, error)) {
    return shared;
  }
  return beside;
}

Result<DefaultsRead> ReadProgramDefaults(const std::filesystem::path& folder) {
  Result<std::string> text = ReadWholeFile((folder / kDefaultsFileName).string());
  if (!text) return text.failure();
  return ParseDefaults(*text);
}

ViewLightDefaults ProgramDefaults() {
  const Result<DefaultsRead> read = ReadProgramDefaults(ProgramFolder());
  return read ? read->values : ViewLightDefaults{};
}

}  // namespace kessadon
