#include "DataType/Decimal/BigDecimal.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>

#include "DataType/Decimal/internal/DecimalDigits.h"
#include "DataType/Decimal/internal/DecimalText.h"
#include "DataType/Decimal/internal/HeapBlocks.h"
#include "DataType/Decimal/internal/Limbs.h"
#include "Platform/Locale.h"

namespace QDataType {

using decimal::DecimalDigits;
using decimal::kLimbDigits;
using decimal::Limb;
using decimal::Wide;
using decimal::SignificantDigits;

namespace {

constexpr std::int64_t kLimit = BigDecimal::kMaxDigits;
constexpr std::int64_t kMaxScale = INT_MAX;

// Every BigDecimal made with new is preceded by this header: where its
// storage came from, and what in the block is still in use. An arithmetic
// result is one block: header, the object, then its DecimalDigits and limbs.
// The object and the digits each keep such a block alive, since swap can
// hand the digits to another object; whichever lets go last frees the block.
// Blocks in an arena are never freed.
struct ObjectHeader {
  ObjectHeader(QBase::Buffer* b, std::uint32_t l, std::uint32_t c) noexcept : buffer(b), live(l), sizeClass(c) {}
  QBase::Buffer* buffer;
  std::atomic<std::uint32_t> live;
  std::uint32_t sizeClass;  // of a heap block (HeapBlocks.h)
};
constexpr std::uint32_t kObjectLive = 1;
constexpr std::uint32_t kDigitsLive = 2;
// The header's room, a whole number of the strictest alignment (16 bytes on
// x86-64 and arm64; 8 on s390x, where the header takes two of them).
constexpr std::size_t kObjectHeader =
    (sizeof(ObjectHeader) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);
constexpr std::size_t kDigitsOffset = kObjectHeader + (sizeof(BigDecimal) + 7) / 8 * 8;
static_assert(sizeof(ObjectHeader) <= kObjectHeader, "header fits in front of the object");

// Blocks that begin with an ObjectHeader come from the arena, or from the
// heap (HeapBlocks.h: one call each way on a result's road); made with the
// header in place.
void* AllocateBlock(std::size_t bytes, QBase::Buffer* buffer, std::uint32_t live) noexcept {
  std::uint32_t const sizeClass = buffer == nullptr ? decimal::BlockClass(bytes) : 0;
  void* const block =
      buffer == nullptr ? decimal::AllocateHeapBlock(bytes, sizeClass) : ::operator new(bytes, buffer);
  if (block != nullptr) ::new (block) ObjectHeader(buffer, live, sizeClass);
  return block;
}
void FreeBlock(ObjectHeader* header) noexcept { decimal::FreeHeapBlock(header, header->sizeClass); }

ObjectHeader* HeaderOf(void* object) noexcept {
  return reinterpret_cast<ObjectHeader*>(static_cast<char*>(object) - kObjectHeader);
}

// The object slot of the result block that holds these digits.
char* ObjectSlotOf(DecimalDigits* digits) noexcept {
  return reinterpret_cast<char*>(digits) - kDigitsOffset + kObjectHeader;
}

[[noreturn]] void ThrowDecimal(char const* text) { QBase::Throw<BigDecimalException>(text); }
[[noreturn]] void ThrowInvalid() { ThrowDecimal("Invalid BigDecimal"); }
[[noreturn]] void ThrowTooLong() {
  throw std::length_error("BigDecimal: the result would have more digits than the limit allows");
}

DecimalDigits* AsDigits(void* p) noexcept { return static_cast<DecimalDigits*>(p); }

// A value's digits for reading, whether they live in a block or inline in
// the object's digits word (DecimalDigits.h).
class DigitsView {
 public:
  explicit DigitsView(void const* word) noexcept : d_(decimal::Unpack(word, room_)) {}
  DigitsView(DigitsView const&) = delete;
  DigitsView& operator=(DigitsView const&) = delete;
  DecimalDigits const* get() const noexcept { return d_; }
  DecimalDigits const* operator->() const noexcept { return d_; }

 private:
  decimal::InlineDigits room_;
  DecimalDigits const* d_;
};

struct DigitsDeleter {
  void operator()(DecimalDigits* d) const noexcept { decimal::FreeDigits(d); }
};
using DigitsPtr = std::unique_ptr<DecimalDigits, DigitsDeleter>;

DigitsPtr NewZero(QBase::Buffer* buffer, int leadingZeros = 0) {
  DigitsPtr r(decimal::NewResultDigits(buffer, 0));
  r->leadingZeros = leadingZeros;
  return r;
}

// Sets size, sign and count of a computed result (no leading zeros).
void Finish(DecimalDigits* r, std::size_t limbs, int sign) noexcept {
  r->size = static_cast<std::int32_t>(decimal::Normalized(r->Limbs(), limbs));
  r->leadingZeros = 0;
  if (r->size == 0) {
    r->sign = 0;
    r->count = 0;
  } else {
    r->sign = sign;
    r->count = static_cast<std::int32_t>(SignificantDigits(r));
  }
}

// ---------------------------------------------------------------------------
// Parsing

// The exponent's digits [p, end), read exactly; values beyond any that can
// give a valid result are held at a bound that still decides the same way.
std::int64_t ReadExponent(char const* p, char const* end) noexcept {
  constexpr std::int64_t kBound = 1000000000000000;  // 10^15
  std::int64_t v = 0;
  for (; p < end; ++p) {
    v = v * 10 + (*p - '0');
    if (v >= kBound) return kBound;
  }
  return v;
}

// The first position in [p, end) that is not a digit; sets nonZero when a
// digit other than '0' was passed. Sixteen characters at a time (the last
// sixteen of the text, which may be read from begin, at the end), eight
// without SSE2.
char const* SkipDigits(char const* p, char const* end, char const* begin, bool& nonZero) noexcept {
#if QDT_DECIMAL_SSE2
  __m128i const zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
  // The first character that is not a digit among those of the sixteen at
  // q marked in `fresh`, the others of them passed.
  auto scan = [&](char const* q, unsigned fresh, char const*& stop) {
    __m128i const x = _mm_loadu_si128(reinterpret_cast<__m128i const*>(q));
    __m128i const t = _mm_sub_epi8(x, zero);
    unsigned const digits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(t, nine), t)));
    unsigned const zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, zero)));
    unsigned const other = fresh & ~digits;
    unsigned const at = other != 0 ? static_cast<unsigned>(__builtin_ctz(other)) : 16;
    if ((fresh & ((1u << at) - 1) & ~zeros) != 0) nonZero = true;  // passed, and not '0'
    stop = q + at;
    return other != 0;
  };
  char const* stop;
  for (; end - p >= 16; p += 16) {
    if (scan(p, 0xFFFFu, stop)) return stop;
  }
  if (p < end && end - begin >= 16) {
    scan(end - 16, (0xFFFFu << (16 - (end - p))) & 0xFFFFu, stop);
    return stop;
  }
#else
  static_cast<void>(begin);  // eight at a time never reads behind p
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
  while (end - p >= 8) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    // Each byte in '0'..'9': its high nibble is 3, and so is that of byte + 6.
    if (((x & kHigh) | (((x + 0x0606060606060606ull) & kHigh) >> 4)) != 0x3333333333333333ull) break;
    if (x != 0x3030303030303030ull) nonZero = true;
    p += 8;
  }
#endif
  for (; p < end; ++p) {
    unsigned const digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit >= 10) break;
    if (digit != 0) nonZero = true;
  }
  return p;
}

// Limbs of the digit string s1 s2 followed by `zeros` zeros, least
// significant first; returns the number written. The digits lie in a text
// that may be read from begin to end (see ParseDigitsWithin).
std::size_t DigitsToLimbs(Limb* out, char const* s1, std::size_t n1, char const* s2, std::size_t n2,
                          std::int64_t zeros, char const* begin, char const* end) noexcept {
  std::size_t k = 0;
  for (std::int64_t z = zeros / kLimbDigits; z > 0; --z) out[k++] = 0;
  std::size_t const rest = static_cast<std::size_t>(zeros % kLimbDigits);
  std::size_t const total = n1 + n2 + rest;
  constexpr std::size_t kCompact = 4 * kLimbDigits;
  if (total <= kCompact) {
    // A short string: copied without its point behind '0' characters, then
    // read 18 digits at a time from the right.
    char buffer[kLimbDigits + kCompact];
    std::memset(buffer, '0', sizeof buffer);
    char* const digits = buffer + sizeof buffer - total;
    std::memcpy(digits, s1, n1);
    if (n2 != 0) std::memcpy(digits + n1, s2, n2);
    for (char const* p = buffer + sizeof buffer; p > digits; p -= kLimbDigits) out[k++] = decimal::Parse18(p - kLimbDigits);
    return k;
  }
  std::size_t hi = total;
  while (hi > 0) {
    std::size_t const lo = hi - std::min<std::size_t>(kLimbDigits, hi);
    if (hi - lo == kLimbDigits && (hi <= n1 || (lo >= n1 && hi <= n1 + n2))) {
      // A whole limb inside s1 or s2: all but at most two limbs.
      out[k++] = decimal::Parse18(hi <= n1 ? s1 + lo : s2 + (lo - n1));
      hi = lo;
      continue;
    }
    // The limb's digits [lo, hi) of the string: a piece of s1, a piece of
    // s2, then zeros, each possibly empty.
    Limb v = 0;
    std::size_t const e1 = std::min(hi, n1);
    if (lo < e1) v = decimal::ParseDigitsWithin(s1 + lo, static_cast<int>(e1 - lo), begin, end);
    std::size_t const b2 = std::max(lo, n1);
    std::size_t const e2 = std::min(hi, n1 + n2);
    if (b2 < e2) {
      v = v * decimal::kPow10[e2 - b2] +
          decimal::ParseDigitsWithin(s2 + (b2 - n1), static_cast<int>(e2 - b2), begin, end);
    }
    std::size_t const b3 = std::max(lo, n1 + n2);
    if (b3 < hi) v *= decimal::kPow10[hi - b3];
    out[k++] = v;
    hi = lo;
  }
  return k;
}

