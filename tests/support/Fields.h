// Test support: a DateTime's seven fields as one comparable value, so that a
// failed expectation prints all of them.
#pragma once

#include <array>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {
namespace testing_fields {

// Year, month, day, hour, minute, second, millisecond.
using Fields = std::array<int, 7>;

inline Fields FieldsOf(DateTime const& d) {
  return {d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), d.GetSecond(), d.GetMillisecond()};
}

}  // namespace testing_fields
}  // namespace QDataType
