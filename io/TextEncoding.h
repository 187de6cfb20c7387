// The encodings text files arrive in: UTF-8 (with or without a byte-order
// mark), Shift_JIS as Japanese desktops write it (CP932), and UTF-16 with its
// mark, as spreadsheets save "Unicode text". Also the forms of text that
// readers compare and quote.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Result.h"

namespace kessadon {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// One code point of strict UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF) at `pos`, which moves past it; false, with `pos` unchanged, at
// anything else.
bool NextUtf8(std::string_view text, std::size_t& pos);

bool IsUtf8(std::string_view text);

// The text in UTF-8: from UTF-16 when it starts with that mark, as it is
// (less a byte-order mark) when it is UTF-8, else from CP932. Refuses bytes
// that are none of them.
Result<std::string> TextToUtf8(std::string_view bytes);

// Where the first line of `bytes` ends, before its CR or LF (by whole code
// units in UTF-16 text with its mark); npos when no line end follows it.
std::size_t FirstLineEnd(std::string_view bytes);

// A name as names are compared: full-width ASCII forms (U+FF01 ... U+FF5E)
// and the full-width blank U+3000 as their ASCII forms, every other byte as
// it is.
std::string FoldFullWidthAscii(std::string_view utf8);

// Text from a file as a message quotes it, on one line and bounded: control
// characters and bytes that are not UTF-8 shown as \t, \n, \r or \xNN, and
// at most `most` bytes, cut where a character starts, with "…" after a cut.
std::string Excerpt(std::string_view text, std::size_t most = 60);

}  // namespace kessadon