// The top bits of the bytes of a little-endian word that are not ASCII
// digits (no carry crosses a byte).
inline std::uint64_t NonDigits(std::uint64_t w) noexcept {
  std::uint64_t const x = w ^ decimal::kZeroBytes;
  return (((x & 0x7F7F7F7F7F7F7F7Full) + 0x7676767676767676ull) | x) & 0x8080808080808080ull;
}

// Checks that [p, end) holds only digits and at most one '.', eight bytes at
// a time (the last word read backward from end when the text, which may be
// read from `begin`, has room); sets point to the '.' or null.
bool ScanShort(char const* p, char const* end, char const* begin, char const*& point) noexcept {
  point = nullptr;
  auto take = [&point](char const* word, std::uint64_t flags) {
    // Exactly one flagged byte, a '.', and no '.' before it.
    if (point != nullptr || (flags & (flags - 1)) != 0) return false;
    char const* const at = word + __builtin_ctzll(flags) / 8;
    point = at;
    return *at == '.';
  };
  for (; end - p >= 8; p += 8) {
    if (std::uint64_t const flags = NonDigits(decimal::LoadWord(p))) {
      if (!take(p, flags)) return false;
    }
  }
  if (p == end) return true;
  if (end - begin >= 8) {
    std::uint64_t const w = decimal::LoadWord(end - 8);
    unsigned const seen = 8 * static_cast<unsigned>(8 - (end - p));  // bits already checked
    if (std::uint64_t const flags = NonDigits(w) & (~std::uint64_t{0} << seen)) return take(end - 8, flags);
    return true;
  }
  for (; p < end; ++p) {
    if (static_cast<unsigned char>(*p) - unsigned{'0'} < 10) continue;
    if (*p != '.' || point != nullptr) return false;
    point = p;
  }
  return true;
}

// floor(m / 10^s) for m < 2^60 and s <= 18, by a multiply-high (Granlund
// and Montgomery): with 2^(l-1) < 10^s <= 2^l, the multiplier
// ceil(2^(60+l) / 10^s) is below 2^61 and the quotient exact for every m
// below 2^60.
struct Pow10Divisor {
  Limb multiplier;
  int shift;
};
constexpr Pow10Divisor MakePow10Divisor(int s) {
  int l = 0;
  while ((Limb{1} << l) < decimal::kPow10[s]) ++l;
  Wide const top = Wide{1} << (60 + l);
  Limb const d = decimal::kPow10[s];
  return {static_cast<Limb>((top + d - 1) / d), 60 + l};
}
template <std::size_t... I>
constexpr std::array<Pow10Divisor, sizeof...(I)> Pow10Divisors(std::index_sequence<I...>) {
  return {MakePow10Divisor(static_cast<int>(I))...};
}
constexpr std::array<Pow10Divisor, kLimbDigits + 1> kPow10Divisors =
    Pow10Divisors(std::make_index_sequence<kLimbDigits + 1>());

inline Limb DividePow10(Limb m, int s) noexcept {
  Pow10Divisor const& d = kPow10Divisors[static_cast<std::size_t>(s)];
  return static_cast<Limb>((Wide{m} * d.multiplier) >> d.shift);
}

// The digits word of a parsed value high B + low with `count` characters in
// its digit text, lz leading zeros and `fraction` digits after the point,
// and its scale: inline when it can be (one limb, a digit text that does
// not begin with zeros after the point, at most three leading zeros), else
// a block from buffer. Zero has scale 0 whatever its text; null for a zero
// that cannot be inline (the general parse makes it).
void* ShortValue(int sign, Limb high, Limb low, std::size_t count, std::size_t lz, bool zeroAfterPoint,
                 std::size_t fraction, QBase::Buffer* buffer, int& scale) {
  constexpr std::size_t kInlineZeros = decimal::kInlineLeadingZeros;
  if (high == 0 && low == 0) {
    if (lz > kInlineZeros) return nullptr;
    scale = 0;
    return decimal::PackInline(0, 0, static_cast<int>(lz));
  }
  scale = static_cast<int>(fraction);
  if (high == 0 && count <= static_cast<std::size_t>(kLimbDigits) && !zeroAfterPoint && lz <= kInlineZeros) {
    return decimal::PackInline(sign, low, static_cast<int>(lz), decimal::kNotZero);
  }
  DecimalDigits* const d = decimal::NewDigits(buffer, high != 0 ? 2 : 1);
  d->Limbs()[0] = low;
  if (high != 0) d->Limbs()[1] = high;
  d->sign = sign;
  d->count = static_cast<std::int32_t>(count);
  d->leadingZeros = static_cast<std::int32_t>(lz);
  d->size = high != 0 ? 2 : 1;
  return d;
}

#if QDT_DECIMAL_SSE2
// The characters [p, p + n), n < 8, in the low bytes of a word (two
// overlapping loads from four characters on).
inline Limb LoadShort(char const* p, std::size_t n) noexcept {
  if (n >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    return first | (Limb{last} << (8 * (n - 4)));
  }
  Limb w = 0;
  for (std::size_t i = 0; i < n; ++i) w |= Limb{static_cast<unsigned char>(p[i])} << (8 * i);
  return w;
}

// Sixteen characters: their digit values (0 for the other characters) and
// masks of the digits, the '.' characters and the '0' characters (bit i for
// the i-th).
struct Classes16 {
  __m128i values;
  unsigned digits, dots, zeros;
};
inline Classes16 Classify16(Limb first, Limb second) noexcept {
  __m128i const x = _mm_set_epi64x(static_cast<long long>(second), static_cast<long long>(first));
  __m128i const t = _mm_sub_epi8(x, _mm_set1_epi8('0'));
  __m128i const isDigit = _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(9)), t);
  return {_mm_and_si128(t, isDigit), static_cast<unsigned>(_mm_movemask_epi8(isDigit)),
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('.')))),
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8('0'))))};
}

// A word of pad '0' bytes followed by the first 8 - pad characters of the
// n at p (all '0' when pad >= 8); reads p[0, 8) when n >= 8, else only the
// n characters (then 8 - pad <= n).
inline Limb FirstWordBehindZeros(char const* p, std::size_t n, std::size_t pad) noexcept {
  constexpr Limb kZeros = decimal::kZeroBytes;
  if (pad >= 8) return kZeros;
  Limb first;
  if (n >= 8) {
    std::memcpy(&first, p, 8);
  } else {
    first = LoadShort(p, n);
  }
  unsigned const bits = 8 * static_cast<unsigned>(pad);
  return bits == 0 ? first : (first << bits) | (kZeros >> (64 - bits));
}

// The common short texts: digits with at most one point, 16 or 32
// characters at most (ParseText16, ParseText32). The characters are read
// right-aligned behind '0' characters, classified and converted sixteen
// at a time. Each returns the digits word (inline, or a block from buffer)
// and sets scale; null for any other text, which the general parse reads.

// Up to 16 characters: inline, or null. These are the commonest texts, so
// they do without ShortValue, whose general checks cost a tenth of their
// time. The point is read as a 0 digit: the value V of the sixteen digits
// is I 10^(f+1) + F for the integer digits I and the f fraction digits F,
// so the value of the digit text, I 10^f + F, is V - 9 I 10^f with
// I = floor(V / 10^(f+1)).
void* ParseText16(char const* body, std::size_t n, int sign, QBase::Buffer* buffer, int& scale) noexcept {
  Limb high;
  if (n >= 8) {
    std::memcpy(&high, body + n - 8, 8);
  } else {
    high = FirstWordBehindZeros(body, n, 8 - n);
  }
  Classes16 const c = Classify16(FirstWordBehindZeros(body, n, 16 - n), high);
  unsigned const other = ~c.digits & 0xFFFFu;
  // At most one character that is not a digit, and that one a '.'.
  if ((other & (other - 1)) != 0 || other != c.dots) return nullptr;
  std::size_t const before = static_cast<std::size_t>(__builtin_ctz(~c.zeros));  // the '0's in front, fill included
  std::size_t const lz = buffer == nullptr ? before - (16 - n) : 0;
  if (lz > decimal::kInlineLeadingZeros) return nullptr;
  Limb const v = decimal::Value16(c.values);
  if (v == 0) {
    scale = 0;  // zero, scale 0 whatever its text
    return decimal::PackInline(0, 0, static_cast<int>(lz));
  }
  if (other == 0) {
    scale = 0;
    return decimal::PackInline(sign, v, static_cast<int>(lz), decimal::kNotZero);
  }
  std::size_t const point = static_cast<std::size_t>(__builtin_ctz(other));
  int const fraction = 15 - static_cast<int>(point);
  // Not inline when the digit text begins with zeros after the point (no
  // integer digits, and a '0' after the point).
  if (before == point && ((c.zeros >> (point + 1)) & 1) != 0) return nullptr;
  scale = fraction;
  Limb const m = v - DividePow10(v, fraction + 1) * 9 * decimal::kPow10[fraction];
  return decimal::PackInline(sign, m, static_cast<int>(lz), decimal::kNotZero);
}

