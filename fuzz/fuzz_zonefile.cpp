// Zone files and their closing rules on arbitrary input. The first byte picks
// the reader: a whole file (ReadZoneTable) or the rule text alone
// (ParseFooter); the rest is held in a heap block of exactly its size, so a
// read past it trips the sanitizer. A rule that is accepted must give one of
// its two offsets at any instant the zone code asks about (its start to 2^56
// seconds); offsets stay below 25 hours, or 26 for a daylight time left to
// its default of one hour past standard time.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

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
  Check(!table.at.empty() && table.at.size() == table.offsetFrom.size());
  for (size_t i = 1; i < table.at.size(); ++i) Check(table.at[i - 1] < table.at[i]);
  for (size_t i = 0; i + 8 <= size && i < 64; i += 8) {
    long long t;
    std::memcpy(&t, data + i, 8);
    t >>= 7;  // within +-2^56
    int offset = 0;
    if (table.OffsetAt(t, offset) && t < table.at.back()) {
      Check(t < table.at.front() ? offset == table.offsetBefore : true);
    }
  }
}

}  // namespace

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
    if (table.usable) from = table.at.back();
  } else {
    rule.usable = QDataType::Platform::zone_internal::ParseFooter(reinterpret_cast<char const*>(bytes.get()), size,
                                                                    rule);
  }
  if (rule.usable) Exercise(rule, from, data, size);
  return 0;
}
