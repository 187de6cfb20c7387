// The two encodings Japanese text files arrive in: UTF-8 (with or without a
// byte-order mark) and Shift_JIS as Japanese desktops write it (CP932).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Result.h"

namespace kessadon {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One code point of strict UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF) at `pos`, which moves past it; false, with `pos` unchanged, at
// anything else.
bool NextUtf8(std::string_view text, std::size_t& pos);

bool IsUtf8(std::string_view text);

// The text in UTF-8: as it is (less a byte-order mark) when it is UTF-8, else
// from CP932. Refuses bytes that are neither.
Result<std::string> TextToUtf8(std::string_view bytes);

}  // namespace kessadon
