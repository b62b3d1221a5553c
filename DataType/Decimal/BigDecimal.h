/// @file
/// BigDecimal: an exact signed decimal number of unbounded length.
///
/// @class QDataType::BigDecimal
/// An exact signed decimal number of unbounded length.
///
/// The model
/// ---------
/// A BigDecimal is a string of decimal digits, a sign and a scale: the number
/// of digits that lie after the decimal point. Its value is
/// sign x digits x 10^-scale. The scale belongs to the value the way trailing
/// zeros belong to a written number: 1.50 (digits 150, scale 2) and 1.5
/// (digits 15, scale 1) are equal but print differently, and every result
/// keeps the scale its operation gives it.
///
/// An object is in one of three states:
///   - empty: made by the default constructor; Scale() is -1;
///   - valid: holds a value, scale 0 or more;
///   - invalid: was given text that is not a number; Scale() is -2.
///
/// A value is written once. An empty object accepts one assignment; a valid or
/// invalid one refuses every later assignment with BigDecimalException
/// "Cannot change BigDecimal value after it is initialized". Text that is not
/// a number never throws: test IsInvalid(). Reading an empty or invalid value
/// (anything but Scale and IsInvalid) throws "Invalid BigDecimal".
///
/// Text
/// ----
/// Accepted: an optional sign, digits with at most one '.', and an optional
/// exponent marker 'e' or 'E' followed by an optional '+', an optional '-' and
/// digits: "12.340", "-.5", "5.", "+7", "1.5e3", "2.5E-3". Nothing else: no
/// spaces, no grouping, no second sign. A lower-case 'e' anywhere wins over an
/// earlier 'E'. The exponent moves the point: "1.5e3" is 1500 (scale 0),
/// "2.5e-3" is 0.0025 (scale 4); the scale may not exceed 2147483647. Trailing
/// zeros are kept ("1.50" has scale 2). Every text of zeros ("0", "-0.00",
/// ".") is zero with scale 0.
///
/// An object made without a Buffer also remembers how many '0' characters
/// began the text's mantissa, and prints them again: "007" prints "007" and has
/// precision 3; made with a Buffer it prints "7", precision 1. "0.05" keeps the
/// digits "05" either way (its precision is 2, or 3 without a Buffer).
///
/// From a double: the value is printed with "%f" (six fraction digits) in the
/// current C locale, the locale's decimal separator replaced by '.', and that
/// text is parsed: 0.1 becomes 0.100000; infinities and NaNs are invalid.
///
/// Arithmetic
/// ----------
/// Sums, differences and products are exact. Quotients are truncated toward
/// zero at a chosen scale (-7 / 2 is -3). Result scales:
/// @code{.unparsed}
///   a + b, a - b        max(scale a, scale b)
///   a * b               scale a + scale b
///   a / b               scale a
///   a.Divide(b, s)      s (-1 means scale a)
/// @endcode
/// When one operand of + or - is zero, the result is the other operand with
/// zeros appended up to the result scale: 2 + (1.000 - 1) is 2.000. A result
/// that is zero has sign 0 and prints "0" whatever its scale. Comparison is by
/// value. Checks come in this order: an empty or invalid operand ("Invalid
/// BigDecimal"), for Divide a scale below -1 ("Invalid scale request"), for
/// division a zero divisor ("Divide by Zero").
///
/// Text output is plain decimal notation: no exponent, no grouping, no '+'.
/// ToWString(lcid) uses the decimal separator of a Windows locale identifier
/// (0x0409 '.', 0x0407 ','); for an unknown identifier the text stops after
/// the integer part.
///
/// Memory
/// ------
/// A value's storage comes from the Buffer (arena) the object was made with,
/// or from the heap when it has none; arena storage is never freed piece by
/// piece. A value of at most 18 digits made from text, an int or a copy is
/// held in the object itself and takes none (unless, made without a Buffer,
/// its text began with more than three '0' characters, or its text had zeros
/// after the point in front of its digits, as "0.05" does).
/// Arithmetic returns a new object in an owning ReturnPtr, placed in the left
/// operand's arena (or the heap), one block holding the object and its
/// digits; deleting it is right in both cases.
/// Scratch space for a computation always comes from the heap. When the arena
/// or the heap cannot supply storage, the operation throws std::bad_alloc.
/// Heap blocks of up to 256 bytes (short values and results) are not handed
/// back to malloc at once: the thread that frees one keeps it for its next
/// value of that size, at most 16 blocks of each of four sizes, and frees
/// them when it ends.
///
/// Limits
/// ------
/// A value may have at most kMaxDigits (100 million) digits, counting those an
/// exponent appends: longer text, such as "1e1000000000", is invalid, and is
/// refused before anything is allocated. An operation whose result could need
/// more digits throws std::length_error before allocating: for + and - the
/// digits the operands span once aligned to the result scale, plus one for a
/// carry; for * the sum of the operands' digits; for division the digits of
/// the quotient. So 1 + 1e-100000000 throws at once. A product whose scale
/// would pass 2147483647 also throws std::length_error, and so does printing a
/// value whose scale is above kMaxDigits (the text would be longer than any
/// value may be). Everything within the limit is computed exactly and in
/// time close to linear: parsing and printing are linear in the digits;
/// products use Karatsuba's method from about 320 digits of the shorter
/// operand and number-theoretic transforms from about 11,000 (n log n);
/// division is long division in base 10^18 while the quotient or the divisor
/// is shorter than about 2,700 digits (cost: their product), and Newton's
/// method above (a few products). Measured on a two-core server: a product
/// of two 10^7-digit operands in about 0.3 s, a quotient of 2 x 10^7 by 10^7
/// digits in about 1 s, and at 3 x 10^7 digits 0.85 s and 2.9 s; at the limit
/// (a product of two 5 x 10^7-digit operands, a quotient of 10^8 digits) that
/// extrapolates to about 1.5 s and 12 s. Working storage, from the heap, is
/// about ten bytes per digit of the longer operand or result.
///
/// C++ values
/// ----------
/// Every integer type converts exactly (the 64-bit constructors and a
/// template for the other integer types, so `BigDecimal(int64_t{5}, nullptr)`
/// is not ambiguous), text may come as a std::string_view, and
/// ToInt64/ToDouble read a value back as a number. Members that do not change
/// the value are const (the non-const forms remain for existing callers). A
/// move leaves its source empty, and swap exchanges values, so both work on
/// any object. The write-once rule decides the rest of what the standard
/// library may do with values:
///   - std::vector<BigDecimal> grows, inserts and erases at the end by moving
///     (the move constructor is noexcept); std::swap, std::sort and other
///     algorithms that permute elements by assignment throw
///     BigDecimalException as soon as they assign to an element that holds a
///     value. Sort pointers, indices or a std::vector<BigDecimal::Ptr>
///     instead, or swap explicitly (std::iter_swap through the free swap);
///   - node containers (std::map, std::set, std::unordered_set with the
///     std::hash below) never assign their elements and work.
/// All six comparisons compare by value and throw for an empty or invalid
/// operand.
///
/// Thread safety: distinct objects may be used from distinct threads, and
/// one object may be read (compared, printed, used as an operand) from several
/// threads at once, except that results are placed in the left operand's
/// arena, which is no safer to share between threads than any other arena.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <new>
#include <string_view>
#include <type_traits>