// 17 to 32 characters (two limbs at most). The point is taken out before
// the digits are converted: the digits in front of it move up a byte.
void* ParseText32(char const* body, std::size_t n, int sign, QBase::Buffer* buffer, int& scale) {
  constexpr Limb kZeros = decimal::kZeroBytes;
  Limb w[4];
  std::memcpy(&w[3], body + n - 8, 8);
  std::memcpy(&w[2], body + n - 16, 8);
  if (n >= 24) {
    std::memcpy(&w[1], body + n - 24, 8);
    w[0] = FirstWordBehindZeros(body, n, 32 - n);
  } else {
    w[1] = FirstWordBehindZeros(body, n, 24 - n);
    w[0] = kZeros;
  }
  Classes16 const a = Classify16(w[0], w[1]), b = Classify16(w[2], w[3]);
  std::uint32_t const other = ~(a.digits | (b.digits << 16));
  if ((other & (other - 1)) != 0 || other != (a.dots | (b.dots << 16))) return nullptr;
  std::uint32_t const zeroMask = a.zeros | (b.zeros << 16);
  std::size_t const before = static_cast<std::size_t>(__builtin_ctzll(~std::uint64_t{zeroMask}));
  std::size_t const zeros = before - (32 - n);
  std::size_t const lz = buffer == nullptr ? zeros : 0;
  std::size_t const count = n - (other != 0 ? 1 : 0) - zeros;  // the digit text
  std::size_t point = 32;
  __m128i top = a.values, bottom = b.values;
  if (other != 0) {
    // The digit values in front of the point (its own 0 included) move up
    // a byte: where upTo marks them, the values shifted by one are taken.
    point = static_cast<std::size_t>(__builtin_ctz(other));
    __m128i const at = _mm_set1_epi8(static_cast<char>(point));
    __m128i const index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    __m128i const upTo = _mm_cmpgt_epi8(_mm_add_epi8(at, _mm_set1_epi8(1)), index);
    __m128i const upToBottom = _mm_cmpgt_epi8(_mm_add_epi8(at, _mm_set1_epi8(-15)), index);
    __m128i const movedTop = _mm_slli_si128(top, 1);
    __m128i const movedBottom = _mm_or_si128(_mm_slli_si128(bottom, 1), _mm_srli_si128(top, 15));
    top = _mm_or_si128(_mm_and_si128(upTo, movedTop), _mm_andnot_si128(upTo, top));
    bottom = _mm_or_si128(_mm_and_si128(upToBottom, movedBottom), _mm_andnot_si128(upToBottom, bottom));
  }
  // 32 digits: the top sixteen are high 100 + t, so the value is high B + (t 10^16 + the bottom sixteen).
  Limb const t = decimal::Value16(top);
  Limb const high = t / 100;
  Limb const low = (t - high * 100) * 10000000000000000ull + decimal::Value16(bottom);
  bool const zeroAfterPoint = before == point && ((std::uint64_t{zeroMask} >> (point + 1)) & 1) != 0;
  return ShortValue(sign, high, low, count, lz, zeroAfterPoint, other != 0 ? 31 - point : 0, buffer, scale);
}
#endif

// The common short text in one pass: digits with at most one point, no
// exponent, a value that is not zero and at most 36 digits in its digit
// text (two limbs). Returns the value's digits word (inline, or a block from
// buffer) and sets scale; returns null for any other text, which the general
// parse reads. The text may be read from `begin` to its terminator.
void* ParseShort(char const* begin, char const* body, char const* end, int sign, QBase::Buffer* buffer, int& scale) {
  constexpr std::ptrdiff_t kShortDigits = 2 * kLimbDigits;
  if (end - body > kShortDigits + 4) return nullptr;
  char const* point;
  if (body == end || !ScanShort(body, end, begin, point)) return nullptr;
  char const* start = body;
  while (start < end && *start == '0') ++start;
  std::ptrdiff_t const zeros = start - body;  // the leading '0' characters
  char const* const integerEnd = point != nullptr ? point : end;
  std::size_t const ni = static_cast<std::size_t>(std::max<std::ptrdiff_t>(integerEnd - start, 0));
  std::size_t const nf = point != nullptr ? static_cast<std::size_t>(end - point - 1) : 0;
  std::size_t const count = ni + nf;  // the digit text (zeros after the point included when ni is 0)
  if (count > static_cast<std::size_t>(kShortDigits)) return nullptr;
  char const* const readable = end + 1;
  auto read = [begin, readable](char const* p, std::size_t n) {
    return n != 0 ? decimal::ParseDigitsWithin(p, static_cast<int>(n), begin, readable) : Limb{0};
  };
  // The digit text is the integer digits I, then the fraction digits F; the
  // low limb is its last 18 digits, the high limb the rest.
  char const* const fraction = point != nullptr ? point + 1 : end;
  Limb high = 0, low;
  if (count <= static_cast<std::size_t>(kLimbDigits)) {
    low = read(start, ni) * decimal::kPow10[nf] + read(fraction, nf);
  } else if (nf >= static_cast<std::size_t>(kLimbDigits)) {
    std::size_t const over = nf - kLimbDigits;  // fraction digits in the high limb
    low = decimal::ParseDigits(end - kLimbDigits, kLimbDigits);
    high = read(start, ni) * decimal::kPow10[over] + read(fraction, over);
  } else {
    std::size_t const split = ni - (kLimbDigits - nf);  // integer digits in the high limb
    high = read(start, split);
    low = read(start + split, ni - split) * decimal::kPow10[nf] + read(fraction, nf);
  }
  return ShortValue(sign, high, low, count, buffer == nullptr ? static_cast<std::size_t>(zeros) : 0,
                    ni == 0 && nf != 0 && point[1] == '0', nf, buffer, scale);
}

// ---------------------------------------------------------------------------
// Arithmetic

// Working limbs: on the stack for short operands, on the heap beyond.
class Scratch {
 public:
  explicit Scratch(std::size_t n) : data_(local_) {
    if (n > kLocal) {
      heap_.reset(new Limb[n]);
      data_ = heap_.get();
    }
  }
  Limb* Get() noexcept { return data_; }

 private:
  static constexpr std::size_t kLocal = 64;
  Limb local_[kLocal];
  std::unique_ptr<Limb[]> heap_;
  Limb* data_;
};

// Three-way comparison of the magnitudes of x (scale sx) and y (scale sy),
// both non-zero.
int CompareMagnitudes(DecimalDigits const* x, std::int64_t sx, DecimalDigits const* y, std::int64_t sy) noexcept {
  std::size_t const nx = static_cast<std::size_t>(x->size);
  std::size_t const ny = static_cast<std::size_t>(y->size);
  if (sx == sy) return decimal::Compare(x->Limbs(), nx, y->Limbs(), ny);
  if (sx < sy) return decimal::CompareShifted(x->Limbs(), nx, static_cast<std::uint64_t>(sy - sx), y->Limbs(), ny);
  return -decimal::CompareShifted(y->Limbs(), ny, static_cast<std::uint64_t>(sx - sy), x->Limbs(), nx);
}

// The zero-operand rule: x with sign `sign`, its digit text extended with
// zeros from scale sx to scale s.
DigitsPtr CopyRescaled(DecimalDigits const* x, int sign, std::int64_t sx, std::int64_t s, QBase::Buffer* buffer) {
  if (x->sign == 0) return NewZero(buffer, x->leadingZeros);
  std::int64_t const extra = s - sx;
  if (std::int64_t{x->leadingZeros} + x->count + extra + 1 > kLimit) ThrowTooLong();
  std::size_t const n = static_cast<std::size_t>(x->size) + static_cast<std::size_t>(extra / kLimbDigits) + 1;
  DigitsPtr r(decimal::NewResultDigits(buffer, n));
  std::size_t const used =
      decimal::ShiftUpDigits(r->Limbs(), x->Limbs(), static_cast<std::size_t>(x->size), static_cast<std::uint64_t>(extra));
  r->size = static_cast<std::int32_t>(decimal::Normalized(r->Limbs(), used));
  r->sign = sign;
  r->count = static_cast<std::int32_t>(x->count + extra);
  r->leadingZeros = x->leadingZeros;
  return r;
}

// a + b, where gb is b's sign as it enters the sum (negated for a - b).
DigitsPtr AddSigned(DecimalDigits const* a, std::int64_t sa, DecimalDigits const* b, int gb, std::int64_t sb,
                    std::int64_t s, QBase::Buffer* buffer) {
  int const ga = a->sign;
  if (ga == 0) return CopyRescaled(b, gb, sb, s, buffer);
  if (gb == 0) return CopyRescaled(a, ga, sa, s, buffer);
  // Equal magnitudes of opposite sign cancel whatever their width.
  int const c = ga == gb ? 0 : CompareMagnitudes(a, sa, b, sb);
  if (ga != gb && c == 0) return NewZero(buffer);

  // The limit, checked on limb counts first (18 digits a limb at most).
  if (std::int64_t{kLimbDigits} * std::max(a->size, b->size) + s + 1 > kLimit) {
    std::int64_t const ia = std::max<std::int64_t>(SignificantDigits(a) - sa, 0);
    std::int64_t const ib = std::max<std::int64_t>(SignificantDigits(b) - sb, 0);
    if (std::max(ia, ib) + s + 1 > kLimit) ThrowTooLong();
  }

  // X: the operand with the smaller scale, moved up to the common scale
  // (written straight into the result); Y: the other.
  bool const aMoves = sa < sb;
  DecimalDigits const* const x = aMoves ? a : b;
  DecimalDigits const* const y = aMoves ? b : a;
  std::uint64_t const k = static_cast<std::uint64_t>(aMoves ? sb - sa : sa - sb);
  std::size_t const nx = static_cast<std::size_t>(x->size);
  std::size_t const ny = static_cast<std::size_t>(y->size);
  Limb const* const yl = y->Limbs();

  DigitsPtr r(decimal::NewResultDigits(buffer, std::max(nx + k / kLimbDigits + 1, ny) + 1));
  Limb* const out = r->Limbs();
  if (ga == gb) {
    Finish(r.get(), decimal::AddShifted(out, x->Limbs(), nx, k, yl, ny), ga);
    return r;
  }
  Limb const* xl = x->Limbs();
  std::size_t m = nx;
  if (k != 0) {
    m = decimal::Normalized(out, decimal::ShiftUpDigits(out, xl, nx, k));
    xl = out;
  }
  std::size_t used;
  int sign;
  if ((c > 0) == (x == a)) {
    // |X| > |Y|
    sign = x == a ? ga : gb;
    Limb const borrow = decimal::SubN(out, xl, yl, ny);
    decimal::SubBorrow(out + ny, xl + ny, m - ny, borrow);
    used = m;
  } else {
    sign = y == a ? ga : gb;
    Limb const borrow = decimal::SubN(out, yl, xl, m);
    decimal::SubBorrow(out + m, yl + m, ny - m, borrow);
    used = ny;
  }
  Finish(r.get(), used, sign);
  return r;
}

