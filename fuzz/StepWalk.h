// The walk of a schedule taken one step at a time, on DateTime values, as
// TimeSeries.h describes it: every day of a search tried in turn, every
// odometer step taken. It is the yardstick for the library's walk, which
// reaches the same results by shorter ways. Steps are counted; a walk that
// needs more than its budget reports an overrun and its result is not used.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DataType/TimeSeries/TimeSeries.h"

namespace QDataType {
namespace testing_series {

class StepWalk {
 public:
  explicit StepWalk(TimeSeries& s, long long budget = 2000000) : budget_(budget) {
    v_[kYear] = s.GetYear(), r_[kYear] = s.GetYearRecurrence();
    v_[kMonth] = s.GetMonth(), r_[kMonth] = s.GetMonthRecurrence();
    v_[kDay] = s.GetDay(), r_[kDay] = s.GetDayRecurrence();
    v_[kWeek] = s.GetWeek(), r_[kWeek] = s.GetWeekRecurrence();
    v_[kDow] = s.GetDayOfWeek(), r_[kDow] = s.GetDayOfWeekRecurrence();
    v_[kHour] = s.GetHour(), r_[kHour] = s.GetHourRecurrence();
    v_[kMinute] = s.GetMinute(), r_[kMinute] = s.GetMinuteRecurrence();
    v_[kSecond] = s.GetSecond(), r_[kSecond] = s.GetSecondRecurrence();
    v_[kMs] = s.GetMillisecond(), r_[kMs] = s.GetMillisecondRecurrence();
    w_[0] = s.GetWindowStartHour(), w_[1] = s.GetWindowStartMinute(), w_[2] = s.GetWindowEndHour();
    w_[3] = s.GetWindowEndMinute(), w_[4] = s.GetWindowInterval();
  }

  bool Overrun() const { return budget_ < 0; }

  bool DateMatches(DateTime const* a, DateTime const& c) const {
    if (r_[kDay] == RECURRENCE_FIXED) {
      if (c.GetDay() != v_[kDay]) return false;
    } else if (r_[kDay] == RECURRENCE_EVERY) {
      if (a != nullptr && (c - *a).GetTotalDays() % N(kDay) != 0) return false;
    } else {
      if (r_[kDow] == RECURRENCE_FIXED && ((static_cast<unsigned>(v_[kDow]) >> c.GetDayOfWeek()) & 1u) == 0)
        return false;
      if (r_[kWeek] == RECURRENCE_FIXED) {
        long long const w = v_[kWeek];
        if (w > 0) {
          if (static_cast<long long>(std::ceil(c.GetDay() / 7.0)) != w) return false;
        } else if (static_cast<long long>(std::ceil((c.GetDaysInMonth() - c.GetDay() + 1) / 7.0)) != -w) {
          return false;
        }
      } else if (r_[kWeek] == RECURRENCE_EVERY && a != nullptr) {
        long long const w = static_cast<long long>(std::ceil((c - *a).GetTotalDays() / 7.0));
        if (w % N(kWeek) != 0 && !(c.GetDayOfWeek() > a->GetDayOfWeek())) return false;
      }
    }
    if (r_[kMonth] == RECURRENCE_FIXED) {
      if (c.GetMonth() != v_[kMonth]) return false;
    } else if (r_[kMonth] == RECURRENCE_EVERY && a != nullptr) {
      long long const m = (c.GetYear() - a->GetYear()) * 12LL - a->GetMonth() + c.GetMonth();
      if (m % N(kMonth) != 0) return false;
    }
    if (r_[kYear] == RECURRENCE_FIXED) {
      if (c.GetYear() != v_[kYear]) return false;
    } else if (r_[kYear] == RECURRENCE_EVERY && a != nullptr) {
      if ((c.GetYear() - a->GetYear()) % N(kYear) != 0) return false;
    }
    return true;
  }

