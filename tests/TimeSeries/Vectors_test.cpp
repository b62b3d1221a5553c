// Daily, weekday, n-th weekday and day-of-month schedules around daylight-
// saving changes in five zones, against vectors that Python's datetime and
// zoneinfo computed (tests/data/gen_timeseries_vectors.py): wall times
// skipped or repeated by a change, and GetNextOccurrences moving an
// occurrence that comes out before `from`.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/TimeSeries/TimeSeries.h"
#include "Schedules.h"
#include "support/ScopedTZ.h"
#include "support/ZoneVectors.h"

namespace QDataType {
namespace {

using namespace testing_series;
using testing_zone::ScopedTZ;

DateTime Read(std::istream& in) {
  int y, mo, d, h, mi, s;
  in >> y >> mo >> d >> h >> mi >> s;
  return DateTime(y, mo, d, h, mi, s, 0);
}

Rule ReadRule(std::istream& in) {
  char kind;
  int hh, mm, ss;
  in >> kind >> hh >> mm >> ss;
  Rule r;
  r.At(hh, mm, ss);
  int a = 0, b = 0;
  if (kind == 'W' || kind == 'F') in >> a;
  if (kind == 'M') in >> a >> b;
  if (kind == 'W') r.Fixed(kDow, a);
  if (kind == 'M') r.Fixed(kWeek, a).Fixed(kDow, 1 << b);
  if (kind == 'F') r.Fixed(kDay, a);
  return r;
}

TEST(Vectors, SchedulesAcrossDaylightSavingMatchZoneinfo) {
  std::ifstream file;
  ASSERT_TRUE(testing_zone::OpenZoneVectors("timeseries_vectors.txt", file));
  std::string line;
  int cases = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string zone;
    in >> zone;
    ScopedTZ tz(zone.c_str());
    Series const s = ReadRule(in).Make();
    char op;
    in >> op;
    std::vector<std::string> got;
    if (op == 'N' || op == 'A') {
      DateTime const start = op == 'A' ? Read(in) : DateTime();
      DateTime const from = Read(in);
      unsigned count;
      in >> count;
      std::vector<DateTime> out(count);
      unsigned const n = op == 'N' ? s->GetNextOccurrences(from, count, out.data())
                                   : s->GetNextOccurrencesAfterStart(start, from, count, out.data());
      got = Texts(out.data(), n);
    } else {
      DateTime const from = Read(in), to = Read(in);
      DateTime* list = nullptr;
      unsigned const n = s->GetOccurrencesBetween(from, to, &list);
      got = Texts(list, n);
      delete[] list;
    }
    std::string colon;
    in >> colon;
    std::vector<std::string> expected;
    while (in >> std::ws && !in.eof()) expected.push_back(Text(Read(in)));
    EXPECT_EQ(got, expected) << line;
    ++cases;
  }
  EXPECT_GT(cases, 150);
}

}  // namespace
}  // namespace QDataType
