// DynamicTime: the description, the moves of a date and the resolution.
//
// Every move is written once, on 64-bit counts, and used by the public moves
// and by the kinds alike: months and years through DateTime's putters,
// everything else (business days as a whole number of calendar days) as a
// DateTime move by a TimeSpan. Sums of field values are formed in 64 bits,
// so no field value overflows.
#include "DataType/DynamicTime/DynamicTime.h"

#include <cstdint>

#include "DataType/Calendar/TimeSpan.h"
#include "DataType/Calendar/TimeZone.h"

namespace QDataType {

namespace {

constexpr long long kSecond = TimeSpan::kSecond;
constexpr long long kMinute = TimeSpan::kMinute;
constexpr long long kHour = TimeSpan::kHour;
constexpr long long kDay = TimeSpan::kDay;
constexpr long long kWeek = TimeSpan::kWeek;
constexpr int kKindMask = ~0x1E0;

// The 32-bit two's-complement value of a sum, as a 32-bit int sum would wrap.
int Wrap32(long long v) noexcept { return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// d + k units, the DateTime move by a TimeSpan (k and unit well inside 2^31
// each, so the product fits).
void Advance(DateTime& d, long long k, long long unit) noexcept { d = d - TimeSpan(-k * unit); }

// The same on the working copy of a resolution, where a move by zero is
// skipped: there its only effects would be to clear the biases and caches,
// which nothing reads, except on 65535-12-31, which every move clamps to the
// day before.
void Shift(DateTime& r, long long k, long long unit) noexcept {
  if (k != 0 || (r.GetYear() == 65535 && r.GetMonth() == 12 && r.GetDay() == 31)) Advance(r, k, unit);
}

// Back by n calendar months (forward for n < 0), year first, then month,
// each putter clamping the day to the month at that moment.
void MoveMonths(DateTime& d, long long n) noexcept {
  // Putting the year and month back as they are changes nothing but the
  // weekday cache, which would only have to be computed again.
  if (n == 0) return;
  if (n >= 0) {
    long long const q = n / 12;
    int const r = static_cast<int>(n - 12 * q);
    d.PutYear(Wrap32(d.GetYear() - q));
    if (d.GetMonth() > r) {
      d.PutMonth(d.GetMonth() - r);
    } else {
      d.PutYear(d.GetYear() - 1);
      d.PutMonth(d.GetMonth() + 12 - r);
    }
  } else {
    long long const m = -n;
    long long const q = m / 12;
    int const r = static_cast<int>(m - 12 * q);
    d.PutYear(Wrap32(d.GetYear() + q));
    if (12 - d.GetMonth() >= r) {
      d.PutMonth(d.GetMonth() + r);
    } else {
      d.PutYear(d.GetYear() + 1);
      d.PutMonth(d.GetMonth() - 12 + r);
    }
  }
}

// Back by n business days (forward for n < 0); a weekend start counts as
// the following Monday. n = 0 only takes a weekend date off the weekend.
void MoveBusinessDays(DateTime& d, long long n, bool towardMonday) noexcept {
  int const w = d.GetDayOfWeek();
  if (n == 0) {
    if (w == 6) Advance(d, towardMonday ? 2 : -1, kDay);
    if (w == 0) Advance(d, towardMonday ? 1 : -2, kDay);
    return;
  }
  if (n < 0) {
    long long const m = -n;
    long long const toMonday = w == 6 ? 2 : w == 0 ? 1 : 0;
    long long const weeks = m / 5;
    long long const rest = m - 5 * weeks;
    long long const skipped = toMonday + 2 * weeks + (rest + w >= 6 && w < 6 ? 2 : 0);
    Advance(d, m + skipped, kDay);
    return;
  }
  // Back from a weekend: from the following Monday, which lies toMonday
  // days ahead.
  long long const toMonday = w == 6 ? 2 : w == 0 ? 1 : 0;
  int const from = toMonday != 0 ? 1 : w;
  long long const weeks = n / 5;
  long long const rest = n - 5 * weeks;
  long long const skipped = 2 * weeks + (from <= rest ? 2 : 0);
  Advance(d, -(n + skipped - toMonday), kDay);
}

// Moves d to occurrence k of weekday dow in its month, stepping k towards
// zero while that occurrence does not exist. False when k runs out (or dow
// is no weekday, for which no occurrence ever exists). Does nothing for a
// dow below 0 or k = 0.
bool NthWeekday(DateTime& d, int k, int dow) noexcept {
  if (dow < 0 || k == 0) return true;
  if (dow > 6) return false;
  // No month has a sixth occurrence, nor one counted -6 from the end, so
  // every larger |k| fails like these and may start here.
  int n = k > 6 ? 6 : k < -6 ? -6 : k;
  while (!d.PutWeekAndDayOfWeek(n, dow)) {
    n += n > 0 ? -1 : 1;
    if (n == 0) return false;
  }
  return true;
}

}  // namespace

DynamicTime::DynamicTime(DYNAMIC_TIME kind, int dayOffset) noexcept
    : kind_(kind),
      dayOffset_(dayOffset),
      year_(0),
      month_(0),
      day_(0),
      hour_(0),
      minute_(0),
      second_(0),
      week_(0),
      dayOfWeek_(-1),
      monthOffset_(0) {}

DynamicTime::DynamicTime(DynamicTime const& other) noexcept = default;
DynamicTime& DynamicTime::operator=(DynamicTime const& other) noexcept = default;
DynamicTime::~DynamicTime() = default;

void DynamicTime::PutDynamicTime(DYNAMIC_TIME kind) noexcept {
  if (kind != DT_NONE) kind_ = kind;
}

// --- Moves ----------------------------------------------------------------------

void DynamicTime::MoveNthTimePointBefore(DateTime& d, int n, TIME_GRANULARITY g) noexcept {
  switch (g) {
    case TG_SECOND: Advance(d, -static_cast<long long>(n), kSecond); break;
    case TG_MINUTE: Advance(d, -static_cast<long long>(n), kMinute); break;
    case TG_HOUR: Advance(d, -static_cast<long long>(n), kHour); break;
    case TG_DAY: Advance(d, -static_cast<long long>(n), kDay); break;
    case TG_WEEK: Advance(d, -static_cast<long long>(n), kWeek); break;
    case TG_MONTH: MoveMonths(d, n); break;
    case TG_YEAR: d.PutYear(Wrap32(static_cast<long long>(d.GetYear()) - n)); break;
    default: break;
  }
}

void DynamicTime::MoveNthTimePointBefore_BusinessDay(DateTime& d, int n, bool towardMonday) const noexcept {
  MoveBusinessDays(d, n, towardMonday);
}

void DynamicTime::hSetTimeOfDate(DateTime& d) const noexcept {
  if (kind_ & DT_FLAG_RELATIVE_HOUR) {
    Shift(d, hour_, kHour);
  } else {
    d.PutHour(hour_);
  }
  if (kind_ & DT_FLAG_RELATIVE_MINUTE_SECOND) {
    Shift(d, minute_, kMinute);
    Shift(d, second_, kSecond);
  } else {
    d.PutMinute(minute_);
    d.PutSecond(second_);
  }
  d.PutMillisecond(0);
}

// --- Resolution -------------------------------------------------------------------

int DynamicTime::ToDateTime(DateTime& d) const noexcept { return ToDateTime(d, TimeZone::Local()); }

int DynamicTime::ToDateTime(DateTime& d, TimeZone const& zone) const noexcept {
  int const kind = kind_ & kKindMask;
  bool const absolute = (kind_ & DT_FLAG_ABSOLUTE_DATE) != 0;
  bool const business = (kind_ & DT_FLAG_BUSINESS_DAYS) != 0;
  // Refused before anything is computed: the outcome is the same, d untouched.
  if (kind == 1 || static_cast<unsigned>(kind) > 14 || (kind == DT_FIXED_DATE && !absolute)) return -1;

  DateTime r = d;
  if (r == DateTime()) r = DateTime::NowUTC().ToLocalTime(zone);

  // The offsets first.
  MoveMonths(r, -static_cast<long long>(monthOffset_));
  if (business) {
    MoveBusinessDays(r, -static_cast<long long>(dayOffset_), monthOffset_ >= 0);
  } else {
    Shift(r, dayOffset_, kDay);
  }

  // The date of a fixed description: year, month, then day D or the n-th
  // weekday.
  auto fixedDate = [this](DateTime& t) {
    t.PutYear(year_);
    t.PutMonth(month_);
    if (day_ == 0) return NthWeekday(t, week_, dayOfWeek_);
    t.PutDay(day_);
    return true;
  };
  auto shiftYearsMonths = [this](DateTime& t) {
    if (year_ != 0) t.PutYear(Wrap32(static_cast<long long>(t.GetYear()) + year_));
    MoveMonths(t, -static_cast<long long>(month_));
  };
  auto addDays = [this, business](DateTime& t) {
    if (business) {
      MoveBusinessDays(t, -static_cast<long long>(day_), month_ >= 0);
    } else {
      Shift(t, day_, kDay);
    }
  };

  switch (kind) {
    case DT_FIXED_DATE:
      if (!fixedDate(r)) return -1;
      break;
    case DT_RELATIVE_DATE_TIME:
      if (absolute) {
        if (!fixedDate(r)) return -1;
      } else {
        shiftYearsMonths(r);
        Shift(r, week_, kWeek);
        addDays(r);
      }
      Shift(r, hour_, kHour);
      Shift(r, minute_, kMinute);
      Shift(r, second_, kSecond);
      r.PutMillisecond(0);
      break;
    case DT_RELATIVE_DAY:
      shiftYearsMonths(r);
      Shift(r, week_, kWeek);
      addDays(r);
      break;
    case DT_RELATIVE_WEEK_DAY:
      shiftYearsMonths(r);
      Shift(r, week_, kWeek);
      if (dayOfWeek_ >= 0) r.PutDayOfWeek(dayOfWeek_, true);
      break;
    case DT_RELATIVE_MONTH_DAY:
      shiftYearsMonths(r);
      if (day_ == 0) {
        if (!NthWeekday(r, week_, dayOfWeek_)) return -1;
      } else if (!business) {
        r.PutDay(day_);
      } else {
        // The D-th business day from the month's start or end; the sign of D
        // settles a weekend start (see the header).
        long long n;
        if (day_ < 0) {
          r.PutDay(r.GetDaysInMonth());
          n = static_cast<long long>(day_) + 1;
        } else {
          r.PutDay(1);
          n = static_cast<long long>(day_) - 1;
        }
        MoveBusinessDays(r, -n, day_ > 0);
      }
      break;
    case DT_RELATIVE_YEAR_DATE:
      r.PutYear(Wrap32(static_cast<long long>(r.GetYear()) + year_));
      if (month_ > 0) {
        r.PutDay(1);
        r.PutMonth(month_);
      }
      if (day_ != 0) {
        r.PutDay(day_);
      } else if (!NthWeekday(r, week_, dayOfWeek_)) {
        return -1;
      }
      break;
    case DT_RELATIVE_QUARTER_DAY: {
      int const q1 = r.GetFirstMonthOfQuater();  // after the offsets (nothing since has moved r)
      r.PutYear(Wrap32(static_cast<long long>(r.GetYear()) + year_));
      r.PutDay(1);
      r.PutMonth(q1);
      if (month_ > 0) {
        r.PutMonth(Wrap32(static_cast<long long>(q1) + month_ - 1));
        if (!NthWeekday(r, week_, dayOfWeek_)) return -1;
      }
      if (day_ != 0) {
        long long n;
        if (day_ < 0) {
          r.PutMonth(q1 + 2);
          r.PutDay(r.GetDaysInMonth());
          n = static_cast<long long>(day_) + 1;
        } else {
          n = static_cast<long long>(day_) - 1;
        }
        if (business) {
          MoveBusinessDays(r, -n, day_ > 0);
        } else {
          Shift(r, n, kDay);
        }
      }
      break;
    }
    default:  // 7..13: that weekday of r's Sunday-to-Saturday week
      Shift(r, (kind - DT_THIS_WEEK_SUNDAY) - r.GetDayOfWeek(), kDay);
      shiftYearsMonths(r);
      Shift(r, week_, kWeek);
      if (dayOfWeek_ >= 0) r.PutDayOfWeek(dayOfWeek_, true);
      break;
  }

  if (kind != DT_RELATIVE_DATE_TIME) hSetTimeOfDate(r);

  // The weekend rule looks at the day-of-week field, not at r.
  if (business && (kind_ & (DT_FLAG_RELATIVE_HOUR | DT_FLAG_RELATIVE_MINUTE_SECOND))) {
    bool const forward = (kind_ & DT_FLAG_RELATIVE_HOUR) &&
                         (hour_ > 0 || (hour_ == 0 && (kind_ & DT_FLAG_RELATIVE_MINUTE_SECOND) && minute_ >= 0));
    if (dayOfWeek_ == 6) Shift(r, forward ? 2 : -1, kDay);
    if (dayOfWeek_ == 0) Shift(r, forward ? 1 : -2, kDay);
  }

  d = r.ToUTCTime(zone);
  return 0;
}

}  // namespace QDataType
