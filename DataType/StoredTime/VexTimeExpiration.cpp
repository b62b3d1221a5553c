// VexTime::GetExpiration: when a dynamic value stops meaning the moment it
// means now.
//
// Kind 2 expires at the next whole second after its resolution. The kinds 3
// to 14 expire at a local midnight: that of the day on which an auxiliary
// description lands (the next day, the next week's Sunday, the first of the
// next month, 1 January of the next year, the first day of the quarter),
// resolved from now moved by the value's own offsets, then moved back by
// them. The auxiliary description is built directly as a DynamicTime on the
// stack: it is the description a heap VexTime would hold after PutDynamicTime
// and the same setters, so the result is the same without an allocation.
#include "DataType/StoredTime/VexTime.h"

#include "DataType/Calendar/TimeZone.h"

namespace QDataType {

namespace {

constexpr int kRelativeFlags = DT_FLAG_ABSOLUTE_DATE | DT_FLAG_RELATIVE_HOUR | DT_FLAG_RELATIVE_MINUTE_SECOND;

}  // namespace

int VexTime::GetExpiration(VexTime& expiration) const { return GetExpiration(expiration, TimeZone::Local()); }

int VexTime::GetExpiration(VexTime& expiration, TimeZone const& zone) const {
  if (!IsDynamic()) return 1;
  DynamicTime const& description = *Dynamic();
  // DT_FLAG_BUSINESS_DAYS stays, so a description that carries it matches
  // no kind below.
  int const kind = description.GetDynamicTime() & ~kRelativeFlags;

  if (kind == DT_RELATIVE_DATE_TIME) {
    DateTime d;
    DateTime r = d;
    if (description.ToDateTime(r, zone) != -1) d = r;  // taken as UTC
    d.PutMillisecond(0);
    expiration.HoldDate(d + TimeSpan(TimeSpan::kSecond), TIME_MODE_UTC);
    return 0;
  }

  int const dayOffset = description.GetDynamicDayOffset();
  short const monthOffset = description.GetDynamicMonthOffset();
  DynamicTime h;
  auto withOffsets = [&h, dayOffset, monthOffset](DYNAMIC_TIME k) {
    h.PutDynamicTime(k);
    h.PutDynamicDayOffset(dayOffset);
    h.PutDynamicMonthOffset(monthOffset);
  };
  switch (kind) {
    case DT_RELATIVE_DAY:  // the next day; the offsets take no part
      h.PutDynamicTime(DT_RELATIVE_DAY);
      h.PutDay(1);
      break;
    case DT_RELATIVE_WEEK_DAY:
    case DT_THIS_WEEK_SUNDAY:
    case DT_THIS_WEEK_MONDAY:
    case DT_THIS_WEEK_TUESDAY:
    case DT_THIS_WEEK_WEDNESDAY:
    case DT_THIS_WEEK_THURSDAY:
    case DT_THIS_WEEK_FRIDAY:
    case DT_THIS_WEEK_SATURDAY:  // the Sunday of the following week
      withOffsets(DT_RELATIVE_WEEK_DAY);
      h.PutDayOfWeek(0);
      h.PutWeek(1);
      break;
    case DT_RELATIVE_MONTH_DAY:  // the first day of the following month
      withOffsets(DT_RELATIVE_MONTH_DAY);
      h.PutDay(1);
      h.PutMonth(1);
      break;
    case DT_RELATIVE_YEAR_DATE:  // 1 January of the following year
      withOffsets(DT_RELATIVE_YEAR_DATE);
      h.PutMonth(1);
      h.PutDay(1);
      h.PutYear(1);
      break;
    case DT_RELATIVE_QUARTER_DAY:  // the first day of the quarter
      withOffsets(DT_RELATIVE_QUARTER_DAY);
      h.PutDay(1);
      break;
    default:
      return 1;
  }

  DateTime d;
  DateTime r = d;
  if (h.ToDateTime(r, zone) != -1) d = r.ToLocalTime(zone);
  d.PutHour(0);
  d.PutMinute(0);
  d.PutSecond(0);
  d.PutMillisecond(0);
  if (kind != DT_RELATIVE_DAY) {
    // Take back, in reverse order, the offsets the resolution applied.
    if (dayOffset != 0) d = d - TimeSpan(static_cast<long long>(dayOffset) * TimeSpan::kDay);
    if (monthOffset != 0) DynamicTime::MoveNthTimePointBefore(d, monthOffset, TG_MONTH);
  }
  expiration.HoldDate(d.ToUTCTime(zone), TIME_MODE_UTC);
  return 0;
}

}  // namespace QDataType
