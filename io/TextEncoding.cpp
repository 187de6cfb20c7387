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

namespace {

struct Encoding {
  const char* iconvName;
  const char* name;        // for people
  const char* unreadable;  // the refusal of text that does not convert
};
constexpr Encoding kCp932{"CP932", "Shift_JIS",
                          "Shift_JIS として読めない文字があります（UTF-8 でもありません）"};
constexpr Encoding kUtf16Le{"UTF-16LE", "UTF-16", "UTF-16 として読めない文字があります"};
constexpr Encoding kUtf16Be{"UTF-16BE", "UTF-16", "UTF-16 として読めない文字があります"};

// The text converted by iconv to UTF-8, with `most` bytes of room.
Result<std::string> Converted(std::string_view bytes, const Encoding& from, std::size_t most) {
  iconv_t converter = iconv_open("UTF-8", from.iconvName);
  // iconv's own mark for no converter.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return Failure{std::string(from.name) + " を読む変換が使えません"};
  }
  std::string out(most, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* next = out.data();
  std::size_t outLeft = out.size();
  const bool failed =
      iconv(converter, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (failed) return Failure{from.unreadable};
  out.resize(out.size() - outLeft);
  return out;
}

bool IsUtf16(std::string_view bytes) {
  return bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom);
}

// A nibble as a hexadecimal digit.
char HexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0xFU]; }

std::string Escaped(const char* prefix, unsigned char byte) {
  return std::string(prefix) + HexDigit(byte >> 4U) + HexDigit(byte);
}

// How a message shows the character at `pos`, which moves past it.
std::string Shown(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t end = pos;
  if (!NextUtf8(text, end)) {
    ++pos;
    return Escaped("\\x", lead);
  }
  const std::string_view character = text.substr(pos, end - pos);
  pos = end;
  if (lead == '\t') return "\\t";
  if (lead == '\n') return "\\n";
  if (lead == '\r') return "\\r";
  if (lead < 0x20 || lead == 0x7F) return Escaped("\\x", lead);
  // The C1 controls (U+0080 ... U+009F), which some terminals obey as well.
  const auto second = character.size() == 2 ? static_cast<unsigned char>(character[1]) : 0;
  if (lead == 0xC2 && second < 0xA0) return Escaped("\\u00", second);
  return std::string(character);
}

}  // namespace

Result<std::string> TextToUtf8(std::string_view bytes) {
  // A spreadsheet's "Unicode text": each code unit becomes at most three
  // bytes, a surrogate pair four.
  if (IsUtf16(bytes)) {
    return Converted(bytes.substr(2), bytes.starts_with(kUtf16LeBom) ? kUtf16Le : kUtf16Be,
                     bytes.size() * 3 / 2 + 4);
  }
  if (IsUtf8(bytes)) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    return std::string(bytes);
  }
  // Every CP932 character becomes at most three bytes of UTF-8.
  return Converted(bytes, kCp932, bytes.size() * 3 + 4);
}

std::size_t FirstLineEnd(std::string_view bytes) {
  if (!IsUtf16(bytes)) return bytes.find_first_of("\r\n");
  const bool little = bytes.starts_with(kUtf16LeBom);
  for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
    const auto low = static_cast<unsigned char>(bytes[little ? at : at + 1]);
    const auto high = static_cast<unsigned char>(bytes[little ? at + 1 : at]);
    if (high == 0 && (low == '\r' || low == '\n')) return at;
  }
  return std::string_view::npos;
}

std::string FoldFullWidthAscii(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t p = 0; p < utf8.size();) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[p + k]); };
    if (utf8.size() - p >= 3 && byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) {
      out += ' ';
      p += 3;
      continue;
    }
    // U+FF01 ... U+FF3F are EF BC 81 ... BF, U+FF40 ... U+FF5E are EF BD 80 ... 9E.
    if (utf8.size() - p >= 3 && byte(0) == 0xEF && byte(2) >= 0x80 &&
        ((byte(1) == 0xBC && byte(2) >= 0x81 && byte(2) <= 0xBF) ||
         (byte(1) == 0xBD && byte(2) <= 0x9E))) {
      out += static_cast<char>((byte(1) == 0xBC ? 0x20 : 0x60) + (byte(2) - 0x80));
      p += 3;
      continue;
    }
    out += utf8[p++];
  }
  return out;
}

std::string Excerpt(std::string_view text, std::size_t most) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::string shown = Shown(text, pos);
    if (out.size() + shown.size() > most) return out + "…";
    out += shown;
  }
  return out;
}

}  // namespace kessadon
