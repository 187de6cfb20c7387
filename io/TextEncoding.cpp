#include "TextEncoding.h"

#include <iconv.h>

namespace kessadon {

// One code point of strict UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF); false, with `pos` unchanged, at anything else.
bool NextUtf8(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return true;
  }
  std::size_t length;
  char32_t c, least;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return false;
  }
  if (text.size() - pos < length) return false;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(pos + k) & 0xC0) != 0x80) return false;
    c = (c << 6) | (byte(pos + k) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  pos += length;
  return true;
}

bool IsUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (!NextUtf8(text, pos)) return false;
  }
  return true;
}

Result<std::string> TextToUtf8(std::string_view bytes) {
  if (IsUtf8(bytes)) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    return std::string(bytes);
  }
  iconv_t converter = iconv_open("UTF-8", "CP932");
  // iconv's own mark for no converter.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  if (converter == reinterpret_cast<iconv_t>(-1))
    return Failure{"Shift_JIS を読む変換が使えません"};
  // Every CP932 character becomes at most three bytes of UTF-8.
  std::string out(bytes.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* next = out.data();
  std::size_t outLeft = out.size();
  const bool failed =
      iconv(converter, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (failed) return Failure{"Shift_JIS として読めない文字があります（UTF-8 でもありません）"};
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace kessadon
