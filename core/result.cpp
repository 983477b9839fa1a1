#include "core/result.h"

namespace delaysub::core {

namespace {

struct Meanings {
  std::string_view english;
  std::string_view chinese;
};

constexpr Meanings meaningsOf(RunError e) {
  switch (e) {
    case RunError::Overflow:
      return {"overflow", "溢出"};
    case RunError::DivisionByZero:
      return {"division by zero", "除数为零"};
    case RunError::None:
      break;
  }
  return {};
}

}  // namespace

std::string_view errorMeaning(RunError e) {
  return meaningsOf(e).english;
}

std::string_view errorMeaningZh(RunError e) {
  return meaningsOf(e).chinese;
}

}  // namespace delaysub::core
