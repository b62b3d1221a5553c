#include "DataType/Decimal/BigDecimal.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "DataType/Decimal/internal/DecimalDigits.h"
#include "DataType/Decimal/internal/Limbs.h"
#include "Platform/Locale.h"

namespace QDataType {

using decimal::DecimalDigits;
using decimal::kLimbDigits;
using decimal::Limb;
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
  ObjectHeader(QBase::Buffer* b, std::uint32_t l) noexcept : buffer(b), live(l) {}
  QBase::Buffer* buffer;
  std::atomic<std::uint32_t> live;
};
constexpr std::uint32_t kObjectLive = 1;
constexpr std::uint32_t kDigitsLive = 2;
constexpr std::size_t kObjectHeader = alignof(std::max_align_t);
constexpr std::size_t kDigitsOffset = kObjectHeader + (sizeof(BigDecimal) + 7) / 8 * 8;
static_assert(sizeof(ObjectHeader) <= kObjectHeader, "header fits in front of the object");

// Blocks that begin with an ObjectHeader come from the arena, or straight
// from malloc (one call each way on a result's road).
void* AllocateBlock(std::size_t bytes, QBase::Buffer* buffer) noexcept {
  return buffer == nullptr ? std::malloc(bytes) : ::operator new(bytes, buffer);
}
void FreeBlock(ObjectHeader* header) noexcept { std::free(header); }

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
// digit other than '0' was passed. Eight characters at a time while they are
// all digits.
char const* SkipDigits(char const* p, char const* end, bool& nonZero) noexcept {
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
  while (end - p >= 8) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    // Each byte in '0'..'9': its high nibble is 3, and so is that of byte + 6.
    if (((x & kHigh) | (((x + 0x0606060606060606ull) & kHigh) >> 4)) != 0x3333333333333333ull) break;
    if (x != 0x3030303030303030ull) nonZero = true;
    p += 8;
  }
  for (; p < end; ++p) {
    unsigned const digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit >= 10) break;
    if (digit != 0) nonZero = true;
  }
  return p;
}

