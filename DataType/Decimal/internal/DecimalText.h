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

#if QDT_DECIMAL_SSE2
#include <emmintrin.h>
#endif

namespace QDataType {
namespace decimal {

constexpr std::uint64_t kZeroBytes = 0x3030303030303030ull;  // "00000000"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kWordParse = true;
#else
constexpr bool kWordParse = false;
#endif

// Eight bytes of text as a word whose low byte is the first, on any host
// (a byte swap where the host is big-endian).
inline std::uint64_t LoadWord(char const* p) noexcept {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  w = __builtin_bswap64(w);
#endif
  return w;
}

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

#if QDT_DECIMAL_SSE2
// The sixteen digit values (0 to 9) in the bytes of t, the first the most
// significant: pairs, then fours, then eights, by multiply-adds of
// neighbouring lanes.
inline Limb Value16(__m128i t) noexcept {
  __m128i const zero = _mm_setzero_si128();
  __m128i const tens = _mm_set1_epi32(0x0001000A);  // 16-bit lanes 10, 1
  __m128i const pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(t, zero), tens),
                                        _mm_madd_epi16(_mm_unpackhi_epi8(t, zero), tens));
  __m128i const fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));  // 100, 1
  __m128i const eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(0x00012710));  // 10000, 1
  Limb const both = static_cast<Limb>(_mm_cvtsi128_si64(eights));
  return (both & 0xFFFFFFFFu) * 100000000ull + (both >> 32);
}
#endif

// Exactly 18 digits.
inline Limb Parse18(char const* p) noexcept {
#if QDT_DECIMAL_SSE2
  __m128i const x = _mm_loadu_si128(reinterpret_cast<__m128i const*>(p + 2));
  return static_cast<Limb>(p[0] - '0') * 100000000000000000ull + static_cast<Limb>(p[1] - '0') * 10000000000000000ull +
         Value16(_mm_sub_epi8(x, _mm_set1_epi8('0')));
#else
  return (Parse8(p) * 100000000ull + Parse8(p + 8)) * 100 + static_cast<Limb>(p[16] - '0') * 10 +
         static_cast<Limb>(p[17] - '0');
#endif
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

// Two values below 10^8 as eight ASCII digits each, in memory order in a
// little-endian 128-bit word (high's digits first). With SSE2 both go
// through the same lanes at once: each splits into two of four digits (a
// multiply-high), each of those into two of two, each of those into two of
// one, every lane in the order the digits are written.
inline Wide DigitsPairWord(std::uint32_t high, std::uint32_t low) noexcept {
#if QDT_DECIMAL_SSE2
  __m128i const x = _mm_set_epi64x(low, high);  // 64-bit lanes: high, low
  // x / 10^4 for x < 10^8: (x * 0xD1B71759) >> 45.
  __m128i const q = _mm_srli_epi64(_mm_mul_epu32(x, _mm_set1_epi64x(0xD1B71759)), 45);
  __m128i const r = _mm_sub_epi64(x, _mm_mul_epu32(q, _mm_set1_epi64x(10000)));
  __m128i const y = _mm_or_si128(q, _mm_slli_epi64(r, 32));  // 32-bit lanes of four digits
  // w / 100 for w < 10^4: (w * 5243) >> 19.
  __m128i const h = _mm_srli_epi16(_mm_mulhi_epu16(y, _mm_set1_epi32(5243)), 3);
  __m128i const z = _mm_or_si128(h, _mm_slli_epi32(_mm_sub_epi16(y, _mm_mullo_epi16(h, _mm_set1_epi32(100))), 16));
  // t / 10 for t < 100: (t * 103) >> 10.
  __m128i const tens = _mm_srli_epi16(_mm_mullo_epi16(z, _mm_set1_epi16(103)), 10);
  __m128i const ones = _mm_sub_epi16(z, _mm_mullo_epi16(tens, _mm_set1_epi16(10)));
  __m128i const digits = _mm_or_si128(_mm_or_si128(tens, _mm_slli_epi16(ones, 8)), _mm_set1_epi8('0'));
  Limb const first = static_cast<Limb>(_mm_cvtsi128_si64(digits));
  Limb const second = static_cast<Limb>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(digits, digits)));
  return (Wide{second} << 64) | first;
#else
  return (Wide{Digits8Word(low)} << 64) | Digits8Word(high);
#endif
}

// v < 10^16 as sixteen ASCII digits in memory order.
inline Wide Digits16Word(Limb v) noexcept {
  std::uint32_t const high = static_cast<std::uint32_t>(v / 100000000ull);
  return DigitsPairWord(high, static_cast<std::uint32_t>(v - Limb{high} * 100000000ull));
}

// Stores a 128-bit word with one store where the target has one (so that a
// load of any part of it is forwarded from the store).
inline void Store16(char* out, Wide w) noexcept {
#if QDT_DECIMAL_SSE2
  __m128i const low = _mm_cvtsi64_si128(static_cast<long long>(static_cast<Limb>(w)));
  __m128i const high = _mm_cvtsi64_si128(static_cast<long long>(static_cast<Limb>(w >> 64)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(low, high));
#else
  std::memcpy(out, &w, 16);
#endif
}

inline void Write16(char* out, Limb v) noexcept {
#if QDT_DECIMAL_SSE2
  Store16(out, Digits16Word(v));
#else
  Write8(out, static_cast<std::uint32_t>(v / 100000000ull));
  Write8(out + 8, static_cast<std::uint32_t>(v % 100000000ull));
#endif
}

inline void WriteLimb(char* out, Limb x) noexcept {
  constexpr Limb k16 = 10000000000000000ull;
  Limb const top = x / k16;  // two digits
  out[0] = static_cast<char>('0' + top / 10);
  out[1] = static_cast<char>('0' + top % 10);
  Write16(out + 2, x - top * k16);
}

}  // namespace decimal
}  // namespace QDataType
