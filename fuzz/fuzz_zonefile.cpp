// Zone files and their closing rules on arbitrary input. The first byte picks
// the reader: a whole file (ReadZoneFile) or the rule text alone
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

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Exercise(FooterRule const& rule, uint8_t const* data, size_t size) {
  Check(rule.standardOffset > -90000 && rule.standardOffset < 90000);
  Check(rule.daylightOffset > -93600 && rule.daylightOffset < 93600);
  constexpr long long kLast = 1LL << 56;
  long long const first = rule.from > (1LL << 31) ? rule.from : 1LL << 31;
  if (first > kLast) return;
  for (size_t i = 0; i + 8 <= size && i < 64; i += 8) {
    unsigned long long bits;
    std::memcpy(&bits, data + i, 8);
    long long const t = first + static_cast<long long>(bits % static_cast<unsigned long long>(kLast - first + 1));
    int const offset = rule.OffsetAt(t);
    Check(offset == rule.standardOffset || offset == rule.daylightOffset);
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
  if (wholeFile) {
    rule = QDataType::Platform::zone_internal::ReadZoneFile(size == 0 ? nullptr : bytes.get(), size);
  } else {
    rule.usable = QDataType::Platform::zone_internal::ParseFooter(reinterpret_cast<char const*>(bytes.get()), size,
                                                                    rule);
  }
  if (rule.usable) Exercise(rule, data, size);
  return 0;
}
