#include "Result.h"

namespace kessadon {

std::string Describe(const Failure& failure) {
  if (failure.line > 0) return std::to_string(failure.line) + " 行目：" + failure.message;
  return failure.message;
}

}  // namespace kessadon
