#include "core/result.h"

namespace delaysub::core {

std::string_view errorMeaning(RunError e) {
  switch (e) {
    case RunError::Overflow:
      return "overflow";
    case RunError::DivisionByZero:
      return "division by zero";
    case RunError::None:
      break;
  }
  return "";
}

std::string_view errorMeaningZh(RunError e) {
  switch (e) {
    case RunError::Overflow:
      return "溢出";
    case RunError::DivisionByZero:
      return "除数为零";
    case RunError::None:
      break;
  }
  return "";
}

}  // namespace delaysub::core