#include "Base/Export.h"
#include "Base/Memory.h"
#include "Base/Message.h"
#include "Base/ReturnPtr.h"
#include "Base/Strings.h"

namespace QDataType {

/// Raised for misuse of a BigDecimal; the text tells which.
class QDT_API BigDecimalException : public QBase::Message {
 public:
  /// An empty message (domain MESSAGE_DOMAIN_UNKNOWN, id 0); the library sets
  /// the id and the text when it raises one.
  BigDecimalException();
  /// Copies domain, id and text.
  BigDecimalException(BigDecimalException const& other);
  /// Copies domain, id and text.
  BigDecimalException& operator=(BigDecimalException const& other);
  ~BigDecimalException() override;
};

class QDT_API BigDecimal {
 public:
  /// The most digits a value may have.
  static constexpr int kMaxDigits = 100000000;

  /// The owning pointer that arithmetic returns; deleting through it is right
  /// for heap and arena results alike.
  using Ptr = QBase::ReturnPtr<BigDecimal, QBase::DeleteC<BigDecimal>>;

  // --- Construction ------------------------------------------------------

  /// Empty.
  explicit BigDecimal(QBase::Buffer* buffer = nullptr);
  /// Parsed from text; invalid when it is not a number (null included).
  BigDecimal(char const* text, QBase::Buffer* buffer) : scale_(-1), buffer_(buffer), digits_(nullptr) {
    _StrToBigDecimal(text);
  }
  /// The wide text converted to UTF-8, then parsed.
  BigDecimal(unsigned short const* text, QBase::Buffer* buffer);
  /// The value printed with "%d", then parsed.
  BigDecimal(int value, QBase::Buffer* buffer);
  /// The value printed with "%lld" / "%llu", then parsed: exactly the value,
  /// at scale 0 (0 without a Buffer keeps its one '0', as for an int).
  ///@{
  BigDecimal(long long value, QBase::Buffer* buffer);
  BigDecimal(unsigned long long value, QBase::Buffer* buffer);
  ///@}
  /// Any other integer type (long, unsigned, short, char...): the value,
  /// through the 64-bit constructor of its signedness. `bool` is refused.
  template <class I, typename std::enable_if<std::is_integral<I>::value && !std::is_same<I, bool>::value &&
                                                 !std::is_same<I, int>::value && !std::is_same<I, long long>::value &&
                                                 !std::is_same<I, unsigned long long>::value,
                                             int>::type = 0>
  BigDecimal(I value, QBase::Buffer* buffer)
      : BigDecimal(static_cast<typename std::conditional<std::is_signed<I>::value, long long,
                                                         unsigned long long>::type>(value),
                   buffer) {}
  /// Parsed from the characters of `text` (no terminator needed; a zero
  /// character inside makes it invalid); invalid when it is not a number.
  BigDecimal(std::string_view text, QBase::Buffer* buffer);
  /// The value printed with "%f" in the current C locale, then parsed.
  BigDecimal(double value, QBase::Buffer* buffer);
  /// Empty, then assigned from other.
  BigDecimal(BigDecimal const& other, QBase::Buffer* buffer);
  /// Empty, on the heap, then assigned from other.
  BigDecimal(BigDecimal const& other);
  /// Takes the value (or state) and the arena of `other`, which becomes
  /// empty (and may be assigned again). Allocates nothing.
  BigDecimal(BigDecimal&& other) noexcept : scale_(other.scale_), buffer_(other.buffer_), digits_(other.digits_) {
    other.scale_ = -1;
    other.digits_ = nullptr;
  }
  /// Frees heap storage; arena storage goes back with the arena.
  ~BigDecimal() {
    // Nothing to free for an arena's value, an empty one or one held in
    // the object (a digits word with its low bit set).
    if (buffer_ == nullptr && (reinterpret_cast<std::uintptr_t>(digits_) & 1) == 0 && digits_ != nullptr) {
      _ReleaseDigits();
    }
  }

