// TimeZone: every transition of every zone of the machine's tz database, and
// conversions of readings from year 0 to 65535, against Python's zoneinfo
// (tests/data/gen_timezone_vectors.py); the names Find accepts and refuses,
// POSIX rules with answers worked out by hand, and the process's zone
// following TZ.
#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeZone.h"
#include "support/Fields.h"
#include "support/ScopedTZ.h"
#include "support/ZoneVectors.h"

namespace QDataType {
namespace {

using testing_fields::Fields;
using testing_fields::FieldsOf;
using testing_zone::ScopedTZ;

long long Seconds(DateTime const& d) { return d.Totime_t(); }

// Every zone is checked by name and as the process's zone (TZ set to its
// name): the U and L readings through both, the transitions through the
// named zone and, on every 16th zone, through the calls without a zone too.
TEST(TimeZoneVectors, EveryTransitionMatchesZoneinfo) {
  std::ifstream in;
  ASSERT_TRUE(testing_zone::OpenZoneVectors("timezone_vectors.txt", in));
  std::string line, name;
  TimeZone const* zone = nullptr;
  bool process = false;
  int zones = 0, transitions = 0, skipped = 0, repeated = 0, conversions[2] = {0, 0};
  auto checkZone = [&](TimeZone const& z, std::vector<long long> const& v, bool zoneFreeCall) {
    long long const t = v[0];
    for (int k = 0; k < 3; ++k) {
      ASSERT_EQ(z.GetOffset(t - 1 + k), v[1 + k]) << name << " at " << t - 1 + k;
      DateTime const utc(t - 1 + k, 0);
      ASSERT_EQ(Seconds(zoneFreeCall ? utc.ToLocalTime() : utc.ToLocalTime(z)), t - 1 + k + v[1 + k])
          << name << " at " << t - 1 + k;
    }
    long long const lo = std::min(v[1], v[3]), hi = std::max(v[1], v[3]);
    long long const readings[4] = {t + lo - 1, t + lo, t + hi - 1, t + hi};
    for (int r = 0; r < 4; ++r) {
      long long const first = v[4 + 2 * r], second = v[5 + 2 * r];
      DateTime const local(readings[r], 0);
      LocalLookup const l = z.Lookup(local);
      ASSERT_EQ(Seconds(l.earlier), readings[r] - first) << name << " reading " << readings[r];
      ASSERT_EQ(Seconds(l.later), readings[r] - second) << name << " reading " << readings[r];
      // Skipped readings take the smaller offset first (the one before the
      // clocks went forward), repeated ones the larger.
      LocalKind const kind = first == second ? LocalKind::Unique
                             : first < second ? LocalKind::Skipped
                                              : LocalKind::Repeated;
      ASSERT_EQ(l.kind, kind) << name << " reading " << readings[r];
      skipped += kind == LocalKind::Skipped;
      repeated += kind == LocalKind::Repeated;
      ASSERT_EQ(Seconds(zoneFreeCall ? local.ToUTCTime() : local.ToUTCTime(z)), readings[r] - first)
          << name << " reading " << readings[r];
    }
  };
  // A U or L line: fields in, fields out, the offset in minutes.
  auto checkConversion = [&](bool toLocal, std::vector<long long> const& v) {
    ASSERT_EQ(v.size(), 15u) << line;
    auto at = [&v](int k) { return static_cast<int>(v[k]); };
    DateTime const d(at(0), at(1), at(2), at(3), at(4), at(5), at(6), 90, 60);
    Fields const want{at(7), at(8), at(9), at(10), at(11), at(12), at(13)};
    DateTime const inProcess = toLocal ? d.ToLocalTime() : d.ToUTCTime();
    for (DateTime const& got : {inProcess, toLocal ? d.ToLocalTime(*zone) : d.ToUTCTime(*zone)}) {
      EXPECT_EQ(FieldsOf(got), want) << line;
      EXPECT_EQ(got.GetBias() | got.GetDaylightBias(), 0) << line;
    }
    if (!toLocal) {
      EXPECT_EQ(d.GetTimeZoneBias(), -v[14]) << line;  // the offset ToUTCTime applied
    }
    conversions[toLocal]++;
  };
  std::unique_ptr<ScopedTZ> tz;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == 'Z') {
      name = line.substr(2);
      zone = TimeZone::Find(name.c_str());
      ASSERT_NE(zone, nullptr) << name;
      process = zones++ % 16 == 0;
      tz.reset();  // the old TZ back first, so that the next one restores it
      tz.reset(new ScopedTZ(name.c_str()));
      continue;
    }
    std::istringstream s(line[0] == 'U' || line[0] == 'L' ? line.substr(1) : line);
    std::vector<long long> v;
    for (long long x; s >> x;) v.push_back(x);
    if (line[0] == 'U' || line[0] == 'L') {
      checkConversion(line[0] == 'U', v);
      continue;
    }
    ASSERT_EQ(v.size(), 12u) << line;
    checkZone(*zone, v, false);
    if (process) checkZone(TimeZone::Local(), v, true);
    ++transitions;
  }
  EXPECT_GT(zones, 300);
  EXPECT_GT(transitions, 50000);
  EXPECT_GT(skipped, 10000);
  EXPECT_GT(repeated, 10000);
  EXPECT_GT(conversions[0], 1500);
  EXPECT_GT(conversions[1], 1500);
}

