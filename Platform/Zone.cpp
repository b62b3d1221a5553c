#include "Platform/Zone.h"

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "Platform/internal/ZoneFile.h"

extern char** environ;

namespace QDataType {
namespace Platform {

namespace {

constexpr long long kDay = 86400;
constexpr long long kHalfYear = 183 * kDay;
// Far beyond any calendar the library handles, and far from overflow when a
// day or so is added or taken away.
constexpr long long kLimit = 1LL << 56;

struct Sample {
  bool ok;
  int offset;
  int isdst;
  char const* name;
};

Sample Take(long long t, struct tm& tm) noexcept {
  if (!LocalTimeAt(t, tm)) return Sample{false, 0, 0, ""};
  return Sample{true, static_cast<int>(tm.tm_gmtoff), tm.tm_isdst, tm.tm_zone != nullptr ? tm.tm_zone : ""};
}

void CopyName(char (&to)[32], char const* from) noexcept {
  std::size_t n = 0;
  for (; n + 1 < sizeof to && from[n] != '\0'; ++n) to[n] = from[n];
  to[n] = '\0';
}

// --- Files ------------------------------------------------------------------

constexpr long long kMaxFileSize = 1 << 20;
constexpr size_t kMaxName = 255;

// The bytes of the regular file at `path`, read whole; false otherwise.
bool ReadFile(char const* path, std::unique_ptr<unsigned char[]>& bytes, size_t& size) noexcept {
  // Non-blocking, so that a FIFO in the folder cannot stall the reader.
  int const fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  bool ok = false;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= kMaxFileSize) {
    size = static_cast<size_t>(st.st_size);
    bytes.reset(new (std::nothrow) unsigned char[size]);
    size_t got = 0;
    while (bytes && got < size) {
      ssize_t const n = read(fd, bytes.get() + got, size - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ok = bytes && got == size;
  }
  close(fd);
  return ok;
}

// The table of the zone file at `path`; `found` tells whether there was a
// readable file at all.
zone_internal::ZoneTable ReadTable(char const* path, bool& found) noexcept {
  std::unique_ptr<unsigned char[]> bytes;
  size_t size = 0;
  found = ReadFile(path, bytes, size);
  if (!found) return {};
  return zone_internal::ReadZoneTable(bytes.get(), size);
}

// A table of a POSIX TZ rule alone; not usable when the text is not one.
zone_internal::ZoneTable RuleTable(char const* text) noexcept {
  zone_internal::ZoneTable table;
  if (zone_internal::ParseFooter(text, std::strlen(text), table.footer)) {
    table.footer.usable = true;
    table.offsetBefore = table.offsetAfter = table.footer.standardOffset;
    table.usable = true;
  }
  return table;
}

// A database name that stays inside the folder: relative, no empty, "." or
// ".." component, printable ASCII or UTF-8, at most kMaxName bytes.
bool SafeName(char const* name) noexcept {
  size_t n = 0;
  size_t component = 0;  // bytes of the current component so far
  for (; name[n] != '\0'; ++n) {
    unsigned char const c = static_cast<unsigned char>(name[n]);
    if (n >= kMaxName || c < 0x20 || c == 0x7f) return false;
    if (c != '/') {
      ++component;
      continue;
    }
    if (component == 0) return false;  // leading '/' or "//"
    if ((component == 1 && name[n - 1] == '.') || (component == 2 && name[n - 1] == '.' && name[n - 2] == '.')) {
      return false;
    }
    component = 0;
  }
  if (component == 0) return false;  // empty, or a trailing '/'
  return !((component == 1 && name[n - 1] == '.') || (component == 2 && name[n - 1] == '.' && name[n - 2] == '.'));
}

// The folder's own path with every link resolved, and a '/' after it.
std::string const& ResolvedFolder() noexcept {
  static std::string const folder = [] {
    std::string f;
    try {
      char* const real = realpath(ZoneFolder(), nullptr);
      if (real != nullptr) {
        f = real;
        free(real);
        if (f.empty() || f.back() != '/') f += '/';
      }
    } catch (...) {
      f.clear();
    }
    return f;
  }();
  return folder;
}

}  // namespace

bool LocalTimeAt(long long t, struct tm& out) noexcept {
  time_t const tt = static_cast<time_t>(t);
  if (t >= -kLimit && t <= kLimit && localtime_r(&tt, &out) != nullptr) return true;
  std::memset(&out, 0, sizeof out);
  return false;
}

// --- ZoneRules ----------------------------------------------------------------

ZoneRules::~ZoneRules() = default;

ZoneRules* ZoneRules::LoadNamed(char const* name) noexcept {
  if (name == nullptr || !SafeName(name)) return nullptr;
  std::unique_ptr<ZoneRules> rules(new (std::nothrow) ZoneRules);
  if (!rules) return nullptr;
  try {
    rules->name_ = name;
    std::string const path = std::string(ZoneFolder()) + "/" + name;
    // Only a file whose real path lies inside the folder is opened: a link
    // that leads out of it counts as no zone at all.
    char* const real = realpath(path.c_str(), nullptr);
    if (real != nullptr) {
      std::string const resolved = real;
      free(real);
      std::string const& folder = ResolvedFolder();
      if (folder.empty() || resolved.compare(0, folder.size(), folder) != 0) return nullptr;
      bool found;
      rules->table_ = ReadTable(resolved.c_str(), found);
      if (found) return rules->table_.usable ? rules.release() : nullptr;
    }
    rules->table_ = RuleTable(name);
    return rules->table_.usable ? rules.release() : nullptr;
  } catch (...) {
    return nullptr;
  }
}

ZoneRules* ZoneRules::LoadProcess(char const* tz) noexcept {
  std::unique_ptr<ZoneRules> rules(new (std::nothrow) ZoneRules);
  if (!rules) return nullptr;
  try {
    std::string path;
    if (tz == nullptr) {
      // The zone's name in the database when /etc/localtime links into it.
      path = "/etc/localtime";
      rules->name_ = "localtime";
      char link[512];
      ssize_t const n = readlink(path.c_str(), link, sizeof link - 1);
      if (n > 0) {
        link[n] = '\0';
        char const* const inside = std::strstr(link, "zoneinfo/");
        if (inside != nullptr && inside[9] != '\0') rules->name_ = inside + 9;
      }
    } else {
      rules->name_ = tz;
      if (*tz == ':') ++tz;
      if (*tz == '\0') {  // set but empty: UTC
        rules->table_ = UTC().table_;
        return rules.release();
      }
      path = *tz == '/' ? std::string(tz) : std::string(ZoneFolder()) + "/" + tz;
    }
    bool found;
    rules->table_ = ReadTable(path.c_str(), found);
    if (!found && tz != nullptr) rules->table_ = RuleTable(tz);
    // Whatever the tables cannot hold, the C library answers.
    rules->cLibrary_ = !rules->table_.usable;
    return rules.release();
  } catch (...) {
    return nullptr;
  }
}

ZoneRules const& ZoneRules::UTC() noexcept {
  static ZoneRules const* const utc = [] {
    ZoneRules* const r = new ZoneRules;  // at start-up; kept for the process's life
    r->name_ = "UTC";
    r->table_.usable = true;
    return r;
  }();
  return *utc;
}

int ZoneRules::OffsetAt(long long t) const noexcept {
  if (!cLibrary_) return table_.OffsetAt(t);
  struct tm tm;
  return LocalTimeAt(t, tm) ? static_cast<int>(tm.tm_gmtoff) : 0;
}

long long ZoneRules::WallAt(long long t) const noexcept {
  if (!cLibrary_) return t + table_.OffsetAt(t);
  struct tm tm;
  if (!LocalTimeAt(t, tm)) return t;
  long long const year = tm.tm_year + 1900LL;
  long long const days = zone_internal::DaysFromCivil(year, static_cast<unsigned>(tm.tm_mon + 1),
                                                      static_cast<unsigned>(tm.tm_mday));
  return days * kDay + tm.tm_hour * 3600 + tm.tm_min * 60 + (tm.tm_sec < 60 ? tm.tm_sec : 59);
}

LocalReading ZoneRules::Resolve(long long local) const noexcept {
  if (local < -kLimit || local > kLimit) return LocalReading{ReadingKind::kUnique, local, local, 0, 0};
  if (!cLibrary_) {
    int const first = table_.LocalOffsetAt(local, false), second = table_.LocalOffsetAt(local, true);
    ReadingKind const kind =
        first == second ? ReadingKind::kUnique : first > second ? ReadingKind::kRepeated : ReadingKind::kSkipped;
    return LocalReading{kind, local - first, local - second, first, second};
  }
  // Rules the C library answers are probed. Offsets in use stay well within
  // a day of zero, so the instant one day before the reading (taken as UTC)
  // precedes every candidate instant local - offset, and the one a day after
  // follows them: their offsets are those before and after a change.
  int const before = OffsetAt(local - kDay), after = OffsetAt(local + kDay);
  bool const fitsBefore = OffsetAt(local - before) == before, fitsAfter = OffsetAt(local - after) == after;
  if (before != after && fitsBefore == fitsAfter) {
    return LocalReading{fitsBefore ? ReadingKind::kRepeated : ReadingKind::kSkipped, local - before, local - after,
                        before, after};
  }
  if (fitsBefore) return LocalReading{ReadingKind::kUnique, local - before, local - before, before, before};
  // The clocks changed between the probe and the reading: try the offset
  // in effect at the instant the first probe gave.
  int const at = OffsetAt(local - before);
  if (OffsetAt(local - at) == at) return LocalReading{ReadingKind::kUnique, local - at, local - at, at, at};
  return LocalReading{ReadingKind::kUnique, local - before, local - before, before, before};
}

long long ZoneRules::EarlierInstant(long long local) const noexcept {
  if (cLibrary_ || local < -kLimit || local > kLimit) return Resolve(local).earlier;
  return local - table_.LocalOffsetAt(local, false);
}

// getenv("TZ") without the walk through the environment on every call: each
// thread remembers where it found TZ (or that it was missing) and walks again
// only when the environment's array, its length, its last entry or the TZ
// entry moved. setenv, putenv and unsetenv always change one of them: they
// put a new string in place, append to the array or shift it. The value
// itself is read where it lies, so a caller sees its current text.
char const* ProcessZoneSetting() noexcept {
  struct Seen {
    char** env;
    size_t count;  // entries
    size_t slot;   // TZ's entry; = count when TZ is unset
    char* entry;
    char* lastEntry;
  };
  static thread_local Seen seen;
  char** const env = environ;
  if (env != nullptr && env == seen.env && seen.count > 0 && env[seen.count] == nullptr &&
      env[seen.count - 1] == seen.lastEntry && (seen.slot == seen.count || env[seen.slot] == seen.entry)) {
    return seen.slot == seen.count ? nullptr : seen.entry + 3;
  }
  size_t count = 0, slot = SIZE_MAX;
  if (env != nullptr) {
    for (; env[count] != nullptr; ++count) {
      char const* const e = env[count];
      if (slot == SIZE_MAX && e[0] == 'T' && e[1] == 'Z' && e[2] == '=') slot = count;
    }
  }
  if (slot == SIZE_MAX) slot = count;
  seen = Seen{env, count, slot, slot < count ? env[slot] : nullptr, count > 0 ? env[count - 1] : nullptr};
  return slot < count ? env[slot] + 3 : nullptr;
}

void SyncCLibraryZone() noexcept { tzset(); }

char const* ZoneFolder() noexcept {
  static std::string const folder = [] {
    char const* dir = getenv("TZDIR");
    try {
      return std::string(dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo");
    } catch (...) {
      return std::string();
    }
  }();
  return folder.empty() ? "/usr/share/zoneinfo" : folder.c_str();
}

char const* ZoneDatabaseVersion() noexcept {
  static std::string const version = [] {
    std::string v;
    try {
      std::unique_ptr<unsigned char[]> bytes;
      size_t size = 0;
      if (ReadFile((std::string(ZoneFolder()) + "/tzdata.zi").c_str(), bytes, size)) {
        // "# version 2025b" on the first line.
        std::string const first(reinterpret_cast<char const*>(bytes.get()),
                                std::find(bytes.get(), bytes.get() + size, '\n') - bytes.get());
        static char const kPrefix[] = "# version ";
        if (first.compare(0, sizeof kPrefix - 1, kPrefix) == 0) v = first.substr(sizeof kPrefix - 1);
        while (!v.empty() && (v.back() == '\r' || v.back() == ' ')) v.pop_back();
      }
    } catch (...) {
      v.clear();
    }
    return v;
  }();
  return version.c_str();
}

ZoneDescription DescribeZone(long long t) noexcept {
  struct tm tmNow, tmBefore, tmAfter;
  Sample const now = Take(t, tmNow);
  Sample const others[2] = {Take(t - kHalfYear, tmBefore), Take(t + kHalfYear, tmAfter)};

  // One standard and one daylight sample, "now" preferred for either.
  Sample const* standard = now.ok && now.isdst <= 0 ? &now : nullptr;
  Sample const* daylight = now.ok && now.isdst > 0 ? &now : nullptr;
  for (Sample const& s : others) {
    if (!s.ok) continue;
    if (standard == nullptr && s.isdst <= 0) standard = &s;
    if (daylight == nullptr && s.isdst > 0) daylight = &s;
  }

  ZoneDescription d{};
  if (standard == nullptr && daylight == nullptr) {  // nothing could be read: UTC
    return d;
  }
  if (standard == nullptr || daylight == nullptr) {  // one offset all year
    Sample const* only = standard != nullptr ? standard : daylight;
    d.standardOffset = only->offset;
    CopyName(d.standardName, only->name);
    return d;
  }
  bool const nowFlagged = now.ok && now.isdst > 0;
  if (daylight->offset < standard->offset) {  // negative daylight saving: swap the roles
    Sample const* tmp = standard;
    standard = daylight;
    daylight = tmp;
    d.daylightNow = now.ok && !nowFlagged;
  } else {
    d.daylightNow = nowFlagged;
  }
  d.standardOffset = standard->offset;
  d.daylightStep = daylight->offset - standard->offset;
  if (d.daylightStep == 0) d.daylightNow = false;
  CopyName(d.standardName, standard->name);
  CopyName(d.daylightName, daylight->name);
  return d;
}

}  // namespace Platform
}  // namespace QDataType
