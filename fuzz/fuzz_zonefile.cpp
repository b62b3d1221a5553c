// Zone files and their closing rules on arbitrary input. The first byte picks
// the reader: a whole file (ReadZoneTable) or the rule text alone
// (ParseFooter); the rest is held in a heap block of exactly its size, so a
// read past it trips the sanitizer. A rule that is accepted must give one of
// its two offsets at any instant the zone code asks about (its start to 2^56
// seconds); offsets stay below 25 hours, or 26 for a daylight time left to
// its default of one hour past standard time.
//
// A whole file is also written into a database folder of the target's own
// (TZDIR, set before the first look-up) and loaded as a named zone: through
// TimeZone::Find under a new name for the first inputs of a run (Find keeps
// every zone it loads, so not for all of them), then through the loader Find
// uses. A zone that loads answers every instant and reading with offsets
// within 26 hours, and its two readings of a wall time follow its kind.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "DataType/Calendar/TimeZone.h"
#include "Platform/Zone.h"
#include "Platform/internal/ZoneFile.h"

using QDataType::Platform::zone_internal::FooterRule;
using QDataType::Platform::zone_internal::ZoneTable;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// `from`: where the rule takes over (a file's last transition).
void Exercise(FooterRule const& rule, long long from, uint8_t const* data, size_t size) {
  Check(rule.standardOffset > -90000 && rule.standardOffset < 90000);
  Check(rule.daylightOffset > -93600 && rule.daylightOffset < 93600);
  constexpr long long kLast = 1LL << 56;
  long long const first = from > (1LL << 31) ? from : 1LL << 31;
  if (first > kLast) return;
  for (size_t i = 0; i + 8 <= size && i < 64; i += 8) {
    unsigned long long bits;
    std::memcpy(&bits, data + i, 8);
    long long const t = first + static_cast<long long>(bits % static_cast<unsigned long long>(kLast - first + 1));
    int const offset = rule.OffsetAt(t);
    Check(offset == rule.standardOffset || offset == rule.daylightOffset);
  }
}

// A table read from a file: transitions ascending, one offset each, and a
// search that answers anywhere the zone code may ask (+-2^56 seconds).
void ExerciseTable(ZoneTable const& table, uint8_t const* data, size_t size) {
  if (!table.usable) return;
  Check(table.at.size() == table.offsetFrom.size() && table.wallLate.size() == table.at.size() &&
        table.wallEarly.size() == table.at.size());
  for (size_t i = 1; i < table.at.size(); ++i) Check(table.at[i - 1] < table.at[i]);
  for (size_t i = 0; i + 8 <= size && i < 64; i += 8) {
    long long t;
    std::memcpy(&t, data + i, 8);
    t >>= 7;  // within +-2^56
    int const offset = table.OffsetAt(t);
    if (!table.at.empty() && t < table.at.front()) Check(offset == table.offsetBefore);
  }
}

std::string& Folder() {
  static std::string folder;
  return folder;
}

bool WriteZone(std::string const& name, uint8_t const* data, size_t size) {
  FILE* f = fopen((Folder() + "/" + name).c_str(), "wb");
  if (f == nullptr) return false;
  bool const ok = fwrite(data, 1, size, f) == size;
  return fclose(f) == 0 && ok;
}

void ExerciseZone(QDataType::Platform::ZoneRules const& zone, uint8_t const* data, size_t size) {
  constexpr int kDayAndMore = 26 * 3600;
  for (size_t i = 0; i + 8 <= size && i < 128; i += 8) {
    long long t;
    std::memcpy(&t, data + i, 8);
    if (i & 8) t >>= 20;  // half of them within +-2^43 seconds, where the transitions are
    int const offset = zone.OffsetAt(t);
    Check(offset > -kDayAndMore && offset < kDayAndMore);
    long long const local = t >> 1;
    QDataType::Platform::LocalReading const r = zone.Resolve(local);
    Check(r.earlierOffset > -kDayAndMore && r.earlierOffset < kDayAndMore);
    Check(r.laterOffset > -kDayAndMore && r.laterOffset < kDayAndMore);
    if (local >= -(1LL << 56) && local <= (1LL << 56)) {
      Check(r.earlier == local - r.earlierOffset && r.later == local - r.laterOffset);
    }
    Check((r.kind == QDataType::Platform::ReadingKind::kUnique) == (r.earlier == r.later));
    Check(zone.EarlierInstant(local) == r.earlier);
  }
}

void ExerciseNamed(uint8_t const* data, size_t size) {
  static unsigned found = 0;
  if (found < 2000) {  // through Find, each under a name of its own
    std::string const name = "f" + std::to_string(found++);
    if (!WriteZone(name, data, size)) std::abort();
    QDataType::TimeZone const* const zone = QDataType::TimeZone::Find(name.c_str());
    if (zone != nullptr) {
      Check(QDataType::TimeZone::Find(name.c_str()) == zone);
      QDataType::DateTime const d(2030, 3, 31, 2, 30, 0);
      QDataType::LocalLookup const l = zone->Lookup(d);
      Check((l.kind == QDataType::LocalKind::Unique) == (l.earlier == l.later));
      Check(d.ToUTCTime(*zone) == l.earlier);
      (void)l.earlier.ToLocalTime(*zone);
    }
    return;
  }
  if (!WriteZone("zone", data, size)) std::abort();
  std::unique_ptr<QDataType::Platform::ZoneRules> zone(QDataType::Platform::ZoneRules::LoadNamed("zone"));
  if (zone) ExerciseZone(*zone, data, size);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // In memory when the machine has a tmpfs: a file is written per input.
  char shm[] = "/dev/shm/fuzz_zonefile.XXXXXX";
  char tmp[] = "/tmp/fuzz_zonefile.XXXXXX";
  char const* folder = mkdtemp(shm);
  if (folder == nullptr) folder = mkdtemp(tmp);
  if (folder == nullptr) std::abort();
  Folder() = folder;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
  });
  setenv("TZDIR", folder, 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size == 0 || size > 65536) return 0;
  bool const wholeFile = data[0] & 1;
  ++data, --size;
  std::unique_ptr<unsigned char[]> bytes(new unsigned char[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(bytes.get(), data, size);
  FooterRule rule;
  long long from = 0;
  if (wholeFile) {
    ZoneTable const table = QDataType::Platform::zone_internal::ReadZoneTable(size == 0 ? nullptr : bytes.get(), size);
    ExerciseTable(table, data, size);
    rule = table.footer;
    if (table.usable && !table.at.empty()) from = table.at.back();
    ExerciseNamed(data, size);
  } else {
    rule.usable = QDataType::Platform::zone_internal::ParseFooter(reinterpret_cast<char const*>(bytes.get()), size,
                                                                    rule);
  }
  if (rule.usable) Exercise(rule, from, data, size);
  return 0;
}