TEST(TimeZoneFind, NamesThatStayInsideTheFolder) {
  std::string const longName(256, 'A');
  struct {
    char const* name;
    bool found;
  } const cases[] = {
      {"Europe/Berlin", true},
      {"UTC", true},
      {"America/Argentina/Buenos_Aires", true},
      {"<+0530>-5:30", true},  // a POSIX rule
      {"Nowhere/Zone", false},  // neither a file nor a rule
      {"", false},
      {"/usr/share/zoneinfo/UTC", false},  // absolute
      {"../zoneinfo/UTC", false},
      {"Europe/../UTC", false},
      {"./UTC", false},
      {"Europe//Berlin", false},
      {"Europe/Berlin/", false},
      {"Europe/Berlin\n", false},  // a control character
      {"Europe/Berlin\x7f", false},
      {longName.c_str(), false},
      {"Europe", false},    // a folder
      {"zone.tab", false},  // a file that is no zone
      {"EST5EDT,M3.2.0", false},  // half a rule
  };
  for (auto const& c : cases) {
    TimeZone const* const z = TimeZone::Find(c.name);
    EXPECT_EQ(z != nullptr, c.found) << c.name;
    if (z != nullptr) {
      EXPECT_EQ(TimeZone::Find(c.name), z) << c.name;  // kept: the same pointer
      EXPECT_STREQ(z->GetName(), c.name);
    }
  }
  EXPECT_EQ(TimeZone::Find(nullptr), nullptr);
  EXPECT_EQ(TimeZone::Find(std::string(255, 'A').c_str()), nullptr);  // long enough, but no such zone
}

// Answers worked out from the rules by hand.
TEST(TimeZoneRules, PosixRulesGiveTheirOffsetsAndReadings) {
  TimeZone const* const east = TimeZone::Find(testing_zone::kUSEastern);
  TimeZone const* const india = TimeZone::Find("<+0530>-5:30");
  ASSERT_TRUE(east != nullptr && india != nullptr);
  EXPECT_EQ(east->GetOffset(DateTime(2026, 1, 15).Totime_t()), -5 * 3600);
  EXPECT_EQ(east->GetOffset(DateTime(2026, 3, 8, 6, 59, 59).Totime_t()), -5 * 3600);  // 01:59:59 EST
  EXPECT_EQ(east->GetOffset(DateTime(2026, 3, 8, 7, 0, 0).Totime_t()), -4 * 3600);    // 03:00:00 EDT
  EXPECT_EQ(DateTime(2026, 1, 1, 0, 0).ToLocalTime(*india), DateTime(2026, 1, 1, 5, 30));
  // 02:30 on the second Sunday of March does not exist: 07:30 UTC read with
  // EST (before), 06:30 UTC with EDT (after). 01:30 on the first Sunday of
  // November happens twice: EDT, then EST.
  LocalLookup const skipped = east->Lookup(DateTime(2026, 3, 8, 2, 30, 0, 250));
  EXPECT_EQ(skipped.kind, LocalKind::Skipped);
  EXPECT_TRUE(skipped.earlier == DateTime(2026, 3, 8, 7, 30, 0, 250) && skipped.later == DateTime(2026, 3, 8, 6, 30, 0, 250));
  LocalLookup const repeated = east->Lookup(DateTime(2026, 11, 1, 1, 30));
  EXPECT_EQ(repeated.kind, LocalKind::Repeated);
  EXPECT_TRUE(repeated.earlier == DateTime(2026, 11, 1, 5, 30) && repeated.later == DateTime(2026, 11, 1, 6, 30));
}

TEST(TimeZoneUTC, AnswersZeroEverywhere) {
  TimeZone const& utc = TimeZone::UTC();
  EXPECT_STREQ(utc.GetName(), "UTC");
  EXPECT_EQ(&utc, &TimeZone::UTC());
  for (long long t : {-(1LL << 62), 0LL, 1LL << 40}) EXPECT_EQ(utc.GetOffset(t), 0);
  DateTime const d(2026, 3, 29, 2, 30);
  EXPECT_EQ(d.ToLocalTime(utc), d);
  EXPECT_EQ(d.ToUTCTime(utc), d);
  EXPECT_EQ(utc.Lookup(d).kind, LocalKind::Unique);
}

TEST(TimeZoneLocal, FollowsTZ) {
  long long const july = DateTime(2026, 7, 1).Totime_t();
  struct {
    char const* tz;
    int offset;
  } const cases[] = {
      {testing_zone::kCentralEurope, 7200},
      {testing_zone::kUSEastern, -4 * 3600},
      {"", 0},                  // set but empty: UTC
      {":Asia/Tokyo", 9 * 3600},  // a leading colon, as the C library reads it
      {"EST5EDT4", -4 * 3600},  // no table holds it: the C library answers (a rule without dates: US dates)
  };
  ScopedTZ outer(testing_zone::kJapan);
  TimeZone const& japan = TimeZone::Local();
  for (auto const& c : cases) {
    ScopedTZ tz(c.tz);
    EXPECT_EQ(TimeZone::Local().GetOffset(july), c.offset) << c.tz;
  }
  EXPECT_EQ(&TimeZone::Local(), &japan);  // the same value: the same zone again
  EXPECT_STREQ(japan.GetName(), testing_zone::kJapan);
}

TEST(TimeZoneDatabase, VersionIsTheInstalledRelease) {
  std::string const want = testing_zone::MachineTzRelease();
  EXPECT_EQ(TimeZone::GetDatabaseVersion(), want == "unknown" ? std::string() : want);
}

}  // namespace
}  // namespace QDataType
