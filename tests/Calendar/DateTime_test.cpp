// DateTime core: day numbers, the double form, construction, putters, weeks
// and ordering. Calendar facts come from Python's datetime/calendar modules
// (tests/data/calendar_*.txt, written by gen_calendar_vectors.py).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "DataType/Calendar/DateTime.h"
#include "DateTimeTestPeer.h"

namespace QDataType {
namespace {

using Peer = DateTimeTestPeer;

// y-m-d h:m:s.ms of a value, for readable failures.
std::string Show(DateTime const& d) {
  char b[64];
  std::snprintf(b, sizeof b, "%d-%d-%d %d:%d:%d.%d", d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(),
                d.GetMinute(), d.GetSecond(), d.GetMillisecond());
  return b;
}

void ExpectFields(DateTime const& d, int y, int mo, int da, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  EXPECT_EQ(Show(d), Show(DateTime(y, mo, da, h, mi, s, ms))) << "expected fields differ";
  EXPECT_EQ(d.GetYear(), y);
  EXPECT_EQ(d.GetMillisecond(), ms);
}

std::vector<std::string> ReadLines(char const* name) {
  std::ifstream in(std::string(QDT_TEST_DATA_DIR) + "/" + name);
  EXPECT_TRUE(in.good()) << name;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  return lines;
}

// The day numbering written out as its definition: 365 days a year plus the
// leap days of the years before, plus the days before the month.
int DayNumberByDefinition(int y, int m, int d) {
  static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int leaps = (y + 3) / 4 - (y - 1) / 100 + (y - 1) / 400;  // years 0..y-1; all terms 0 for y = 0
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return 365 * y + leaps + before[m - 1] + (m > 2 && leap ? 1 : 0) + d - 693960;
}

TEST(DayNumbers, DefinitionAndInverseOverTheWholeRange) {
  for (int y = 0; y <= 65535; ++y)
    for (int m = 1; m <= 12; ++m)
      ASSERT_EQ(DateTime::YMDToDAYS(static_cast<unsigned short>(y), static_cast<short>(m), 1),
                DayNumberByDefinition(y, m, 1))
          << y << "-" << m;

  // Walking every day number: the inverse must give the next calendar day
  // each time, and map back to the same number.
  unsigned short y = 0;
  short m = 0, d = 0;
  DateTime::DAYSToYMD(-693959, y, m, d);
  ASSERT_EQ(y, 0);
  ASSERT_EQ(m, 1);
  ASSERT_EQ(d, 1);
  for (int n = -693958; n <= 23242572; ++n) {
    const int py = y, pm = m, pd = d;
    DateTime::DAYSToYMD(n, y, m, d);
    const bool leap = (py % 4 == 0 && py % 100 != 0) || py % 400 == 0;
    const int dim = pm == 2 ? (leap ? 29 : 28) : (pm == 4 || pm == 6 || pm == 9 || pm == 11) ? 30 : 31;
    const bool next = pd < dim ? (y == py && m == pm && d == pd + 1)
                      : pm < 12 ? (y == py && m == pm + 1 && d == 1)
                                : (y == py + 1 && m == 1 && d == 1);
    ASSERT_TRUE(next) << n << ": " << y << "-" << m << "-" << d << " after " << py << "-" << pm << "-" << pd;
    ASSERT_EQ(DateTime::YMDToDAYS(y, m, d), n);
  }
  EXPECT_EQ(y, 65535);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 31);
}

TEST(DayNumbers, FixedPointsAndUncheckedArguments) {
  EXPECT_EQ(DateTime::YMDToDAYS(1899, 12, 30), 0);
  EXPECT_EQ(DateTime::YMDToDAYS(1899, 12, 31), 1);
  EXPECT_EQ(DateTime::YMDToDAYS(1900, 1, 1), 2);
  EXPECT_EQ(DateTime::YMDToDAYS(1900, 3, 1), 61);  // 1900 is not a leap year
  EXPECT_EQ(DateTime::YMDToDAYS(1970, 1, 1), 25569);
  EXPECT_EQ(DateTime::YMDToDAYS(0, 1, 1), -693959);
  EXPECT_EQ(DateTime::YMDToDAYS(1, 1, 1), -693593);
  EXPECT_EQ(DateTime::YMDToDAYS(65535, 12, 30), 23242571);
  EXPECT_EQ(DateTime::YMDToDAYS(65535, 12, 31), 23242572);
  // A month outside 1..12 gives 0; the day is simply added.
  EXPECT_EQ(DateTime::YMDToDAYS(2000, 13, 1), 0);
  EXPECT_EQ(DateTime::YMDToDAYS(2000, 0, 1), 0);
  EXPECT_EQ(DateTime::YMDToDAYS(2000, -3, 1), 0);
  EXPECT_EQ(DateTime::YMDToDAYS(2024, 2, 40), DateTime::YMDToDAYS(2024, 3, 11));
  EXPECT_EQ(DateTime::YMDToDAYS(2024, 3, 0), DateTime::YMDToDAYS(2024, 2, 29));
  EXPECT_EQ(DateTime::YMDToDAYS(2024, 1, -5), DateTime::YMDToDAYS(2023, 12, 26));
}

TEST(DayNumbers, WeekdayDayOfYearAndWeekAgreeWithPython) {
  const auto lines = ReadLines("calendar_days.txt");
  ASSERT_GT(lines.size(), 4000u);
  for (auto const& line : lines) {
    std::istringstream in(line);
    int y, m, d, number, weekday, yday, week;
    ASSERT_TRUE(in >> y >> m >> d >> number >> weekday >> yday >> week) << line;
    ASSERT_EQ(DateTime::YMDToDAYS(static_cast<unsigned short>(y), static_cast<short>(m), static_cast<short>(d)),
              number)
        << line;
    unsigned short yy;
    short mm, dd;
    DateTime::DAYSToYMD(number, yy, mm, dd);
    ASSERT_TRUE(yy == y && mm == m && dd == d) << line;
    const DateTime v(y, m, d, 13, 0, 0, 0, 0, 0);
    ASSERT_EQ(v.GetDayOfWeek(), weekday) << line;
    ASSERT_EQ(v.GetDayOfYear(), yday) << line;
    ASSERT_EQ(v.GetWeek(), week) << line;
    ASSERT_EQ(v.GetDaysInMonth() >= d, true) << line;
  }
}

TEST(DateTimeConstruction, ClampsAndRollsOver) {
  ExpectFields(DateTime(2024, 2, 30, 10, 0, 0, 0, 0, 0), 2024, 2, 29, 10);
  ExpectFields(DateTime(2023, 2, 30, 10, 0, 0, 0, 0, 0), 2023, 2, 28, 10);
  ExpectFields(DateTime(2024, 0, 15), 2024, 1, 15);
  ExpectFields(DateTime(2024, 13, 15), 2024, 12, 15);
  ExpectFields(DateTime(2024, 4, 31), 2024, 4, 30);  // day checked against the clamped month
  ExpectFields(DateTime(2024, 14, 32), 2024, 12, 31);
  ExpectFields(DateTime(2024, 5, -3), 2024, 5, 1);
  ExpectFields(DateTime(2024, 5, 5, 10, 75, -1, 1000), 2024, 5, 5, 10, 59, 0, 999);
  ExpectFields(DateTime(2024, 5, 5, -4, 0, 0, -1), 2024, 5, 5, 0, 0, 0, 0);
  // Only 24:00:00 rolls over (any millisecond); 24 with a minute is clamped.
  const DateTime roll(2023, 12, 31, 24, 0, 0, 500, 60, 0);
  ExpectFields(roll, 2024, 1, 1, 0, 0, 0, 500);
  EXPECT_EQ(roll.GetBias(), 0);
  ExpectFields(DateTime(2024, 2, 28, 24, 0, 0, 0), 2024, 2, 29);
  ExpectFields(DateTime(2024, 2, 28, 24, 1, 0, 0), 2024, 2, 28, 23, 1);
  ExpectFields(DateTime(2024, 2, 28, 24, 0, 1, 0), 2024, 2, 28, 23, 0, 1);
  // Fields keep their low 16 bits first.
  ExpectFields(DateTime(65536 + 2024, 65536 + 6, 5), 2024, 6, 5);
  // Biases are stored, caches start empty.
  const DateTime b(2024, 6, 5, 1, 2, 3, 4, -300, 60);
  EXPECT_EQ(b.GetBias(), -300);
  EXPECT_EQ(b.GetDaylightBias(), 60);
  const auto f = Peer::Fields(b);
  EXPECT_EQ(f[Peer::kWeek], -1);
  EXPECT_EQ(f[Peer::kDayOfWeek], -1);
}

TEST(DateTimeConstruction, CopyAndAssignmentCarryEverything) {
  const DateTime a(2024, 6, 15, 10, 20, 30, 456, 120, 60);
  a.GetWeek();
  const DateTime copy(a);
  EXPECT_EQ(Peer::Fields(copy), Peer::Fields(a));
  DateTime b;
  b = a;
  EXPECT_EQ(Peer::Fields(b), Peer::Fields(a));
  DateTime& alias = b;
  b = alias;
  EXPECT_EQ(Peer::Fields(b), Peer::Fields(a));
  // Assignment normalises what it copies.
  DateTime raw(2024, 4, 10);
  Peer::Set(raw, Peer::kDay, 31);
  Peer::Set(raw, Peer::kMinute, 99);
  DateTime c;
  c = raw;
  ExpectFields(c, 2024, 4, 30, 0, 59);

  const DateTime zero;
  ExpectFields(zero, 1899, 12, 30);
  EXPECT_EQ(zero.ToDATE(), 0.0);
  EXPECT_EQ(zero.GetBias(), 0);
  EXPECT_EQ(Peer::Fields(zero)[Peer::kWeek], -1);
}

TEST(DateTimeSanitize, StrictAndFixingPasses) {
  DateTime v(2024, 6, 15);
  Peer::Set(v, Peer::kMonth, 13);
  EXPECT_EQ(Peer::Sanitize(v, false), -1);
  EXPECT_EQ(v.GetMonth(), 13);
  EXPECT_EQ(Peer::Sanitize(v, true), 0);
  EXPECT_EQ(v.GetMonth(), 12);

  DateTime april(2024, 4, 10);
  Peer::Set(april, Peer::kDay, 31);
  EXPECT_EQ(Peer::Sanitize(april, false), 0);  // a long day is clamped whatever fix says
  EXPECT_EQ(april.GetDay(), 30);

  // Fields checked before the offending one keep their change; no day is added.
  DateTime w(2024, 4, 10);
  Peer::Set(w, Peer::kHour, 24);
  Peer::Set(w, Peer::kDay, 31);
  Peer::Set(w, Peer::kMillisecond, 1000);
  EXPECT_EQ(Peer::Sanitize(w, false), -1);
  EXPECT_EQ(w.GetHour(), 0);
  EXPECT_EQ(w.GetDay(), 30);
  EXPECT_EQ(w.GetMillisecond(), 1000);

  DateTime z(2024, 4, 10);
  Peer::Set(z, Peer::kDay, 0);
  EXPECT_EQ(Peer::Sanitize(z, false), -1);
  Peer::Set(z, Peer::kSecond, 60);
  EXPECT_EQ(Peer::Sanitize(z, true), 0);
  ExpectFields(z, 2024, 4, 1, 0, 0, 59);

  // The rollover replaces the value: biases become 0, caches stay untouched otherwise.
  DateTime r(2024, 12, 31, 5, 0, 0, 7, 60, 60);
  Peer::Set(r, Peer::kHour, 24);
  EXPECT_EQ(Peer::Sanitize(r, false), 0);
  ExpectFields(r, 2025, 1, 1, 0, 0, 0, 7);
  EXPECT_EQ(r.GetBias(), 0);
  EXPECT_EQ(r.GetDaylightBias(), 0);

  DateTime keep(2024, 6, 15, 1, 0, 0, 0, 45, 0);
  keep.GetWeek();
  Peer::Set(keep, Peer::kMinute, -5);
  EXPECT_EQ(Peer::Sanitize(keep, true), 0);
  EXPECT_EQ(Peer::Fields(keep)[Peer::kWeek], 3);
  EXPECT_EQ(keep.GetBias(), 45);

  DateTime a(2024, 1, 31);
  Peer::Set(a, Peer::kMonth, 2);
  Peer::AdjustDay(a);
  EXPECT_EQ(a.GetDay(), 29);
}

TEST(DoubleForm, AgreesWithGeneratedVectors) {
  const auto lines = ReadLines("calendar_doubles.txt");
  ASSERT_GT(lines.size(), 4000u);
  for (auto const& line : lines) {
    std::istringstream in(line);
    std::string kind, hex;
    int y, m, d, h, mi, s, ms;
    if (line[0] == 'D') {
      ASSERT_TRUE(in >> kind >> hex >> y >> m >> d >> h >> mi >> s >> ms) << line;
      const double x = std::strtod(hex.c_str(), nullptr);
      const DateTime v(x);
      ASSERT_EQ(Show(v), Show(DateTime(y, m, d, h, mi, s, ms))) << line;
      ASSERT_EQ(v.GetBias(), 0);
    } else {
      ASSERT_TRUE(in >> kind >> y >> m >> d >> h >> mi >> s >> ms >> hex) << line;
      const double x = std::strtod(hex.c_str(), nullptr);
      ASSERT_EQ(DateTime(y, m, d, h, mi, s, ms).ToDATE(), x) << line;  // bit for bit
    }
  }
}

TEST(DoubleForm, DocumentedPointsClampsAndOddInputs) {
  ExpectFields(DateTime(-0.75), 1899, 12, 29, 6);
  EXPECT_EQ(DateTime(1899, 12, 29, 6, 0, 0, 0).ToDATE(), -0.75);
  ExpectFields(DateTime(1.5), 1899, 12, 31, 12);
  ExpectFields(DateTime(2.0), 1900, 1, 1);
  ExpectFields(DateTime(60.0), 1900, 2, 28);
  ExpectFields(DateTime(61.0), 1900, 3, 1);
  ExpectFields(DateTime(0.9999999999), 1899, 12, 30, 23, 59, 59, 999);  // never the next day
  ExpectFields(DateTime(-1e-300), 1899, 12, 29, 23, 59, 59, 999);
  ExpectFields(DateTime(3.0e7 + 0.25), 65535, 12, 30, 6);
  ExpectFields(DateTime(23242572.0), 65535, 12, 30);
  ExpectFields(DateTime(-1.0e6), 1, 1, 1);
  ExpectFields(DateTime(-1.0e6 - 0.25), 1, 1, 1, 6);     // ceil(x) - x
  ExpectFields(DateTime(-693959.0), 0, 1, 1);            // the first day itself is reachable
  ExpectFields(DateTime(-693958.5), 0, 1, 1, 12);
  const double inf = std::numeric_limits<double>::infinity();
  ExpectFields(DateTime(inf), 65535, 12, 30);
  ExpectFields(DateTime(-inf), 1, 1, 1);
  ExpectFields(DateTime(std::nan("")), 1899, 12, 30);
  ExpectFields(DateTime(1e308), 65535, 12, 30);
  ExpectFields(DateTime(-1e308), 1, 1, 1);

  // MillisecondsToDATE: the fraction is always added to the floor.
  EXPECT_EQ(DateTime::MillisecondsToDATE(0), 0.0);
  EXPECT_EQ(DateTime::MillisecondsToDATE(-21600000), -0.25);
  EXPECT_EQ(DateTime::MillisecondsToDATE(-86400000 - 21600000), -1.25);
  EXPECT_EQ(DateTime::MillisecondsToDATE(86400000 + 43200000), 1.5);
  EXPECT_GT(DateTime::MillisecondsToDATE(std::numeric_limits<long long>::max()), 1e11);
  EXPECT_LT(DateTime::MillisecondsToDATE(std::numeric_limits<long long>::min()), -1e11);
  EXPECT_EQ(DateTime::ToMilliseconds(DateTime(1970, 1, 1, 0, 0, 1, 5)), 25569LL * 86400000 + 1005);
  EXPECT_EQ(DateTime::ToMilliseconds(DateTime(1899, 12, 29, 18, 0, 0, 0)), -21600000);
}

TEST(DoubleForm, RoundTripKeepsEveryField) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> day(-693959, 23242571);
  std::uniform_int_distribution<int> msOfDay(0, 86399999);
  for (int i = 0; i < 300000; ++i) {
    unsigned short y;
    short m, d;
    DateTime::DAYSToYMD(day(rng), y, m, d);
    int t = i < 1000 ? 86399999 - i : msOfDay(rng);  // the end of the day is the hardest
    const DateTime v(y, m, d, t / 3600000, t / 60000 % 60, t / 1000 % 60, t % 1000);
    const DateTime back(v.ToDATE());
    ASSERT_EQ(back, v) << Show(v) << " came back as " << Show(back);
    ASSERT_EQ(DateTime(DateTime::MillisecondsToDATE(DateTime::ToMilliseconds(v))), v) << Show(v);
  }
  ExpectFields(DateTime(DateTime(65535, 12, 31, 23, 59, 59, 999).ToDATE()), 65535, 12, 30, 23, 59, 59, 999);
}

