// Values shared between threads: several threads read one DateTime, one
// VexTime, one BigDecimal and one Variant of each kind (a blob among them) at
// once (the dates fill their weekday caches from whichever thread gets there
// first), and eight threads convert in eight zones found by name while
// another changes TZ. Every thread checks its answers against ones computed
// before the threads started. Under ThreadSanitizer these are the races a
// server module would meet.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DataType/Calendar/TimeZone.h"
#include "DataType/DataType.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 2000;

// Runs body(thread index) on n threads started together.
template <class Body>
void OnThreads(Body body, int n = kThreads) {
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < n; ++t) {
    threads.emplace_back([&, t, n] {
      ready.fetch_add(1);
      while (ready.load() < n) std::this_thread::yield();
      body(t);
    });
  }
  for (std::thread& th : threads) th.join();
}

TEST(SharedValues, DateTimeConstOperationsFillTheCacheOnce) {
  for (int round = 0; round < 50; ++round) {
    // A fresh value each round, so the threads race to fill its cache.
    DateTime const shared(2024, 6, 15, 10, 30, 0, 0, 60, 0);  // a Saturday, week 3
    std::atomic<int> wrong{0};
    OnThreads([&](int t) {
      for (int i = 0; i < 20; ++i) {
        switch ((t + i) % 5) {
          case 0: wrong += shared.GetDayOfWeek() != 6; break;
          case 1: wrong += shared.GetWeek() != 3; break;
          case 2: wrong += DateTime(shared).GetDayOfWeek() != 6; break;
          case 3: wrong += shared.Add(TimeSpan(TimeSpan::kDay)) != DateTime(2024, 6, 18, 10, 30); break;
          case 4: {
            unsigned char record[44];
            wrong += shared.SaveObj(sizeof record, record, 0) != 0;
            // The cache words are -1 or the computed values, never a mix of bytes.
            int32_t week, weekday;  // this machine's byte order is the record's (little-endian)
            std::memcpy(&week, record + 32, 4);
            std::memcpy(&weekday, record + 36, 4);
            wrong += !((week == -1 || week == 3) && (weekday == -1 || weekday == 6));
            break;
          }
        }
      }
    });
    ASSERT_EQ(wrong.load(), 0);
  }
}

// A static VexTime (its date's caches are filled by whichever thread gets
// there first) and a dynamic one, through every const family.
TEST(SharedValues, VexTimeConstOperations) {
  testing_zone::ScopedTZ tz(testing_zone::kCentralEurope);
  DateTime const utc(2024, 6, 15, 8, 30, 0, 0);
  for (int round = 0; round < 20; ++round) {
    VexTime const local(DateTime(2024, 6, 15, 10, 30, 0, 0), TIME_MODE_LOCAL, false);  // fresh caches
    VexTime dynamic;
    dynamic.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
    dynamic.PutDay(1, false);
    unsigned char want[44];
    VexTime(local).SaveObj(sizeof want, want);
    std::atomic<int> wrong{0};
    OnThreads([&](int) {
      for (int i = 0; i < 50; ++i) {
        unsigned char record[44];
        wrong += local.SaveObj(sizeof record, record) != 0 || std::memcmp(record, want, 44) != 0;
        wrong += local.GetWeek(false, true) != 3 || local.GetDayOfWeek(true, false) != 6;
        DateTime d;
        wrong += local.ToDateTime(true, d) != 0 || d != utc;
        wrong += !(local == VexTime(utc, TIME_MODE_UTC, true)) || !(local < dynamic) || local > dynamic;
        VexTime e;
        wrong += dynamic.GetExpiration(e) != 0 || e.GetDay(false, false) != 1 || dynamic.GetDay(true, true) != 1;
      }
    });
    ASSERT_EQ(wrong.load(), 0);
  }
}

// One BigDecimal read from several threads at once, and its results handed
// from the thread that made them to one that reads and frees them: short
// values' heap blocks are kept by the thread that frees them, so results made
// on one thread and deleted on another, by threads that come and go, must
// still read right and leave nothing behind.
TEST(SharedValues, BigDecimalReadsAndResultsChangeThreads) {
  BigDecimal shared("12345678901234567890.0987654321", nullptr);
  BigDecimal const other("-0.5", nullptr);
  std::string const text = shared.ToString().GetString();
  std::string const sum = (shared + other)->ToString().GetString();
  std::string const quotient = shared.Divide(other, 12)->ToString().GetString();
  for (int generation = 0; generation < 4; ++generation) {
    std::mutex lock;
    std::vector<BigDecimal::Ptr> handed;
    std::atomic<int> wrong{0};
    OnThreads([&](int t) {
      for (int i = 0; i < kRounds / 4; ++i) {
        wrong += shared.ToString().GetString() != text || shared.CompareTo(other) != 1;
        if (t % 2 == 0) {
          BigDecimal::Ptr p = shared + other;
          std::lock_guard<std::mutex> hold(lock);
          handed.push_back(std::move(p));
          continue;
        }
        wrong += shared.Divide(other, 12)->ToString().GetString() != quotient;
        BigDecimal::Ptr p;
        {
          std::lock_guard<std::mutex> hold(lock);
          if (handed.empty()) continue;
          p = std::move(handed.back());
          handed.pop_back();
        }
        wrong += p->ToString().GetString() != sum || BigDecimal(sum.c_str(), nullptr).CompareTo(*p) != 0;
      }
    });
    for (BigDecimal::Ptr const& p : handed) wrong += p->ToString().GetString() != sum;
    EXPECT_EQ(wrong.load(), 0);
  }
}

