// TimeZone: the zones callers name, the process's zone, and the DateTime
// conversions in any of them. The rules themselves are Platform's
// (Platform/Zone.h); this file keeps the zones found, for the life of the
// process, and turns DateTime fields into seconds and back.
#include "DataType/Calendar/TimeZone.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>

#include "DataType/Calendar/internal/Civil.h"
#include "Platform/Zone.h"

namespace QDataType {

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr int kUnixEpochDay = 25569;  // 1970-01-01
constexpr size_t kMaxName = 255;

// Seconds from 1970-01-01 00:00:00 to a wall-clock reading, on whatever clock
// the reading was taken (UTC gives Unix time, local gives local seconds).
long long WallSeconds(int year, int month, int day, int hour, int minute, int second) noexcept {
  long long const days = calendar_internal::DaysFromCivil(static_cast<uint32_t>(year), static_cast<uint32_t>(month),
                                                          day) -
                         kUnixEpochDay;
  return days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

}  // namespace

// Every zone found, for the life of the process (never destroyed, so that
// the references handed out stay valid through the process's exit).
struct TimeZone::Registry {
  std::mutex mutex;
  // By name; the key views the name the rules keep.
  std::unordered_map<std::string_view, TimeZone const*> named;
  // By TZ value ("=value"; "-" when TZ is unset).
  std::unordered_map<std::string, TimeZone const*> process;
  // The process zone the C library was last made to read.
  std::atomic<TimeZone const*> synced{nullptr};

  static Registry& Get() noexcept {
    static Registry* const registry = new Registry;
    return *registry;
  }
};

TimeZone const* TimeZone::Find(char const* name) noexcept {
  if (name == nullptr) return nullptr;
  size_t const length = strnlen(name, kMaxName + 1);
  if (length == 0 || length > kMaxName) return nullptr;
  std::string_view const key(name, length);
  Registry& registry = Registry::Get();
  std::lock_guard<std::mutex> lock(registry.mutex);
  auto const found = registry.named.find(key);
  if (found != registry.named.end()) return found->second;
  Platform::ZoneRules* const rules = Platform::ZoneRules::LoadNamed(name);
  if (rules == nullptr) return nullptr;
  TimeZone* const zone = new (std::nothrow) TimeZone(rules);
  try {
    if (zone == nullptr) throw std::bad_alloc();
    registry.named.emplace(std::string_view(rules->Name()), zone);
  } catch (...) {
    delete zone;
    delete rules;
    return nullptr;
  }
  return zone;
}

TimeZone const& TimeZone::Local() noexcept {
  // Each thread remembers the TZ value it last saw and its zone, so that the
  // common call is one read of TZ and one comparison. Plain data, so that
  // the thread's copy needs no construction on first use.
  struct Last {
    TimeZone const* zone;  // null: nothing remembered
    bool unset;
    unsigned char length;
    char value[kMaxName + 1];
  };
  static thread_local Last last;
  Registry& registry = Registry::Get();
  char const* const tz = Platform::ProcessZoneSetting();
  if (last.zone != nullptr && last.unset == (tz == nullptr) &&
      (tz == nullptr || (std::strncmp(last.value, tz, last.length) == 0 && tz[last.length] == '\0')) &&
      registry.synced.load(std::memory_order_acquire) == last.zone) {
    return *last.zone;
  }
  try {
    std::string const key = tz == nullptr ? std::string("-") : "=" + std::string(tz);
    std::lock_guard<std::mutex> lock(registry.mutex);
    TimeZone const*& zone = registry.process[key];
    if (zone == nullptr) {
      Platform::ZoneRules* const rules = Platform::ZoneRules::LoadProcess(tz);
      if (rules == nullptr) throw std::bad_alloc();
      zone = new (std::nothrow) TimeZone(rules);
      if (zone == nullptr) {
        delete rules;
        throw std::bad_alloc();
      }
    }
    // The C library's own answers (the zone's names, Now's daylight flag)
    // follow the zone in use.
    if (registry.synced.load(std::memory_order_relaxed) != zone) {
      Platform::SyncCLibraryZone();
      registry.synced.store(zone, std::memory_order_release);
    }
    // A value too long to remember is looked up every time.
    size_t const length = tz == nullptr ? 0 : std::strlen(tz);
    last.zone = length <= kMaxName ? zone : nullptr;
    last.unset = tz == nullptr;
    last.length = static_cast<unsigned char>(length);
    if (tz != nullptr && length <= kMaxName) std::memcpy(last.value, tz, length + 1);
    return *zone;
  } catch (...) {
    last.zone = nullptr;
    return UTC();
  }
}

TimeZone const& TimeZone::UTC() noexcept {
  static TimeZone const* const utc = new TimeZone(&Platform::ZoneRules::UTC());
  return *utc;
}

char const* TimeZone::GetDatabaseVersion() noexcept { return Platform::ZoneDatabaseVersion(); }

char const* TimeZone::GetName() const noexcept { return rules_->Name(); }

int TimeZone::GetOffset(long long unixSeconds) const noexcept { return rules_->OffsetAt(unixSeconds); }

LocalLookup TimeZone::Lookup(DateTime const& local) const noexcept {
  long long const wall = WallSeconds(local.GetYear(), local.GetMonth(), local.GetDay(), local.GetHour(),
                                     local.GetMinute(), local.GetSecond());
  Platform::LocalReading const r = rules_->Resolve(wall);
  LocalKind const kind = r.kind == Platform::ReadingKind::kUnique    ? LocalKind::Unique
                         : r.kind == Platform::ReadingKind::kSkipped ? LocalKind::Skipped
                                                                     : LocalKind::Repeated;
  int const ms = local.GetMillisecond();
  return LocalLookup{kind, DateTime::FromWall(r.earlier, ms), DateTime::FromWall(r.later, ms)};
}

// --- DateTime in a zone ---------------------------------------------------------

// Both conversions fill the result's fields directly: every field comes out
// of a day number and is in range already. A conversion that crosses the
// ends of the calendar keeps the low 16 bits of the year, as the field
// constructor would (year 0 minus an hour is 65535-12-31).
DateTime DateTime::FromWall(long long seconds, int millisecond) noexcept {
  long long days = seconds / kSecondsPerDay;
  long long sod = seconds - days * kSecondsPerDay;
  if (sod < 0) sod += kSecondsPerDay, --days;
  calendar_internal::Civil const c = calendar_internal::CivilFromDays(static_cast<int>(days + kUnixEpochDay));
  int const s = static_cast<int>(sod);
  return DateTime(InRange{}, static_cast<int>(c.year), static_cast<int>(c.month), static_cast<int>(c.day), s / 3600,
                  s / 60 % 60, s % 60, millisecond);
}

DateTime DateTime::ToLocalTime(TimeZone const& zone) const noexcept {
  long long const utc = WallSeconds(year_, month_, day_, hour_, minute_, second_);
  return FromWall(zone.rules_->WallAt(utc), millisecond_);
}

DateTime DateTime::ToUTCTime(TimeZone const& zone) const noexcept {
  long long const local = WallSeconds(year_, month_, day_, hour_, minute_, second_);
  return FromWall(zone.rules_->EarlierInstant(local), millisecond_);
}

DateTime DateTime::ToLocalTime() const noexcept { return ToLocalTime(TimeZone::Local()); }

DateTime DateTime::ToUTCTime() const noexcept { return ToUTCTime(TimeZone::Local()); }

}  // namespace QDataType