// A result of at most two limbs from its value below B^2, given as a
// two-word binary number.
DigitsPtr TwoLimbResult(Limb hi, Limb lo, int sign, QBase::Buffer* buffer) {
  if (hi == 0 && lo == 0) return NewZero(buffer);
  Limb low;
  Limb const high = decimal::DivBase(hi, lo, low);
  DigitsPtr r(decimal::NewResultDigits(buffer, 2));
  Limb* const out = r->Limbs();
  out[0] = low;
  out[1] = high;
  r->size = high != 0 ? 2 : 1;
  r->sign = sign;
  r->count = high != 0 ? kLimbDigits + decimal::DigitsOf(high) : decimal::DigitsOf(low);
  return r;
}

// a + gb |b| for two non-zero inline operands (gb: b's sign as it enters
// the sum) whose aligned sum stays below 10^36: the one with the smaller
// scale moved up in a 128-bit word, then one addition or subtraction.
// Returns null for any other shape.
DigitsPtr AddInline(void const* a, std::int64_t sa, void const* b, int gb, std::int64_t sb, QBase::Buffer* buffer) {
  int const ga = decimal::InlineSign(a);
  if (ga == 0 || gb == 0) return nullptr;
  Wide x = decimal::InlineMagnitude(a);
  Wide y = decimal::InlineMagnitude(b);
  std::int64_t const k = sa < sb ? sb - sa : sa - sb;
  Wide& moved = sa < sb ? x : y;
  if (decimal::DigitsOf(static_cast<Limb>(moved)) + k > 2 * kLimbDigits - 1) return nullptr;
  if (k > kLimbDigits) moved *= decimal::kPow10[kLimbDigits];
  moved *= decimal::kPow10[k > kLimbDigits ? k - kLimbDigits : k];
  Wide r;
  int sign;
  if (ga == gb) {
    r = x + y;
    sign = ga;
  } else if (x >= y) {
    r = x - y;
    sign = ga;
  } else {
    r = y - x;
    sign = gb;
  }
  return TwoLimbResult(static_cast<Limb>(r >> 64), static_cast<Limb>(r), sign, buffer);
}

// Two inline factors, each below 10^18: one 64 by 64-bit product.
DigitsPtr MultiplyInline(void const* a, void const* b, QBase::Buffer* buffer) {
  Wide const p = Wide{decimal::InlineMagnitude(a)} * decimal::InlineMagnitude(b);
  return TwoLimbResult(static_cast<Limb>(p >> 64), static_cast<Limb>(p),
                       decimal::InlineSign(a) * decimal::InlineSign(b), buffer);
}

// Two inline operands whose quotient floor(A 10^e / B) has a dividend below
// 10^36 (or e < 0): a division of two binary words by one. Returns null for
// any other shape.
DigitsPtr DivideInline(void const* a, void const* b, std::int64_t e, QBase::Buffer* buffer) {
  Limb const x = decimal::InlineMagnitude(a);
  Limb const y = decimal::InlineMagnitude(b);
  Limb hi = 0, lo;
  if (e < 0) {
    lo = e <= -kLimbDigits ? 0 : x / decimal::kPow10[-e];
  } else {
    if (decimal::DigitsOf(x) + e > 2 * kLimbDigits) return nullptr;
    Wide u = x;
    if (e > kLimbDigits) {
      u *= decimal::kPow10[kLimbDigits];
      e -= kLimbDigits;
    }
    u *= decimal::kPow10[e];
    Limb remainder;
    hi = static_cast<Limb>(u >> 64) / y;
    lo = decimal::DivWide(static_cast<Limb>(u >> 64) % y, static_cast<Limb>(u), y, remainder);
  }
  if (e < 0) lo /= y;
  return TwoLimbResult(hi, lo, decimal::InlineSign(a) * decimal::InlineSign(b), buffer);
}

DigitsPtr Multiply(DecimalDigits const* a, DecimalDigits const* b, QBase::Buffer* buffer) {
  if (a->sign == 0 || b->sign == 0) return NewZero(buffer);
  if (std::int64_t{kLimbDigits} * (std::int64_t{a->size} + b->size) > kLimit &&
      SignificantDigits(a) + SignificantDigits(b) > kLimit) {
    ThrowTooLong();
  }
  // Zero limbs at the low end take no part in the product; they come back as
  // a shift (so 10^49999999 squared costs no more than writing the result).
  Limb const* const al = a->Limbs();
  Limb const* const bl = b->Limbs();
  std::size_t const za = decimal::LowZeroLimbs(al, static_cast<std::size_t>(a->size));
  std::size_t const zb = decimal::LowZeroLimbs(bl, static_cast<std::size_t>(b->size));
  std::size_t const n = static_cast<std::size_t>(a->size) + static_cast<std::size_t>(b->size);
  DigitsPtr r(decimal::NewResultDigits(buffer, n));
  Limb* const out = r->Limbs();
  std::fill(out, out + za + zb, Limb{0});
  decimal::Mul(out + za + zb, al + za, static_cast<std::size_t>(a->size) - za, bl + zb,
               static_cast<std::size_t>(b->size) - zb);
  Finish(r.get(), n, a->sign * b->sign);
  return r;
}

// floor(A 10^e / B) at scale s, e = s - sa + sb, truncated toward zero.
DigitsPtr DivideDigits(DecimalDigits const* a, std::int64_t sa, DecimalDigits const* b, std::int64_t sb,
                       std::int64_t s, QBase::Buffer* buffer) {
  if (a->sign == 0) return NewZero(buffer);
  std::int64_t const e = s - sa + sb;
  // The quotient has at most this many digits (none when it is 0 or less);
  // on limb counts first.
  std::int64_t const aDigits = std::int64_t{kLimbDigits} * a->size;
  std::int64_t const bDigits = std::int64_t{kLimbDigits} * (b->size - 1) + 1;
  if (aDigits + e - bDigits + 1 <= 0) return NewZero(buffer);
  if (aDigits + e - bDigits + 1 > kLimit) {
    std::int64_t const digits = SignificantDigits(a) + e - SignificantDigits(b) + 1;
    if (digits <= 0) return NewZero(buffer);
    if (digits > kLimit) ThrowTooLong();
  }

  // With the zero limbs at the low ends set aside, the quotient is
  // floor(A' 10^E / B') for E = e + 18 (za - zb).
  Limb const* const al = a->Limbs();
  Limb const* const bl = b->Limbs();
  std::size_t const za = decimal::LowZeroLimbs(al, static_cast<std::size_t>(a->size));
  std::size_t const zb = decimal::LowZeroLimbs(bl, static_cast<std::size_t>(b->size));
  std::size_t const na = static_cast<std::size_t>(a->size) - za;
  std::size_t const nv = static_cast<std::size_t>(b->size) - zb;
  std::int64_t const shift = e + std::int64_t{kLimbDigits} * (static_cast<std::int64_t>(za) - static_cast<std::int64_t>(zb));

  Limb const* u = al + za;
  std::size_t nu = na;
  Scratch lowered(shift < 0 ? na : 0);
  if (shift < 0) {
    // Digits below the result scale are dropped before dividing.
    nu = decimal::Normalized(lowered.Get(),
                             decimal::ShiftDownDigits(lowered.Get(), u, na, static_cast<std::uint64_t>(-shift)));
    if (nu == 0) return NewZero(buffer);
    u = lowered.Get();
  }
  std::uint64_t const up = shift > 0 ? static_cast<std::uint64_t>(shift) : 0;
  std::size_t const nn = decimal::DividendLimbs(nu, up);
  if (nn < nv) return NewZero(buffer);
  std::size_t const nq = nn - nv + 1;
  DigitsPtr r(decimal::NewResultDigits(buffer, nq));
  decimal::DivQuotient(r->Limbs(), u, nu, up, bl + zb, nv);
  Finish(r.get(), nq, a->sign * b->sign);
  return r;
}

// ---------------------------------------------------------------------------
// Text

// A character buffer on the stack for short texts, on the heap for long ones.
template <class C>
class TextBuffer {
 public:
  explicit TextBuffer(std::size_t n) : data_(local_) {
    if (n > sizeof local_ / sizeof(C)) {
      heap_.reset(new C[n]);
      data_ = heap_.get();
    }
  }
  C* Get() noexcept { return data_; }

 private:
  C local_[256];
  std::unique_ptr<C[]> heap_;
  C* data_;
};

