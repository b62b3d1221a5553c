// Digit text to limbs and back, eight digits at a time.
//
// ParseDigits reads n <= 19 ASCII digits (most significant first).
// ParseDigitsWithin does the same for n <= 18 digits that lie inside a text
// it may read from begin to end (the terminator included): a piece shorter
// than eight digits is read as one eight-byte word taken from that text
// (forward from the piece when the text goes on for eight bytes, else
// backward from its end), its other bytes replaced by '0'. WriteLimb writes
// exactly 18 digits, leading zeros included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "DataType/Decimal/internal/Limbs.h"

namespace QDataType {
namespace decimal {

constexpr std::uint64_t kZeroBytes = 0x3030303030303030ull;  // "00000000"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kWordParse = true;
#else
constexpr bool kWordParse = false;
#endif

// Eight ASCII digits, in memory order in a little-endian word, to their
// value: all lanes at once.
inline Limb Parse8Word(std::uint64_t v) noexcept {
  v -= kZeroBytes;
  v = (v * 10) + (v >> 8);
  v = ((v & 0x000000FF000000FFull) * 0x000F424000000064ull +
       (((v >> 16) & 0x000000FF000000FFull) * 0x0000271000000001ull)) >>
      32;
  return v;
}

inline Limb Parse8(char const* p) noexcept {
  if (kWordParse) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return Parse8Word(v);
  }
  Limb v = 0;
  for (int i = 0; i < 8; ++i) v = v * 10 + static_cast<Limb>(p[i] - '0');
  return v;
}

inline Limb ParseDigits(char const* p, int n) noexcept {
  Limb v = 0;
  while (n >= 8) {
    v = v * 100000000ull + Parse8(p);
    p += 8;
    n -= 8;
  }
  while (n-- > 0) v = v * 10 + static_cast<Limb>(*p++ - '0');
  return v;
}

// Exactly 18 digits.
inline Limb Parse18(char const* p) noexcept {
  return (Parse8(p) * 100000000ull + Parse8(p + 8)) * 100 + static_cast<Limb>(p[16] - '0') * 10 +
         static_cast<Limb>(p[17] - '0');
}

inline Limb ParseDigitsWithin(char const* p, int n, char const* begin, char const* end) noexcept {
  Limb v = 0;
  while (n >= 8) {
    v = v * 100000000ull + Parse8(p);
    p += 8;
    n -= 8;
  }
  if (n == 0) return v;
  unsigned const missing = 8 * static_cast<unsigned>(8 - n);  // bits of the '0' bytes in front
  std::uint64_t w;
  if (kWordParse && end - p >= 8) {
    std::memcpy(&w, p, 8);  // the piece in the low bytes
    w = (w << missing) | (kZeroBytes >> (64 - missing));
  } else if (kWordParse && (p - begin) + n >= 8) {
    std::memcpy(&w, p + n - 8, 8);  // the piece in the high bytes
    w = (w & (~std::uint64_t{0} << missing)) | (kZeroBytes >> (64 - missing));
  } else {
    while (n-- > 0) v = v * 10 + static_cast<Limb>(*p++ - '0');
    return v;
  }
  return v * kPow10[n] + Parse8Word(w);
}

// v < 10^8 as eight ASCII digits in memory order (a little-endian word):
// split into two lanes of four digits, each into two of two, each into two
// of one, all lanes at once (a division by 100 or 10 is a multiply and a
// shift, exact in these ranges).
inline std::uint64_t Digits8Word(std::uint32_t v) noexcept {
  std::uint64_t y = (v / 10000) | (std::uint64_t{v % 10000} << 32);
  std::uint64_t z = ((y * 10486) >> 20) & 0x0000007F0000007Full;
  y = z | ((y - z * 100) << 16);
  z = ((y * 103) >> 10) & 0x000F000F000F000Full;
  y = z | ((y - z * 10) << 8);
  return y | kZeroBytes;
}

inline void Write8(char* out, std::uint32_t v) noexcept {
  if (kWordParse) {
    std::uint64_t const w = Digits8Word(v);
    std::memcpy(out, &w, 8);
    return;
  }
  for (int i = 7; i >= 0; --i, v /= 10) out[i] = static_cast<char>('0' + v % 10);
}

inline void WriteLimb(char* out, Limb x) noexcept {
  constexpr Limb k16 = 10000000000000000ull;
  Limb const top = x / k16;  // two digits
  Limb const rest = x - top * k16;
  Limb const high = rest / 100000000ull;
  out[0] = static_cast<char>('0' + top / 10);
  out[1] = static_cast<char>('0' + top % 10);
  Write8(out + 2, static_cast<std::uint32_t>(high));
  Write8(out + 10, static_cast<std::uint32_t>(rest - high * 100000000ull));
}

}  // namespace decimal
}  // namespace QDataType