TEST(DateTimeGetters, CalendarFacts) {
  const DateTime v(2024, 6, 15, 8, 0, 0, 0);  // a Saturday
  EXPECT_EQ(v.GetDayOfWeek(), 6);
  EXPECT_EQ(v.GetWeek(), 3);  // June 2024 starts on a Saturday: week 1 is June 1 alone
  EXPECT_EQ(v.GetDayOfYear(), 167);
  EXPECT_EQ(v.GetQuarter(), 2);
  EXPECT_EQ(v.GetFirstMonthOfQuater(), 4);
  for (int m = 1; m <= 12; ++m) {
    const DateTime x(2023, m, 1);
    EXPECT_EQ(x.GetQuarter(), (m + 2) / 3);
    EXPECT_EQ(x.GetFirstMonthOfQuater(), (m - 1) / 3 * 3 + 1);
  }
  EXPECT_EQ(DateTime(2024, 2, 1).GetDaysInMonth(), 29);
  EXPECT_EQ(DateTime(1900, 2, 1).GetDaysInMonth(), 28);
  EXPECT_EQ(DateTime(2000, 2, 1).GetDaysInMonth(), 29);
  EXPECT_EQ(DateTime(0, 2, 1).GetDaysInMonth(), 29);
  EXPECT_EQ(DateTime(2023, 9, 1).GetDaysInMonth(), 30);
  EXPECT_EQ(DateTime(2024, 12, 31).GetDayOfYear(), 366);
  EXPECT_TRUE(DateTime::IsLeapYear(0));
  EXPECT_TRUE(DateTime::IsLeapYear(2000));
  EXPECT_FALSE(DateTime::IsLeapYear(1900));
  EXPECT_FALSE(DateTime::IsLeapYear(2023));
  EXPECT_TRUE(DateTime::IsLeapYear(-4));  // truncating division on the value as given
  EXPECT_FALSE(DateTime::IsLeapYear(-100));
  EXPECT_TRUE(DateTime(65532, 1, 1).IsLeapYear());
  EXPECT_EQ(DateTime(1899, 12, 30).GetDayOfWeek(), 6);
  EXPECT_EQ(DateTime(0, 1, 1).GetDayOfWeek(), 6);
  EXPECT_EQ(DateTime(65535, 12, 31).GetDayOfWeek(), 2);  // a Tuesday
  // The weekday of day n is (n + 6) mod 7 over the whole range.
  for (int n = -693959; n <= 23242572; n += 9973) {
    unsigned short y;
    short m, d;
    DateTime::DAYSToYMD(n, y, m, d);
    EXPECT_EQ(DateTime(y, m, d).GetDayOfWeek(), ((n + 6) % 7 + 7) % 7) << n;
  }
}