  bool TimeMatches(DateTime const* a, DateTime const& c) const {
    int const units[4] = {kHour, kMinute, kSecond, kMs};
    int const sizes[4] = {24, 60, 60, 1000};
    for (int i = 0; i < 4; ++i) {
      int const u = units[i];
      if (r_[u] == RECURRENCE_FIXED) {
        if (Unit(c, u) != v_[u]) return false;
      } else if (r_[u] == RECURRENCE_EVERY && a != nullptr) {
        if ((Unit(c, u) + sizes[i] - Unit(*a, u)) % N(u) != 0) return false;
      }
    }
    return true;
  }

  bool FindFirstDay(DateTime& day) {
    if (DateMatches(nullptr, day)) {
      day = Midnight(day);
      return true;
    }
    return SearchAfter(nullptr, Midnight(day), day);
  }

  bool NextDay(DateTime const& anchor, DateTime& result) {
    DateTime const d = anchor + TimeSpan(kDayMs);
    if (DateMatches(&anchor, d)) {
      result = d;
      return true;
    }
    return SearchAfter(&anchor, d, result);
  }

  // The days after d, one by one (a fixed year later than d's first moves d
  // into it), until one matches: its midnight goes to `found`.
  bool SearchAfter(DateTime const* anchor, DateTime d, DateTime& found) {
    if (r_[kYear] == RECURRENCE_FIXED && v_[kYear] > d.GetYear()) d.PutYear(v_[kYear]);
    for (long long i = 0; i < Limit(); ++i) {
      if (!Spend()) return false;
      DateTime const next = d + TimeSpan(kDayMs);
      if (next == d && i > 0) return false;  // stuck on the calendar's last day
      d = next;
      if (DateMatches(anchor, d)) {
        found = Midnight(d);
        return true;
      }
    }
    return false;
  }

  bool NextTime(DateTime const& previous, DateTime& result) const {
    DateTime d = previous;
    bool advanced = false, carry = false;
    // Millisecond.
    if (r_[kMs] == RECURRENCE_FIXED) {
      long long const f = v_[kMs] < 0 ? v_[kMs] + 1000LL : v_[kMs];
      int const c = d.GetMillisecond();
      d.PutMillisecond(static_cast<int>(f));
      if (f > c) advanced = true;
      if (f < c) carry = true;
    } else if (r_[kMs] == RECURRENCE_EVERY) {
      long long const n = N(kMs), c = d.GetMillisecond();
      if (c + n < 1000) {
        d = d + TimeSpan(n);
        advanced = true;
      } else {
        d = d + TimeSpan(n - 1000);
        carry = true;
      }
    }
    // Second, then minute.
    int const units[2] = {kSecond, kMinute};
    long long const unitMs[2] = {1000, 60000};
    for (int i = 0; i < 2; ++i) {
      int const u = units[i];
      if (r_[u] == RECURRENCE_FIXED) {
        long long const f = v_[u] < 0 ? v_[u] + 60LL : v_[u];
        int const c = Unit(d, u);
        if (u == kSecond) {
          d.PutSecond(static_cast<int>(f));
        } else {
          d.PutMinute(static_cast<int>(f));
        }
        if (f > c) {
          advanced = true;
          carry = false;
        } else if (f < c) {
          carry = true;
          advanced = false;
        }
      } else if (r_[u] == RECURRENCE_EVERY && (carry || !advanced)) {
        long long const n = N(u), c = Unit(d, u);
        if (c + n < 60) {
          d = d + TimeSpan(n * unitMs[i]);
          advanced = true;
          carry = false;
        } else {
          d = d + TimeSpan((n - 60) * unitMs[i]);
          carry = true;
          advanced = false;
        }
      }
    }
    // Hour.
    if (r_[kHour] == RECURRENCE_FIXED) {
      long long const f = v_[kHour] < 0 ? v_[kHour] + 24LL : v_[kHour];
      int const c = d.GetHour();
      d.PutHour(static_cast<int>(f));
      if (f > c) advanced = true;
      if (f < c) advanced = false;
    } else if (r_[kHour] == RECURRENCE_EVERY && (carry || !advanced)) {
      long long const n = N(kHour), c = d.GetHour();
      if (c + n < 24) {
        d = d + TimeSpan(n * 3600000);
        advanced = true;
      } else {
        d = d + TimeSpan((n - 24) * 3600000);
        advanced = false;
      }
    }
    result = d;
    return advanced;
  }

