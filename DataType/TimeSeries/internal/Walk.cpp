#include "DataType/TimeSeries/internal/Walk.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace QDataType {
namespace series {

namespace {

constexpr long long kDay = 86400000;
constexpr long long kHour = 3600000;
constexpr long long kMinute = 60000;
constexpr long long kLastDay = 23242571;    // 65535-12-30: moves past it stop there
constexpr long long kFirstDay = -693959;    // 0000-01-01
constexpr long long kPeriod = 146097;       // days in 400 years, a whole number of weeks
constexpr long long kSearchDays = 2928;     // 8 x 366
constexpr long long kNever = 1LL << 60;     // "no later day can match"
constexpr long long kBudget = 1LL << 18;    // steps a computation may take ...
constexpr long long kBudgetPerEntry = 256;  // ... plus this much per entry it writes

// Digits of a time of day, least significant first.
constexpr long long kSize[4] = {1000, 60, 60, 24};
constexpr long long kUnit[4] = {1, 1000, kMinute, kHour};

constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

long long FloorDiv(long long a, long long b) noexcept {
  long long q = a / b;
  if (a % b != 0 && ((a < 0) != (b < 0))) --q;
  return q;
}
long long FloorMod(long long a, long long b) noexcept { return a - FloorDiv(a, b) * b; }
long long CeilDiv(long long a, long long b) noexcept { return -FloorDiv(-a, b); }

long long DayOf(Local t) noexcept { return FloorDiv(t, kDay); }
long long TodOf(Local t) noexcept { return t - DayOf(t) * kDay; }
long long DigitOf(Local t, int i) noexcept { return TodOf(t) / kUnit[i] % kSize[i]; }

bool Leap(long long y) noexcept { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(long long year, int month) noexcept { return month == 2 && Leap(year) ? 29 : kDaysInMonth[month - 1]; }
int Weekday(long long day) noexcept { return static_cast<int>((day % 7 + 13) % 7); }  // day 0 was a Saturday

Civil CivilOf(long long day) noexcept {
  unsigned short y;
  short m, d;
  DateTime::DAYSToYMD(static_cast<int>(day), y, m, d);
  return Civil{y, m, d};
}
long long DayNumber(long long year, long long month, long long day) noexcept {
  return DateTime::YMDToDAYS(static_cast<unsigned short>(year), static_cast<short>(month), static_cast<short>(day));
}

long long StepOf(int value) noexcept { return value < 1 ? 1 : value; }

}  // namespace

Local FromDateTime(DateTime const& d) noexcept { return DateTime::ToMilliseconds(d); }

DateTime ToDateTime(Local t) noexcept {
  long long const day = DayOf(t), tod = t - day * kDay;
  Civil const c = CivilOf(day);
  return DateTime(c.year, c.month, c.day, static_cast<int>(tod / kHour), static_cast<int>(tod / kMinute % 60),
                  static_cast<int>(tod / 1000 % 60), static_cast<int>(tod % 1000), 0, 0);
}

// --- Set-up ------------------------------------------------------------------

Walk::Walk(Fields const& fields) noexcept : f_(fields), budget_(kBudget), abandoned_(false) {
  window_ = f_.windowStartHour != -1 && f_.windowStartMinute != -1 && f_.windowEndHour != -1 &&
            f_.windowEndMinute != -1 && f_.windowInterval != -1;
  windowStep_ = static_cast<long long>(f_.windowInterval) * kMinute;

  int const values[9] = {f_.year,   f_.month,       f_.day,  f_.hour,         f_.minute,
                         f_.second, f_.millisecond, f_.week, f_.dayOfWeekMask};
  for (int i = 0; i < 9; ++i) step_[i] = StepOf(values[i]);
  searchLimit_ = kSearchDays * (f_.yearRec == RECURRENCE_EVERY ? step_[0] : 1);

  // The odometer's digits.
  int const digitValue[4] = {f_.millisecond, f_.second, f_.minute, f_.hour};
  RECURRENCE const digitRec[4] = {f_.millisecondRec, f_.secondRec, f_.minuteRec, f_.hourRec};
  counter_ = true;
  lastForced_ = -1;
  for (int i = 0; i < 4; ++i) {
    Digit& g = digit_[i];
    g = Digit{kFree, 0};
    if (digitRec[i] == RECURRENCE_FIXED) {
      long long const v = digitValue[i];
      long long const f = v < 0 ? v + kSize[i] : v;
      g = Digit{f >= kSize[i] ? kHigh : f < 0 ? kLow : kFixed, f};
      if (g.kind != kFixed) lastForced_ = i;
    } else if (digitRec[i] == RECURRENCE_EVERY) {
      g = Digit{kStep, StepOf(digitValue[i])};
      if (i < 3 && g.value > kSize[i]) counter_ = false;  // a step beyond its unit moves the whole time
    }
  }
  // After an out-of-range fixed digit above it, the odometer says "later" on
  // every step: the times of the day never run out, and the runs below it
  // cycle. That is no counter.
  if (lastForced_ >= 0 && digit_[lastForced_].kind == kHigh) counter_ = false;
  // An odometer that moves the same distance on every step, whatever the
  // time: after its first step (which sets its fixed digits), every acting
  // digit either forces the flags (out of range) or moves by a step beyond
  // its unit (whatever the digit holds), no digit is set above a move (a
  // move may carry into it), and the last word is "later".
  stride_ = 0;
  if (!counter_) {
    enum { kNone, kLater, kWrapped } flags = kNone;
    bool moved = false, constant = true;
    for (int i = 0; i < 4 && constant; ++i) {
      Digit const& g = digit_[i];
      if (g.kind == kHigh) flags = kLater;
      if (g.kind == kLow) flags = kWrapped;
      if (g.kind == kFixed && moved) constant = false;
      if (g.kind == kStep && (i == 0 || flags != kLater)) {
        if (g.value < kSize[i]) constant = false;
        stride_ += (g.value - kSize[i]) * kUnit[i];
        moved = true;
        flags = kWrapped;
      }
    }
    if (!constant || flags != kLater || stride_ <= 0) stride_ = 0;
  }
  // Runs of stepped digits between out-of-range fixed ones: a run above a
  // "high" one never steps, one above a "low" one steps on every step.
  bool enabled = true;
  for (int i = 0; i < 4; ++i) {
    steps_[i] = false;
    if (digit_[i].kind == kHigh) enabled = false;
    if (digit_[i].kind == kLow) enabled = true;
    if (digit_[i].kind == kStep) steps_[i] = enabled;
  }

  // How often the date rules repeat: a rule on the calendar (a fixed day,
  // week, month or year, a month or year step) every 400 years; rules on
  // weekdays every week; steps counted in days only are the same every day.
  bool const dayFree = f_.dayRec != RECURRENCE_FIXED && f_.dayRec != RECURRENCE_EVERY;
  bool const calendar = f_.dayRec == RECURRENCE_FIXED || (dayFree && f_.weekRec == RECURRENCE_FIXED) ||
                        f_.monthRec == RECURRENCE_FIXED || (f_.monthRec == RECURRENCE_EVERY && step_[1] > 1) ||
                        f_.yearRec == RECURRENCE_FIXED || (f_.yearRec == RECURRENCE_EVERY && step_[0] > 1);
  bool const weekly = dayFree && (f_.dayOfWeekRec == RECURRENCE_FIXED || f_.weekRec == RECURRENCE_EVERY);
  period_ = calendar ? kPeriod : weekly ? 7 : 1;
}

bool Walk::Spend(long long units) noexcept {
  budget_ -= units;
  if (budget_ < 0) abandoned_ = true;
  return !abandoned_;
}

Local Walk::Move(Local t, long long milliseconds) const noexcept {
  Local const r = t + milliseconds;
  long long const day = DayOf(r);
  if (day >= kFirstDay && day <= kLastDay) return r;
  // Off the calendar: DateTime's own arithmetic decides where it stops.
  return FromDateTime(ToDateTime(t) + TimeSpan(milliseconds));
}

Local Walk::PutYear(Local t, int year) const noexcept {
  long long const day = DayOf(t), tod = t - day * kDay;
  Civil const c = CivilOf(day);
  int const y = static_cast<uint16_t>(year);  // DateTime::PutYear keeps the low 16 bits
  int const dim = DaysInMonth(y, c.month);
  return DayNumber(y, c.month, c.day < dim ? c.day : dim) * kDay + tod;
}

// --- Date rules ----------------------------------------------------------------

// Tests day `day` (whole days `wholeDays` after the anchor, if any). When it
// fails, `next` is a day after it before which no day can pass (kNever: no
// later day can); it assumes the candidates share the anchor's time of day,
// as they do in a search.
bool Walk::TestDay(AnchorInfo const* a, long long wholeDays, long long day, Civil const& cv,
                   long long& next) const noexcept {
  int const dim = DaysInMonth(cv.year, cv.month);
  int const dow = Weekday(day);
  long long const nextMonth = day - (cv.day - 1) + dim;
  bool ok = true;
  next = day + 1;
  auto fail = [&](long long from) {
    ok = false;
    if (from > next) next = from;
  };

  // Day of the month, or week and weekday.
  if (f_.dayRec == RECURRENCE_FIXED) {
    int const d = f_.day;
    if (cv.day != d) fail(d < 1 || d > 31 ? kNever : cv.day < d && d <= dim ? day + (d - cv.day) : nextMonth);
  } else if (f_.dayRec == RECURRENCE_EVERY) {
    if (a != nullptr && wholeDays % step_[2] != 0) fail(a->day + (FloorDiv(wholeDays, step_[2]) + 1) * step_[2]);
  } else {
    if (f_.dayOfWeekRec == RECURRENCE_FIXED) {
      unsigned const bits = static_cast<unsigned>(f_.dayOfWeekMask) & 0x7Fu;
      if (((bits >> dow) & 1u) == 0) {
        int j = 1;
        while (bits != 0 && ((bits >> ((dow + j) % 7)) & 1u) == 0) ++j;
        fail(bits == 0 ? kNever : day + j);
      }
    }
    if (f_.weekRec == RECURRENCE_FIXED) {
      long long const w = f_.week;
      // The days of the month that lie in week w.
      long long const first = w > 0 ? 7 * w - 6 : dim + 7 * w + 1;
      long long const last = first + 6;
      if (w == 0 || w > 5 || w < -5) {
        fail(kNever);
      } else if (cv.day < first) {
        fail(first <= dim ? day + (first - cv.day) : nextMonth);
      } else if (cv.day > last) {
        fail(nextMonth);
      }
    } else if (f_.weekRec == RECURRENCE_EVERY && a != nullptr) {
      long long const dd = wholeDays;
      long long const weeks = dd >= 0 ? (dd + 6) / 7 : -((-dd) / 7);  // ceil(dd / 7.0)
      if (weeks % step_[7] != 0 && !(dow > a->dayOfWeek)) {
        // Either a later weekday of this week that the mask admits, or the
        // first day of the next week count that is a multiple of the step.
        unsigned const admitted =
            f_.dayOfWeekRec == RECURRENCE_FIXED ? static_cast<unsigned>(f_.dayOfWeekMask) & 0x7Fu : 0x7Fu;
        unsigned const later = admitted & ~((2u << a->dayOfWeek) - 1u);
        int weekday = a->dayOfWeek + 1;
        while (later != 0 && ((later >> weekday) & 1u) == 0) ++weekday;
        long long const byWeekday = later == 0 ? kNever : day + (weekday - dow);
        long long const byCount = dd >= 0 ? a->day + 7 * ((FloorDiv(weeks, step_[7]) + 1) * step_[7] - 1) + 1 : day + 1;
        fail(byWeekday < byCount ? byWeekday : byCount);
      }
    }
  }

  // Month.
  if (f_.monthRec == RECURRENCE_FIXED) {
    int const m = f_.month;
    if (cv.month != m) {
      if (m < 1 || m > 12) {
        fail(kNever);
      } else if (cv.month < m) {
        fail(DayNumber(cv.year, m, 1));
      } else {
        fail(cv.year + 1 > 65535 ? kNever : DayNumber(cv.year + 1, m, 1));
      }
    }
  } else if (f_.monthRec == RECURRENCE_EVERY && a != nullptr) {
    long long const index = static_cast<long long>(cv.year - a->year) * 12 - a->month + cv.month;
    if (index % step_[1] != 0) {
      long long const months =
          static_cast<long long>(cv.year) * 12 + (cv.month - 1) + ((FloorDiv(index, step_[1]) + 1) * step_[1] - index);
      fail(months / 12 > 65535 ? kNever : DayNumber(months / 12, months % 12 + 1, 1));
    }
  }

  // Year.
  if (f_.yearRec == RECURRENCE_FIXED) {
    if (cv.year != f_.year) fail(cv.year < f_.year && f_.year <= 65535 ? DayNumber(f_.year, 1, 1) : kNever);
  } else if (f_.yearRec == RECURRENCE_EVERY && a != nullptr) {
    long long const diff = cv.year - a->year;
    if (diff % step_[0] != 0) {
      long long const year = a->year + (FloorDiv(diff, step_[0]) + 1) * step_[0];
      fail(year > 65535 ? kNever : DayNumber(year, 1, 1));
    }
  }
  return ok;
}

bool Walk::DateMatches(Local const* anchor, Local candidate) const noexcept {
  long long next;
  long long const day = DayOf(candidate);
  Civil const cv = CivilOf(day);
  if (anchor == nullptr) return TestDay(nullptr, 0, day, cv, next);
  long long const aDay = DayOf(*anchor);
  Civil const ac = CivilOf(aDay);
  AnchorInfo const a{*anchor, aDay, ac.year, ac.month, Weekday(aDay)};
  // Whole days of the difference, truncated toward zero (TimeSpan::GetTotalDays).
  return TestDay(&a, (candidate - *anchor) / kDay, day, cv, next);
}

namespace {

// Hour, minute, second and millisecond of a time.
struct Digits {
  long long v[4];  // millisecond, second, minute, hour
  explicit Digits(Local t) noexcept {
    long long const tod = TodOf(t);
    v[0] = tod % 1000;
    v[1] = tod / 1000 % 60;
    v[2] = tod / kMinute % 60;
    v[3] = tod / kHour;
  }
};

}  // namespace

bool Walk::TimeMatches(Local const* anchor, Local candidate) const noexcept {
  int const values[4] = {f_.millisecond, f_.second, f_.minute, f_.hour};
  RECURRENCE const recs[4] = {f_.millisecondRec, f_.secondRec, f_.minuteRec, f_.hourRec};
  Digits const c(candidate);
  for (int i = 3; i >= 0; --i) {
    if (recs[i] == RECURRENCE_FIXED) {
      if (c.v[i] != values[i]) return false;
    } else if (recs[i] == RECURRENCE_EVERY && anchor != nullptr) {
      if ((c.v[i] + kSize[i] - Digits(*anchor).v[i]) % StepOf(values[i]) != 0) return false;
    }
  }
  return true;
}

// The first day after `start` (at most searchLimit_ days on) that passes,
// with start's time of day. Days past the calendar's last are its last day.
bool Walk::Search(Local const* anchor, Local start, Local& found) noexcept {
  long long const day0 = DayOf(start), tod = start - day0 * kDay;
  AnchorInfo a{};
  if (anchor != nullptr) {
    long long const aDay = DayOf(*anchor);
    Civil const ac = CivilOf(aDay);
    a = AnchorInfo{*anchor, aDay, ac.year, ac.month, Weekday(aDay)};
  }
  AnchorInfo const* const ap = anchor != nullptr ? &a : nullptr;
  // The civil date of the day tested, carried along while the search stays
  // within a month.
  long long civilDay = kNever;  // none yet
  Civil cv{};
  auto test = [&](long long day, long long& next) {
    if (day > civilDay && day - civilDay <= DaysInMonth(cv.year, cv.month) - cv.day) {
      cv.day += static_cast<int>(day - civilDay);
    } else {
      cv = CivilOf(day);
    }
    civilDay = day;
    Local const at = day * kDay + tod;
    if (!TestDay(ap, anchor != nullptr ? (at - *anchor) / kDay : 0, day, cv, next)) return false;
    found = at;
    return true;
  };

  long long next;
  long long const lo = day0 + 1;
  if (lo > kLastDay) return Spend(1) && test(kLastDay, next);  // every candidate is the last day
  long long top = day0 + searchLimit_;
  if (top > kLastDay) top = kLastDay;  // later candidates repeat the last day
  // Without an anchor only calendar rules apply; unless a fixed year is
  // among them they repeat every 400 years.
  if (anchor == nullptr && f_.yearRec != RECURRENCE_FIXED && top > lo + kPeriod) top = lo + kPeriod;
  for (long long day = lo; day <= top; day = next) {
    if (!Spend(1)) return false;
    if (test(day, next)) return true;
  }
  return false;
}

bool Walk::FindFirstDay(Local& day) noexcept {
  bool const pass = DateMatches(nullptr, day);
  Local d = DayOf(day) * kDay;
  if (pass) {
    day = d;
    return true;
  }
  if (f_.yearRec == RECURRENCE_FIXED && f_.year > CivilOf(DayOf(d)).year) d = PutYear(d, f_.year);
  Local found;
  if (!Search(nullptr, d, found)) return false;
  day = found;
  return true;
}

bool Walk::NextDay(Local anchor, Local& result) noexcept {
  if (!Spend(1)) return false;
  Local d = Move(anchor, kDay);
  if (DateMatches(&anchor, d)) {
    result = d;
    return true;
  }
  if (f_.yearRec == RECURRENCE_FIXED && f_.year > CivilOf(DayOf(d)).year) d = PutYear(d, f_.year);
  Local found;
  if (!Search(&anchor, d, found)) return false;
  result = DayOf(found) * kDay;
  return true;
}

// --- The odometer ----------------------------------------------------------------

// One digit's turn in a step: I is 0 (millisecond) to 3 (hour).
template <int I>
void Walk::StepDigit(long long& day, long long& tod, bool& advanced, bool& carry) const noexcept {
  constexpr long long size = I == 0 ? 1000 : I == 3 ? 24 : 60;
  constexpr long long unit = I == 0 ? 1 : I == 1 ? 1000 : I == 2 ? kMinute : kHour;
  Digit const& g = digit_[I];
  if (g.kind == kFree) return;
  long long const c = tod / unit % size;
  if (g.kind == kStep) {
    if (advanced && !carry) return;  // steps when carried or not yet advanced (the millisecond always)
    long long milliseconds;
    if (c + g.value < size) {
      milliseconds = g.value * unit;
      advanced = true;
      carry = false;
    } else {
      milliseconds = (g.value - size) * unit;  // wraps within its unit, or beyond when the step exceeds it
      advanced = false;
      carry = true;
    }
    long long const t = tod + milliseconds;
    if (t >= 0 && t < kDay) {
      tod = t;
    } else {  // past midnight
      Local const moved = Move(day * kDay + tod, milliseconds);
      day = DayOf(moved);
      tod = moved - day * kDay;
    }
    return;
  }
  // Fixed: set when in range (a putter refuses anything else), then the
  // flags by comparison with the value.
  long long const f = g.kind == kFixed ? g.value : g.kind == kHigh ? size : -1;
  if (g.kind == kFixed) tod += (f - c) * unit;
  if constexpr (I == 0) {
    if (f > c) advanced = true;
    if (f < c) carry = true;
  } else if constexpr (I < 3) {
    if (f > c) {
      advanced = true;
      carry = false;
    } else if (f < c) {
      carry = true;
      advanced = false;
    }
  } else {
    if (f > c) advanced = true;
    if (f < c) advanced = false;
  }
}

bool Walk::NextTime(Local previous, Local& result) const noexcept {
  // The day and the time of day, apart: every move but one past midnight
  // stays within the day.
  long long day = DayOf(previous), tod = previous - day * kDay;
  bool advanced = false, carry = false;
  StepDigit<0>(day, tod, advanced, carry);
  StepDigit<1>(day, tod, advanced, carry);
  StepDigit<2>(day, tod, advanced, carry);
  StepDigit<3>(day, tod, advanced, carry);
  result = day * kDay + tod;
  return advanced;
}

// The odometer from a state reached by a step (its fixed digits set), in
// closed form: every enabled run of stepped digits adds its steps like a
// counter, once per step; the step on which the highest run wraps past its
// top digit is the K-th, the one that says the day's times are exhausted.
// States 0..K-1 rise strictly.
struct Walk::Counter {
  Walk const& w;
  long long day;
  long long v[4];
  long long k;  // K

