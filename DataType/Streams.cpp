// operator<< of the value types: each prints the text form its header names.
#include <ostream>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeSpan.h"
#include "DataType/Decimal/BigDecimal.h"
#include "DataType/Variant/Variant.h"

namespace QDataType {

std::ostream& operator<<(std::ostream& os, DateTime const& value) { return os << value.ToString().View(); }

std::ostream& operator<<(std::ostream& os, TimeSpan const& span) {
  return os << span.GetTotalMilliseconds() << "ms";
}

std::ostream& operator<<(std::ostream& os, BigDecimal const& value) {
  if (value.Scale() == -1) return os << "(empty)";
  if (value.Scale() < 0) return os << "(invalid)";
  return os << value.ToString().View();
}

std::ostream& operator<<(std::ostream& os, Variant const& value) {
  if (value.GetVarType() == Variant::VAR_BIGDECIMAL) return os << *value.ToBigDecimal();
  return os << value.ToString().View();
}

}  // namespace QDataType
