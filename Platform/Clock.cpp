#include "Platform/Clock.h"

#include <time.h>

namespace QDataType {
namespace Platform {

ClockReading ReadClock() noexcept {
  struct timespec ts {};
  if (clock_gettime(CLOCK_REALTIME, &ts) != 0) return ClockReading{0, 0};
  // tv_nsec is 0..999999999 even for instants before 1970, so the seconds
  // are already the floor.
  return ClockReading{static_cast<long long>(ts.tv_sec), static_cast<int>(ts.tv_nsec / 1000000)};
}

}  // namespace Platform
}  // namespace QDataType