  /// Allowed only while this object is empty; copies other's state (empty,
  /// invalid or its value) into this object's storage.
  BigDecimal& operator=(BigDecimal const& other);
  /// Exchanges values, scales and arenas.
  void swap(BigDecimal& other) noexcept;

  // --- Reading -----------------------------------------------------------

  /// The scale; -1 when empty, -2 when invalid. Never throws.
  int Scale() const noexcept { return scale_; }
  /// +1, 0 or -1.
  int Signum() const;
  /// Digits of the value, counting the remembered leading zeros of its text.
  int Precision() const;
  /// True when empty or invalid.
  bool IsInvalid() const noexcept { return scale_ < 0; }

  // --- Arithmetic (results in this object's arena) -------------------------

  /// The exact sum, difference or product, at the scale the model gives.
  ///@{
  Ptr operator+(BigDecimal const& b);
  Ptr operator-(BigDecimal const& b);
  Ptr operator*(BigDecimal const& b);
  Ptr operator+(BigDecimal const& b) const;
  Ptr operator-(BigDecimal const& b) const;
  Ptr operator*(BigDecimal const& b) const;
  ///@}
  /// Truncated at this object's scale.
  ///@{
  Ptr operator/(BigDecimal const& b);
  Ptr operator/(BigDecimal const& b) const;
  ///@}
  /// Truncated at the given scale; -1 means this object's scale.
  ///@{
  Ptr Divide(BigDecimal const& b, int scale);
  Ptr Divide(BigDecimal const& b, int scale) const;
  ///@}

  /// -1, 0 or 1 as this value is less than, equal to or greater than b.
  int CompareTo(BigDecimal const& b) const;
  /// Comparison by value, through CompareTo.
  ///@{
  bool operator==(BigDecimal const& b) const { return CompareTo(b) == 0; }
  bool operator<(BigDecimal const& b) const { return CompareTo(b) < 0; }
  bool operator>(BigDecimal const& b) const { return CompareTo(b) > 0; }
  bool operator!=(BigDecimal const& b) const { return CompareTo(b) != 0; }
  bool operator<=(BigDecimal const& b) const { return CompareTo(b) <= 0; }
  bool operator>=(BigDecimal const& b) const { return CompareTo(b) >= 0; }
  ///@}

