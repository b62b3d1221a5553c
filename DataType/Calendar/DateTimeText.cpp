// DateTime text forms, the parser and the 44-byte saved record.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

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

namespace {

// "00" .. "99".
constexpr char kPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* Put2(char* p, unsigned v) noexcept {  // v < 100
  std::memcpy(p, kPairs + 2 * v, 2);
  return p + 2;
}

// v as "%04u" prints it, for v <= 65535.
char* Put4(char* p, unsigned v) noexcept {
  if (v >= 10000) {
    *p++ = static_cast<char>('0' + v / 10000);
    v %= 10000;
  }
  p = Put2(p, v / 100);
  return Put2(p, v % 100);
}

// v as "%u" prints it, for v < 100: two bytes are written, the second of them
// a scratch byte when v has one digit (the next write covers it).
char* PutUpTo2(char* p, unsigned v) noexcept {
  const unsigned oneDigit = v < 10;
  std::memcpy(p, kPairs + 2 * v + oneDigit, 2);
  return p + 2 - oneDigit;
}

// v as "%u" prints it, for v <= 65535: five bytes are written, the last ones
// scratch when v is shorter.
char* PutUpTo5(char* p, unsigned v) noexcept {
  char digits[10] = {};  // the five digits, then room for the 5-byte read
  digits[0] = static_cast<char>('0' + v / 10000);
  Put2(digits + 1, v / 100 % 100);
  Put2(digits + 3, v % 100);
  const unsigned length = 1 + (v >= 10) + (v >= 100) + (v >= 1000) + (v >= 10000);
  std::memcpy(p, digits + 5 - length, 5);
  return p + length;
}

}  // namespace

// The general form: printf of the seven fields as unsigned numbers (a
// negative field of a value left half-loaded prints as a large number, and a
// text past the buffer is cut at 39 characters).
QBase::ReturnString DateTime::ToFormatString(char const* format) const {
  char text[40];
  const int n = std::snprintf(text, sizeof text, format, static_cast<unsigned>(year_),
                              static_cast<unsigned>(month_), static_cast<unsigned>(day_),
                              static_cast<unsigned>(hour_), static_cast<unsigned>(minute_),
                              static_cast<unsigned>(second_), static_cast<unsigned>(millisecond_));
  return QBase::ReturnString(text, n < 0 ? 0 : (n < static_cast<int>(sizeof text) ? n : sizeof text - 1));
}

// The timestamp forms, written digit by digit: the same bytes as
// "%04u-%02u-%02u %02u:%02u:%02u.%03u" (a 'T' and a final 'Z' for JSON).
// Returns the length, or 0 when a field would not print in its width (only a
// value left half-loaded has one) and the general form must print it.
size_t DateTime::FormatStamp(char* out, bool json) const noexcept {
  if (static_cast<uint16_t>(month_) >= 100 || static_cast<uint16_t>(day_) >= 100 ||
      static_cast<uint16_t>(hour_) >= 100 || static_cast<uint16_t>(minute_) >= 100 ||
      static_cast<uint16_t>(second_) >= 100 || static_cast<uint16_t>(millisecond_) >= 1000) {
    return 0;
  }
  char* p = Put4(out, year_);
  *p++ = '-';
  p = Put2(p, static_cast<unsigned>(month_));
  *p++ = '-';
  p = Put2(p, static_cast<unsigned>(day_));
  *p++ = json ? 'T' : ' ';
  p = Put2(p, static_cast<unsigned>(hour_));
  *p++ = ':';
  p = Put2(p, static_cast<unsigned>(minute_));
  *p++ = ':';
  p = Put2(p, static_cast<unsigned>(second_));
  *p++ = '.';
  *p++ = static_cast<char>('0' + millisecond_ / 100);
  p = Put2(p, static_cast<unsigned>(millisecond_ % 100));
  if (json) *p++ = 'Z';
  return static_cast<size_t>(p - out);
}

namespace {

constexpr char kStampFormat[] = "%04u-%02u-%02u %02u:%02u:%02u.%03u";
constexpr char kJSONFormat[] = "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ";

QBase::ReturnWString Widen(char const* text, size_t n) {  // ASCII only
  unsigned short wide[40];
  for (size_t i = 0; i < n; ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return QBase::ReturnWString(wide, n);
}

}  // namespace

QBase::ReturnString DateTime::ToString() const {
  char text[40];
  const size_t n = FormatStamp(text, false);
  return n != 0 ? QBase::ReturnString(text, n) : ToFormatString(kStampFormat);
}

QBase::ReturnString DateTime::ToJSONString() const {
  char text[40];
  const size_t n = FormatStamp(text, true);
  return n != 0 ? QBase::ReturnString(text, n) : ToFormatString(kJSONFormat);
}

QBase::ReturnWString DateTime::ToWString() const {
  char text[40];
  const size_t n = FormatStamp(text, false);
  return n != 0 ? Widen(text, n) : QBase::ASCIIToWideChar(ToFormatString(kStampFormat).GetString(), false);
}

QBase::ReturnWString DateTime::ToJSONWString() const {
  char text[40];
  const size_t n = FormatStamp(text, true);
  return n != 0 ? Widen(text, n) : QBase::ASCIIToWideChar(ToFormatString(kJSONFormat).GetString(), false);
}

// "%u/%u/%u" of month, day and year.
QBase::ReturnString DateTime::ToDateString() const {
  char text[16];
  size_t n;
  if (static_cast<uint16_t>(month_) < 100 && static_cast<uint16_t>(day_) < 100) {
    char* p = PutUpTo2(text, static_cast<unsigned>(month_));
    *p++ = '/';
    p = PutUpTo2(p, static_cast<unsigned>(day_));
    *p++ = '/';
    n = static_cast<size_t>(PutUpTo5(p, year_) - text);  // at most 11 of the 16 bytes
  } else {
    const int k = std::snprintf(text, sizeof text, "%u/%u/%u", static_cast<unsigned>(month_),
                                static_cast<unsigned>(day_), static_cast<unsigned>(year_));
    n = k < 0 ? 0 : (k < static_cast<int>(sizeof text) ? static_cast<size_t>(k) : sizeof text - 1);
  }
  return QBase::ReturnString(text, n);
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

unsigned int DateTime::FromString(std::string_view text) noexcept {
  text = text.substr(0, text.find('\0'));
  // The parser reads up to a terminator: a copy of the characters gets one,
  // on the stack for any text a date could plausibly be.
  char local[128];
  if (text.size() < sizeof local) {
    if (!text.empty()) std::memcpy(local, text.data(), text.size());
    local[text.size()] = '\0';
    return FromString(static_cast<char const*>(local));
  }
  try {
    std::string const copy(text);
    return FromString(copy.c_str());
  } catch (std::bad_alloc const&) {
    return 0;
  }
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