// Every conversion of the readings in one zone, in order.
std::vector<DateTime> Conversions(TimeZone const& zone, std::vector<DateTime> const& readings) {
  std::vector<DateTime> out;
  for (DateTime const& d : readings) out.insert(out.end(), {d.ToLocalTime(zone), d.ToUTCTime(zone), zone.Lookup(d).later});
  return out;
}

// Each of 8 threads converts in a zone of its own, found by name, while a
// ninth changes TZ and converts in the process's zone: the named zones never
// look at TZ, so every answer equals the one computed before on one thread.
TEST(SharedValues, EightZonesWhileTZChanges) {
  testing_zone::ScopedTZ tz(testing_zone::kUSEastern);
  char const* const names[8] = {"Asia/Tokyo",    "Europe/Berlin",    "America/New_York", "Australia/Sydney",
                                "Asia/Kolkata",  "America/Santiago", "Pacific/Apia",     "Europe/Dublin"};
  std::vector<DateTime> readings;  // spread over 1900..2400
  for (int i = 0; i < 400; ++i) {
    readings.emplace_back(1900 + i * 500 / 400, 1 + i % 12, 1 + i * 7 % 28, i % 24, i * 13 % 60, i % 60);
  }
  std::vector<TimeZone const*> zones;
  std::vector<std::vector<DateTime>> want;
  for (char const* name : names) {
    zones.push_back(TimeZone::Find(name));
    ASSERT_NE(zones.back(), nullptr) << name;
    want.push_back(Conversions(*zones.back(), readings));
  }
  std::atomic<int> wrong{0};
  OnThreads(
      [&](int t) {
        for (int i = 0; i < 400 && t == 8; ++i) {  // the one thread that touches TZ
          bool const east = i % 2 == 0;
          setenv("TZ", east ? testing_zone::kUSEastern : testing_zone::kCentralEurope, 1);
          wrong += DateTime(2024, 7, 1, 12, 0, 0).ToLocalTime() != DateTime(2024, 7, 1, east ? 8 : 14, 0, 0);
        }
        for (int round = 0; round < 20 && t < 8; ++round) {
          wrong += Conversions(*zones[static_cast<size_t>(t)], readings) != want[static_cast<size_t>(t)];
        }
      },
      9);
  EXPECT_EQ(wrong.load(), 0);
}

// Everything a reader asks of a Variant (every text form, conversion,
// comparison and copy), as one string.
std::string Reading(Variant& v) {
  QBase::ReturnString const text = v.ToString(), vb = v.ToStringVBBehavior();
  char buffer[8];
  v.ToString(buffer, sizeof buffer);
  Variant const copy(v);
  return std::string(text.GetString() ? text.GetString() : "") + "|" + (vb.GetString() ? vb.GetString() : "") + "|" +
         buffer + "|" + std::to_string(v.GetWStringLength()) + "|" + std::to_string(static_cast<double>(v)) +
         (copy == v && v.IsTypeComparable(copy) && !(copy < v) ? "" : "!");
}

TEST(SharedValues, VariantReadsFromManyThreads) {
  unsigned char const bytes[] = {1, 2, 3};
  std::unique_ptr<Binary> blob(CreateBinary(bytes, sizeof bytes));
  Variant shared[] = {Variant(-7, nullptr), Variant(2.5, nullptr), Variant("shared text", nullptr),
                      Variant(blob.get(), nullptr), Variant(DateTime(2024, 6, 15, 10, 30), nullptr),
                      Variant(BigDecimal("-12.50", nullptr), nullptr),
                      Variant(CellFmtData(1.5, CellFmtDataTypeDefault, GUID{}), nullptr)};
  std::vector<std::string> expected;
  for (Variant& v : shared) expected.push_back(Reading(v));
  std::atomic<int> wrong{0};
  OnThreads([&](int) {
    for (int round = 0; round < 200; ++round)
      for (size_t k = 0; k < std::size(shared); ++k) wrong += Reading(shared[k]) != expected[k];
  });
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace QDataType