  // GetNextOccurrences, in UTC.
  unsigned Next(DateTime const& from, unsigned count, std::vector<DateTime>& out) {
    out.clear();
    if (count == 0) return 0;
    if (Window()) return WindowNext(from, count, out);
    DateTime const lower = from.ToLocalTime();
    DateTime current = lower, previous;
    if (!FindFirstDay(current)) return 0;
    if (!(TimeMatches(nullptr, current) && current >= lower)) {
      bool r;
      do {
        if (!Spend()) return 0;
        previous = current;
        r = NextTime(previous, current);
      } while (r && current < lower);
      if (!r) {
        if (!NextDay(current, current)) return 0;
        if (!TimeMatches(nullptr, current)) {
          previous = current;
          if (!NextTime(previous, current)) return 0;
        }
      }
    }
    Write(from, out, current);
    for (unsigned k = 1; k < count; ++k) {
      previous = current;
      if (!NextTime(previous, current)) {
        if (!NextDay(current, current)) return k;
        if (!TimeMatches(nullptr, current)) {
          previous = current;
          if (!NextTime(previous, current)) return k;
        }
      }
      Write(from, out, current);
    }
    return count;
  }

  // GetNextOccurrencesAfterStart, in UTC.
  unsigned AfterStart(DateTime const& start, DateTime const& from, unsigned count, std::vector<DateTime>& out) {
    out.clear();
    if (count == 0) return 0;
    if (Window()) return WindowAfterStart(start, from, count, out);
    DateTime const s = start.ToLocalTime(), f = from.ToLocalTime();
    DateTime current = s, previous;
    if (!FindFirstDay(current)) return 0;
    unsigned n = 0;
    if (TimeMatches(nullptr, current)) {
      if (current >= f) out.push_back(current.ToUTCTime()), n = 1;
    } else {
      bool r;
      do {
        if (!Spend()) return 0;
        previous = current;
        r = NextTime(previous, current);
      } while (r && current < s);
      if (r && current >= f) out.push_back(current.ToUTCTime()), n = 1;
    }
    while (n < count) {
      if (!Spend()) return n;
      previous = current;
      if (NextTime(previous, current)) {
        if (current >= f) {
          out.push_back(current.ToUTCTime()), ++n;
        } else if (current == previous) {
          return n;
        }
      } else {
        if (!NextDay(current, current)) return n;
        if (!TimeMatches(&previous, current)) {
          previous = current;
          if (!NextTime(previous, current)) return n;
        }
        if (current >= f) out.push_back(current.ToUTCTime()), ++n;
      }
    }
    return n;
  }

  // GetOccurrencesBetween, in UTC; false when nothing is listed and the
  // array would be released.
  bool Between(DateTime const& from, DateTime const& to, std::vector<DateTime>& out, unsigned limit = 8192) {
    out.clear();
    if (Window()) return WindowBetween(from, to, out, limit);
    DateTime const lower = from.ToLocalTime(), upper = to.ToLocalTime();
    DateTime current = lower, previous;
    if (!FindFirstDay(current)) return false;
    if (!TimeMatches(nullptr, current)) {
      previous = current;
      if (!NextTime(previous, current)) return false;
    }
    if (current > upper) return false;
    if (current >= lower) out.push_back(current.ToUTCTime());
    while (current < upper && out.size() < limit) {
      if (!Spend()) return true;
      previous = current;
      if (!NextTime(previous, current)) {
        if (!NextDay(current, current)) break;
        if (!TimeMatches(nullptr, current)) {
          previous = current;
          if (!NextTime(previous, current)) break;
        }
      }
      if (current > upper) break;
      if (current >= lower) out.push_back(current.ToUTCTime());
    }
    return true;
  }

 private:
  enum { kYear, kMonth, kDay, kWeek, kDow, kHour, kMinute, kSecond, kMs };
  static constexpr long long kDayMs = 86400000;