TEST(YearOfSamePattern, MatchesLeapnessAndFirstWeekday) {
  auto pattern = [](int year) {
    const int y = year % 400 + 400;  // same pattern, inside the 16-bit range
    return std::make_pair(DateTime::IsLeapYear(y), DateTime(y, 1, 1).GetDayOfWeek());
  };
  for (int year = 0; year <= 100000; ++year) {
    const int p = DateTime::YearOfSamePattern(year);
    ASSERT_GE(p, 1971) << year;
    ASSERT_LE(p, 2037) << year;
    ASSERT_EQ(pattern(p), pattern(year)) << year;
    if (year >= 1971 && year <= 2037) {
      ASSERT_EQ(p, year);
    }
  }
  EXPECT_EQ(DateTime::YearOfSamePattern(2024), 2024);
  EXPECT_EQ(DateTime::YearOfSamePattern(1900), 1973);
  EXPECT_EQ(DateTime::YearOfSamePattern(2100), 1971);
  EXPECT_EQ(DateTime::YearOfSamePattern(0), 1972);
  EXPECT_EQ(DateTime::YearOfSamePattern(1970), 1981);
  EXPECT_EQ(DateTime::YearOfSamePattern(2038), 1971);  // a common year starting on a Friday
  EXPECT_EQ(DateTime::YearOfSamePattern(-5), -1);
  EXPECT_EQ(DateTime::YearOfSamePattern(std::numeric_limits<int>::min()), -1);
  EXPECT_GE(DateTime::YearOfSamePattern(std::numeric_limits<int>::max()), 1971);
}