  Counter(Walk const& walk, Local base) noexcept : w(walk), day(DayOf(base)) {
    for (int i = 0; i < 4; ++i) v[i] = DigitOf(base, i);
    long long need = 1;
    bool any = false;
    for (int i = 3; i > w.lastForced_; --i) {
      if (w.digit_[i].kind != kStep) continue;
      any = true;
      need = CeilDiv(need * kSize[i] - v[i], w.digit_[i].value);
    }
    k = any ? need : 1;
  }

  Local At(long long steps) const noexcept {
    long long carry = steps, tod = 0;
    for (int i = 0; i < 4; ++i) {
      Digit const& g = w.digit_[i];
      long long x = v[i];
      if (g.kind == kHigh || g.kind == kLow) {
        carry = steps;
      } else if (g.kind == kStep && w.steps_[i]) {
        long long const total = x + carry * g.value;
        x = total % kSize[i];
        carry = total / kSize[i];
      }
      tod += x * kUnit[i];
    }
    return day * kDay + tod;
  }

  // The least s in [lo, hi] with At(s) >= target; hi + 1 if there is none.
  long long FirstAtOrAfter(long long lo, long long hi, Local target) const noexcept {
    while (lo <= hi) {
      long long const mid = lo + (hi - lo) / 2;
      if (At(mid) >= target) {
        hi = mid - 1;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  }
};

// NextTime repeated while it says true and current < target (at least once);
// returns the last result.
bool Walk::AdvanceWhileBefore(Local& current, Local target) noexcept {
  if (!Spend(1)) return false;
  bool const r = NextTime(current, current);
  if (!r || current >= target) return r;
  // The progression counted out, as long as it stays on the calendar; one
  // that would pass its last day is stepped instead, so that the move stops
  // there as a single step's does.
  if (stride_ > 0 && DayOf(target) < kLastDay) {
    Local const landed = current + CeilDiv(target - current, stride_) * stride_;
    if (DayOf(landed) <= kLastDay) {
      current = landed;
      return true;
    }
  }
  if (!counter_) return AdvanceByCycles(current, target);
  Counter const c(*this, current);
  if (c.k > 1) {
    long long const s = c.FirstAtOrAfter(1, c.k - 1, target);
    if (s <= c.k - 1) {
      current = c.At(s);
      return true;
    }
    current = c.At(c.k - 1);
  }
  return NextTime(current, current);  // the step that exhausts the day
}

// The same for an odometer that is no counter: step by step. It starts on
// the target's day (a day search lands on it at midnight, or later and then
// past the target), so a step that gains a day ends it. A step depends only
// on the time of day; when a time of day comes back on the same day, the
// steps go round for ever below the target (Brent's cycle finding): the walk
// ends.
bool Walk::AdvanceByCycles(Local& current, Local target) noexcept {
  Local mark = current;
  long long power = 1, length = 0;
  for (;;) {
    if (!Spend(1)) return false;
    bool const r = NextTime(current, current);
    if (!r || current >= target) return r;
    if (current == mark) {
      abandoned_ = true;
      return false;
    }
    if (++length == power) {
      mark = current;
      power *= 2;
      length = 0;
    }
  }
}

// `current` is a state of the walk below `target`. Moves it to the last state
// of its day's run of steps that is still below `target`, so that the walk's
// next step is the first at or after it (or the one that exhausts the day).
void Walk::SkipBelow(Local& current, Local target) noexcept {
  Local next;
  if (!NextTime(current, next) || next >= target) return;
  if (stride_ > 0) {
    if (DayOf(target) < kLastDay) current = next + (target - 1 - next) / stride_ * stride_;
    return;
  }
  Counter const c(*this, next);
  Local const last = c.At(c.k - 1);
  current = last < target ? last : c.At(c.FirstAtOrAfter(0, c.k - 1, target) - 1);
}

// From the first occurrence of a day to the first of the next one, as the
// walk from `start` goes (counter odometers only); false when the walk ends.
// The steps within a day and the steps on the new day depend on times of day
// only (away from the calendar's end): the last of each is remembered, since
// a walk mostly repeats them day after day.
bool Walk::DayTransition(Local first, Local& next) noexcept {
  long long const tod = TodOf(first);
  bool const inside = DayOf(first) < kLastDay - 2;
  Local last, over;
  if (inside && dayMemo_.valid && dayMemo_.firstTod == tod) {
    last = first + dayMemo_.last;
    over = first + dayMemo_.over;
  } else {
    last = first;
    if (NextTime(first, over)) {
      Counter const c(*this, over);
      last = c.At(c.k - 1);
      NextTime(last, over);
    }
    if (inside && DayOf(over) < kLastDay - 2) dayMemo_ = DayMemo{true, tod, last - first, over - first};
  }
  Local day;
  if (!NextDay(over, day)) return false;
  long long const lastTod = TodOf(last), dayTod = TodOf(day);
  if (DayOf(day) < kLastDay - 2 && startMemo_.valid && startMemo_.lastTod == lastTod && startMemo_.dayTod == dayTod) {
    if (!startMemo_.ok) return false;
    next = day + startMemo_.shift;
    return true;
  }
  bool const matches = TimeMatches(&last, day);
  bool const ok = matches || NextTime(day, next);
  if (matches) next = day;
  if (DayOf(day) < kLastDay - 2 && (!ok || DayOf(next) < kLastDay - 2)) {
    startMemo_ = StartMemo{true, lastTod, dayTod, ok, ok ? next - day : 0};
  }
  return ok;
}

// The walk from `start` toward a far `limitDay`, from the first occurrence of
// a day: a day's successor depends on its first occurrence and on date rules
// that repeat every period_ days. When a first occurrence comes back at the
// same time of day, on a day in the same position of the period, the days in
// between repeat: every later first occurrence is one of that round's,
// shifted by whole rounds. `first` becomes the last of them before
// `limitDay`. Repetitions are found by a table of the positions in the
// period, which also keeps the round's first occurrences (the first return,
// after one round), or else by Brent's cycle finding, which also catches
// first occurrences that drift through several times of day per round.
// Returns false when the walk ends first; `first` is then meaningless.
bool Walk::SkipRepetitions(Local& first, long long limitDay) noexcept {
  if (f_.yearRec == RECURRENCE_FIXED) return true;
  // Per position in the period: 1 + the index in `path` of the last first
  // occurrence seen there, and its time of day. Without the memory, Brent's
  // method alone.
  std::unique_ptr<long long[]> seen(new (std::nothrow) long long[2 * period_]);
  std::unique_ptr<Local[]> path(new (std::nothrow) Local[period_ + 1]);
  if (!seen || !path) seen.reset(), path.reset();
  if (seen) std::fill(seen.get(), seen.get() + 2 * period_, 0LL);
  long long length = 0;  // of the path
  // A repetition that gains no day (two states on the calendar's last day,
  // where moves stop) goes round for ever: the walk ends.
  auto jump = [&](Local hare, long long delta) {
    if (delta <= 0) {
      abandoned_ = true;
      return false;
    }
    first = hare + (limitDay - 1 - DayOf(hare)) / delta * delta * kDay;
    return true;
  };
  // The latest of the round's states path[from..] shifted by whole rounds.
  auto land = [&](long long from, long long delta) {
    if (delta <= 0) {
      abandoned_ = true;
      return false;
    }
    for (long long i = from; i < length; ++i) {
      Local const at = path[i] + (limitDay - 1 - DayOf(path[i])) / delta * delta * kDay;
      if (at > first) first = at;
    }
    return true;
  };
  Local mark = first, hare = first;
  long long power = 1, round = 0;
  for (;;) {
    if (seen) {
      long long* const slot = &seen[2 * FloorMod(DayOf(hare), period_)];
      if (slot[0] != 0 && slot[1] == (window_ ? 0 : TodOf(hare))) {
        return land(slot[0] - 1, DayOf(hare) - DayOf(path[slot[0] - 1]));
      }
      if (length <= period_) {
        path[length] = hare;
        slot[0] = ++length;
        slot[1] = window_ ? 0 : TodOf(hare);
      }
    }
    if (!Spend(1)) return false;
    Local next;
    bool const moved =
        window_ ? NextDay(WithTime(hare, f_.windowEndHour, f_.windowEndMinute), next) : DayTransition(hare, next);
    if (!moved) return false;
    if (window_) next = WithTime(next, f_.windowStartHour, f_.windowStartMinute);
    if (DayOf(next) >= limitDay) {
      first = hare;
      return true;
    }
    hare = next;
    ++round;
    if (FloorMod(DayOf(hare), period_) == FloorMod(DayOf(mark), period_) && (window_ || TodOf(hare) == TodOf(mark))) {
      return jump(hare, DayOf(hare) - DayOf(mark));
    }
    if (round == power) {
      mark = hare;
      power *= 2;
      round = 0;
    }
  }
}

// --- Walks without a window ------------------------------------------------------------

namespace {

// Brent's cycle finding over the states of a walk that lists nothing, for
// odometers that are no counters. A state of the walk is its current time;
// its successor depends on the time of day and, through the day searches, on
// date rules that repeat every `period` days. When a state comes back at the
// same time of day, in the same position of the period, the walk repeats
// from there, shifted by the days gained (0: it goes round for ever). A
// period of 0 asks for the same state exactly (a fixed year breaks the
// repetition of dates), unless no day was searched in between: odometer
// steps alone repeat whatever the date. Near the calendar's end only the
// same state counts.
class DriftWatch {
 public:
  explicit DriftWatch(long long period) noexcept : period_(period) {}

  // The days gained since a state like `state`; -1 while none has come back.
  // `searched`: a day search led to `state`.
  long long Gained(Local state, bool searched) noexcept {
    long long const day = DayOf(state), tod = state - day * kDay;
    if (!armed_) {
      Mark(day, tod);
      return -1;
    }
    searched_ = searched_ || searched;
    if (tod == markTod_) {
      long long const gained = day - markDay_;
      long long const period = searched_ ? period_ : 1;
      bool const exact = period == 0 || day >= kLastDay - 1;
      if (exact ? gained == 0 : gained % period == 0) return gained;  // days never go back: gained >= 0
    }
    if (++length_ == power_) {
      Mark(day, tod);
      power_ *= 2;
    }
    return -1;
  }
  void Reset() noexcept {
    armed_ = false;
    power_ = 1;
  }

 private:
  void Mark(long long day, long long tod) noexcept {
    markDay_ = day;
    markTod_ = tod;
    armed_ = true;
    searched_ = false;
    length_ = 0;
  }

  long long period_;
  long long markDay_ = 0, markTod_ = 0;
  long long power_ = 1, length_ = 0;
  bool armed_ = false, searched_ = false;
};

// Watches a walk below `limit` (days are never lost along a walk): false
// when it goes round for ever; otherwise moves `current` over whole
// repetitions, stopping on a day before `limit`'s.
bool Skip(DriftWatch& watch, Local& current, bool searched, Local limit) noexcept {
  long long const gained = watch.Gained(current, searched);
  if (gained < 0) return true;
  if (gained == 0) return false;
  long long const rounds = (DayOf(limit) - 1 - DayOf(current)) / gained;
  if (rounds > 0) current += rounds * gained * kDay;
  watch.Reset();
  return true;
}

// Writes an entry, crediting the budget for it.
template <typename Budget>
bool Emit(Sink& sink, unsigned index, Local& current, Budget& budget) {
  budget += kBudgetPerEntry;
  return sink.Put(index, current);
}

}  // namespace

unsigned Walk::Next(Local from, unsigned count, Sink& sink) {
  if (window_) return WindowNext(from, count, sink);
  Local const lower = from;
  Local current = lower;
  if (!FindFirstDay(current)) return 0;
  if (!(TimeMatches(nullptr, current) && current >= lower)) {
    bool const r = AdvanceWhileBefore(current, lower);
    if (abandoned_) return 0;
    if (!r) {
      if (!NextDay(current, current)) return 0;
      if (!TimeMatches(nullptr, current) && !NextTime(current, current)) return 0;
    }
  }
  if (!Emit(sink, 0, current, budget_)) return 0;
  return Continue(current, 1, count, sink);
}

unsigned Walk::Continue(Local previous, unsigned first, unsigned count, Sink& sink) {
  Local current = previous;
  if (window_) {
    if (windowStep_ <= 0) return first;
    Local end = WithTime(current, f_.windowEndHour, f_.windowEndMinute);
    for (unsigned k = first; k < count; ++k) {
      if (!WindowAdvance(current, end)) return k;
      if (!Emit(sink, k, current, budget_)) return k;
    }
    return count;
  }
  for (unsigned k = first; k < count; ++k) {
    Local const before = current;
    if (!NextTime(before, current)) {
      if (!NextDay(current, current)) return k;
      if (!TimeMatches(nullptr, current) && !NextTime(current, current)) return k;
    }
    if (!Emit(sink, k, current, budget_)) return k;
  }
  return count;
}

unsigned Walk::NextAfterStart(Local start, Local from, unsigned count, Sink& sink) {
  if (window_) return WindowNextAfterStart(start, from, count, sink);
  Local const s = start, f = from;
  Local current = s;
  if (!FindFirstDay(current)) return 0;
  unsigned n = 0;
  if (TimeMatches(nullptr, current)) {
    if (current >= f) {
      if (!Emit(sink, n, current, budget_)) return n;
      ++n;
    }
  } else {
    bool const r = AdvanceWhileBefore(current, s);
    if (abandoned_) return 0;
    if (r && current >= f) {
      if (!Emit(sink, n, current, budget_)) return n;
      ++n;
    }
  }
  long long days = 0;
  bool skipped = false;
  DriftWatch watch(f_.yearRec == RECURRENCE_FIXED ? 0 : period_);
  bool searched = false;  // the last step searched a day
  while (n < count) {
    if (current < f) {
      if (!Spend(1)) return n;
      if (counter_ || stride_ > 0) {
        SkipBelow(current, f);
      } else if (!Skip(watch, current, searched, f)) {
        abandoned_ = true;
        return n;
      }
    }
    Local const previous = current;
    searched = false;
    if (NextTime(previous, current)) {
      if (current >= f) {
        if (!Emit(sink, n, current, budget_)) return n;
        ++n;
      } else if (current == previous) {
        return n;  // no progress
      }
      continue;
    }
    searched = true;
    if (!NextDay(current, current)) return n;
    if (!TimeMatches(&previous, current) && !NextTime(current, current)) return n;
    if (current >= f) {
      if (!Emit(sink, n, current, budget_)) return n;
      ++n;
    } else if (counter_ && !skipped && ++days >= 16 && DayOf(f) - DayOf(current) > period_ + 800) {
      skipped = true;
      if (!SkipRepetitions(current, DayOf(f)) || abandoned_) return n;
    }
  }
  return n;
}

bool Walk::Between(Local from, Local to, Sink& sink, unsigned& n) {
  if (window_) return WindowBetween(from, to, sink, n);
  Local const lower = from, upper = to;
  Local current = lower;
  n = 0;
  if (!FindFirstDay(current)) return false;
  if (!TimeMatches(nullptr, current) && !NextTime(current, current)) return false;
  if (current > upper) return false;
  if (current >= lower) {
    if (!Emit(sink, n, current, budget_)) return true;
    ++n;
  }
  // Nothing below both bounds is listed, and nothing there stops the walk.
  Local const floor = lower < upper ? lower : upper;
  DriftWatch watch(f_.yearRec == RECURRENCE_FIXED ? 0 : period_);
  bool searched = false;  // the last step searched a day
  while (current < upper) {
    if (current < floor) {
      if (!Spend(1)) break;
      if (counter_ || stride_ > 0) {
        SkipBelow(current, floor);
      } else if (!Skip(watch, current, searched, floor)) {
        abandoned_ = true;
        break;
      }
    }
    Local const previous = current;
    searched = false;
    if (!NextTime(previous, current)) {
      searched = true;
      if (!NextDay(current, current)) break;
      if (!TimeMatches(nullptr, current) && !NextTime(current, current)) break;
    }
    if (current > upper) break;
    if (current >= lower) {
      if (!Emit(sink, n, current, budget_)) break;
      ++n;
    }
  }
  return true;
}

// --- Walks with a window -------------------------------------------------------------

Local Walk::WithTime(Local t, int hour, int minute) const noexcept {
  return DayOf(t) * kDay + hour * kHour + minute * kMinute;
}

// Step 2 of the window walks, after FindFirstDay.
bool Walk::WindowStart(Local& current, Local& end) noexcept {
  end = WithTime(current, f_.windowEndHour, f_.windowEndMinute);
  current = WithTime(current, f_.windowStartHour, f_.windowStartMinute);
  return true;
}

bool Walk::WindowAdvance(Local& current, Local& end) noexcept {
  current = Move(current, windowStep_);
  if (current <= end) return true;
  Local day;
  if (!NextDay(end, day)) return false;
  end = WithTime(day, f_.windowEndHour, f_.windowEndMinute);
  current = WithTime(day, f_.windowStartHour, f_.windowStartMinute);
  return true;
}

// Advances while current < target; false when the walk ends first. Within a
// day the times are counted out; days far before the target are skipped by
// their repetitions.
bool Walk::WindowSkipBelow(Local& current, Local& end, Local target) noexcept {
  long long days = 0;
  bool skipped = false;
  while (current < target) {
    if (!Spend(1)) return false;
    if (current <= end && DayOf(end) < kLastDay) {
      Local const last = current + (end - current) / windowStep_ * windowStep_;
      if (last >= target) {
        current += CeilDiv(target - current, windowStep_) * windowStep_;
        return true;
      }
      current = last;
    }
    long long const before = DayOf(current);
    if (!WindowAdvance(current, end)) return false;
    if (DayOf(current) != before && current < target && !skipped && ++days >= 16 &&
        DayOf(target) - DayOf(current) > period_ + 800) {
      skipped = true;
      if (!SkipRepetitions(current, DayOf(target)) || abandoned_) return false;
      end = WithTime(current, f_.windowEndHour, f_.windowEndMinute);
    }
  }
  return true;
}

unsigned Walk::WindowNext(Local from, unsigned count, Sink& sink) {
  if (windowStep_ <= 0) return 0;  // an interval of 0 yields nothing
  Local current = from, end;
  if (!FindFirstDay(current)) return 0;
  WindowStart(current, end);
  if (!WindowSkipBelow(current, end, from)) return 0;
  if (!Emit(sink, 0, current, budget_)) return 0;
  return Continue(current, 1, count, sink);
}

unsigned Walk::WindowNextAfterStart(Local start, Local from, unsigned count, Sink& sink) {
  if (windowStep_ <= 0) return 0;
  Local current = start, end;
  if (!FindFirstDay(current)) return 0;
  WindowStart(current, end);
  if (!WindowSkipBelow(current, end, start)) return 0;
  unsigned n = 0;
  if (current >= from) {
    if (!Emit(sink, n, current, budget_)) return n;
    ++n;
  }
  while (n < count) {
    if (current < from) {
      // The walk's advances up to the first state at or after `from`.
      if (!WindowSkipBelow(current, end, from)) return n;
    } else if (!WindowAdvance(current, end)) {
      return n;
    }
    if (current >= from) {
      if (!Emit(sink, n, current, budget_)) return n;
      ++n;
    }
  }
  return n;
}

bool Walk::WindowBetween(Local from, Local to, Sink& sink, unsigned& n) {
  n = 0;
  if (windowStep_ <= 0) return false;
  Local current = from, end;
  if (!FindFirstDay(current)) return false;
  WindowStart(current, end);
  if (current > to) return false;
  if (!WindowSkipBelow(current, end, from)) return true;
  if (current <= to) {
    if (!Emit(sink, n, current, budget_)) return true;
    ++n;
  }
  while (current < to) {
    if (!WindowAdvance(current, end)) break;
    if (current > to) break;
    if (!Emit(sink, n, current, budget_)) break;
    ++n;
  }
  return true;
}

}  // namespace series
}  // namespace QDataType
