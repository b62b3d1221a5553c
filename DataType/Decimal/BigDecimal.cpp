#include "DataType/Decimal/BigDecimal.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "DataType/Decimal/internal/DecimalDigits.h"
#include "DataType/Decimal/internal/Limbs.h"
#include "Platform/Locale.h"

namespace QDataType {

using decimal::DecimalDigits;
using decimal::FracLimbs;
using decimal::kBase;
using decimal::kLimbDigits;
using decimal::Limb;
using decimal::PadDigits;
using decimal::SignificantDigits;

namespace decimal {

DecimalDigits* NewDigits(QBase::Buffer* buffer, std::size_t limbs) {
  std::size_t const bytes = sizeof(DecimalDigits) + limbs * sizeof(Limb);
  void* const block = ::operator new[](bytes, buffer);
  if (block == nullptr) throw std::bad_alloc();
  return ::new (block) DecimalDigits{0, 0, 0, 0, buffer};
}

void FreeDigits(DecimalDigits* digits) noexcept {
  if (digits != nullptr && digits->buffer == nullptr) {
    ::operator delete[](static_cast<void*>(digits), static_cast<QBase::Buffer*>(nullptr));
  }
}

}  // namespace decimal

namespace {

constexpr std::int64_t kLimit = BigDecimal::kMaxDigits;
constexpr std::int64_t kMaxScale = INT_MAX;

// Header in front of a BigDecimal made with new: where its storage came from.
constexpr std::size_t kObjectHeader = alignof(std::max_align_t);

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
  DigitsPtr r(decimal::NewDigits(buffer, 0));
  r->leadingZeros = leadingZeros;
  return r;
}

// Sets size, sign and count of a computed result (no leading zeros).
void Finish(DecimalDigits* r, std::size_t limbs, int sign, std::int64_t scale) noexcept {
  r->size = static_cast<std::int32_t>(decimal::Normalized(r->Limbs(), limbs));
  r->leadingZeros = 0;
  if (r->size == 0) {
    r->sign = 0;
    r->count = 0;
  } else {
    r->sign = sign;
    r->count = static_cast<std::int32_t>(SignificantDigits(r, scale));
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
// Arithmetic on aligned magnitudes

// Three-way comparison of x * B^-fx and y * B^-fy (normalized, non-zero).
int CompareAligned(Limb const* x, std::int64_t nx, std::int64_t fx, Limb const* y, std::int64_t ny,
                   std::int64_t fy) noexcept {
  std::int64_t const tx = nx - fx;
  std::int64_t const ty = ny - fy;
  if (tx != ty) return tx < ty ? -1 : 1;
  std::int64_t i = nx - 1;
  std::int64_t j = ny - 1;
  for (; i >= 0 && j >= 0; --i, --j) {
    if (x[i] != y[j]) return x[i] < y[j] ? -1 : 1;
  }
  for (; i >= 0; --i) {
    if (x[i] != 0) return 1;
  }
  for (; j >= 0; --j) {
    if (y[j] != 0) return -1;
  }
  return 0;
}

// r = x * B^ox + y * B^oy with min(ox, oy) == 0. r has room for
// max(nx + ox, ny + oy) + 1 limbs; returns that count.
std::size_t AddShifted(Limb* r, Limb const* x, std::size_t nx, std::size_t ox, Limb const* y, std::size_t ny,
                       std::size_t oy) noexcept {
  if (ox != 0) {
    std::swap(x, y);
    std::swap(nx, ny);
    std::swap(ox, oy);
  }
  std::size_t const n = std::max(nx, ny + oy);
  std::size_t i = std::min(oy, nx);
  std::copy(x, x + i, r);
  std::fill(r + i, r + oy, Limb{0});
  Limb carry = 0;
  i = oy;
  std::size_t const both = std::min(nx, oy + ny);
  if (both > oy) {
    carry = decimal::AddN(r + oy, x + oy, y, both - oy);
    i = both;
  }
  if (nx > i) {
    carry = decimal::AddCarry(r + i, x + i, nx - i, carry);
  } else if (oy + ny > i) {
    carry = decimal::AddCarry(r + i, y + (i - oy), oy + ny - i, carry);
  }
  r[n] = carry;
  return n + 1;
}

// r = x * B^ox - y * B^oy for x * B^ox > y * B^oy, min(ox, oy) == 0.
// Returns nx + ox, the limbs written.
std::size_t SubShifted(Limb* r, Limb const* x, std::size_t nx, std::size_t ox, Limb const* y, std::size_t ny,
                       std::size_t oy) noexcept {
  if (ox == 0) {
    // x has more than oy + ny limbs' worth of weight.
    std::copy(x, x + oy, r);
    Limb const borrow = decimal::SubN(r + oy, x + oy, y, ny);
    decimal::SubBorrow(r + oy + ny, x + oy + ny, nx - oy - ny, borrow);
    return nx;
  }
  // y reaches below x's lowest limb: subtract from zeros there.
  std::size_t const n = nx + ox;
  Limb borrow = 0;
  for (std::size_t i = 0; i < n; ++i) {
    Limb const xi = i >= ox ? x[i - ox] : 0;
    Limb const t = (i < ny ? y[i] : 0) + borrow;
    Limb const d = xi - t;
    borrow = xi < t ? 1 : 0;
    r[i] = borrow != 0 ? d + kBase : d;
  }
  return n;
}

// The zero-operand rule: x with sign `sign`, its digit text extended with
// zeros from scale sx to scale s (a shift by whole limbs).
DigitsPtr CopyRescaled(DecimalDigits const* x, int sign, std::int64_t sx, std::int64_t s, QBase::Buffer* buffer) {
  if (x->sign == 0) return NewZero(buffer, x->leadingZeros);
  std::int64_t const extra = s - sx;
  if (std::int64_t{x->leadingZeros} + x->count + extra + 1 > kLimit) ThrowTooLong();
  std::size_t const shift = static_cast<std::size_t>(FracLimbs(s) - FracLimbs(sx));
  std::size_t const size = static_cast<std::size_t>(x->size) + shift;
  DigitsPtr r(decimal::NewDigits(buffer, size));
  Limb* const out = r->Limbs();
  std::fill(out, out + shift, Limb{0});
  std::copy(x->Limbs(), x->Limbs() + x->size, out + shift);
  r->sign = sign;
  r->count = static_cast<std::int32_t>(x->count + extra);
  r->leadingZeros = x->leadingZeros;
  r->size = static_cast<std::int32_t>(size);
  return r;
}

// a + b, where gb is b's sign as it enters the sum (negated for a - b).
DigitsPtr AddSigned(DecimalDigits const* a, std::int64_t sa, DecimalDigits const* b, int gb, std::int64_t sb,
                    std::int64_t s, QBase::Buffer* buffer) {
  int const ga = a->sign;
  if (ga == 0) return CopyRescaled(b, gb, sb, s, buffer);
  if (gb == 0) return CopyRescaled(a, ga, sa, s, buffer);

  std::int64_t const fs = FracLimbs(s);
  std::int64_t const fa = FracLimbs(sa);
  std::int64_t const fb = FracLimbs(sb);
  // Equal magnitudes of opposite sign cancel whatever their width.
  int const c = ga == gb ? 1 : CompareAligned(a->Limbs(), a->size, fa, b->Limbs(), b->size, fb);
  if (c == 0) return NewZero(buffer);

  std::int64_t const ia = std::max<std::int64_t>(SignificantDigits(a, sa) - sa, 0);
  std::int64_t const ib = std::max<std::int64_t>(SignificantDigits(b, sb) - sb, 0);
  if (std::max(ia, ib) + s + 1 > kLimit) ThrowTooLong();

  std::size_t const oa = static_cast<std::size_t>(fs - fa);
  std::size_t const ob = static_cast<std::size_t>(fs - fb);
  std::size_t const na = static_cast<std::size_t>(a->size);
  std::size_t const nb = static_cast<std::size_t>(b->size);

  if (ga == gb) {
    DigitsPtr r(decimal::NewDigits(buffer, std::max(na + oa, nb + ob) + 1));
    std::size_t const used = AddShifted(r->Limbs(), a->Limbs(), na, oa, b->Limbs(), nb, ob);
    Finish(r.get(), used, ga, s);
    return r;
  }
  DigitsPtr r(decimal::NewDigits(buffer, std::max(na + oa, nb + ob)));
  std::size_t const used = c > 0 ? SubShifted(r->Limbs(), a->Limbs(), na, oa, b->Limbs(), nb, ob)
                                 : SubShifted(r->Limbs(), b->Limbs(), nb, ob, a->Limbs(), na, oa);
  Finish(r.get(), used, c > 0 ? ga : gb, s);
  return r;
}

DigitsPtr Multiply(DecimalDigits const* a, std::int64_t sa, DecimalDigits const* b, std::int64_t sb, std::int64_t s,
                   QBase::Buffer* buffer) {
  if (a->sign == 0 || b->sign == 0) return NewZero(buffer);
  if (SignificantDigits(a, sa) + SignificantDigits(b, sb) > kLimit) ThrowTooLong();
  // Zero limbs at the low end take no part in the product; they come back as
  // a shift. Both operands carry their alignment zeros, and when those reach
  // a whole limb between them the product's lowest limb is zero and goes.
  Limb const* const al = a->Limbs();
  Limb const* const bl = b->Limbs();
  std::size_t const za = decimal::LowZeroLimbs(al, static_cast<std::size_t>(a->size));
  std::size_t const zb = decimal::LowZeroLimbs(bl, static_cast<std::size_t>(b->size));
  std::size_t const na = static_cast<std::size_t>(a->size) - za;
  std::size_t const nb = static_cast<std::size_t>(b->size) - zb;
  bool const drop = PadDigits(sa) + PadDigits(sb) >= kLimbDigits;
  std::size_t const shift = za + zb;
  std::size_t n = shift + na + nb;
  DigitsPtr r(decimal::NewDigits(buffer, n));
  Limb* const out = r->Limbs();
  std::fill(out, out + shift, Limb{0});
  decimal::Mul(out + shift, al + za, na, bl + zb, nb);
  if (drop) {
    std::memmove(out, out + 1, (n - 1) * sizeof(Limb));
    --n;
  }
  Finish(r.get(), n, a->sign * b->sign, s);
  return r;
}

DigitsPtr DivideDigits(DecimalDigits const* a, std::int64_t sa, DecimalDigits const* b, std::int64_t sb,
                       std::int64_t s, QBase::Buffer* buffer) {
  if (a->sign == 0) return NewZero(buffer);
  // The quotient floor(A 10^e / B) has at most this many digits.
  std::int64_t const e = s - sa + sb;
  std::int64_t const digits = SignificantDigits(a, sa) + e - SignificantDigits(b, sb) + 1;
  if (digits <= 0) return NewZero(buffer);
  if (digits > kLimit) ThrowTooLong();

  // In limbs: Q' = floor(A' B^g / B') with the alignment zeros of all three
  // values folded into g; the lowest limb then drops the digits below the
  // result scale (its pad).
  Limb const* al = a->Limbs();
  Limb const* const bl = b->Limbs();
  std::size_t const za = decimal::LowZeroLimbs(al, static_cast<std::size_t>(a->size));
  std::size_t const zb = decimal::LowZeroLimbs(bl, static_cast<std::size_t>(b->size));
  std::size_t nu = static_cast<std::size_t>(a->size) - za;
  std::size_t const nv = static_cast<std::size_t>(b->size) - zb;
  al += za;
  std::int64_t g = static_cast<std::int64_t>(za) - static_cast<std::int64_t>(zb) + FracLimbs(s) + FracLimbs(sb) -
                   FracLimbs(sa);
  if (g < 0) {
    if (static_cast<std::uint64_t>(-g) >= nu) return NewZero(buffer);
    al += -g;
    nu -= static_cast<std::size_t>(-g);
    g = 0;
  }
  std::size_t const shift = static_cast<std::size_t>(g);
  if (nu + shift < nv) return NewZero(buffer);
  std::size_t const nq = nu + shift - nv + 1;
  DigitsPtr r(decimal::NewDigits(buffer, nq));
  Limb* const q = r->Limbs();
  decimal::DivQuotient(q, al, nu, shift, bl + zb, nv);
  q[0] -= q[0] % decimal::kPow10[PadDigits(s)];
  Finish(r.get(), nq, a->sign * b->sign, s);
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

// Digits of the integer part of the value (limbs from F up).
std::int64_t IntegerPartDigits(DecimalDigits const* d, std::int64_t f) noexcept {
  if (d->size <= f) return 0;
  return std::int64_t{kLimbDigits} * (d->size - f - 1) + decimal::DigitsOf(d->Limbs()[d->size - 1]);
}

// Writes lz zeros and the integer part padded to width max(count - s, 0);
// returns the characters written. The caller sizes `out` with
// IntegerTextLength.
std::int64_t IntegerTextLength(DecimalDigits const* d, std::int64_t s, std::int64_t lz) noexcept {
  return lz + std::max<std::int64_t>(d->count - s, 0);
}

char* WriteIntegerText(char* out, DecimalDigits const* d, std::int64_t s, std::int64_t lz) noexcept {
  std::int64_t const f = FracLimbs(s);
  std::int64_t const width = std::max<std::int64_t>(d->count - s, 0);
  std::int64_t const digits = IntegerPartDigits(d, f);
  std::int64_t const zeros = lz + std::max<std::int64_t>(width - digits, 0);
  out = std::fill_n(out, zeros, '0');
  if (digits > 0) {
    Limb const* const limbs = d->Limbs();
    std::int64_t i = d->size - 1;
    out += decimal::WriteDigits(out, limbs[i]);
    for (--i; i >= f; --i, out += kLimbDigits) decimal::WriteDigits19(out, limbs[i]);
  }
  return out;
}

// Writes the s fraction digits; `out` needs room for s + 18 characters.
char* WriteFractionText(char* out, DecimalDigits const* d, std::int64_t s) noexcept {
  std::int64_t const f = FracLimbs(s);
  Limb const* const limbs = d->Limbs();
  char* p = out;
  for (std::int64_t i = f - 1; i >= 0; --i, p += kLimbDigits) {
    if (i < d->size) {
      decimal::WriteDigits19(p, limbs[i]);
    } else {
      std::memset(p, '0', kLimbDigits);
    }
  }
  return out + s;
}

// The part of the text before the point: sign, then either "0" (when the
// digit text is shorter than the scale) or the leading zeros and integer
// digits, "0" if those are none.
std::int64_t HeadLength(DecimalDigits const* d, std::int64_t s) noexcept {
  std::int64_t const sign = d->sign < 0 ? 1 : 0;
  if (d->count < s) return sign + 1;
  return sign + std::max<std::int64_t>(IntegerTextLength(d, s, d->leadingZeros), 1);
}

char* WriteHead(char* out, DecimalDigits const* d, std::int64_t s) noexcept {
  if (d->sign < 0) *out++ = '-';
  if (d->count < s) {
    *out++ = '0';
    return out;
  }
  char* const end = WriteIntegerText(out, d, s, d->leadingZeros);
  if (end == out) {
    *out = '0';
    return out + 1;
  }
  return end;
}

// The whole decimal text into a buffer; returns its length.
std::size_t TextLength(DecimalDigits const* d, std::int64_t s) noexcept {
  if (d->sign == 0) return 1;
  return static_cast<std::size_t>(HeadLength(d, s) + (s > 0 ? 1 + s : 0));
}

char* WriteText(char* out, DecimalDigits const* d, std::int64_t s) noexcept {
  if (d->sign == 0) {
    *out++ = '0';
    return out;
  }
  out = WriteHead(out, d, s);
  if (s > 0) {
    *out++ = '.';
    out = WriteFractionText(out, d, s);
  }
  return out;
}

void CheckPrintable(std::int64_t s) {
  if (s > kLimit) ThrowTooLong();
}

QBase::ReturnWString Widen(char const* text, std::size_t n, unsigned short const* tail = nullptr,
                           std::size_t tailLength = 0) {
  TextBuffer<unsigned short> wide(n + tailLength + 1);
  unsigned short* w = wide.Get();
  for (std::size_t i = 0; i < n; ++i) w[i] = static_cast<unsigned char>(text[i]);
  for (std::size_t i = 0; i < tailLength; ++i) w[n + i] = tail[i];
  return QBase::ReturnWString(w, n + tailLength);
}

}  // namespace

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
  void* const block = ::operator new(size + kObjectHeader, buffer);
  if (block == nullptr) return nullptr;
  *static_cast<QBase::Buffer**>(block) = buffer;
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
  void* const block = static_cast<char*>(p) - kObjectHeader;
  ::operator delete(block, *static_cast<QBase::Buffer**>(block));
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
    decimal::FreeDigits(AsDigits(digits_));
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
  BigDecimal* const p = new (buffer) BigDecimal(buffer);
  if (p == nullptr) {
    decimal::FreeDigits(AsDigits(digits));
    throw std::bad_alloc();
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

  // Exponent: the first 'e' before the last character, else the first 'E'.
  char const* mantissaEnd = end;
  std::int64_t exponent = 0;
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

  bool allZeros;
  if (!_CheckDigits(body, mantissaEnd - 1, allZeros, '.')) return;
  char const* const point = _FindChr(body, mantissaEnd, '.');
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
  std::int64_t const zeros = trailing + PadDigits(scale);
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
  DigitsPtr r = Multiply(AsDigits(digits_), scale_, AsDigits(b.digits_), b.scale_, s, buffer_);
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
  int const c = CompareAligned(x->Limbs(), x->size, FracLimbs(scale_), y->Limbs(), y->size, FracLimbs(b.scale_));
  return ga < 0 ? -c : c;
}

// ---------------------------------------------------------------------------
// Text

QBase::ReturnString BigDecimal::ToString() {
  CheckValid();
  DecimalDigits const* const d = AsDigits(digits_);
  if (d->sign == 0) return QBase::ReturnString("0", 1);
  CheckPrintable(scale_);
  std::size_t const n = TextLength(d, scale_);
  TextBuffer<char> text(n + kLimbDigits);
  char* const end = WriteText(text.Get(), d, scale_);
  return QBase::ReturnString(text.Get(), static_cast<std::size_t>(end - text.Get()));
}

QBase::ReturnWString BigDecimal::ToWString() {
  CheckValid();
  DecimalDigits const* const d = AsDigits(digits_);
  if (d->sign == 0) return Widen("0", 1);
  CheckPrintable(scale_);
  std::size_t const n = TextLength(d, scale_);
  TextBuffer<char> text(n + kLimbDigits);
  char* const end = WriteText(text.Get(), d, scale_);
  return Widen(text.Get(), static_cast<std::size_t>(end - text.Get()));
}

QBase::ReturnWString BigDecimal::ToWString(unsigned long locale) {
  CheckValid();
  unsigned short const separator = Platform::DecimalSeparatorForLCID(locale);
  DecimalDigits const* const d = AsDigits(digits_);
  if (d->sign == 0) return Widen("0", 1);
  CheckPrintable(scale_);
  std::size_t const head = static_cast<std::size_t>(HeadLength(d, scale_));
  TextBuffer<char> text(head + 1 + static_cast<std::size_t>(scale_) + kLimbDigits);
  char* p = WriteHead(text.Get(), d, scale_);
  // A separator of 0 ends the text after the integer part.
  if (scale_ == 0 || separator == 0) return Widen(text.Get(), static_cast<std::size_t>(p - text.Get()));
  std::size_t const headLength = static_cast<std::size_t>(p - text.Get());
  WriteFractionText(p, d, scale_);
  TextBuffer<unsigned short> wide(headLength + 1 + static_cast<std::size_t>(scale_));
  unsigned short* w = wide.Get();
  for (std::size_t i = 0; i < headLength; ++i) *w++ = static_cast<unsigned char>(text.Get()[i]);
  *w++ = separator;
  for (std::int64_t i = 0; i < scale_; ++i) *w++ = static_cast<unsigned char>(p[i]);
  return QBase::ReturnWString(wide.Get(), static_cast<std::size_t>(w - wide.Get()));
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
  std::size_t const n = static_cast<std::size_t>(IntegerTextLength(d, scale_, d->leadingZeros));
  TextBuffer<char> text(n + kLimbDigits);
  char* const end = WriteIntegerText(text.Get(), d, scale_, d->leadingZeros);
  if (end == text.Get()) return QBase::ReturnString("0", 1);
  return QBase::ReturnString(text.Get(), static_cast<std::size_t>(end - text.Get()));
}

QBase::ReturnString BigDecimal::GetFractionDigits() {
  CheckValid();
  DecimalDigits const* const d = AsDigits(digits_);
  if (d->sign == 0) return QBase::ReturnString("0", 1);
  CheckPrintable(scale_);
  TextBuffer<char> text(static_cast<std::size_t>(scale_) + kLimbDigits);
  WriteFractionText(text.Get(), d, scale_);
  return QBase::ReturnString(text.Get(), static_cast<std::size_t>(scale_));
}

}  // namespace QDataType
