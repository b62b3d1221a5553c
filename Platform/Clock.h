// The system clock, as the library reads it.
//
// The clock is the operating system's real-time clock (CLOCK_REALTIME): the
// current instant as Unix time, seconds since 1970-01-01 00:00:00 UTC, with
// the fraction of the second truncated to whole milliseconds. It is UTC by
// nature; the zone layer (Platform/Zone.h) turns it into local wall time.
//
// Internal to the library: nothing here is part of the public headers.
#pragma once

#include "Base/Export.h"

namespace QDataType {
namespace Platform {

// An instant as Unix time: whole seconds (floor) and the millisecond within
// that second, 0 to 999.
struct ClockReading {
  long long seconds;
  int millisecond;
};

// The current instant. Never fails: should the clock be unreadable, the
// reading is the Unix epoch.
QDT_API ClockReading ReadClock() noexcept;

}  // namespace Platform
}  // namespace QDataType