TEST(DateTimePutters, DateFieldsClampAndRefuse) {
  DateTime v(2024, 2, 10, 5, 6, 7, 8, 30, 0);
  v.GetWeek();
  EXPECT_TRUE(v.PutDay(-1));
  EXPECT_EQ(v.GetDay(), 29);
  EXPECT_EQ(Peer::Fields(v)[Peer::kWeek], -1);
  EXPECT_TRUE(v.PutDay(-29));
  EXPECT_EQ(v.GetDay(), 1);
  EXPECT_TRUE(v.PutDay(-31));  // below 1 becomes 1
  EXPECT_EQ(v.GetDay(), 1);
  EXPECT_TRUE(v.PutDay(31));   // clamped to the month
  EXPECT_EQ(v.GetDay(), 29);
  for (int bad : {0, 32, -32, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
    DateTime before = v;
    EXPECT_FALSE(v.PutDay(bad)) << bad;
    EXPECT_EQ(Peer::Fields(v), Peer::Fields(before));
  }
  DateTime sept(2023, 9, 10);
  EXPECT_TRUE(sept.PutDay(-31));
  EXPECT_EQ(sept.GetDay(), 1);
  EXPECT_TRUE(sept.PutDay(-30));
  EXPECT_EQ(sept.GetDay(), 1);
  EXPECT_TRUE(sept.PutDay(-2));
  EXPECT_EQ(sept.GetDay(), 29);

  DateTime leap(2024, 2, 29);
  EXPECT_TRUE(leap.PutYear(2023));
  ExpectFields(leap, 2023, 2, 28);
  EXPECT_FALSE(leap.PutYear(-1));
  EXPECT_TRUE(leap.PutYear(65536 + 2000));  // low 16 bits
  EXPECT_EQ(leap.GetYear(), 2000);
  DateTime jan(2024, 1, 31);
  EXPECT_TRUE(jan.PutMonth(4));
  ExpectFields(jan, 2024, 4, 30);
  EXPECT_FALSE(jan.PutMonth(0));
  EXPECT_FALSE(jan.PutMonth(13));
  ExpectFields(jan, 2024, 4, 30);
  EXPECT_EQ(jan.GetBias(), 0);
  EXPECT_EQ(v.GetBias(), 30);  // putters keep biases
}

TEST(DateTimePutters, TimeFieldsValidateWithoutCarry) {
  DateTime v(2024, 6, 15, 10, 20, 30, 400);
  v.GetDayOfWeek();
  EXPECT_FALSE(v.PutHour(24));
  EXPECT_FALSE(v.PutHour(-1));
  EXPECT_FALSE(v.PutMinute(60));
  EXPECT_FALSE(v.PutMinute(-1));
  EXPECT_FALSE(v.PutSecond(60));
  EXPECT_FALSE(v.PutMillisecond(1000));
  EXPECT_FALSE(v.PutMillisecond(-1));
  ExpectFields(v, 2024, 6, 15, 10, 20, 30, 400);
  EXPECT_TRUE(v.PutHour(23));
  EXPECT_TRUE(v.PutMinute(0));
  EXPECT_TRUE(v.PutSecond(59));
  EXPECT_TRUE(v.PutMillisecond(999));
  ExpectFields(v, 2024, 6, 15, 23, 0, 59, 999);
  EXPECT_EQ(Peer::Fields(v)[Peer::kDayOfWeek], 6);  // caches untouched
}

TEST(WeekOfMonth, FormulaMatchesSundayWeeks) {
  for (int first = 0; first < 7; ++first)
    for (int day = 1; day <= 31; ++day) {
      const int dow = (first + day - 1) % 7;
      EXPECT_EQ(Peer::WeekFromDayAndDayOfWeek(day, dow), (day - 1 + first) / 7 + 1) << day << " " << dow;
    }
}

TEST(WeekOfMonth, PutWeekAndPutDayOfWeek) {
  DateTime v(2024, 6, 15, 9, 30, 0, 0, 60, 0);
  EXPECT_TRUE(v.PutWeek(1));
  ExpectFields(v, 2024, 6, 1, 9, 30);
  EXPECT_EQ(v.GetBias(), 0);
  EXPECT_EQ(v.GetWeek(), 1);
  DateTime w(2024, 6, 15, 9, 30);
  EXPECT_FALSE(w.PutWeek(6));  // would reach 2024-07-06
  ExpectFields(w, 2024, 6, 15, 9, 30);
  EXPECT_EQ(Peer::Fields(w)[Peer::kWeek], -1);  // reset even on failure
  EXPECT_FALSE(w.PutWeek(0));
  EXPECT_FALSE(w.PutWeek(7));
  EXPECT_TRUE(w.PutWeek(6 - 1));
  ExpectFields(w, 2024, 6, 29, 9, 30);

  DateTime sat(2024, 6, 1, 12);
  EXPECT_FALSE(sat.PutDayOfWeek(0, false));  // 2024-05-26
  ExpectFields(sat, 2024, 6, 1, 12);
  EXPECT_TRUE(sat.PutDayOfWeek(0, true));
  ExpectFields(sat, 2024, 5, 26, 12);
  EXPECT_FALSE(sat.PutDayOfWeek(7, true));
  EXPECT_FALSE(sat.PutDayOfWeek(-1, true));
  EXPECT_TRUE(sat.PutDayOfWeek(3, false));
  ExpectFields(sat, 2024, 5, 29, 12);
  EXPECT_EQ(sat.GetDayOfWeek(), 3);
}

TEST(WeekOfMonth, PutWeekAndDayOfWeekFindsOccurrences) {
  const DateTime base(2024, 6, 15, 7, 45, 0, 0);
  auto put = [&](int n, int dow) {
    DateTime v = base;
    return v.PutWeekAndDayOfWeek(n, dow) ? Show(v) : std::string("refused");
  };
  EXPECT_EQ(put(1, 1), Show(DateTime(2024, 6, 3, 7, 45)));
  EXPECT_EQ(put(-1, 5), Show(DateTime(2024, 6, 21, 7, 45)));  // the one before the last
  EXPECT_EQ(put(4, 5), Show(DateTime(2024, 6, 28, 7, 45)));
  EXPECT_EQ(put(-4, 5), "refused");
  EXPECT_EQ(put(5, 5), "refused");
  EXPECT_EQ(put(0, 5), "refused");
  EXPECT_EQ(put(1, 7), "refused");
  EXPECT_EQ(put(std::numeric_limits<int>::max(), 2), "refused");
  EXPECT_EQ(put(std::numeric_limits<int>::min(), 2), "refused");

  // Against counting in every month of a few years: n-th occurrence, and
  // -k for the (count - k)-th.
  for (int y : {1900, 2023, 2024, 2100}) {
    for (int m = 1; m <= 12; ++m) {
      const DateTime first(y, m, 1);
      const int dim = first.GetDaysInMonth();
      for (int dow = 0; dow < 7; ++dow) {
        std::vector<int> days;
        for (int d = 1; d <= dim; ++d)
          if ((first.GetDayOfWeek() + d - 1) % 7 == dow) days.push_back(d);
        const int count = static_cast<int>(days.size());
        for (int start = 1; start <= dim; start += 6) {
          for (int n = -6; n <= 6; ++n) {
            if (n == 0) continue;
            const int index = n > 0 ? n : count + n;  // 1-based occurrence
            DateTime v(y, m, start, 3, 4, 5, 6, 11, 0);
            const bool ok = v.PutWeekAndDayOfWeek(n, dow);
            if (index >= 1 && index <= count) {
              ASSERT_TRUE(ok) << y << "-" << m << "-" << start << " n=" << n << " dow=" << dow;
              ASSERT_EQ(v, DateTime(y, m, days[index - 1], 3, 4, 5, 6)) << n << " " << dow;
              ASSERT_EQ(v.GetDayOfWeek(), dow);
              ASSERT_EQ(v.GetWeek(), DateTime(v.GetYear(), m, v.GetDay()).GetWeek());
              ASSERT_EQ(v.GetBias(), 11);
            } else {
              ASSERT_FALSE(ok) << y << "-" << m << " n=" << n << " dow=" << dow;
              ASSERT_EQ(v, DateTime(y, m, start, 3, 4, 5, 6));
            }
          }
        }
      }
    }
  }
}

TEST(DateTimeOrdering, SevenFieldsOnly) {
  const DateTime a(2024, 6, 15, 10, 0, 0, 0, 60, 60);
  const DateTime b(2024, 6, 15, 10, 0, 0, 0, -300, 0);
  a.GetWeek();
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_EQ(DateTime::DateTimeOrder(a, b), 0);
  EXPECT_TRUE(a <= b && a >= b && !(a < b) && !(a > b));

  // Each field decides when all before it are equal; year compares unsigned.
  const DateTime order[] = {DateTime(1, 1, 1),       DateTime(2024, 1, 31),        DateTime(2024, 2, 1),
                            DateTime(2024, 2, 2),    DateTime(2024, 2, 2, 1),      DateTime(2024, 2, 2, 1, 1),
                            DateTime(2024, 2, 2, 1, 1, 1), DateTime(2024, 2, 2, 1, 1, 1, 1), DateTime(40000, 1, 1),
                            DateTime(65535, 12, 31)};
  const int n = sizeof order / sizeof order[0];
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int expect = i < j ? -1 : i > j ? 1 : 0;
      ASSERT_EQ(DateTime::DateTimeOrder(order[i], order[j]), expect) << i << " " << j;
      ASSERT_EQ(order[i] < order[j], expect < 0);
      ASSERT_EQ(order[i] > order[j], expect > 0);
      ASSERT_EQ(order[i] <= order[j], expect <= 0);
      ASSERT_EQ(order[i] >= order[j], expect >= 0);
      ASSERT_EQ(order[i] == order[j], expect == 0);
      ASSERT_EQ(order[i] != order[j], expect != 0);
    }
}

}  // namespace
}  // namespace QDataType
