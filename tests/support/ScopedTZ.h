// Test support: runs a block under a given TZ and puts the old one back.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

namespace QDataType {
namespace testing_zone {

// Zones written out as POSIX rules, for tests whose expected answers are
// written into the test: a rule means the same on every machine, whatever
// release of the tz database it has, where a named zone's future (and even
// its past) may change with a database update. Answers of named zones are
// tested against vectors made from the machine's database (ZoneVectors.h).
constexpr char kCentralEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";  // UTC+1, +2 from March's last Sunday to October's
constexpr char kUSEastern[] = "EST5EDT,M3.2.0,M11.1.0";          // UTC-5, -4 from March's 2nd Sunday to November's 1st
constexpr char kJapan[] = "JST-9";                                // UTC+9 all year

class ScopedTZ {
 public:
  explicit ScopedTZ(char const* tz) {
    if (char const* old = getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTZ() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTZ(ScopedTZ const&) = delete;
  ScopedTZ& operator=(ScopedTZ const&) = delete;

 private:
  std::optional<std::string> old_;  // none: TZ was unset
};

}  // namespace testing_zone
}  // namespace QDataType
