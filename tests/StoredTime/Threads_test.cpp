// One VexTime read from several threads at once: static values (their
// date's caches are filled by whichever thread gets there first) and a
// dynamic one, through every const family. Answers are checked against ones
// computed before the threads start.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "DataType/StoredTime/VexTime.h"
#include "support/ScopedTZ.h"

namespace QDataType {
namespace {

TEST(VexTimeThreads, ConstOperationsOnASharedValue) {
  testing_zone::ScopedTZ tz(testing_zone::kCentralEurope);
  for (int round = 0; round < 20; ++round) {
    VexTime const local(DateTime(2024, 6, 15, 10, 30, 0, 0), TIME_MODE_LOCAL, false);  // fresh caches
    VexTime dynamic;
    dynamic.PutDynamicTime(DT_RELATIVE_MONTH_DAY);
    dynamic.PutDay(1, false);
    unsigned char want[44];
    VexTime(local).SaveObj(sizeof want, want);
    DateTime const utc(2024, 6, 15, 8, 30, 0, 0);
    std::atomic<int> wrong{0};
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        ready.fetch_add(1);
        while (ready.load() < 4) std::this_thread::yield();
        for (int i = 0; i < 50; ++i) {
          unsigned char record[44];
          wrong += local.SaveObj(sizeof record, record) != 0 || std::memcmp(record, want, 44) != 0;
          wrong += local.GetWeek(false, true) != 3 || local.GetDayOfWeek(true, false) != 6;
          DateTime d;
          wrong += local.ToDateTime(true, d) != 0 || d != utc;
          wrong += !(local == VexTime(utc, TIME_MODE_UTC, true)) || !(local < dynamic) || local > dynamic;
          VexTime e;
          wrong += dynamic.GetExpiration(e) != 0 || e.GetDay(false, false) != 1;
          wrong += dynamic.GetDay(true, true) != 1;
        }
      });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
  }
}

}  // namespace
}  // namespace QDataType
