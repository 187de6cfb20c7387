// List input: the field reader behind data files, grid files, the defaults file
// and colour files.
//
// Fields are separated by a comma, by blanks or tabs, or by a line end. Blanks
// before a field are skipped; a comma after a field (and the blanks before that
// comma) belongs to the separator. A field in double quotes is text up to the
// closing quote. An empty field (two commas, or a comma before a line end) is
// empty text and reads as the number 0. Records need not keep to lines.
// Line ends are LF, CR LF or a lone CR. Works on bytes, so Shift_JIS and UTF-8
// text pass through unchanged (no separator byte occurs inside their characters).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kessadon {

class ListReader {
 public:
  // The reader does not own the text; it must outlive the reader.
  explicit ListReader(std::string_view text) : text_(text) {}

  // Next field as text (quotes removed); nothing when the input is exhausted.
  std::optional<std::string> NextField();

  // Next field by the leading-number rule; nothing when the input is exhausted.
  std::optional<double> NextNumber();

  // No further byte to read (the end-of-file test of the data readers).
  bool AtEnd() const { return pos_ >= text_.size(); }

  // 1-based line of the next byte to read.
  int Line() const { return line_; }

  // Bytes not yet read; every field consumes at least one, so this bounds the
  // number of fields still to come.
  std::size_t Remaining() const { return text_.size() - pos_; }

 private:
  bool AtLineEnd() const;
  void SkipBlanks();
  void SkipLineEnd();
  void SkipSeparator();

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

// Number of lines as the measured-data readers count them: a blank line counts,
// a last line without a line break counts, a line break at the very end of the
// text does not start a further line. Empty text has 0 lines.
std::size_t CountLines(std::string_view text);

// The lines of a text, split the same way CountLines counts them.
// Reads each line whole (as the defaults file's caption lines are read).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  std::optional<std::string_view> NextLine();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace kessadon
