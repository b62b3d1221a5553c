// Loads arbitrary bytes as a saved DateTime record, strictly and leniently,
// then works with the result: text forms, the double form, the record again,
// a few moves driven by the input, and zone conversions in a zone the input
// picks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <stdlib.h>
#include <time.h>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeChecks.h"

using QDataType::DateTime;
using QDataType::TimeSpan;

namespace {

void Exercise(DateTime& d, uint8_t const* data, size_t size) {
  CheckTextForms(d);
  (void)d.GetWeek();
  (void)d.GetDayOfYear();

  uint8_t record[44];
  Check(d.SaveObj(sizeof record, record, 1) == 0);
  DateTime copy(1999, 1, 1);
  Check(copy.LoadObj(sizeof record, record, false) == 0);
  Check(copy == d);

  const double x = d.ToDATE();
  const DateTime back(x);
  Check(back == d || (d.GetYear() == 65535 && d.GetMonth() == 12 && d.GetDay() == 31));

  // Moves driven by the input; every result must be a valid value.
  const long long span = Take<long long>(data, size, 0);
  Check(Valid(d + TimeSpan(span)));
  Check(Valid(d - TimeSpan(span)));
  Check(Valid(d.Add(TimeSpan(span))));
  Check(Valid(d.Minus(TimeSpan(span))));
  (void)d.Span(back);
  Check(Valid(d.RoundToSeconds()) || d.GetYear() == 65535);
  Check(Valid(DateTime(Take<double>(data, size, 8))));

  // Zone conversions: the result is a valid value within a day of the
  // reading (offsets stay below 24 hours), and the bias is the offset used.
  static char const* const kZones[] = {"UTC0", "America/New_York", "Pacific/Apia", "Australia/Lord_Howe",
                                       "Africa/Casablanca", "America/Sitka", "Asia/Kolkata", "Europe/Dublin"};
  setenv("TZ", kZones[Take<uint8_t>(data, size, 22) % 8], 1);
  tzset();
  const long long dayMs = TimeSpan::kDay;
  const DateTime local = d.ToLocalTime(), utc = d.ToUTCTime();
  Check(Valid(local) && Valid(utc));
  const bool edge = d.GetYear() == 0 || d.GetYear() == 65535;  // a carry past the calendar wraps the year
  Check(edge || std::llabs((local - d).GetTotalMilliseconds()) < dayMs);
  Check(edge || std::llabs((d - utc).GetTotalMilliseconds()) < dayMs);
  const int bias = d.GetTimeZoneBias();
  Check(bias > -24 * 60 && bias < 24 * 60);
  Check(edge || (d - utc).GetTotalMilliseconds() / 60000 == -bias);

  DateTime p = d;
  (void)p.PutWeekAndDayOfWeek(Take<int8_t>(data, size, 16), Take<int8_t>(data, size, 17));
  Check(Valid(p));
  (void)p.PutWeek(Take<int8_t>(data, size, 18));
  (void)p.PutDayOfWeek(Take<int8_t>(data, size, 19), Take<uint8_t>(data, size, 20) & 1);
  (void)p.PutDay(Take<int8_t>(data, size, 21));
  Check(Valid(p));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  // An exact-size heap copy, so any read past `size` is caught.
  std::vector<uint8_t> bytes(data, data + size);
  void* buffer = bytes.empty() ? nullptr : bytes.data();
  const unsigned length = static_cast<unsigned>(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size);

  for (bool lenient : {false, true}) {
    DateTime d(2001, 2, 3, 4, 5, 6, 7, 60, 30);
    const int result = d.LoadObj(length, buffer, lenient);
    Check(result == 0 || result == -1);
    if (size != 44) Check(result == -1);
    if (result != 0) {
      CheckTextForms(d);  // a half-loaded value may hold any fields: they still print
      continue;
    }
    Check(Valid(d));
    // Biases are kept, unless a 24:00:00 rollover rebuilt the value.
    Check((d.GetBias() == 60 && d.GetDaylightBias() == 30) || (d.GetBias() == 0 && d.GetDaylightBias() == 0));
    Exercise(d, data, size);
  }
  return 0;
}
