// Whole-file reading and safe writing of text files.
#pragma once

#include <string>
#include <string_view>

#include "Result.h"

namespace kessadon {

// Reads the whole file into memory. Fails with a readable reason when the file
// cannot be opened or read, or is larger than maxBytes.
Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes = std::size_t(1)
                                                                                  << 32);

// Writes the text to a temporary file beside `path`, flushes it and renames it
// into place, so that a failed write never leaves a partial file under `path`.
Status WriteFileAtomically(const std::string& path, std::string_view text);

bool FileExists(const std::string& path);

}  // namespace kessadon