// Texts are written right to left, into a buffer with kHead bytes of room
// in front of the text. Digits go out in whole words (WriteTail below), and
// a run of zeros of up to kHead is filled as kHead bytes: what lands in
// front of a piece is overwritten by the next one, or falls in that room.
constexpr std::size_t kHead = 32;

// Fills the n characters in front of `end` with '0'; returns their start.
inline char* FillZerosBefore(char* end, std::size_t n) noexcept {
  if (n <= kHead) {
    std::memset(end - kHead, '0', kHead);
  } else {
    std::memset(end - n, '0', n);
  }
  return end - n;
}

// Writes x < 10^n (n <= 18 digits, leading zeros included) so that it ends
// at `end`; up to 18 - n bytes in front of it are written too.
inline void WriteTail(char* end, Limb x, std::size_t n) noexcept {
  if (n <= 8) {
    decimal::Write8(end - 8, static_cast<std::uint32_t>(x));
  } else if (n <= 16) {
    decimal::Write16(end - 16, x);
  } else {
    decimal::WriteLimb(end - kLimbDigits, x);
  }
}

// Writes the digits of M (significant of them) so that they end at `end`,
// with a '.' in front of the last `split` of them when 0 < split <
// significant (*point then tells where). Returns where the first digit
// went.
char* WriteMagnitude(char* end, DecimalDigits const* d, std::size_t significant, std::size_t split,
                     char** point) noexcept {
  Limb const* const limbs = d->Limbs();
  std::size_t const size = static_cast<std::size_t>(d->size);
  std::size_t const splitLimb = split != 0 ? split / kLimbDigits : size;
  std::size_t const splitDigits = split % kLimbDigits;
  std::size_t const topDigits = significant - kLimbDigits * (size - 1);
  char* out = end;
  for (std::size_t i = 0; i < size; ++i) {
    std::size_t const n = i + 1 < size ? kLimbDigits : topDigits;
    if (i != splitLimb) {
      WriteTail(out, limbs[i], n);
      out -= n;
      continue;
    }
    // The point falls in this limb, after its first n - splitDigits digits.
    Limb const scale = decimal::kPow10[splitDigits];
    Limb const high = limbs[i] / scale;
    if (splitDigits != 0) WriteTail(out, limbs[i] - high * scale, splitDigits);
    out -= splitDigits;
    *--out = '.';
    *point = out;
    WriteTail(out, high, n - splitDigits);
    out -= n - splitDigits;
  }
  return out;
}

// Length of the decimal text of a non-zero value.
std::size_t TextLength(DecimalDigits const* d, std::int64_t s) noexcept {
  std::int64_t const c = d->count;
  std::int64_t const sign = d->sign < 0 ? 1 : 0;
  if (c < s) return static_cast<std::size_t>(sign + 2 + s);
  return static_cast<std::size_t>(sign + std::max<std::int64_t>(d->leadingZeros + c - s, 1) + (s > 0 ? 1 + s : 0));
}

void CheckPrintable(std::int64_t s) {
  if (s > kLimit) ThrowTooLong();
}

// The decimal text of a non-zero value: '-' for a negative one, then, when
// the digit text D (count c, scale s) is at least as long as the scale, the
// leading zeros, D's first c - s characters (or '0' when there are none and
// no leading zeros) and, when s > 0, '.' and D's last s characters; else
// "0." and s - c zeros in front of D. D is M's digits behind count -
// significant zeros.
class ValueText {
 public:
  ValueText(DecimalDigits const* d, std::int64_t scale) : buffer_(kHead + TextLength(d, scale)) {
    std::size_t const length = TextLength(d, scale);
    std::size_t const c = static_cast<std::size_t>(d->count);
    std::size_t const s = static_cast<std::size_t>(scale);
    length_ = length;
    std::size_t const significant = static_cast<std::size_t>(SignificantDigits(d));
    char* const end = buffer_.Get() + kHead + length;
    char* out;
    if (s != 0 && s < significant) {
      // The point falls among M's digits; D's zeros stand in front of them.
      out = WriteMagnitude(end, d, significant, s, &point_);
      out = FillZerosBefore(out, c - significant);
    } else {
      out = WriteMagnitude(end, d, significant, 0, &point_);
      if (s == 0) {
        out = FillZerosBefore(out, c - significant);
      } else {
        // All of M after the point, behind zeros: D's own, and those the
        // scale adds when D is shorter than it.
        out = FillZerosBefore(out, s - significant);
        *--out = '.';
        point_ = out;
        if (c > s) out = FillZerosBefore(out, c - s);  // D's zeros before the point
        if (c < s || (c == s && d->leadingZeros == 0)) *--out = '0';
      }
    }
    if (c >= s) out = FillZerosBefore(out, static_cast<std::size_t>(d->leadingZeros));
    if (d->sign < 0) *--out = '-';
    text_ = out;  // buffer_.Get() + kHead
  }
  char const* Get() const noexcept { return text_; }
  std::size_t Length() const noexcept { return length_; }
  // The '.', or null when the scale is 0.
  char const* Point() const noexcept { return point_; }

 private:
  TextBuffer<char> buffer_;
  char const* text_;
  std::size_t length_;
  char* point_ = nullptr;
};

// The text of a non-zero inline value m (its digit text is m's n digits,
// behind lz <= 3 leading zeros) at scale s <= kInlineScale, written right
// to left so that it ends at `end`, with kHead bytes of room in front of it
// (nothing written is read back before the text is taken). Returns where it
// begins; *point is the '.', or stays null.
constexpr int kInlineScale = 24;
constexpr std::size_t kInlineText = 4 + kInlineScale;  // sign, "0." and the scale's digits at most

char* WriteInline(char* end, Limb m, bool negative, int lz, int s, char** point) noexcept {
  int const n = decimal::DigitsOf(m);
  char* out = end;
  if (s == 0) {
    WriteTail(out, m, static_cast<std::size_t>(n));
    out -= n;
  } else if (s < n) {
    Limb const unit = decimal::kPow10[s];
    Limb const high = DividePow10(m, s);
    WriteTail(out, m - high * unit, static_cast<std::size_t>(s));
    out -= s;
    *--out = '.';
    *point = out;
    WriteTail(out, high, static_cast<std::size_t>(n - s));
    out -= n - s;
  } else {
    // All of m after the point, behind the zeros that the scale adds.
    WriteTail(out, m, static_cast<std::size_t>(n));
    out = FillZerosBefore(out - n, static_cast<std::size_t>(s - n));
    *--out = '.';
    *point = out;
    if (s > n || lz == 0) *--out = '0';
  }
  if (s <= n && lz != 0) out = FillZerosBefore(out, static_cast<std::size_t>(lz));
  if (negative) *--out = '-';
  return out;
}

// The text WriteInline writes, for the common shapes: an integer of at
// most 16 characters, or a point with at most seven characters in front of
// it and eight digits after it. The sixteen characters around the text are
// built in one 128-bit word (the digits of both sides converted side by
// side, '0's in front, a '-' put in place) and stored at once at text -
// start, so that reading the text back is forwarded from that store; text
// has sixteen bytes of room in front. Returns the length, or 0 for other
// shapes.
inline __attribute__((always_inline)) std::size_t InlineWord(char* text, Limb m, bool negative, int lz, int s,
                                                          char** point) noexcept {
  int const n = decimal::DigitsOf(m);
  int const k = n - s;  // digits before the point
  int const prefix = (negative ? 1 : 0) + lz;
  if (!decimal::kWordParse) return 0;
  Limb first, second;  // the sixteen bytes in memory order
  int start;           // the text's first among them
  if (s == 0) {
    if (n + prefix > 16) return 0;
    Wide const digits = decimal::Digits16Word(m);
    first = static_cast<Limb>(digits);
    second = static_cast<Limb>(digits >> 64);
    start = 16 - n - prefix;
  } else {
    if (k <= 0 || k + prefix > 7 || s > 8) return 0;
    // The integer digits end at byte 6, the point is byte 7, the fraction's
    // s digits begin at byte 8.
    Limb const high = DividePow10(m, s);
    Limb const fraction = (m - high * decimal::kPow10[s]) * decimal::kPow10[8 - s];
    Wide const digits = decimal::DigitsPairWord(static_cast<std::uint32_t>(high), static_cast<std::uint32_t>(fraction));
    first = (static_cast<Limb>(digits) >> 8) | (Limb{'.'} << 56);
    second = static_cast<Limb>(digits >> 64);
    start = 7 - k - prefix;
    *point = text + prefix + k;
  }
  if (negative) {
    // The text's first byte is a '0' in front of the digits.
    Limb const minus = Limb{'-' ^ '0'};
    if (start < 8) {
      first ^= minus << (8 * start);
    } else {
      second ^= minus << (8 * (start - 8));
    }
  }
  decimal::Store16(text - start, (Wide{second} << 64) | first);
  return static_cast<std::size_t>(prefix + n + (s != 0 ? 1 : 0));
}

// PrintValue for the values that are not printed from their word.
template <class Take>
__attribute__((noinline)) auto PrintLong(void const* word, std::int64_t scale, Take take) {
  DigitsView const d(word);
  if (d->sign == 0) return take("0", std::size_t{1}, nullptr);
  CheckPrintable(scale);
  ValueText const text(d.get(), scale);
  return take(text.Get(), text.Length(), text.Point());
}