// Limbs of the digit string s1 s2 followed by `zeros` zeros, least
// significant first; returns the number written.
std::size_t DigitsToLimbs(Limb* out, char const* s1, std::size_t n1, char const* s2, std::size_t n2,
                          std::int64_t zeros) noexcept {
  std::size_t k = 0;
  for (std::int64_t z = zeros / kLimbDigits; z > 0; --z) out[k++] = 0;
  std::size_t const rest = static_cast<std::size_t>(zeros % kLimbDigits);
  std::size_t const total = n1 + n2 + rest;
  auto at = [&](std::size_t i) -> char { return i < n1 ? s1[i] : i < n1 + n2 ? s2[i - n1] : '0'; };
  std::size_t end = total;
  while (end > 0) {
    std::size_t const width = std::min<std::size_t>(kLimbDigits, end);
    std::size_t const begin = end - width;
    Limb v;
    if (end <= n1) {
      v = decimal::ParseDigits(s1 + begin, static_cast<int>(width));
    } else if (begin >= n1 && end <= n1 + n2) {
      v = decimal::ParseDigits(s2 + (begin - n1), static_cast<int>(width));
    } else {
      v = 0;
      for (std::size_t i = begin; i < end; ++i) v = v * 10 + static_cast<Limb>(at(i) - '0');
    }
    out[k++] = v;
    end = begin;
  }
  return k;
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
  Limb const* xl = x->Limbs();
  std::size_t m = nx;
  if (k != 0) {
    m = decimal::Normalized(out, decimal::ShiftUpDigits(out, xl, nx, k));
    xl = out;
  }
  std::size_t used;
  int sign;
  if (ga == gb) {
    sign = ga;
    if (m >= ny) {
      Limb const carry = decimal::AddN(out, xl, yl, ny);
      out[m] = decimal::AddCarry(out + ny, xl + ny, m - ny, carry);
      used = m + 1;
    } else {
      Limb const carry = decimal::AddN(out, xl, yl, m);
      out[ny] = decimal::AddCarry(out + m, yl + m, ny - m, carry);
      used = ny + 1;
    }
  } else if ((c > 0) == (x == a)) {
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

// The digit text: `count` characters, M right-aligned behind zeros.
char* WriteDigitText(char* out, DecimalDigits const* d) noexcept {
  std::int64_t const significant = SignificantDigits(d);
  out = std::fill_n(out, d->count - significant, '0');
  if (significant > 0) {
    Limb const* const limbs = d->Limbs();
    std::int32_t i = d->size - 1;
    out += decimal::WriteDigits(out, limbs[i]);
    for (--i; i >= 0; --i, out += kLimbDigits) decimal::WriteLimb(out, limbs[i]);
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

// Writes the decimal text of a non-zero value (TextLength characters).
// Sets *point to the position of the '.', or to null when there is none.
char* WriteText(char* out, DecimalDigits const* d, std::int64_t s, char** point) noexcept {
  std::int64_t const c = d->count;
  if (d->sign < 0) *out++ = '-';
  if (c < s) {
    // Shorter than the scale: "0." and zeros in front of the digit text.
    *out++ = '0';
    *point = out;
    *out++ = '.';
    out = std::fill_n(out, s - c, '0');
    return WriteDigitText(out, d);
  }
  out = std::fill_n(out, d->leadingZeros, '0');
  if (c == s && d->leadingZeros == 0) *out++ = '0';
  char* const digits = out;
  out = WriteDigitText(out, d);
  *point = nullptr;
  if (s > 0) {
    char* const at = digits + (c - s);
    std::memmove(at + 1, at, static_cast<std::size_t>(s));
    *at = '.';
    *point = at;
    ++out;
  }
  return out;
}

void CheckPrintable(std::int64_t s) {
  if (s > kLimit) ThrowTooLong();
}

// Prints a value (zero as "0") and hands the narrow text, its length and
// where its point stands (null when it has none) to `take`.
template <class Take>
auto PrintValue(DecimalDigits const* d, std::int64_t scale, Take take) {
  if (d->sign == 0) return take("0", std::size_t{1}, nullptr);
  CheckPrintable(scale);
  TextBuffer<char> text(TextLength(d, scale));
  char* point = nullptr;
  char* const end = WriteText(text.Get(), d, scale, &point);
  return take(text.Get(), static_cast<std::size_t>(end - text.Get()), point);
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
  void* const block = ::operator new[](bytes, buffer);
  if (block == nullptr) throw std::bad_alloc();
  return ::new (block) DecimalDigits{0, 0, 0, 0, 0, 0, buffer};
}

DecimalDigits* NewResultDigits(QBase::Buffer* buffer, std::size_t limbs) {
  std::size_t const bytes = kDigitsOffset + sizeof(DecimalDigits) + limbs * sizeof(Limb);
  void* const block = AllocateBlock(bytes, buffer);
  if (block == nullptr) throw std::bad_alloc();
  ::new (block) ObjectHeader(buffer, kDigitsLive);
  return ::new (static_cast<char*>(block) + kDigitsOffset) DecimalDigits{0, 0, 0, 0, 1, 0, buffer};
}

void FreeDigits(DecimalDigits* digits) noexcept {
  if (digits == nullptr || digits->buffer != nullptr) return;
  if (digits->embedded == 0) {
    ::operator delete[](static_cast<void*>(digits), static_cast<QBase::Buffer*>(nullptr));
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
  void* const block = AllocateBlock(size + kObjectHeader, buffer);
  if (block == nullptr) return nullptr;
  ::new (block) ObjectHeader(buffer, kObjectLive);
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

BigDecimal::BigDecimal(char const* text, QBase::Buffer* buffer) : scale_(-1), buffer_(buffer), digits_(nullptr) {
  _StrToBigDecimal(text);
}

BigDecimal::BigDecimal(unsigned short const* text, QBase::Buffer* buffer)
    : scale_(-1), buffer_(buffer), digits_(nullptr) {
  QBase::ReturnString const narrow = QBase::WideCharToMultiByte(text, false);
  _StrToBigDecimal(narrow.GetString());
}

BigDecimal::BigDecimal(int value, QBase::Buffer* buffer) : scale_(-1), buffer_(buffer), digits_(nullptr) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  _StrToBigDecimal(text);
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

BigDecimal::~BigDecimal() {
  if (buffer_ == nullptr && digits_ != nullptr) {
    DecimalDigits* const d = AsDigits(digits_);
    if (d->embedded != 0 && ObjectSlotOf(d) == reinterpret_cast<char*>(this)) {
      // The digits share this object's block and go with it.
      HeaderOf(this)->live.store(kObjectLive, std::memory_order_relaxed);
    } else {
      decimal::FreeDigits(d);
    }
    digits_ = nullptr;
  }
}

BigDecimal& BigDecimal::operator=(BigDecimal const& other) {
  if (!IsEmpty()) ThrowDecimal("Cannot change BigDecimal value after it is initialized");
  if (other.scale_ >= 0) {
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
  std::size_t const length = std::strlen(text);
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
  char const* const last = end - 1;
  char const* mantissaEnd = end;
  char const* point = nullptr;
  std::int64_t exponent = 0;
  bool allZeros;

  bool nonZero = false;
  char const* const stop = SkipDigits(body, end, nonZero);
  if (stop == end || (*stop == '.' && SkipDigits(stop + 1, end, nonZero) == end)) {
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
    DecimalDigits* const zero = decimal::NewDigits(buffer_, 0);
    zero->leadingZeros = leadingZeros;
    digits_ = zero;
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

  DecimalDigits* const d = decimal::NewDigits(buffer_, limbs);
  std::size_t const used = DigitsToLimbs(d->Limbs(), s1, n1, s2, n2, zeros);
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
  return AsDigits(digits_)->sign;
}

int BigDecimal::Precision() const {
  CheckValid();
  DecimalDigits const* const d = AsDigits(digits_);
  return d->leadingZeros + d->count;
}

// ---------------------------------------------------------------------------
// Arithmetic and comparison

BigDecimal::Ptr BigDecimal::operator+(BigDecimal const& b) {
  CheckValid();
  b.CheckValid();
  DecimalDigits const* const y = AsDigits(b.digits_);
  std::int64_t const s = std::max(scale_, b.scale_);
  DigitsPtr r = AddSigned(AsDigits(digits_), scale_, y, y->sign, b.scale_, s, buffer_);
  return Ptr(CreateBigDecimal(r.release(), static_cast<int>(s), buffer_));
}

BigDecimal::Ptr BigDecimal::operator-(BigDecimal const& b) {
  CheckValid();
  b.CheckValid();
  DecimalDigits const* const y = AsDigits(b.digits_);
  std::int64_t const s = std::max(scale_, b.scale_);
  DigitsPtr r = AddSigned(AsDigits(digits_), scale_, y, -y->sign, b.scale_, s, buffer_);
  return Ptr(CreateBigDecimal(r.release(), static_cast<int>(s), buffer_));
}

BigDecimal::Ptr BigDecimal::operator*(BigDecimal const& b) {
  CheckValid();
  b.CheckValid();
  std::int64_t const s = std::int64_t{scale_} + b.scale_;
  if (s > kMaxScale) {
    throw std::length_error("BigDecimal: the product's scale would exceed 2147483647");
  }
  DigitsPtr r = Multiply(AsDigits(digits_), AsDigits(b.digits_), buffer_);
  return Ptr(CreateBigDecimal(r.release(), static_cast<int>(s), buffer_));
}

BigDecimal::Ptr BigDecimal::operator/(BigDecimal const& b) { return Divide(b, -1); }

BigDecimal::Ptr BigDecimal::Divide(BigDecimal const& b, int scale) {
  CheckValid();
  b.CheckValid();
  if (scale < -1) ThrowDecimal("Invalid scale request");
  if (AsDigits(b.digits_)->sign == 0) ThrowDecimal("Divide by Zero");
  int const s = scale == -1 ? scale_ : scale;
  DigitsPtr r = DivideDigits(AsDigits(digits_), scale_, AsDigits(b.digits_), b.scale_, s, buffer_);
  return Ptr(CreateBigDecimal(r.release(), s, buffer_));
}

int BigDecimal::CompareTo(BigDecimal const& b) const {
  CheckValid();
  b.CheckValid();
  DecimalDigits const* const x = AsDigits(digits_);
  DecimalDigits const* const y = AsDigits(b.digits_);
  int const ga = x->sign;
  int const gb = y->sign;
  if (ga > 0 && gb < 0) return 1;
  if (ga < 0 && gb > 0) return -1;
  if (ga == 0) return -gb;
  if (gb == 0) return ga;
  int const c = CompareMagnitudes(x, scale_, y, b.scale_);
  return ga < 0 ? -c : c;
}

// ---------------------------------------------------------------------------
// Text

QBase::ReturnString BigDecimal::ToString() {
  CheckValid();
  return PrintValue(AsDigits(digits_), scale_,
                    [](char const* text, std::size_t n, char const*) { return QBase::ReturnString(text, n); });
}

QBase::ReturnWString BigDecimal::ToWString() {
  CheckValid();
  return PrintValue(AsDigits(digits_), scale_,
                    [](char const* text, std::size_t n, char const*) { return Widen(text, n); });
}

QBase::ReturnWString BigDecimal::ToWString(unsigned long locale) {
  CheckValid();
  unsigned short const separator = Platform::DecimalSeparatorForLCID(locale);
  return PrintValue(AsDigits(digits_), scale_, [separator](char const* text, std::size_t n, char const* point) {
    return Widen(text, n, point, separator);
  });
}

QBase::ReturnWString BigDecimal::MantissaToWString() {
  CheckValid();
  static unsigned short const kEmpty[1] = {0};
  return QBase::ReturnWString(kEmpty, 0);
}

QBase::ReturnString BigDecimal::GetIntegerDigits() {
  CheckValid();
  DecimalDigits const* const d = AsDigits(digits_);
  if (d->sign == 0) return QBase::ReturnString("0", 1);
  // The leading zeros, then the digit text's first count - scale characters.
  std::int64_t const integer = std::max<std::int64_t>(d->count - std::int64_t{scale_}, 0);
  std::size_t const length = static_cast<std::size_t>(d->leadingZeros + integer);
  if (length == 0) return QBase::ReturnString("0", 1);
  TextBuffer<char> text(static_cast<std::size_t>(d->leadingZeros + (integer > 0 ? d->count : 0)));
  char* const digits = std::fill_n(text.Get(), d->leadingZeros, '0');
  if (integer > 0) WriteDigitText(digits, d);
  return QBase::ReturnString(text.Get(), length);
}

QBase::ReturnString BigDecimal::GetFractionDigits() {
  CheckValid();
  DecimalDigits const* const d = AsDigits(digits_);
  if (d->sign == 0) return QBase::ReturnString("0", 1);
  CheckPrintable(scale_);
  // Exactly `scale` characters: the digit text's last ones, or the whole
  // digit text behind zeros when it is shorter.
  std::int64_t const c = d->count;
  std::int64_t const s = scale_;
  if (c >= s) {
    TextBuffer<char> text(static_cast<std::size_t>(c));
    WriteDigitText(text.Get(), d);
    return QBase::ReturnString(text.Get() + (c - s), static_cast<std::size_t>(s));
  }
  TextBuffer<char> text(static_cast<std::size_t>(s));
  WriteDigitText(std::fill_n(text.Get(), s - c, '0'), d);
  return QBase::ReturnString(text.Get(), static_cast<std::size_t>(s));
}

}  // namespace QDataType
