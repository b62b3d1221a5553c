// Test support for schedules: a builder with every unit free by default, an
// owner that calls Destroy, and short forms for dates.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DataType/TimeSeries/TimeSeries.h"

namespace QDataType {
namespace testing_series {

struct Destroyer {
  void operator()(TimeSeries* s) const {
    if (s != nullptr) s->Destroy();
  }
};
using Series = std::unique_ptr<TimeSeries, Destroyer>;

// Units in CreateTimeSeries order.
enum Unit { kYear, kMonth, kDay, kWeek, kDow, kHour, kMinute, kSecond, kMs };

struct Rule {
  RECURRENCE r[9] = {RECURRENCE_NONE, RECURRENCE_NONE, RECURRENCE_NONE, RECURRENCE_NONE, RECURRENCE_NONE,
                     RECURRENCE_NONE, RECURRENCE_NONE, RECURRENCE_NONE, RECURRENCE_NONE};
  int v[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  int w[5] = {-1, -1, -1, -1, -1};

  Rule& Fixed(Unit u, int value) { return Set(u, RECURRENCE_FIXED, value); }
  Rule& Every(Unit u, int value) { return Set(u, RECURRENCE_EVERY, value); }
  Rule& Set(Unit u, RECURRENCE rec, int value) {
    r[u] = rec;
    v[u] = value;
    return *this;
  }
  // hh:mm:ss.000 fixed.
  Rule& At(int hour, int minute, int second = 0) {
    return Fixed(kHour, hour).Fixed(kMinute, minute).Fixed(kSecond, second).Fixed(kMs, 0);
  }
  // A daily window; hour and minute recurrences RECURRENCE_WINDOW.
  Rule& Window(int sh, int sm, int eh, int em, int interval) {
    r[kHour] = r[kMinute] = RECURRENCE_WINDOW;
    w[0] = sh, w[1] = sm, w[2] = eh, w[3] = em, w[4] = interval;
    return *this;
  }
  Series Make() const {
    return Series(CreateTimeSeries(r[0], v[0], r[1], v[1], r[2], v[2], r[3], v[3], r[4], v[4], r[5], v[5], r[6], v[6],
                                   r[7], v[7], r[8], v[8], w[0], w[1], w[2], w[3], w[4]));
  }
};

// recurrence:value of the nine units, then the window.
inline std::string Describe(Rule const& r) {
  std::string s;
  for (int i = 0; i < 9; ++i) s += std::to_string(r.r[i]) + ":" + std::to_string(r.v[i]) + " ";
  for (int i = 0; i < 5; ++i) s += std::to_string(r.w[i]) + " ";
  return s;
}

// Random sweeps run fully in optimised builds and a fifth as long in debug
// and sanitizer builds, where every step costs many times more.
inline int Scaled(int cases) {
#if defined(NDEBUG)
  return cases;
#else
  return cases / 5;
#endif
}

inline std::string Text(DateTime const& d) { return d.ToString().GetString(); }

inline std::vector<std::string> Texts(DateTime const* d, unsigned n) {
  std::vector<std::string> t;
  for (unsigned i = 0; i < n; ++i) t.push_back(Text(d[i]));
  return t;
}

inline std::vector<std::string> Texts(std::vector<DateTime> const& d) { return Texts(d.data(), d.size()); }

}  // namespace testing_series
}  // namespace QDataType
