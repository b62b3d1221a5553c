// DateTime text forms, the parser and the 44-byte saved record.
#include <cstdio>
#include <cstring>

#include "DataType/Calendar/DateTime.h"

namespace QDataType {

namespace {

// A number read as the C library's strtoul(text, &end, 10) reads it with a
// 32-bit unsigned long: leading white space is skipped, one sign is accepted,
// a minus negates modulo 2^32, and a magnitude beyond 32 bits gives all bits
// set. Without digits nothing is consumed and the value is 0. Reading stops
// at the first character that is not a digit, so the terminator is never
// passed.
struct Number {
  uint32_t value;
  char const* end;
};

Number ReadNumber(char const* text) noexcept {
  char const* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p < '0' || *p > '9') return {0, text};

  uint64_t magnitude = 0;
  bool overflow = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (!overflow) {
      magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
      overflow = magnitude > 0xFFFFFFFFu;
    }
  }
  if (overflow) return {0xFFFFFFFFu, p};
  const uint32_t v = static_cast<uint32_t>(magnitude);
  return {negative ? 0u - v : v, p};
}

// The record's words, little-endian whatever the host.
void PutWord(unsigned char* out, int32_t value) noexcept {
  const uint32_t v = static_cast<uint32_t>(value);
  out[0] = static_cast<unsigned char>(v);
  out[1] = static_cast<unsigned char>(v >> 8);
  out[2] = static_cast<unsigned char>(v >> 16);
  out[3] = static_cast<unsigned char>(v >> 24);
}

uint32_t GetWord(unsigned char const* in) noexcept {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
         static_cast<uint32_t>(in[3]) << 24;
}

constexpr int32_t kMarkerValue = -100;
constexpr int32_t kMarkerEmpty = -101;
constexpr unsigned kRecordSize = 44;

}  // namespace

// --- Text forms ----------------------------------------------------------------

QBase::ReturnString DateTime::ToFormatString(char const* format) const {
  char text[40];
  const int n = std::snprintf(text, sizeof text, format, static_cast<unsigned>(year_),
                              static_cast<unsigned>(month_), static_cast<unsigned>(day_),
                              static_cast<unsigned>(hour_), static_cast<unsigned>(minute_),
                              static_cast<unsigned>(second_), static_cast<unsigned>(millisecond_));
  return QBase::ReturnString(text, n < 0 ? 0 : (n < static_cast<int>(sizeof text) ? n : sizeof text - 1));
}

QBase::ReturnString DateTime::ToString() const { return ToFormatString("%04u-%02u-%02u %02u:%02u:%02u.%03u"); }

QBase::ReturnString DateTime::ToJSONString() const {
  return ToFormatString("%04u-%02u-%02uT%02u:%02u:%02u.%03uZ");
}

QBase::ReturnString DateTime::ToDateString() const {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "%u/%u/%u", static_cast<unsigned>(month_),
                              static_cast<unsigned>(day_), static_cast<unsigned>(year_));
  return QBase::ReturnString(text, n < 0 ? 0 : (n < static_cast<int>(sizeof text) ? n : sizeof text - 1));
}

QBase::ReturnWString DateTime::ToWString() const { return QBase::ASCIIToWideChar(ToString().GetString(), false); }

QBase::ReturnWString DateTime::ToJSONWString() const {
  return QBase::ASCIIToWideChar(ToJSONString().GetString(), false);
}

// --- Parser --------------------------------------------------------------------

unsigned int DateTime::FromString(char const* text) noexcept {
  if (text == nullptr) return 0;
  DateTime v;

  Number n = ReadNumber(text);
  if (static_cast<int32_t>(n.value) < 1) return 0;
  v.year_ = static_cast<uint16_t>(n.value);
  v.AdjustDay();

  if (*n.end != '-') return 0;
  n = ReadNumber(n.end + 1);
  if (n.value < 1 || n.value > 12) return 0;
  v.month_ = static_cast<int16_t>(n.value);
  v.AdjustDay();

  if (*n.end != '-') return 0;
  n = ReadNumber(n.end + 1);
  if (n.value == 0 || !v.PutDay(static_cast<int32_t>(n.value))) return 0;

  if (*n.end == ' ' || *n.end == 'T') {
    // hour ':' minute ':' second '.' millisecond, each with its upper bound.
    static constexpr struct {
      char separatorBefore;
      uint32_t max;
      int16_t DateTime::*field;
    } kTime[] = {{'\0', 23, &DateTime::hour_},
                 {':', 59, &DateTime::minute_},
                 {':', 59, &DateTime::second_},
                 {'.', 999, &DateTime::millisecond_}};
    char const* p = n.end + 1;
    for (auto const& part : kTime) {
      if (part.separatorBefore != '\0') {
        if (*p != part.separatorBefore) return 0;
        ++p;
      }
      if (part.field == &DateTime::millisecond_ && *p == '\0') return 0;
      n = ReadNumber(p);
      if (n.value > part.max) return 0;
      v.*part.field = static_cast<int16_t>(n.value);
      p = n.end;
    }
  }

  *this = v;
  return static_cast<unsigned int>(n.end - text);
}

// --- Saved record ----------------------------------------------------------------

int DateTime::SaveObj(unsigned int size, void* buffer, int mode) const noexcept {
  if (size < kRecordSize || buffer == nullptr) return -1;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  const int32_t words[11] = {kMarkerValue, year_,   month_, day_,      hour_,       minute_,
                             second_,      millisecond_,    LoadCache(week_), LoadCache(dayOfWeek_), mode};
  for (int i = 0; i < 11; ++i) PutWord(out + 4 * i, words[i]);
  return 0;
}

int DateTime::LoadObj(unsigned int size, void* buffer, bool lenient) noexcept {
  // Only the exact record size is read: a shorter buffer cannot hold a record.
  if (size != kRecordSize || buffer == nullptr) return -1;
  unsigned char const* in = static_cast<unsigned char const*>(buffer);

  const int32_t marker = static_cast<int32_t>(GetWord(in));
  if (marker == kMarkerEmpty) {
    year_ = 1899;
    month_ = 12;
    day_ = 30;
    hour_ = minute_ = second_ = millisecond_ = 0;
    week_ = dayOfWeek_ = -1;
    return 0;
  }
  if (marker != kMarkerValue && !lenient) return -1;
  if (GetWord(in + 40) > 1 && !lenient) return -1;

  year_ = static_cast<uint16_t>(GetWord(in + 4));
  int16_t* const fields[] = {&month_, &day_, &hour_, &minute_, &second_, &millisecond_, &week_, &dayOfWeek_};
  for (int i = 0; i < 8; ++i) *fields[i] = static_cast<int16_t>(GetWord(in + 8 + 4 * i));
  return Sanitize(lenient);
}

}  // namespace QDataType
