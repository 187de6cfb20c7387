#include "ListInput.h"

#include "NumberText.h"

namespace kessadon {
namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsUnquotedField(char c) { return c == ',' || IsBlank(c) || IsLineEnd(c); }

}  // namespace

bool ListReader::AtLineEnd() const { return !AtEnd() && IsLineEnd(text_[pos_]); }

void ListReader::SkipBlanks() {
  while (!AtEnd() && IsBlank(text_[pos_])) ++pos_;
}

void ListReader::SkipLineEnd() {
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
}

void ListReader::SkipSeparator() {
  SkipBlanks();
  if (AtEnd()) return;
  if (text_[pos_] == ',') {
    ++pos_;
  } else if (AtLineEnd()) {
    SkipLineEnd();
  }
}

std::optional<std::string> ListReader::NextField() {
  SkipBlanks();
  if (AtEnd()) return std::nullopt;
  if (text_[pos_] == ',') {
    ++pos_;
    return std::string();
  }
  if (AtLineEnd()) {
    SkipLineEnd();
    return std::string();
  }

  std::string field;
  if (text_[pos_] == '"') {
    const std::size_t start = ++pos_;
    // A quoted field may run over line ends; they stay in the text and count as lines.
    while (!AtEnd() && text_[pos_] != '"') {
      const char c = text_[pos_];
      if (c == '\r' || (c == '\n' && text_[pos_ - 1] != '\r')) ++line_;
      ++pos_;
    }
    field.assign(text_.substr(start, pos_ - start));
    if (!AtEnd()) ++pos_;
    // Bytes glued to the closing quote ("abc"def) are dropped up to the next separator.
    while (!AtEnd() && !EndsUnquotedField(text_[pos_])) ++pos_;
  } else {
    const std::size_t start = pos_;
    while (!AtEnd() && !EndsUnquotedField(text_[pos_])) ++pos_;
    field.assign(text_.substr(start, pos_ - start));
  }
  SkipSeparator();
  return field;
}

std::optional<double> ListReader::NextNumber() {
  std::optional<std::string> field = NextField();
  if (!field) return std::nullopt;
  return ParseLeadingNumber(*field);
}

std::size_t CountLines(std::string_view text) {
  std::size_t lines = 0;
  LineReader reader(text);
  while (reader.NextLine()) ++lines;
  return lines;
}

std::optional<std::string_view> LineReader::NextLine() {
  if (pos_ >= text_.size()) return std::nullopt;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !IsLineEnd(text_[pos_])) ++pos_;
  std::string_view line = text_.substr(start, pos_ - start);
  if (pos_ < text_.size()) {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
  }
  return line;
}

}  // namespace kessadon