// Prints a value (zero as "0") and hands the narrow text, its length and
// where its point stands (null when it has none) to `take`. An inline value
// with a short text is printed straight from its word.
template <class Take>
auto PrintValue(void const* word, std::int64_t scale, Take take) {
  if (decimal::IsInline(word)) {
    Limb const m = decimal::InlineMagnitude(word);
    if (m == 0) return take("0", std::size_t{1}, nullptr);
    if (scale <= std::int64_t{kInlineScale}) {
      char text[kHead + kInlineText];
      char* point = nullptr;
      bool const negative = decimal::InlineSign(word) < 0;
      int const lz = decimal::InlineLeadingZeros(word);
      if (std::size_t const n = InlineWord(text + 16, m, negative, lz, static_cast<int>(scale), &point)) {
        return take(text + 16, n, point);
      }
      char* const end = text + sizeof text;
      char const* const begin = WriteInline(end, m, negative, lz, static_cast<int>(scale), &point);
      return take(begin, static_cast<std::size_t>(end - begin), point);
    }
  }
  return PrintLong(word, scale, take);
}

QBase::ReturnWString Widen(char const* text, std::size_t n, char const* point = nullptr,
                           unsigned short separator = '.') {
  TextBuffer<unsigned short> wide(n + 1);
  unsigned short* w = wide.Get();
  for (std::size_t i = 0; i < n; ++i) w[i] = static_cast<unsigned char>(text[i]);
  if (point != nullptr) {
    std::size_t const at = static_cast<std::size_t>(point - text);
    // A separator of 0 ends the text after the integer part.
    if (separator == 0) return QBase::ReturnWString(w, at);
    w[at] = separator;
  }
  return QBase::ReturnWString(w, n);
}

}  // namespace

namespace decimal {

DecimalDigits* NewDigits(QBase::Buffer* buffer, std::size_t limbs) {
  std::size_t const bytes = sizeof(DecimalDigits) + limbs * sizeof(Limb);
  std::uint32_t const sizeClass = buffer == nullptr ? BlockClass(bytes) : 0;
  void* const block = buffer == nullptr ? AllocateHeapBlock(bytes, sizeClass) : ::operator new[](bytes, buffer);
  if (block == nullptr) throw std::bad_alloc();
  return ::new (block) DecimalDigits{0, 0, 0, 0, 0, static_cast<std::int32_t>(sizeClass), buffer};
}

DecimalDigits* NewResultDigits(QBase::Buffer* buffer, std::size_t limbs) {
  std::size_t const bytes = kDigitsOffset + sizeof(DecimalDigits) + limbs * sizeof(Limb);
  void* const block = AllocateBlock(bytes, buffer, kDigitsLive);
  if (block == nullptr) throw std::bad_alloc();
  return ::new (static_cast<char*>(block) + kDigitsOffset) DecimalDigits{0, 0, 0, 0, 1, 0, buffer};
}

void FreeDigits(DecimalDigits* digits) noexcept {
  if (digits == nullptr || digits->buffer != nullptr) return;
  if (digits->embedded == 0) {
    FreeHeapBlock(digits, static_cast<std::uint32_t>(digits->sizeClass));
    return;
  }
  ObjectHeader* const header = HeaderOf(ObjectSlotOf(digits));
  if (header->live.fetch_and(~kDigitsLive, std::memory_order_acq_rel) == kDigitsLive) FreeBlock(header);
}

}  // namespace decimal

// ---------------------------------------------------------------------------
// BigDecimalException

BigDecimalException::BigDecimalException() = default;
BigDecimalException::BigDecimalException(BigDecimalException const& other) = default;
BigDecimalException& BigDecimalException::operator=(BigDecimalException const& other) = default;
BigDecimalException::~BigDecimalException() = default;

// ---------------------------------------------------------------------------
// Placement

void* BigDecimal::operator new(std::size_t size, QBase::Buffer* buffer) noexcept {
  if (size > SIZE_MAX - kObjectHeader) return nullptr;
  void* const block = AllocateBlock(size + kObjectHeader, buffer, kObjectLive);
  if (block == nullptr) return nullptr;
  return static_cast<char*>(block) + kObjectHeader;
}

void* BigDecimal::operator new(std::size_t size) {
  void* const p = operator new(size, static_cast<QBase::Buffer*>(nullptr));
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* BigDecimal::operator new(std::size_t size, std::nothrow_t const&) noexcept {
  return operator new(size, static_cast<QBase::Buffer*>(nullptr));
}

void BigDecimal::operator delete(void* p) noexcept {
  if (p == nullptr) return;
  ObjectHeader* const header = HeaderOf(p);
  if (header->buffer != nullptr) return;  // arena storage stays with the arena
  // Free the block unless the digits it holds now belong to another object.
  if (header->live.load(std::memory_order_acquire) == kObjectLive ||
      header->live.fetch_and(~kObjectLive, std::memory_order_acq_rel) == kObjectLive) {
    FreeBlock(header);
  }
}

void BigDecimal::operator delete(void* p, std::nothrow_t const&) noexcept { operator delete(p); }
void BigDecimal::operator delete(void* p, QBase::Buffer*) noexcept { operator delete(p); }

// ---------------------------------------------------------------------------
// Construction

BigDecimal::BigDecimal(QBase::Buffer* buffer) : scale_(-1), buffer_(buffer), digits_(nullptr) {}

BigDecimal::BigDecimal(unsigned short const* text, QBase::Buffer* buffer)
    : scale_(-1), buffer_(buffer), digits_(nullptr) {
  QBase::ReturnString const narrow = QBase::WideCharToMultiByte(text, false);
  _StrToBigDecimal(narrow.GetString());
}

BigDecimal::BigDecimal(int value, QBase::Buffer* buffer) : scale_(0), buffer_(buffer), digits_(nullptr) {
  // What parsing its "%d" text gives: the digits of |value| at scale 0; "0"
  // begins with one '0', counted without a Buffer.
  Limb const m = value < 0 ? Limb{0} - static_cast<Limb>(value) : static_cast<Limb>(value);
  digits_ = decimal::PackInline(value < 0 ? -1 : 1, m, value == 0 && buffer == nullptr ? 1 : 0);
}

BigDecimal::BigDecimal(long long value, QBase::Buffer* buffer) : scale_(0), buffer_(buffer), digits_(nullptr) {
  Limb const m = value < 0 ? Limb{0} - static_cast<Limb>(value) : static_cast<Limb>(value);
  if (m < decimal::kBase) {
    digits_ = decimal::PackInline(value < 0 ? -1 : 1, m, value == 0 && buffer == nullptr ? 1 : 0);
    return;
  }
  char text[24];
  int const n = std::snprintf(text, sizeof text, "%lld", value);
  _StrToBigDecimal(text, static_cast<std::size_t>(n));
}

BigDecimal::BigDecimal(unsigned long long value, QBase::Buffer* buffer)
    : scale_(0), buffer_(buffer), digits_(nullptr) {
  if (value < decimal::kBase) {
    digits_ = decimal::PackInline(1, value, value == 0 && buffer == nullptr ? 1 : 0);
    return;
  }
  char text[24];
  int const n = std::snprintf(text, sizeof text, "%llu", value);
  _StrToBigDecimal(text, static_cast<std::size_t>(n));
}

BigDecimal::BigDecimal(std::string_view text, QBase::Buffer* buffer) : scale_(-1), buffer_(buffer), digits_(nullptr) {
  _StrToBigDecimal(text.data(), text.size());
}

BigDecimal::BigDecimal(double value, QBase::Buffer* buffer) : scale_(-1), buffer_(buffer), digits_(nullptr) {
  char const separator = Platform::CurrentDecimalSeparator();
  char text[320];  // "%f" of any finite double fits in 318
  std::snprintf(text, sizeof text, "%f", value);
  if (separator != '.' && separator != '\0' && !(separator >= '0' && separator <= '9') && text[0] != '\0') {
    if (char* const p = std::strchr(text, separator)) *p = '.';
  }
  _StrToBigDecimal(text);
}

BigDecimal::BigDecimal(BigDecimal const& other, QBase::Buffer* buffer)
    : scale_(-1), buffer_(buffer), digits_(nullptr) {
  *this = other;
}

BigDecimal::BigDecimal(BigDecimal const& other) : scale_(-1), buffer_(nullptr), digits_(nullptr) { *this = other; }

void BigDecimal::_ReleaseDigits() noexcept {
  DecimalDigits* const d = AsDigits(digits_);
  if (d->embedded != 0 && ObjectSlotOf(d) == reinterpret_cast<char*>(this)) {
    // The digits share this object's block and go with it.
    HeaderOf(this)->live.store(kObjectLive, std::memory_order_relaxed);
  } else {
    decimal::FreeDigits(d);
  }
  digits_ = nullptr;
}

BigDecimal& BigDecimal::operator=(BigDecimal const& other) {
  if (!IsEmpty()) ThrowDecimal("Cannot change BigDecimal value after it is initialized");
  if (other.scale_ >= 0 && decimal::IsInline(other.digits_)) {
    digits_ = other.digits_;  // a small value takes no storage
  } else if (other.scale_ >= 0) {
    DecimalDigits const* const from = AsDigits(other.digits_);
    DecimalDigits* const to = decimal::NewDigits(buffer_, static_cast<std::size_t>(from->size));
    to->sign = from->sign;
    to->count = from->count;
    to->leadingZeros = from->leadingZeros;
    to->size = from->size;
    std::copy(from->Limbs(), from->Limbs() + from->size, to->Limbs());
    digits_ = to;
  }
  scale_ = other.scale_;
  return *this;
}

void BigDecimal::swap(BigDecimal& other) noexcept {
  std::swap(scale_, other.scale_);
  std::swap(buffer_, other.buffer_);
  std::swap(digits_, other.digits_);
}

BigDecimal* BigDecimal::CreateBigDecimal(void* digits, int scale, QBase::Buffer* buffer) {
  DecimalDigits* const d = AsDigits(digits);
  BigDecimal* p;
  if (d->embedded != 0) {
    // The block made for the result has the object's slot in front.
    char* const slot = ObjectSlotOf(d);
    p = ::new (static_cast<void*>(slot)) BigDecimal(buffer);
    HeaderOf(slot)->live.store(kObjectLive | kDigitsLive, std::memory_order_relaxed);
  } else {
    p = new (buffer) BigDecimal(buffer);
    if (p == nullptr) {
      decimal::FreeDigits(d);
      throw std::bad_alloc();
    }
  }
  p->digits_ = digits;
  p->scale_ = scale;
  return p;
}

// ---------------------------------------------------------------------------
// Parsing

char const* BigDecimal::_FindChr(char const* begin, char const* end, char c) noexcept {
  if (begin >= end) return nullptr;
  return static_cast<char const*>(std::memchr(begin, c, static_cast<std::size_t>(end - begin)));
}

bool BigDecimal::_CheckDigits(char const* first, char const* last, bool& allZeros, char allowed) noexcept {
  allZeros = true;
  bool seen = false;
  for (char const* p = first; p <= last; ++p) {
    unsigned const digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit < 10) {
      if (digit != 0) allZeros = false;
    } else if (allowed != '\0' && *p == allowed && !seen) {
      seen = true;
    } else {
      return false;
    }
  }
  return true;
}

