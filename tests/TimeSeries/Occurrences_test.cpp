// The three computations on hand-worked schedules, in UTC (local wall time
// is UTC, so the conversions are the identity): week steps, months and
// years, fixed years, odometer steps, windows, the null and empty cases, and
// the array that GetOccurrencesBetween hands over. (Fixed times, day steps,
// weekday masks and weeks of the month: Walk_test's day-by-day model.)
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "Schedules.h"
#include "TimeSeriesTestPeer.h"
#include "support/ScopedTZ.h"

// Array allocations of the process, watched while `g_watch` is set: the last
// size asked of operator new[] and the number of blocks not yet deleted.
// ThreadSanitizer's runtime defines the array operators itself, so that
// build runs without the watch (and without the checks that need it).
#if defined(__SANITIZE_THREAD__)
#define QDT_ARRAY_WATCH 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QDT_ARRAY_WATCH 0
#endif
#endif
#ifndef QDT_ARRAY_WATCH
#define QDT_ARRAY_WATCH 1
#endif

namespace {
constexpr bool kArrayWatch = QDT_ARRAY_WATCH;
bool g_watch = false;
std::size_t g_lastArray = 0;
int g_liveArrays = 0;
}  // namespace

#if QDT_ARRAY_WATCH
void* operator new[](std::size_t size) {
  if (g_watch) g_lastArray = size, ++g_liveArrays;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete[](void* p) noexcept {
  if (g_watch && p != nullptr) --g_liveArrays;
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept { operator delete[](p); }
// The nothrow forms too, so that every array form meets its partner here.
void* operator new[](std::size_t size, std::nothrow_t const&) noexcept {
  try {
    return operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete[](void* p, std::nothrow_t const&) noexcept { operator delete[](p); }
#endif

namespace QDataType {
namespace {

using namespace testing_series;
using testing_zone::ScopedTZ;
using Strings = std::vector<std::string>;

class Occurrences : public ::testing::Test {
 protected:
  ScopedTZ utc_{"UTC"};

  static Strings Next(Series const& s, DateTime const& from, unsigned count) {
    std::vector<DateTime> out(count);
    unsigned const n = s->GetNextOccurrences(from, count, out.data());
    return Texts(out.data(), n);
  }
  static Strings AfterStart(Series const& s, DateTime const& start, DateTime const& from, unsigned count) {
    std::vector<DateTime> out(count);
    unsigned const n = s->GetNextOccurrencesAfterStart(start, from, count, out.data());
    return Texts(out.data(), n);
  }
  static Strings Between(Series const& s, DateTime const& from, DateTime const& to) {
    DateTime* out = nullptr;
    unsigned const n = s->GetOccurrencesBetween(from, to, &out);
    Strings t = Texts(out, n);
    delete[] out;
    return t;
  }
};

// GetNextOccurrences on hand-worked schedules, one row each.
TEST_F(Occurrences, NextOccurrencesWorkedOutByHand) {
  struct {
    Rule rule;
    DateTime from;
    unsigned count;
    Strings want;
  } const cases[] = {
      // Monday at 09:00 every two weeks, from a Monday 08:00; with Wednesday
      // too, a later weekday of the same week passes whatever the week count.
      {Rule().At(9, 0).Fixed(kDow, 2).Every(kWeek, 2), DateTime(2024, 6, 10, 8, 0, 0), 3,
       {"2024-06-10 09:00:00.000", "2024-06-24 09:00:00.000", "2024-07-08 09:00:00.000"}},
      {Rule().At(9, 0).Fixed(kDow, 10).Every(kWeek, 2), DateTime(2024, 6, 10, 8, 0, 0), 3,
       {"2024-06-10 09:00:00.000", "2024-06-12 09:00:00.000", "2024-06-24 09:00:00.000"}},
      // The 31st skips the shorter months; every third month from the anchor.
      {Rule().At(12, 0).Fixed(kDay, 31), DateTime(2024, 1, 31, 13, 0, 0), 2,
       {"2024-03-31 12:00:00.000", "2024-05-31 12:00:00.000"}},
      {Rule().At(12, 0).Fixed(kDay, 15).Every(kMonth, 3), DateTime(2024, 11, 15, 0, 0, 0), 3,
       {"2024-11-15 12:00:00.000", "2025-02-15 12:00:00.000", "2025-05-15 12:00:00.000"}},
      // February 29: leap years only; every second year from 2024; month 13 never.
      {Rule().At(0, 0).Fixed(kMonth, 2).Fixed(kDay, 29), DateTime(2024, 3, 1, 0, 0, 0), 1, {"2028-02-29 00:00:00.000"}},
      {Rule().At(0, 0).Fixed(kMonth, 7).Fixed(kDay, 4).Every(kYear, 2), DateTime(2024, 7, 1, 0, 0, 0), 3,
       {"2024-07-04 00:00:00.000", "2026-07-04 00:00:00.000", "2028-07-04 00:00:00.000"}},
      {Rule().At(0, 0).Fixed(kMonth, 13), DateTime(2024, 7, 1, 0, 0, 0), 1, {}},
      // A fixed year moves the search to the start's month and day in that
      // year (clamped: 2024-02-29 -> 2030-02-28) and resumes it the day
      // after, within its 2,928 days; a year already past yields nothing.
      {Rule().At(0, 0).Fixed(kYear, 2030).Fixed(kMonth, 3).Fixed(kDay, 5), DateTime(2025, 6, 10, 0, 0, 0), 1, {}},
      {Rule().At(0, 0).Fixed(kYear, 2030).Fixed(kMonth, 9).Fixed(kDay, 5), DateTime(2025, 6, 10, 0, 0, 0), 2,
       {"2030-09-05 00:00:00.000"}},
      {Rule().At(0, 0).Fixed(kYear, 2030).Fixed(kMonth, 2).Fixed(kDay, 28), DateTime(2024, 2, 27, 0, 0, 0), 1,
       {"2030-02-28 00:00:00.000"}},
      {Rule().At(0, 0).Fixed(kYear, 2030).Fixed(kMonth, 2).Fixed(kDay, 28), DateTime(2024, 2, 28, 0, 0, 0), 1, {}},
      {Rule().At(0, 0).Fixed(kYear, 2030).Fixed(kMonth, 2).Fixed(kDay, 28), DateTime(2024, 2, 29, 0, 0, 0), 1, {}},
      {Rule().At(0, 0).Fixed(kYear, 2020), DateTime(2025, 6, 10, 0, 0, 0), 1, {}},
      // Every quarter hour of the day; with the hour free, the first hour's only.
      {Rule().Every(kHour, 1).Every(kMinute, 15).Fixed(kSecond, 0).Fixed(kMs, 0), DateTime(2024, 6, 10, 23, 20, 0), 3,
       {"2024-06-10 23:30:00.000", "2024-06-10 23:45:00.000", "2024-06-11 00:00:00.000"}},
      {Rule().Every(kMinute, 15).Fixed(kSecond, 0).Fixed(kMs, 0), DateTime(2024, 6, 10, 0, 20, 0), 4,
       {"2024-06-10 00:30:00.000", "2024-06-10 00:45:00.000", "2024-06-11 00:00:00.000", "2024-06-11 00:15:00.000"}},
      // A step that does not divide its unit carries its remainder across the
      // wrap, through the hours and into the next day.
      {Rule().Every(kHour, 1).Every(kMinute, 25).Fixed(kSecond, 0).Fixed(kMs, 0), DateTime(2024, 6, 10, 23, 0, 0), 4,
       {"2024-06-10 23:20:00.000", "2024-06-10 23:45:00.000", "2024-06-11 00:10:00.000", "2024-06-11 00:35:00.000"}},
      // Millisecond and second steps, the second carried by the millisecond.
      {Rule().Every(kSecond, 1).Every(kMs, 250).Fixed(kHour, 9).Fixed(kMinute, 0), DateTime(2024, 6, 10, 9, 0, 59, 600),
       3, {"2024-06-10 09:00:59.750", "2024-06-11 09:00:00.000", "2024-06-11 09:00:00.250"}},
      // Windows: the end is inclusive; an end before the start gives one
      // occurrence a day, at the start; the date units still choose the days.
      {Rule().Window(9, 0, 10, 0, 20), DateTime(2024, 6, 10, 9, 50, 0), 3,
       {"2024-06-10 10:00:00.000", "2024-06-11 09:00:00.000", "2024-06-11 09:20:00.000"}},
      {Rule().Window(22, 0, 6, 0, 30), DateTime(2024, 6, 10, 23, 0, 0), 2,
       {"2024-06-11 22:00:00.000", "2024-06-12 22:00:00.000"}},
      {Rule().Window(9, 0, 9, 30, 30).Fixed(kDow, 62), DateTime(2024, 6, 14, 9, 10, 0), 3,
       {"2024-06-14 09:30:00.000", "2024-06-17 09:00:00.000", "2024-06-17 09:30:00.000"}},
  };
  for (auto const& c : cases) EXPECT_EQ(Next(c.rule.Make(), c.from, c.count), c.want) << Describe(c.rule);

  // The week test on its own, anchored on a Monday: ceil(days / 7) weeks.
  Series const s = Rule().Every(kWeek, 2).Make();
  DateTime const monday(2024, 6, 10, 9, 0, 0);
  EXPECT_TRUE(TimeSeriesTestPeer::DateMatches(s.get(), &monday, DateTime(2024, 6, 19, 9, 0, 0)));
  EXPECT_FALSE(TimeSeriesTestPeer::DateMatches(s.get(), &monday, DateTime(2024, 6, 17, 9, 0, 0)));
  EXPECT_TRUE(TimeSeriesTestPeer::DateMatches(s.get(), &monday, DateTime(2024, 6, 12, 9, 0, 0)));   // Wednesday
  EXPECT_TRUE(TimeSeriesTestPeer::DateMatches(s.get(), nullptr, DateTime(2024, 6, 17, 9, 0, 0)));   // no anchor
}

TEST_F(Occurrences, OdometerRoutine) {
  Series const s = Rule().Every(kHour, 1).Every(kMinute, 15).Make();
  DateTime r;
  EXPECT_TRUE(TimeSeriesTestPeer::NextTime(s.get(), DateTime(2024, 6, 10, 10, 45, 0), r));
  EXPECT_EQ(Text(r), "2024-06-10 11:00:00.000");
  EXPECT_FALSE(TimeSeriesTestPeer::NextTime(s.get(), DateTime(2024, 6, 10, 23, 45, 0), r));
  EXPECT_EQ(Text(r), "2024-06-10 00:00:00.000");  // wrapped within the same day
  Series const hourFree = Rule().Every(kMinute, 15).Make();
  EXPECT_FALSE(TimeSeriesTestPeer::NextTime(hourFree.get(), DateTime(2024, 6, 10, 10, 45, 0), r));
  EXPECT_EQ(Text(r), "2024-06-10 10:00:00.000");
  // A fixed value below its unit counts from the top: minute -1 is 59.
  Series const negative = Rule().Fixed(kMinute, -1).Make();
  EXPECT_TRUE(TimeSeriesTestPeer::NextTime(negative.get(), DateTime(2024, 6, 10, 10, 5, 0), r));
  EXPECT_EQ(Text(r), "2024-06-10 10:59:00.000");
  // TimeMatches tests stepped units only against an anchor.
  DateTime const anchor(2024, 6, 10, 10, 45, 0);
  EXPECT_TRUE(TimeSeriesTestPeer::TimeMatches(s.get(), nullptr, DateTime(2024, 6, 10, 10, 7, 0)));
  EXPECT_TRUE(TimeSeriesTestPeer::TimeMatches(s.get(), &anchor, DateTime(2024, 6, 10, 10, 15, 0)));
  EXPECT_FALSE(TimeSeriesTestPeer::TimeMatches(s.get(), &anchor, DateTime(2024, 6, 10, 10, 16, 0)));
}

TEST_F(Occurrences, DaySearchRoutines) {
  Series const s = Rule().Fixed(kDay, 15).Make();
  DateTime day(2024, 6, 16, 10, 30, 0);
  ASSERT_TRUE(TimeSeriesTestPeer::FindFirstDay(s.get(), day));
  EXPECT_EQ(Text(day), "2024-07-15 00:00:00.000");
  DateTime r;
  // The very next day keeps the anchor's time; a later one starts at 00:00.
  Series const daily = Rule().Make();
  ASSERT_TRUE(TimeSeriesTestPeer::NextDay(daily.get(), DateTime(2024, 6, 16, 10, 30, 0), r));
  EXPECT_EQ(Text(r), "2024-06-17 10:30:00.000");
  ASSERT_TRUE(TimeSeriesTestPeer::NextDay(s.get(), DateTime(2024, 6, 16, 10, 30, 0), r));
  EXPECT_EQ(Text(r), "2024-07-15 00:00:00.000");
  // Nothing within 2,928 days: false, result untouched.
  Series const never = Rule().Fixed(kMonth, 2).Fixed(kDay, 30).Make();
  r = DateTime(2000, 1, 1);
  EXPECT_FALSE(TimeSeriesTestPeer::NextDay(never.get(), DateTime(2024, 6, 16), r));
  EXPECT_EQ(Text(r), "2000-01-01 00:00:00.000");
}

TEST_F(Occurrences, WindowsBetweenAndAfterStart) {
  Series const s = Rule().Window(9, 0, 10, 0, 20).Make();
  EXPECT_EQ(Between(s, DateTime(2024, 6, 10, 9, 10, 0), DateTime(2024, 6, 11, 9, 0, 0)),
            (Strings{"2024-06-10 09:20:00.000", "2024-06-10 09:40:00.000", "2024-06-10 10:00:00.000",
                     "2024-06-11 09:00:00.000"}));
  EXPECT_EQ(AfterStart(s, DateTime(2024, 6, 1, 0, 0, 0), DateTime(2024, 6, 10, 9, 30, 0), 2),
            (Strings{"2024-06-10 09:40:00.000", "2024-06-10 10:00:00.000"}));
}

TEST_F(Occurrences, WindowIntervalZeroYieldsNothing) {
  Series const s = Rule().Window(9, 0, 17, 0, 0).Make();
  DateTime out[2];
  DateTime* array = out;
  EXPECT_EQ(s->GetNextOccurrences(DateTime(2024, 6, 10), 2, out), 0u);
  EXPECT_EQ(s->GetNextOccurrencesAfterStart(DateTime(2024, 6, 10), DateTime(2024, 6, 10), 2, out), 0u);
  EXPECT_EQ(s->GetOccurrencesBetween(DateTime(2024, 6, 10), DateTime(2024, 6, 20), &array), 0u);
  EXPECT_EQ(array, out);
}

TEST_F(Occurrences, NullOutputAndZeroCount) {
  Series const s = Rule().At(9, 0).Make();
  DateTime const from(2024, 6, 10);
  EXPECT_EQ(s->GetNextOccurrences(from, 0, nullptr), 0u);
  EXPECT_EQ(s->GetNextOccurrencesAfterStart(from, from, 0, nullptr), 0u);
  for (int which = 0; which < 3; ++which) {
    try {
      which == 0   ? s->GetNextOccurrences(from, 1, nullptr)
      : which == 1 ? s->GetNextOccurrencesAfterStart(from, from, 1, nullptr)
                   : s->GetOccurrencesBetween(from, from, nullptr);
      ADD_FAILURE() << which << ": nothing thrown";
    } catch (TimeSeriesException const& e) {
      EXPECT_TRUE(std::string(e.what()) == "Invalid parameter" && e.GetID() == -1 &&
                  e.GetDomain() == QBase::MESSAGE_DOMAIN_UNKNOWN);
    }
  }
  // `from` later than `to`: 0 at once, even before `out` is looked at.
  DateTime* untouched = reinterpret_cast<DateTime*>(0x1);
  EXPECT_EQ(s->GetOccurrencesBetween(DateTime(2024, 6, 11), from, &untouched), 0u);
  EXPECT_EQ(untouched, reinterpret_cast<DateTime*>(0x1));
  EXPECT_EQ(s->GetOccurrencesBetween(DateTime(2024, 6, 11), from, nullptr), 0u);
}

TEST_F(Occurrences, BetweenHandsOverItsArray) {
  Series const s = Rule().At(9, 0).Make();
  DateTime* out = nullptr;
  g_watch = true, g_liveArrays = 0;
  unsigned const n = s->GetOccurrencesBetween(DateTime(2024, 6, 10, 10, 0, 0), DateTime(2024, 6, 11, 23, 0, 0), &out);
  g_watch = false;
  ASSERT_EQ(n, 1u);
  EXPECT_EQ(Text(out[0]), "2024-06-11 09:00:00.000");
  // 12 x 31 + 2 entries, handed over.
  if (kArrayWatch) {
    EXPECT_GE(g_lastArray, 374 * sizeof(DateTime));
    EXPECT_LT(g_lastArray, 375 * sizeof(DateTime));
    EXPECT_EQ(g_liveArrays, 1);
  }
  delete[] out;

  // A walk that stops before listing anything still hands its array over
  // when its first candidate (09:00) came before `to`...
  g_watch = true, g_liveArrays = 0;
  EXPECT_EQ(s->GetOccurrencesBetween(DateTime(2024, 6, 10, 10, 0, 0), DateTime(2024, 6, 10, 23, 0, 0), &out), 0u);
  g_watch = false;
  if (kArrayWatch) {
    EXPECT_EQ(g_liveArrays, 1);
  }
  delete[] out;
  // ... and releases it, leaving *out alone, when that candidate is later
  // than `to` or there is no matching day.
  DateTime* sentinel = reinterpret_cast<DateTime*>(0x10);
  out = sentinel;
  g_watch = true, g_liveArrays = 0;
  Series const late = Rule().At(23, 30).Make();
  EXPECT_EQ(late->GetOccurrencesBetween(DateTime(2024, 6, 10, 10, 0, 0), DateTime(2024, 6, 10, 23, 0, 0), &out), 0u);
  Series const never = Rule().At(9, 0).Fixed(kMonth, 2).Fixed(kDay, 30).Make();
  EXPECT_EQ(never->GetOccurrencesBetween(DateTime(2024, 6, 10), DateTime(2025, 6, 10), &out), 0u);
  g_watch = false;
  EXPECT_EQ(out, sentinel);
  if (kArrayWatch) {
    EXPECT_EQ(g_liveArrays, 0);
  }

  // A window yields more than the estimate: the array grows.
  Series const minutes = Rule().Window(0, 0, 23, 59, 1).Make();
  ASSERT_EQ(minutes->GetOccurrencesBetween(DateTime(2024, 6, 10), DateTime(2024, 6, 11), &out), 1441u);
  EXPECT_EQ(Text(out[1440]), "2024-06-11 00:00:00.000");
  delete[] out;
  // The listing stops at 8,192 entries.
  Series const seconds = Rule().Every(kHour, 1).Every(kMinute, 1).Every(kSecond, 1).Fixed(kMs, 0).Make();
  ASSERT_EQ(seconds->GetOccurrencesBetween(DateTime(2024, 6, 10), DateTime(2024, 6, 20), &out), 8192u);
  EXPECT_EQ(Text(out[8191]), "2024-06-10 02:16:31.000");
  delete[] out;
}

TEST_F(Occurrences, OneScheduleOnSeveralThreads) {
  // Computations only read the schedule: threads may share it.
  Series const s = Rule().Fixed(kDow, 62).Every(kHour, 1).Every(kMinute, 20).Fixed(kSecond, 0).Fixed(kMs, 0).Make();
  DateTime const from(2024, 6, 14, 23, 0, 0);
  Strings const expected = Next(s, from, 5);
  ASSERT_EQ(expected.front(), "2024-06-14 23:00:00.000");
  ASSERT_EQ(expected.back(), "2024-06-17 00:20:00.000");
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i)
        if (Next(s, from, 5) != expected) ++wrong;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace QDataType
