// Loads arbitrary bytes as a saved VexTime record into values of every state
// (unset, static, dynamic, in an arena and on the heap), then reads it every
// way there is: every getter in both zones, ToDateTime, the double forms,
// comparison, GetExpiration, the record again and the setters, with values
// from the bytes after the record. In a zone with daylight saving.
#include <stdlib.h>
#include <time.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "DataType/StoredTime/VexTime.h"
#include "DateTimeChecks.h"

using namespace QDataType;

namespace {

bool Coded(int r) { return r == 0 || r == E_TIME_NOT_SET || r == E_TIME_NOT_DYNAMIC || r == E_TIME_RESOLVE_FAILED; }

void ReadEverything(VexTime const& v, uint8_t const* data, size_t size) {
  TIME_MODE const mode = v.GetRealMode();
  Check(mode == TIME_MODE_UTC || mode == TIME_MODE_LOCAL || mode == TIME_MODE_DYNAMIC || mode == TIME_MODE_UNSET);
  for (bool utc : {false, true})
    for (bool actual : {false, true}) {
      (void)v.GetYear(utc, actual);
      (void)v.GetMonth(utc, actual);
      (void)v.GetDay(utc, actual);
      (void)v.GetWeek(utc, actual);
      (void)v.GetDayOfWeek(utc, actual);
      (void)v.GetHour(utc, actual);
      (void)v.GetMinutes(utc, actual);
      (void)v.GetSeconds(actual);
      DateTime d(2010, 5, 6);
      int const r = v.ToDateTime(utc, d);
      Check(r == 0 || r == 1 || r == E_TIME_RESOLVE_FAILED);
      Check(Valid(d));
      double x = 0;
      Check(Coded(v.TolocalDATE(x, utc)));
      Check(Coded(v.TolocalDATEWithFixedTime(x, utc, Take<int>(data, size, 44))));
    }
  (void)v.GetMilliSeconds();
  int kind = 0, offset = 0;
  short monthOffset = 0;
  Check(Coded(v.GetDynamicTime(kind)));
  Check(Coded(v.GetDynamicDayOffset(offset)));
  Check(Coded(v.GetDynamicMonthOffset(monthOffset)));
  DateTime n;
  Check(Coded(v.GetNthTimePointBefore(Take<int>(data, size, 48), static_cast<TIME_GRANULARITY>(Take<int8_t>(data, size, 52)),
                                      n)));
  Check(Valid(n));

  // Comparisons with itself and with values of every kind.
  VexTime others[4];
  others[1] = VexTime(DateTime(2024, 3, 31, 2, 30), TIME_MODE_LOCAL, false);
  others[2].PutDynamicTime(0);
  others[3].PutDynamicTime(Take<int>(data, size, 53));
  Check(v == v);
  Check(!(v < v) && !(v > v));
  for (VexTime const& o : others) {
    bool const eq = v == o;
    Check(eq == (o == v));
    Check(!(v < o && v > o));
  }

  VexTime e(DateTime(1990, 1, 1), TIME_MODE_LOCAL, false);
  int const x = v.GetExpiration(e);
  Check(x == 0 || x == 1);
  if (x == 1) {
    Check(e.GetRealMode() == TIME_MODE_LOCAL);
  } else {
    Check(e.GetRealMode() == TIME_MODE_UTC);
  }
}

void WriteEverything(VexTime& v, uint8_t const* data, size_t size) {
  int const value = Take<int>(data, size, 57);
  bool const utc = Take<uint8_t>(data, size, 61) & 1;
  int (VexTime::*const zoned[])(int, bool) = {&VexTime::PutYear, &VexTime::PutMonth, &VexTime::PutDay,
                                              &VexTime::PutHour, &VexTime::PutMinutes, &VexTime::PutWeek};
  int (VexTime::*const actual[])(int) = {&VexTime::PutActualYear, &VexTime::PutActualMonth,
                                         &VexTime::PutActualDay,  &VexTime::PutActualWeek,
                                         &VexTime::PutActualDayOfWeek, &VexTime::PutActualHour,
                                         &VexTime::PutActualMinutes, &VexTime::PutSeconds, &VexTime::PutMilliSeconds};
  uint8_t const which = Take<uint8_t>(data, size, 62);
  if (which < 6) {
    int const r = (v.*zoned[which])(value, utc);
    Check(r == 0 || r == E_TIME_NOT_SET || r == E_TIME_FIELD_REJECTED);
  } else if (which < 15) {
    Check(Coded((v.*actual[which - 6])(value)));
  } else if (which == 15) {
    int const r = v.PutDayOfWeek(value, utc, false);
    Check(r == 0 || r == E_TIME_NOT_SET || r == E_TIME_FIELD_REJECTED);
  } else if (which == 16) {
    Check(Coded(v.SetMode(static_cast<TIME_MODE>(value))));
  } else if (which == 17) {
    Check(v.SetReadMode(static_cast<TIME_MODE>(value)) == 0);
  } else if (which == 18) {
    Check(Coded(v.PutDynamicDayOffset(value)));
    Check(Coded(v.PutDynamicMonthOffset(static_cast<short>(value))));
  }
  if (v.GetRealMode() == TIME_MODE_UTC || v.GetRealMode() == TIME_MODE_LOCAL) {
    DateTime d;
    Check(v.ToDateTime(v.GetRealMode() == TIME_MODE_UTC, d) == 0 && Valid(d));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return UseZone("Europe/Berlin"); }

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  // An exact-size heap copy, so any read past `size` is caught.
  std::vector<uint8_t> bytes(data, data + size);
  void* buffer = bytes.empty() ? nullptr : bytes.data();
  unsigned const length = static_cast<unsigned>(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size);

  QBase::Arena arena;
  QBase::Arena tiny(8);  // too small for either object
  VexTime values[5] = {VexTime(), VexTime(DateTime(2001, 2, 3, 4, 5, 6, 7), TIME_MODE_LOCAL, false),
                       VexTime(&arena), VexTime(DateTime(2001, 2, 3), TIME_MODE_UTC, true, &arena), VexTime(&tiny)};
  values[0].PutDynamicTime(DT_RELATIVE_DAY);
  values[2].PutDynamicTime(DT_RELATIVE_MONTH_DAY);

  for (VexTime& v : values) {
    unsigned char before[44], after[44];
    Check(v.SaveObj(sizeof before, before) == 0);
    int const r = v.LoadObj(length, buffer);
    if (size < 44) {
      Check(r == -1);
      Check(v.SaveObj(sizeof after, after) == 0 && std::memcmp(before, after, 44) == 0);
      continue;
    }
    Check(r == 0);
    // The record comes back as loaded: a dynamic one word for word (the
    // mode word becomes 1), a static one as its clamped date, which saves
    // and loads again unchanged.
    Check(v.SaveObj(sizeof after, after) == 0);
    int32_t w0;
    std::memcpy(&w0, data, 4);
    TIME_MODE const mode = v.GetRealMode();
    if (&v != &values[4]) {
      if (w0 == -101) Check(mode == TIME_MODE_UNSET);
      if (w0 == -100) Check(mode == TIME_MODE_UTC || mode == TIME_MODE_LOCAL);
      if (w0 != -100 && w0 != -101) {
        Check(mode == TIME_MODE_DYNAMIC);
        Check(std::memcmp(after, data, 40) == 0 && after[40] == 1 && after[41] == 0 && after[43] == 0);
      }
    } else {
      Check(mode == TIME_MODE_UNSET);
    }
    VexTime again(&arena);
    Check(again.LoadObj(sizeof after, after) == 0);
    unsigned char twice[44];
    Check(again.SaveObj(sizeof twice, twice) == 0);
    Check(std::memcmp(after, twice, 44) == 0);
    Check(again == v);

    ReadEverything(v, data, size);
    WriteEverything(v, data, size);
    ReadEverything(v, data, size);
  }
  return 0;
}