void BigDecimal::_StrToBigDecimal(char const* text) {
  _CreateInvalidBigDecimal();
  if (text == nullptr) return;
  _StrToBigDecimal(text, std::strlen(text));
}

void BigDecimal::_StrToBigDecimal(char const* text, std::size_t length) {
  _CreateInvalidBigDecimal();
  if (length == 0) return;
  char const* p = text;
  char const* const end = text + length;

  int sign = 1;
  if (*p == '+') {
    ++p;
    if (p == end || *p == '-') return;
  } else if (*p == '-') {
    sign = -1;
    ++p;
    if (p == end) return;
  }
  char const* const body = p;
  int shortScale;
#if QDT_DECIMAL_SSE2
  std::size_t const n = static_cast<std::size_t>(end - body);
  if (n <= 32) {
    if (void* const digits = n <= 16 ? ParseText16(body, n, sign, buffer_, shortScale)
                                     : ParseText32(body, n, sign, buffer_, shortScale)) {
      digits_ = digits;
      scale_ = shortScale;
      return;
    }
  }
#endif
  if (void* const digits = ParseShort(text, body, end, sign, buffer_, shortScale)) {
    digits_ = digits;
    scale_ = shortScale;
    return;
  }
  char const* const last = end - 1;
  char const* mantissaEnd = end;
  char const* point = nullptr;
  std::int64_t exponent = 0;
  bool allZeros;

  bool nonZero = false;
  char const* const stop = SkipDigits(body, end, text, nonZero);
  if (stop == end || (*stop == '.' && SkipDigits(stop + 1, end, text, nonZero) == end)) {
    // Digits with at most one point: checked in the one pass just made.
    if (stop != end) point = stop;
    allZeros = !nonZero;
  } else {
    // Exponent: the first 'e' before the last character, else the first 'E'.
    if (end - body > 1) {
      char const* marker = _FindChr(body, last, 'e');
      if (marker == nullptr) marker = _FindChr(body, last, 'E');
      if (marker != nullptr) {
        if (marker == body) return;
        char const* q = marker + 1;
        if (*q == '+') {
          ++q;
          if (q == end || *q == '-') return;
        }
        bool negative = false;
        if (*q == '-') {
          negative = true;
          ++q;
        }
        bool ignored;
        if (q == end || !_CheckDigits(q, last, ignored, '\0')) return;
        exponent = ReadExponent(q, end);
        if (negative) exponent = -exponent;
        mantissaEnd = marker;
      }
    }
    if (!_CheckDigits(body, mantissaEnd - 1, allZeros, '.')) return;
    point = _FindChr(body, mantissaEnd, '.');
  }
  std::int64_t const mantissaDigits = (mantissaEnd - body) - (point != nullptr ? 1 : 0);
  if (mantissaDigits > kLimit) return;

  char const* start = body;  // after the leading '0' characters
  while (start < mantissaEnd && *start == '0') ++start;
  std::int32_t const leadingZeros = buffer_ == nullptr ? static_cast<std::int32_t>(start - body) : 0;

  if (allZeros) {
    if (leadingZeros <= decimal::kInlineLeadingZeros) {
      digits_ = decimal::PackInline(0, 0, leadingZeros);
    } else {
      DecimalDigits* const zero = decimal::NewDigits(buffer_, 0);
      zero->leadingZeros = leadingZeros;
      digits_ = zero;
    }
    scale_ = 0;
    return;
  }

  std::int64_t const fraction = point != nullptr ? mantissaEnd - point - 1 : 0;
  std::int64_t scale = fraction - exponent;
  if (scale > kMaxScale) return;
  std::int64_t const trailing = scale < 0 ? -scale : 0;
  if (scale < 0) scale = 0;
  if (mantissaDigits + trailing > kLimit) return;
  std::int64_t const count = (mantissaEnd - start) - (point != nullptr ? 1 : 0) + trailing;

  // The significant digits begin at the first non-zero digit; those before
  // it (zeros after the point) are counted in `count` only.
  char const* first = start;
  if (*first == '.') {
    ++first;
    while (*first == '0') ++first;
  }
  char const* s1 = first;
  std::size_t n1, n2 = 0;
  char const* s2 = nullptr;
  if (point != nullptr && point > first) {
    n1 = static_cast<std::size_t>(point - first);
    s2 = point + 1;
    n2 = static_cast<std::size_t>(mantissaEnd - s2);
  } else {
    n1 = static_cast<std::size_t>(mantissaEnd - first);
  }
  std::int64_t const zeros = trailing;
  std::int64_t const total = static_cast<std::int64_t>(n1 + n2) + zeros;
  std::size_t const limbs = static_cast<std::size_t>((total + kLimbDigits - 1) / kLimbDigits);

  char const* const readable = end + 1;  // the terminator may be read too
  if (limbs == 1) {
    Limb m;
    DigitsToLimbs(&m, s1, n1, s2, n2, zeros, text, readable);
    if (decimal::FitsInline(m, count, leadingZeros)) {
      digits_ = decimal::PackInline(sign, m, leadingZeros);
      scale_ = static_cast<int>(scale);
      return;
    }
  }
  DecimalDigits* const d = decimal::NewDigits(buffer_, limbs);
  std::size_t const used = DigitsToLimbs(d->Limbs(), s1, n1, s2, n2, zeros, text, readable);
  d->sign = sign;
  d->count = static_cast<std::int32_t>(count);
  d->leadingZeros = leadingZeros;
  d->size = static_cast<std::int32_t>(used);
  digits_ = d;
  scale_ = static_cast<int>(scale);
}

// ---------------------------------------------------------------------------
// Reading

void BigDecimal::CheckValid() const {
  if (scale_ < 0) ThrowInvalid();
}

int BigDecimal::Signum() const {
  CheckValid();
  if (decimal::IsInline(digits_)) return decimal::InlineSign(digits_);
  return AsDigits(digits_)->sign;
}

int BigDecimal::Precision() const {
  CheckValid();
  DigitsView const d(digits_);
  return d->leadingZeros + d->count;
}

// ---------------------------------------------------------------------------
// Arithmetic and comparison

BigDecimal::Ptr BigDecimal::operator+(BigDecimal const& b) const {
  CheckValid();
  b.CheckValid();
  std::int64_t const s = std::max(scale_, b.scale_);
  DigitsPtr r;
  if (decimal::IsInline(digits_) && decimal::IsInline(b.digits_)) {
    r = AddInline(digits_, scale_, b.digits_, decimal::InlineSign(b.digits_), b.scale_, buffer_);
  }
  if (!r) {
    DigitsView const x(digits_), y(b.digits_);
    r = AddSigned(x.get(), scale_, y.get(), y->sign, b.scale_, s, buffer_);
  }
  return Ptr(CreateBigDecimal(r.release(), static_cast<int>(s), buffer_));
}

BigDecimal::Ptr BigDecimal::operator-(BigDecimal const& b) const {
  CheckValid();
  b.CheckValid();
  std::int64_t const s = std::max(scale_, b.scale_);
  DigitsPtr r;
  if (decimal::IsInline(digits_) && decimal::IsInline(b.digits_)) {
    r = AddInline(digits_, scale_, b.digits_, -decimal::InlineSign(b.digits_), b.scale_, buffer_);
  }
  if (!r) {
    DigitsView const x(digits_), y(b.digits_);
    r = AddSigned(x.get(), scale_, y.get(), -y->sign, b.scale_, s, buffer_);
  }
  return Ptr(CreateBigDecimal(r.release(), static_cast<int>(s), buffer_));
}

BigDecimal::Ptr BigDecimal::operator*(BigDecimal const& b) const {
  CheckValid();
  b.CheckValid();
  std::int64_t const s = std::int64_t{scale_} + b.scale_;
  if (s > kMaxScale) {
    throw std::length_error("BigDecimal: the product's scale would exceed 2147483647");
  }
  DigitsPtr r;
  if (decimal::IsInline(digits_) && decimal::IsInline(b.digits_)) {
    r = MultiplyInline(digits_, b.digits_, buffer_);
  } else {
    DigitsView const x(digits_), y(b.digits_);
    r = Multiply(x.get(), y.get(), buffer_);
  }
  return Ptr(CreateBigDecimal(r.release(), static_cast<int>(s), buffer_));
}

