#include "Result.h"

namespace kessadon {

std::string Describe(const Failure& failure) {
  if (failure.line > 0) return "line " + std::to_string(failure.line) + ": " + failure.message;
  return failure.message;
}

}  // namespace kessadon
