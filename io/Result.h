// Outcome of a file operation: a value, or a reason a user can read. A
// result left unread is a compile warning (an error in the checked build), so
// no failure is dropped without a word.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kessadon {

struct Failure {
  std::string message;     // one line, without the file name
  int line = 0;            // 1-based line of the input where it struck; 0 when not known
  bool cancelled = false;  // the person asked to stop; nothing else went wrong
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}              // NOLINT: implicit by design
  Result(Failure failure) : failure_(std::move(failure)) {}  // NOLINT

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  const Failure& failure() const { return failure_; }

 private:
  std::optional<T> value_;
  Failure failure_;
};

// For operations that produce nothing but may fail.
struct Done {};
using Status = Result<Done>;
inline Status Ok() { return Done{}; }

// "12 行目：reason" or just "reason".
std::string Describe(const Failure& failure);

}  // namespace kessadon