BigDecimal::Ptr BigDecimal::operator/(BigDecimal const& b) const { return Divide(b, -1); }

BigDecimal::Ptr BigDecimal::Divide(BigDecimal const& b, int scale) const {
  CheckValid();
  b.CheckValid();
  if (scale < -1) ThrowDecimal("Invalid scale request");
  int const s = scale == -1 ? scale_ : scale;
  DigitsPtr r;
  if (decimal::IsInline(digits_) && decimal::IsInline(b.digits_)) {
    if (decimal::InlineSign(b.digits_) == 0) ThrowDecimal("Divide by Zero");
    r = DivideInline(digits_, b.digits_, std::int64_t{s} - scale_ + b.scale_, buffer_);
  }
  if (!r) {
    DigitsView const x(digits_), y(b.digits_);
    if (y->sign == 0) ThrowDecimal("Divide by Zero");
    r = DivideDigits(x.get(), scale_, y.get(), b.scale_, s, buffer_);
  }
  return Ptr(CreateBigDecimal(r.release(), s, buffer_));
}

int BigDecimal::CompareTo(BigDecimal const& b) const {
  CheckValid();
  b.CheckValid();
  DigitsView const x(digits_), y(b.digits_);
  int const ga = x->sign;
  int const gb = y->sign;
  if (ga > 0 && gb < 0) return 1;
  if (ga < 0 && gb > 0) return -1;
  if (ga == 0) return -gb;
  if (gb == 0) return ga;
  int const c = CompareMagnitudes(x.get(), scale_, y.get(), b.scale_);
  return ga < 0 ? -c : c;
}

// ---------------------------------------------------------------------------
// Text

QBase::ReturnString BigDecimal::ToString() const {
  CheckValid();
  return PrintValue(digits_, scale_,
                    [](char const* text, std::size_t n, char const*) { return QBase::ReturnString(text, n); });
}

QBase::ReturnWString BigDecimal::ToWString() const {
  CheckValid();
  return PrintValue(digits_, scale_, [](char const* text, std::size_t n, char const*) { return Widen(text, n); });
}

QBase::ReturnWString BigDecimal::ToWString(unsigned long locale) const {
  CheckValid();
  unsigned short const separator = Platform::DecimalSeparatorForLCID(locale);
  return PrintValue(digits_, scale_, [separator](char const* text, std::size_t n, char const* point) {
    return Widen(text, n, point, separator);
  });
}

QBase::ReturnWString BigDecimal::MantissaToWString() const {
  CheckValid();
  static unsigned short const kEmpty[1] = {0};
  return QBase::ReturnWString(kEmpty, 0);
}

QBase::ReturnString BigDecimal::GetIntegerDigits() const {
  CheckValid();
  DigitsView const d(digits_);
  if (d->sign == 0) return QBase::ReturnString("0", 1);
  // The leading zeros, then the digit text's first count - scale
  // characters: what the decimal text has before its point when there are
  // such characters.
  std::int64_t const lz = d->leadingZeros;
  if (d->count > std::int64_t{scale_}) {
    CheckPrintable(scale_);
    ValueText const text(d.get(), scale_);
    std::size_t const sign = d->sign < 0 ? 1 : 0;
    char const* const point = text.Point();
    std::size_t const end = point != nullptr ? static_cast<std::size_t>(point - text.Get()) : text.Length();
    return QBase::ReturnString(text.Get() + sign, end - sign);
  }
  if (lz == 0) return QBase::ReturnString("0", 1);
  TextBuffer<char> zeros(static_cast<std::size_t>(lz));
  std::memset(zeros.Get(), '0', static_cast<std::size_t>(lz));
  return QBase::ReturnString(zeros.Get(), static_cast<std::size_t>(lz));
}

QBase::ReturnString BigDecimal::GetFractionDigits() const {
  CheckValid();
  DigitsView const d(digits_);
  if (d->sign == 0) return QBase::ReturnString("0", 1);
  CheckPrintable(scale_);
  // Exactly `scale` characters: what the decimal text has after its point
  // (the digit text's last ones, or all of it behind zeros when it is
  // shorter).
  if (scale_ == 0) return QBase::ReturnString("", 0);
  ValueText const text(d.get(), scale_);
  return QBase::ReturnString(text.Point() + 1, static_cast<std::size_t>(scale_));
}

// ---------------------------------------------------------------------------
// The non-const forms of the members that read the value (kept for callers
// built against them): each is its const form.

BigDecimal::Ptr BigDecimal::operator+(BigDecimal const& b) { return std::as_const(*this) + b; }
BigDecimal::Ptr BigDecimal::operator-(BigDecimal const& b) { return std::as_const(*this) - b; }
BigDecimal::Ptr BigDecimal::operator*(BigDecimal const& b) { return std::as_const(*this) * b; }
BigDecimal::Ptr BigDecimal::operator/(BigDecimal const& b) { return std::as_const(*this) / b; }
BigDecimal::Ptr BigDecimal::Divide(BigDecimal const& b, int scale) { return std::as_const(*this).Divide(b, scale); }
QBase::ReturnString BigDecimal::ToString() { return std::as_const(*this).ToString(); }
QBase::ReturnWString BigDecimal::ToWString() { return std::as_const(*this).ToWString(); }
QBase::ReturnWString BigDecimal::ToWString(unsigned long locale) { return std::as_const(*this).ToWString(locale); }
QBase::ReturnWString BigDecimal::MantissaToWString() { return std::as_const(*this).MantissaToWString(); }
QBase::ReturnString BigDecimal::GetIntegerDigits() { return std::as_const(*this).GetIntegerDigits(); }
QBase::ReturnString BigDecimal::GetFractionDigits() { return std::as_const(*this).GetFractionDigits(); }

// ---------------------------------------------------------------------------
// Numbers out and hashing

namespace {

// Digit k of M (0 = units), read from its limbs.
unsigned DigitOf(DecimalDigits const* d, std::int64_t k) noexcept {
  Limb const limb = d->Limbs()[k / kLimbDigits];
  Limb p = 1;
  for (std::int64_t i = k % kLimbDigits; i > 0; --i) p *= 10;
  return static_cast<unsigned>(limb / p % 10);
}

}  // namespace

bool BigDecimal::ToInt64(long long& out) const noexcept {
  if (scale_ < 0) return false;
  DigitsView const d(digits_);
  if (d->sign == 0) {
    out = 0;
    return true;
  }
  std::int64_t const n = SignificantDigits(d.get());
  if (n <= scale_ || n - scale_ > 19) return false;  // a fraction only, or 10^19 and more
  for (std::int64_t k = 0; k < scale_; ++k) {
    if (DigitOf(d.get(), k) != 0) return false;  // a fraction digit
  }
  std::uint64_t m = 0;
  for (std::int64_t k = n - 1; k >= scale_; --k) {
    std::uint64_t const digit = DigitOf(d.get(), k);
    if (m > (UINT64_MAX - digit) / 10) return false;
    m = m * 10 + digit;
  }
  if (d->sign > 0) {
    if (m > static_cast<std::uint64_t>(INT64_MAX)) return false;
    out = static_cast<long long>(m);
  } else {
    if (m > static_cast<std::uint64_t>(INT64_MAX) + 1) return false;
    out = static_cast<long long>(0 - m);  // two's complement: -2^63 included
  }
  return true;
}

double BigDecimal::ToDouble() const noexcept {
  if (scale_ < 0) return std::numeric_limits<double>::quiet_NaN();
  DigitsView const d(digits_);
  if (d->sign == 0) return 0.0;
  // strtod of "[-]DDDe<x>" rounds correctly; the value needs no more than
  // its first 800 significant digits and whether any later one is not 0
  // (a double's exact decimal expansion has at most 767 of them), so the
  // rest is folded into one sticky '1'.
  constexpr std::int64_t kKeep = 800;
  char text[kKeep + 40];
  char* p = text;
  if (d->sign < 0) *p++ = '-';
  std::int64_t const n = SignificantDigits(d.get());
  std::int64_t const keep = std::min(n, kKeep);
  for (std::int64_t k = n - 1; k >= n - keep; --k) *p++ = static_cast<char>('0' + DigitOf(d.get(), k));
  std::int64_t exponent = n - keep - std::int64_t{scale_};
  for (std::int64_t k = n - keep - 1; k >= 0; --k) {
    if (DigitOf(d.get(), k) != 0) {
      *p++ = '1';
      --exponent;
      break;
    }
  }
  std::snprintf(p, static_cast<std::size_t>(text + sizeof text - p), "e%lld", static_cast<long long>(exponent));
  return std::strtod(text, nullptr);
}

std::size_t BigDecimal::Hash() const noexcept {
  // Equal values hash equal whatever their scales: the hash is that of M
  // with its trailing zeros removed and of the value's magnitude, the
  // position of its leading digit relative to the point.
  if (scale_ < 0) return static_cast<std::size_t>(0x9E3779B97F4A7C15ull ^ static_cast<unsigned>(scale_));
  DigitsView const d(digits_);
  if (d->sign == 0) return 0;
  std::int64_t const n = SignificantDigits(d.get());
  std::int64_t low = 0;
  while (DigitOf(d.get(), low) == 0) ++low;
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a over the digits, then the magnitude and sign
  auto mix = [&h](std::uint64_t v) {
    h ^= v;
    h *= 1099511628211ull;
  };
  for (std::int64_t k = n - 1; k >= low; --k) mix(DigitOf(d.get(), k));
  mix(static_cast<std::uint64_t>(n - std::int64_t{scale_}));
  mix(d->sign > 0 ? 1 : 2);
  return static_cast<std::size_t>(h ^ (h >> 29));
}

}  // namespace QDataType
