// White-box access to TimeSeriesImpl for the schedule tests: the routines of
// the walk on DateTime values.
#pragma once

#include "DataType/TimeSeries/TimeSeriesImpl.h"

namespace QDataType {

struct TimeSeriesTestPeer {
  static TimeSeriesImpl& Impl(TimeSeries* s) { return *static_cast<TimeSeriesImpl*>(s); }
  static bool DateMatches(TimeSeries* s, DateTime const* anchor, DateTime const& c) {
    return Impl(s).DateMatches(anchor, c);
  }
  static bool TimeMatches(TimeSeries* s, DateTime const* anchor, DateTime const& c) {
    return Impl(s).TimeMatches(anchor, c);
  }
  static bool FindFirstDay(TimeSeries* s, DateTime& day) { return Impl(s).FindFirstDay(day); }
  static bool NextDay(TimeSeries* s, DateTime const& anchor, DateTime& r) { return Impl(s).NextDay(anchor, r); }
  static bool NextTime(TimeSeries* s, DateTime const& previous, DateTime& r) { return Impl(s).NextTime(previous, r); }
  static void Correct(TimeSeries* s, DateTime const& from, unsigned i, DateTime* out, DateTime& current) {
    Impl(s).CorrectForOffsetChange(from, i, out, current);
  }
};

}  // namespace QDataType
