// Parses arbitrary text as a DateTime. A parse may consume only what is
// there, must leave a valid value, and the printed form of an accepted value
// must parse back to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeChecks.h"

using QDataType::DateTime;

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  const size_t length = std::strlen(text.data());

  DateTime before(2001, 2, 3, 4, 5, 6, 7, 60, 0);
  DateTime d = before;
  const unsigned consumed = d.FromString(text.data());
  if (consumed == 0) {
    Check(d == before && d.GetBias() == 60);
    return 0;
  }
  Check(consumed <= length);
  Check(Valid(d));
  Check(d.GetBias() == 0 && d.GetDaylightBias() == 0);

  const QBase::ReturnString printed = d.ToString();
  Check(printed.GetLength() >= 23 && printed.GetLength() <= 24);
  DateTime again;
  const unsigned n = again.FromString(printed.GetString());
  if (d.GetYear() == 0) {
    Check(n == 0);  // year 0 prints as 0000, which the parser refuses
  } else {
    Check(n == printed.GetLength() && again == d);
  }
  (void)d.ToJSONWString();
  (void)d.ToDateString();
  return 0;
}