  long long N(int u) const { return v_[u] < 1 ? 1 : v_[u]; }
  long long Limit() const { return 2928LL * (r_[kYear] == RECURRENCE_EVERY ? N(kYear) : 1); }
  bool Spend() { return --budget_ >= 0; }
  bool Window() const { return w_[0] != -1 && w_[1] != -1 && w_[2] != -1 && w_[3] != -1 && w_[4] != -1; }

  static int Unit(DateTime const& d, int u) {
    return u == kHour ? d.GetHour() : u == kMinute ? d.GetMinute() : u == kSecond ? d.GetSecond() : d.GetMillisecond();
  }
  static DateTime Midnight(DateTime d) {
    d.PutHour(0), d.PutMinute(0), d.PutSecond(0), d.PutMillisecond(0);
    return d;
  }
  static DateTime At(DateTime d, int hour, int minute) {
    d.PutHour(hour), d.PutMinute(minute), d.PutSecond(0), d.PutMillisecond(0);
    return d;
  }

  // GetNextOccurrences writes an entry and moves it an hour on when its UTC
  // form is earlier than `from`.
  static void Write(DateTime const& from, std::vector<DateTime>& out, DateTime& current) {
    out.push_back(current.ToUTCTime());
    if (from > out.back()) {
      current = current + TimeSpan(3600000);
      out.back() = current.ToUTCTime();
    }
  }

  bool Advance(DateTime& current, DateTime& end) {
    if (!Spend()) return false;
    current = current + TimeSpan(w_[4] * 60000LL);
    if (current > end) {
      DateTime day;
      if (!NextDay(end, day)) return false;
      end = At(day, w_[2], w_[3]);
      current = At(day, w_[0], w_[1]);
    }
    return true;
  }
  bool Begin(DateTime& current, DateTime& end) {
    if (!FindFirstDay(current)) return false;
    end = At(current, w_[2], w_[3]);
    current = At(current, w_[0], w_[1]);
    return true;
  }

  unsigned WindowNext(DateTime const& from, unsigned count, std::vector<DateTime>& out) {
    if (w_[4] == 0) return 0;
    DateTime const lower = from.ToLocalTime();
    DateTime current = lower, end;
    if (!Begin(current, end)) return 0;
    while (current < lower)
      if (!Advance(current, end)) return 0;
    Write(from, out, current);
    for (unsigned k = 1; k < count; ++k) {
      if (!Advance(current, end)) return k;
      Write(from, out, current);
    }
    return count;
  }

  unsigned WindowAfterStart(DateTime const& start, DateTime const& from, unsigned count, std::vector<DateTime>& out) {
    if (w_[4] == 0) return 0;
    DateTime const s = start.ToLocalTime(), f = from.ToLocalTime();
    DateTime current = s, end;
    if (!Begin(current, end)) return 0;
    while (current < s)
      if (!Advance(current, end)) return 0;
    unsigned n = 0;
    if (current >= f) out.push_back(current.ToUTCTime()), n = 1;
    while (n < count) {
      if (!Advance(current, end)) return n;
      if (current >= f) out.push_back(current.ToUTCTime()), ++n;
    }
    return n;
  }

  bool WindowBetween(DateTime const& from, DateTime const& to, std::vector<DateTime>& out, unsigned limit) {
    if (w_[4] == 0) return false;
    DateTime const lower = from.ToLocalTime(), upper = to.ToLocalTime();
    DateTime current = lower, end;
    if (!Begin(current, end)) return false;
    if (current > upper) return false;
    while (current < lower)
      if (!Advance(current, end)) return true;
    if (current <= upper) out.push_back(current.ToUTCTime());
    while (current < upper && out.size() < limit) {
      if (!Advance(current, end)) break;
      if (current > upper) break;
      out.push_back(current.ToUTCTime());
    }
    return true;
  }

  int v_[9];
  RECURRENCE r_[9];
  int w_[5];
  long long budget_;
};

}  // namespace testing_series
}  // namespace QDataType