  // --- Numbers out ---------------------------------------------------------

  /// The value as a 64-bit integer: true, with `out` set, when the value is
  /// a whole number (5.00 is) from -9223372036854775808 to
  /// 9223372036854775807; false, with `out` unchanged, otherwise (a fraction,
  /// out of range, empty or invalid).
  bool ToInt64(long long& out) const noexcept;
  /// The double nearest to the value (ties to even), as strtod rounds the
  /// exact decimal text; beyond the largest double an infinity, below the
  /// smallest a zero of the value's sign (zero itself is +0). NaN when
  /// empty or invalid. Cost: linear in at most the first 800 digits.
  double ToDouble() const noexcept;
  /// A hash of the value: equal values (1.5 and 1.50) hash equal; every
  /// empty value hashes alike, and so does every invalid one. Never throws.
  std::size_t Hash() const noexcept;

  // --- Text --------------------------------------------------------------

  /// The value in plain decimal notation, with a point as the decimal separator.
  ///@{
  QBase::ReturnString ToString();
  QBase::ReturnWString ToWString();
  QBase::ReturnString ToString() const;
  QBase::ReturnWString ToWString() const;
  ///@}
  /// With the decimal separator of a Windows locale identifier.
  ///@{
  QBase::ReturnWString ToWString(unsigned long locale);
  QBase::ReturnWString ToWString(unsigned long locale) const;
  ///@}
  /// Always the empty text.
  ///@{
  QBase::ReturnWString MantissaToWString();
  QBase::ReturnWString MantissaToWString() const;
  ///@}
  /// The digits before the point ("0" when there are none).
  ///@{
  QBase::ReturnString GetIntegerDigits();
  QBase::ReturnString GetIntegerDigits() const;
  ///@}
  /// The digits after the point, exactly Scale() of them ("0" for zero).
  ///@{
  QBase::ReturnString GetFractionDigits();
  QBase::ReturnString GetFractionDigits() const;
  ///@}

  // --- Placement -----------------------------------------------------------
  /// Objects made with new remember where their storage came from, so that
  /// delete (and ReturnPtr) frees heap storage and leaves arena storage alone.
  ///@{
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, std::nothrow_t const&) noexcept;
  /// Storage from the arena, or the heap when it is null; null on failure.
  static void* operator new(std::size_t size, QBase::Buffer* buffer) noexcept;
  static void* operator new(std::size_t, void* where) noexcept { return where; }
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, std::nothrow_t const&) noexcept;
  static void operator delete(void* p, QBase::Buffer* buffer) noexcept;
  static void operator delete(void*, void*) noexcept {}
  ///@}

 private:
  void _StrToBigDecimal(char const* text);
  // The same on exactly `length` characters (no terminator read).
  void _StrToBigDecimal(char const* text, std::size_t length);
  // Frees heap digits (the destructor's work when there is any).
  void _ReleaseDigits() noexcept;
  void _CreateInvalidBigDecimal() noexcept { scale_ = -2; }
  bool IsEmpty() const noexcept { return scale_ == -1; }
  // First position in [begin, end) holding c, or null.
  static char const* _FindChr(char const* begin, char const* end, char c) noexcept;
  // Walks [first, last]: digits pass ('1'..'9' clear allZeros), any other
  // character fails unless it is the first occurrence of a non-zero allowed.
  static bool _CheckDigits(char const* first, char const* last, bool& allZeros, char allowed) noexcept;
  // A new object in buffer's arena (or the heap) holding digits and scale.
  static BigDecimal* CreateBigDecimal(void* digits, int scale, QBase::Buffer* buffer);
  // Throws "Invalid BigDecimal" unless this object holds a value.
  void CheckValid() const;

  int scale_;
  QBase::Buffer* buffer_;
  void* digits_;
};

/// Exchanges the two values, scales and arenas (a.swap(b)).
inline void swap(BigDecimal& a, BigDecimal& b) noexcept { a.swap(b); }

/// Prints ToString()'s text; "(empty)" and "(invalid)" for the values that
/// have none (it never throws BigDecimalException).
QDT_API std::ostream& operator<<(std::ostream& os, BigDecimal const& value);

}  // namespace QDataType

namespace std {
/// Hashes a BigDecimal by value (BigDecimal::Hash), so that equal values, of
/// any scale, hash equal and unordered containers can hold decimals.
template <>
struct hash<QDataType::BigDecimal> {
  /// `value.Hash()`.
  size_t operator()(QDataType::BigDecimal const& value) const noexcept { return value.Hash(); }
};
}  // namespace std
