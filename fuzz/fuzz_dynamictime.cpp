// Builds a DynamicTime from the bytes (any kind, flags and field values) and
// resolves it against a reference taken from the bytes, in a zone with
// daylight saving. Checks: a resolution gives a valid date with millisecond
// 0 or fails with the reference untouched; resolving twice gives the same
// answer; a VexTime holding the description, and the description saved and
// loaded through the record, resolve to the same moment; the moves keep a
// date valid.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <time.h>

#include <cstddef>
#include <cstdint>

#include "DataType/DynamicTime/DynamicTime.h"
#include "DataType/StoredTime/VexTime.h"
#include "DateTimeChecks.h"

using namespace QDataType;

namespace {

// Mostly small values, where the calendar rules live, sometimes any value.
int Field(FuzzedDataProvider& p) {
  switch (p.ConsumeIntegralInRange(0, 3)) {
    case 0: return p.ConsumeIntegralInRange(-2, 7);
    case 1: return p.ConsumeIntegralInRange(-40, 40);
    case 2: return p.ConsumeIntegral<int16_t>();
    default: return p.ConsumeIntegral<int>();
  }
}

bool Same(DateTime const& a, DateTime const& b) { return a == b; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return UseZone("Europe/Berlin"); }

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  FuzzedDataProvider p(data, size);
  int value;
  if (p.ConsumeBool()) {
    value = p.ConsumeIntegralInRange(0, 15) | p.ConsumeIntegralInRange(0, 15) << 5;
  } else {
    value = p.ConsumeIntegral<int>();
  }
  DynamicTime t(static_cast<DYNAMIC_TIME>(value), Field(p));
  t.PutDynamicMonthOffset(static_cast<short>(Field(p)));
  t.PutYear(Field(p));
  t.PutMonth(Field(p));
  t.PutDay(Field(p));
  t.PutHour(Field(p));
  t.PutMinute(Field(p));
  t.PutSecond(Field(p));
  t.PutWeek(Field(p));
  t.PutDayOfWeek(Field(p));

  // The reference: fields of any 16-bit value, clamped by the constructor;
  // mostly within the years a zone has rules for.
  int const year = p.ConsumeBool() ? p.ConsumeIntegralInRange(1971, 2037) : p.ConsumeIntegral<uint16_t>();
  DateTime const ref(year, p.ConsumeIntegralInRange(1, 12), p.ConsumeIntegralInRange(1, 31),
                     p.ConsumeIntegral<int16_t>() & 31, p.ConsumeIntegralInRange(0, 59),
                     p.ConsumeIntegralInRange(0, 59), p.ConsumeIntegralInRange(0, 999));
  bool const now = ref == DateTime();

  DateTime d = ref;
  int const rc = t.ToDateTime(d);
  Check(rc == 0 || rc == -1);
  if (rc == 0) {
    Check(Valid(d));
    Check(d.GetMillisecond() == 0 || d.GetYear() == 65535 || d.GetYear() <= 1);
  } else {
    Check(Same(d, ref));
  }
  if (!now) {
    DateTime again = ref;
    Check(t.ToDateTime(again) == rc);
    Check(Same(again, d));

    // The same description held by a VexTime, and through its record.
    VexTime v;
    v.PutDynamicTime(t.GetDynamicTime());
    if (v.GetRealMode() == TIME_MODE_DYNAMIC) {
      v.PutDynamicDayOffset(t.GetDynamicDayOffset());
      v.PutDynamicMonthOffset(t.GetDynamicMonthOffset());
      v.PutActualYear(t.GetYear());
      v.PutActualMonth(t.GetMonth());
      v.PutActualDay(t.GetDay());
      v.PutActualHour(t.GetHour());
      v.PutActualMinutes(t.GetMinute());
      v.PutSeconds(t.GetSecond());
      v.PutActualWeek(t.GetWeek());
      v.PutActualDayOfWeek(t.GetDayOfWeek());
      DateTime r = ref;
      int const vr = v.ToDateTime(true, r);
      Check(vr == (rc == 0 ? 0 : E_TIME_RESOLVE_FAILED));
      Check(Same(r, d));
      if ((value & 0xFFFF0000) == 0) {  // a kind that fits its half of word 0
        unsigned char record[44];
        Check(v.SaveObj(sizeof record, record) == 0);
        VexTime w;
        Check(w.LoadObj(sizeof record, record) == 0);
        DateTime s = ref;
        Check(w.ToDateTime(true, s) == vr);
        Check(Same(s, d));
      }
    }
  }

  // The moves on their own.
  DateTime m = ref;
  DynamicTime::MoveNthTimePointBefore(m, Field(p), static_cast<TIME_GRANULARITY>(p.ConsumeIntegralInRange(-1, 8)));
  Check(Valid(m));
  t.MoveNthTimePointBefore_BusinessDay(m, Field(p), p.ConsumeBool());
  Check(Valid(m));
  return 0;
}
