// Test support: runs a block under a given TZ and puts the old one back.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <string>

namespace QDataType {
namespace testing_zone {

class ScopedTZ {
 public:
  explicit ScopedTZ(char const* tz) {
    char const* old = getenv("TZ");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTZ() {
    if (hadOld_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTZ(ScopedTZ const&) = delete;
  ScopedTZ& operator=(ScopedTZ const&) = delete;

 private:
  bool hadOld_ = false;
  std::string old_;
};

}  // namespace testing_zone
}  // namespace QDataType
