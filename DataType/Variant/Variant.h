/// @file
/// Variant: one value of one of fourteen kinds, or nothing.
///
/// @class QDataType::Variant
/// One value of one of fourteen kinds, or nothing.
///
/// The model
/// ---------
/// A Variant holds a kind (`GetVarType()`) and a value of that kind:
///
/// @code{.unparsed}
///   VAR_EMPTY (-1)   nothing                VAR_WSTRING (9)      a wide string
///   VAR_INT (1)      int                    VAR_BINARY (11)      a Binary blob
///   VAR_UNSIGNED (2) unsigned int           VAR_DATE (14)        a DateTime read as a date
///   VAR_SHORT (21)   short                  VAR_TIME (15)        a DateTime read as a time of day
///   VAR_LONG (22)    a 32-bit long          VAR_DATETIME (16)    a DateTime
///   VAR_INT64 (34)   long long              VAR_BIGDECIMAL (30)  a BigDecimal
///   VAR_FLOAT (7)    float                  VAR_CELLFMTDATA (31) a CellFmtData
///   VAR_DOUBLE (6)   double
/// @endcode
///
/// Numbers live inside the object and never allocate. Every other kind is a
/// copy that the Variant owns. No constructor or assignment makes VAR_LONG
/// (it holds a 32-bit value and prints with "%ld"), but everything accepts it.
///
/// Assignment first drops the old value, then stores the new one, so an
/// assignment that throws leaves the Variant empty. Assigning a value that
/// lives inside the Variant itself (`v = *v.ToDateTime()`, the text of
/// `GetRawWString()`) is safe: the copy is made before the old value goes.
///
/// Memory
/// ------
/// A Variant made with a `QBase::Buffer*` (an arena) places every object it
/// owns in that arena, string characters included, and frees nothing: the
/// arena takes it all back. Without one it uses the heap and frees what it
/// owns when the value changes or the Variant is destroyed. The buffer stays
/// for the Variant's life; only `swap` exchanges it, together with the value.
/// A copy (`Variant(Variant const&)`) takes the source's buffer and contract,
/// so the copy of an arena Variant lives in the same arena. When the arena
/// cannot supply an object, the assignment throws std::bad_alloc (the Variant
/// is then empty); a blob whose bytes the arena refuses is held empty, as
/// `CreateBinary` leaves it.
///
/// Memory contracts
/// ----------------
/// A Variant made with `Variant(MemoryContract*)` (or copied from one) keeps a
/// counted reference to the contract for its whole life. Without an arena,
/// each assignment that copies a string or a blob asks the contract first:
///
/// @code{.unparsed}
///   Reserve(size, 1)   size = (16-bit units + 1) x 2 for a string (text
///                      given as UTF-8 is converted first), the byte count
///                      for a blob; a non-zero answer throws VariantException
///                      "Not enough memory left." and leaves the Variant empty
///   ...the copy is made on the heap...
///   Release(size)      its answer is ignored; reported also when making the
///                      copy throws (std::bad_alloc, std::length_error)
/// @endcode
///
/// Constructors from a value never ask; the copy constructor does, since it
/// copies through assignment. With an arena the contract is never called.
/// `swap` leaves each contract where it is.
///
/// Conversions
/// -----------
/// The numeric conversions never throw; a kind without a numeric reading
/// gives 0. Integers convert by C++'s modular rules (low 16 bits for a short,
/// sign- or zero-extension upward, the 32 bits reinterpreted between int and
/// unsigned). Floating values (and a CellFmtData's value) are truncated toward
/// zero into 32 bits for short, int and unsigned (then cut or reinterpreted)
/// and into 64 bits for long long. A floating value outside that signed range,
/// or a NaN, gives the processor's "integer indefinite": INT_MIN (so 0 as a
/// short, 2147483648 as an unsigned) or LLONG_MIN. A string is read only by
/// `operator int`: leading spaces and tabs (U+0009..U+000D, U+0020), an
/// optional sign, then ASCII decimal digits, saturating at INT_MIN and INT_MAX;
/// no digits give 0. A BigDecimal has no numeric reading.
///
/// `ToDateTime`, `ToBigDecimal`, `ToBinary`, `operator DateTime` and
/// `operator CellFmtData` accept only their kinds and otherwise throw
/// VariantException "Cannot convert to ... type". Pointers they return stay
/// owned by the Variant and are valid until its value changes.
///
/// Comparison
/// ----------
/// `operator==` with a plain number is true only for a number kind and
/// compares as C++ would after the kinds meet: in double when either side is
/// a double, else in float when either is a float, else as 64-bit integers
/// when either side is 64 bits wide, else as 32-bit patterns (so a
/// VAR_UNSIGNED 4294967295 equals the int -1). A CellFmtData and a string are
/// not numbers here. A Variant compared with a Variant uses this Variant's
/// value in the form that matches its kind, applied to the other:
/// VAR_DOUBLE 3.0 equals VAR_INT 3 both ways. Dates are not symmetric:
/// VAR_DATE compares year, month and day and only with a VAR_DATE, VAR_TIME
/// the time of day and only with a VAR_TIME, while VAR_DATETIME compares the
/// whole DateTime with any of the three. An empty Variant equals only an empty
/// one. Narrow text given to `operator==` is converted from UTF-8; a null text,
/// narrow or wide, is the empty text.
///
/// `operator<` orders kinds that `IsTypeComparable` accepts (numbers among
/// themselves, the date kinds among themselves, any other kind with its own,
/// and anything with VAR_EMPTY, which comes first) and throws VariantException
/// "Variant types incomparable" for the rest. Numbers compare as doubles,
/// except that a VAR_INT64 on the left compares both sides as long long (so
/// VAR_INT64 3 < VAR_DOUBLE 3.5 is false). Strings order unit by unit as
/// unsigned 16-bit numbers, a proper prefix first; blobs by `Binary::IsLess`;
/// decimals by value (an empty or invalid one throws BigDecimalException
/// "Invalid BigDecimal", as `==` does).
///
/// Text
/// ----
/// Narrow text is UTF-8. Per kind:
///
/// @code{.unparsed}
///   kind              ToString()              ToStringVBBehavior()  ToWString()
///   INT, UNSIGNED     "%d" (4294967295 is -1) "%d"                  "%d"
///   SHORT             "%d"                    "%d"                  "%d"
///   LONG              "%ld"                   "%ld"                 "%ld"
///   INT64             "%lld"                  "%lld"                "%lld"
///   FLOAT, DOUBLE     "%.15f"                 "%.15g"               "%.15f"
///   WSTRING           the text in UTF-8       the same              the text
///   the date kinds    DateTime::ToString()    ToDateString()        DateTime::ToWString()
///   BIGDECIMAL        BigDecimal::ToString()  the same              BigDecimal::ToWString()
///   BINARY            null                    null                  null
///   CELLFMTDATA       null                    null                  "%f" of the value
///   EMPTY             ""                      ""                    ""
/// @endcode
///
/// "null" is a ReturnString/ReturnWString made from a null pointer
/// (`GetString()` null, length 0). A float prints its value widened to double
/// (0.1f prints 0.100000001490116). Numbers follow the C locale's decimal
/// separator. Every value prints in full: "%.15f" of the largest doubles takes
/// up to 326 characters (wider than a 256-character work area would allow).
///
/// The buffer forms `ToString(buffer, size)` and `ToWString(buffer, size)`
/// write the text of `ToString()` and `ToWString()`, each its own, except
/// that kinds whose text is null, and VAR_CELLFMTDATA in the wide form, write
/// the empty text. A null buffer or a size of 0 writes nothing; otherwise at
/// most size - 1 units of text are copied and a terminator follows (a UTF-8
/// sequence may be cut). `GetStringLength()` is the byte length of
/// `ToString()`'s text; `GetWStringLength()` the unit length of the buffer
/// form's text. Numbers print without allocating in the buffer forms and the
/// length functions.
///
/// Thread safety: distinct Variants may be used from distinct threads, and one
/// Variant may be read (converted, compared, printed) from several threads at
/// once. A copy made with the copy constructor takes its storage from the
/// source's arena, which is no safer to share between threads than any other
/// arena, and asks the source's contract.
///
/// C++ values
/// ----------
/// Every standard integer type converts without ambiguity: `long`,
/// `unsigned long` and `unsigned long long` (int64_t and uint64_t among them)
/// make VAR_INT64 where `long` has 64 bits (an unsigned value above
/// LLONG_MAX keeps its 64 bits and reads back negative, by the modular rules
/// above); where `long` has 32 bits they make VAR_INT and VAR_UNSIGNED.
/// `operator==` takes the same types, and `operator!=` is its negation for
/// every type `operator==` takes. UTF-8 text may come as a std::string_view.
/// Everything that reads the value is const (the non-const forms remain for
/// existing callers). Copies go through assignment, so a std::vector of
/// Variants copies, sorts (operator< permitting) and swaps them like any
/// value type; a Variant has no move constructor, so moves copy.
///
/// Declarations: the constructors from a `Buffer*` and from a
/// `MemoryContract*` are explicit, so that a pointer never becomes a Variant
/// by accident. Take a DateTime or a CellFmtData out by copy-initialisation
/// (`DateTime d = v;`): a cast would also weigh `DateTime(double)` through
/// `operator double` and is ambiguous.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "Base/Export.h"
#include "Base/Memory.h"
#include "Base/Message.h"
#include "Base/RefCount.h"
#include "Base/Strings.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/CellFormat/CellFmtData.h"
#include "DataType/Collections/Binary.h"
#include "DataType/Decimal/BigDecimal.h"

namespace QDataType {

struct VariantTestPeer;

/// Raised for a refused memory contract, a conversion to the wrong object kind
/// and the ordering of incomparable kinds; the text tells which.
class QDT_API VariantException : public QBase::Message {
 public:
  /// An empty message (domain MESSAGE_DOMAIN_UNKNOWN, id 0); the library sets
  /// the id and the text when it raises one.
  VariantException();
  /// Copies domain, id and text.
  VariantException(VariantException const& other);
  /// Copies domain, id and text.
  VariantException& operator=(VariantException const& other);
  ~VariantException() override;
};

class QDT_API Variant {
 public:
  /// The kind of the held value (see the table of the model).
  enum DATA_TYPE : int32_t {
    VAR_EMPTY = -1,        ///< nothing
    VAR_INT = 1,           ///< int
    VAR_UNSIGNED = 2,      ///< unsigned int
    VAR_DOUBLE = 6,        ///< double
    VAR_FLOAT = 7,         ///< float
    VAR_WSTRING = 9,       ///< a wide string
    VAR_BINARY = 11,       ///< a Binary blob
    VAR_DATE = 14,         ///< a DateTime read as a date
    VAR_TIME = 15,         ///< a DateTime read as a time of day
    VAR_DATETIME = 16,     ///< a DateTime
    VAR_SHORT = 21,        ///< short
    VAR_LONG = 22,         ///< a 32-bit long
    VAR_BIGDECIMAL = 30,   ///< a BigDecimal
    VAR_CELLFMTDATA = 31,  ///< a CellFmtData
    VAR_INT64 = 34,        ///< long long
  };

  /// The held string: its characters come from the Variant's arena (or heap).
  /// Its traits are the library's own (QBase::WideTraits), so that it builds
  /// with every standard library.
  using String = std::basic_string<unsigned short, QBase::WideTraits, QBase::Allocator<unsigned short>>;

  // --- Construction ------------------------------------------------------
  // Each stores the arena, then the value; none asks a contract.

  /// Empty.
  explicit Variant(QBase::Buffer* buffer = nullptr) noexcept
      : type_(VAR_EMPTY), value_(0), buffer_(buffer), contract_(nullptr) {}
  /// The number, of the kind of its type (VAR_SHORT, VAR_INT, VAR_UNSIGNED,
  /// VAR_INT64, VAR_FLOAT, VAR_DOUBLE).
  ///@{
  Variant(short value, QBase::Buffer* buffer) noexcept : Variant(VAR_SHORT, Bits(value), buffer) {}
  Variant(int value, QBase::Buffer* buffer) noexcept : Variant(VAR_INT, Bits(value), buffer) {}
  Variant(unsigned int value, QBase::Buffer* buffer) noexcept : Variant(VAR_UNSIGNED, Bits(value), buffer) {}
  Variant(long long value, QBase::Buffer* buffer) noexcept : Variant(VAR_INT64, Bits(value), buffer) {}
  Variant(float value, QBase::Buffer* buffer) noexcept : Variant(VAR_FLOAT, Bits(value), buffer) {}
  Variant(double value, QBase::Buffer* buffer) noexcept : Variant(VAR_DOUBLE, Bits(value), buffer) {}
  ///@}
  /// The 64-bit integer types (see "C++ values" in the model): VAR_INT64
  /// where `long` has 64 bits.
  ///@{
  Variant(long value, QBase::Buffer* buffer) noexcept : Variant(LongKind<long>(), LongBits(value), buffer) {}
  Variant(unsigned long value, QBase::Buffer* buffer) noexcept
      : Variant(LongKind<unsigned long>(), LongBits(value), buffer) {}
  Variant(unsigned long long value, QBase::Buffer* buffer) noexcept : Variant(VAR_INT64, Bits(value), buffer) {}
  ///@}
  /// UTF-8 text converted to UTF-16; null is the empty string.
  Variant(char const* text, QBase::Buffer* buffer);
  /// The UTF-8 characters of `text` (no terminator needed) converted to
  /// UTF-16, as VAR_WSTRING.
  Variant(std::string_view text, QBase::Buffer* buffer);
  /// A copy of the text; null is the empty string.
  Variant(unsigned short const* text, QBase::Buffer* buffer);
  Variant(DateTime const& value, QBase::Buffer* buffer);      ///< A copy, as VAR_DATETIME.
  Variant(BigDecimal const& value, QBase::Buffer* buffer);    ///< A copy; empty or invalid copies stay so.
  /// A copy of the blob's view; a null blob is taken as an empty one.
  Variant(Binary const* blob, QBase::Buffer* buffer);
  /// A copy (its formatting structure still borrowed).
  Variant(CellFmtData const& value, QBase::Buffer* buffer);
  /// Empty, on the heap, governed by `contract` (null: none); holds a reference.
  explicit Variant(QBase::MemoryContract* contract);
  /// Takes other's arena and contract, then assigns other (governed).
  Variant(Variant const& other);
  /// Drops the value and the reference to the contract.
  ~Variant() {
    Reset();
    if (contract_ != nullptr) DropContract();
  }

  // --- Assignment ----------------------------------------------------------
  // The old value is dropped first; the arena and the contract stay.

  /// The number, of the kind of its type.
  ///@{
  Variant& operator=(short value) noexcept { return SetNumber(VAR_SHORT, Bits(value)); }
  Variant& operator=(int value) noexcept { return SetNumber(VAR_INT, Bits(value)); }
  Variant& operator=(unsigned int value) noexcept { return SetNumber(VAR_UNSIGNED, Bits(value)); }
  Variant& operator=(long long value) noexcept { return SetNumber(VAR_INT64, Bits(value)); }
  Variant& operator=(float value) noexcept { return SetNumber(VAR_FLOAT, Bits(value)); }
  Variant& operator=(double value) noexcept { return SetNumber(VAR_DOUBLE, Bits(value)); }
  Variant& operator=(long value) noexcept { return SetNumber(LongKind<long>(), LongBits(value)); }
  Variant& operator=(unsigned long value) noexcept { return SetNumber(LongKind<unsigned long>(), LongBits(value)); }
  Variant& operator=(unsigned long long value) noexcept { return SetNumber(VAR_INT64, Bits(value)); }
  ///@}
  /// The UTF-8 characters of `text` as VAR_WSTRING; governed.
  Variant& operator=(std::string_view text);
  Variant& operator=(char const* text);            ///< UTF-8 text as VAR_WSTRING; governed.
  Variant& operator=(unsigned short const* text);  ///< A copy of the text; governed.
  Variant& operator=(DateTime const& value);       ///< A copy, as VAR_DATETIME.
  Variant& operator=(BigDecimal const& value);     ///< A copy, as VAR_BIGDECIMAL.
  Variant& operator=(Binary const* blob);  ///< A copy of the view; governed; null is an empty blob.
  Variant& operator=(CellFmtData const& value);    ///< A copy, as VAR_CELLFMTDATA.
  /// Nothing happens when other is this Variant; strings and blobs governed.
  Variant& operator=(Variant const& other);

  /// As operator=(DateTime const&), then the kind becomes VAR_DATE / VAR_TIME.
  ///@{
  void SetDate(DateTime const& value);
  void SetTime(DateTime const& value);
  ///@}

  /// The kind of the held value.
  ///@{
  DATA_TYPE GetVarType() { return type_; }
  DATA_TYPE GetVarType() const noexcept { return type_; }
  ///@}
  /// VAR_EMPTY, or a CellFmtData of type CellFmtDataTypeNull (14).
  bool IsNull() const noexcept {
    return type_ == VAR_EMPTY || (type_ == VAR_CELLFMTDATA && Cell()->GetType() == CellFmtDataTypeNull);
  }

  /// Exchanges kinds, values and arenas; each keeps its own contract.
  void swap(Variant& other) noexcept;

  // --- Numeric conversions (never throw) ----------------------------------

  /// The numeric reading (see Conversions in the model); 0 for a kind
  /// without one. Only `operator int` reads a string.
  ///@{
  operator short() const noexcept { return Number<short>(); }
  operator int() const noexcept { return type_ == VAR_WSTRING ? LeadingInteger() : Number<int>(); }
  operator unsigned int() const noexcept { return Number<unsigned int>(); }
  operator long long() const noexcept { return Number<long long>(); }
  operator float() const noexcept { return Number<float>(); }
  operator double() const noexcept { return Number<double>(); }
  ///@}

  // --- Object conversions --------------------------------------------------
  // Each throws VariantException "Cannot convert to ... type" for any other
  // kind; pointers stay owned by the Variant.

  operator DateTime();                     ///< The date kinds; a copy.
  operator DateTime() const;               ///< The date kinds; a copy.
  DateTime const* ToDateTime() const;      ///< The date kinds.
  BigDecimal const* ToBigDecimal() const;  ///< VAR_BIGDECIMAL.
  operator CellFmtData();                  ///< VAR_CELLFMTDATA; a copy.
  operator CellFmtData() const;            ///< VAR_CELLFMTDATA; a copy.
  Binary const* ToBinary() const;          ///< VAR_BINARY.

  // --- Comparison --------------------------------------------------------

  /// Whether operator< accepts the two kinds: numbers among themselves, the
  /// date kinds among themselves, any other kind with its own, and anything
  /// with VAR_EMPTY.
  bool IsTypeComparable(Variant const& other) const noexcept;

  /// True only for a number kind, compared as the model says.
  ///@{
  bool operator==(short x) const noexcept { return EqualsNumber(x); }
  bool operator==(int x) const noexcept { return EqualsNumber(x); }
  bool operator==(unsigned int x) const noexcept { return EqualsNumber(x); }
  bool operator==(long long x) const noexcept { return EqualsNumber(x); }
  bool operator==(float x) const noexcept { return EqualsNumber(x); }
  bool operator==(double x) const noexcept { return EqualsNumber(x); }
  bool operator==(long x) const noexcept { return EqualsNumber(x); }
  bool operator==(unsigned long x) const noexcept { return EqualsNumber(x); }
  bool operator==(unsigned long long x) const noexcept { return EqualsNumber(x); }
  ///@}
  /// A VAR_WSTRING with the same text (narrow text read as UTF-8; null is the
  /// empty text).
  ///@{
  bool operator==(char const* text) const;
  bool operator==(unsigned short const* text) const;
  ///@}
  /// A value of the matching kind that equals `x` (dates as the model says).
  ///@{
  bool operator==(DateTime const& x) const;
  bool operator==(BigDecimal const& x) const;
  bool operator==(Binary const& x) const;
  bool operator==(CellFmtData const& x) const;
  ///@}
  /// This Variant's value, in the form that matches its kind, compared with
  /// the other Variant.
  bool operator==(Variant const& other) const {
    switch (type_) {
      case VAR_INT:
      case VAR_LONG: return other.EqualsNumber(Get<int32_t>());
      case VAR_UNSIGNED: return other.EqualsNumber(Get<uint32_t>());
      case VAR_SHORT: return other.EqualsNumber(Get<int16_t>());
      case VAR_INT64: return other.EqualsNumber(Get<long long>());
      case VAR_FLOAT: return other.EqualsNumber(Get<float>());
      case VAR_DOUBLE: return other.EqualsNumber(Get<double>());
      default: return EqualsObject(other);
    }
  }

  /// Not operator== (for every type that operator== takes).
  template <class T>
  bool operator!=(T const& x) const {
    return !(*this == x);
  }

  /// The order of the model; throws VariantException "Variant types
  /// incomparable" for kinds that IsTypeComparable refuses.
  ///@{
  bool operator<(Variant const& other) const {
    if (IsNumberKind(type_) && IsNumberKind(other.type_)) {
      if (type_ == VAR_INT64) return Number<long long>() < other.Number<long long>();
      return Number<double>() < other.Number<double>();
    }
    return LessObject(other);
  }
  bool operator<(Variant const& other) { return std::as_const(*this) < other; }
  ///@}

  // --- Text ----------------------------------------------------------------

  /// The text of the value (see the table of the model).
  ///@{
  QBase::ReturnString ToString();
  QBase::ReturnString ToString() const;
  ///@}
  /// The text with "%.15g" for floating values and ToDateString for dates.
  ///@{
  QBase::ReturnString ToStringVBBehavior();
  QBase::ReturnString ToStringVBBehavior() const;
  ///@}
  /// ToString's text into `buffer`, cut to size - 1 bytes and terminated.
  void ToString(char* buffer, unsigned int size) const;
  /// The byte length of ToString's text.
  unsigned int GetStringLength() const;
  /// The wide text of the value.
  ///@{
  QBase::ReturnWString ToWString();
  QBase::ReturnWString ToWString() const;
  ///@}
  /// ToWString's text into `buffer`, cut to size - 1 units and terminated.
  void ToWString(unsigned short* buffer, unsigned int size) const;
  /// The unit length of the text the buffer form writes.
  unsigned int GetWStringLength() const;
  /// The held string for VAR_WSTRING, else null; owned by the Variant.
  String const* GetRawWString() const noexcept {
    return type_ == VAR_WSTRING ? Str() : nullptr;
  }

 private:
  friend struct VariantText;
  friend struct VariantTestPeer;  // white-box access for the library's own tests

  Variant(DATA_TYPE type, uint64_t value, QBase::Buffer* buffer) noexcept
      : type_(type), value_(value), buffer_(buffer), contract_(nullptr) {}

  // The value field: a number in its first bytes in memory (copied in and
  // out, so the same on any host; the rest zero), or the owning pointer.
  template <class T>
  static uint64_t Bits(T value) noexcept {
    static_assert(sizeof(T) <= sizeof(uint64_t), "fits the value field");
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
  }
  // The kind and value field of a `long`-sized integer type.
  template <class L>
  static constexpr DATA_TYPE LongKind() noexcept {
    return sizeof(L) == 8 ? VAR_INT64 : std::is_signed<L>::value ? VAR_INT : VAR_UNSIGNED;
  }
  template <class L>
  static uint64_t LongBits(L value) noexcept {
    if constexpr (sizeof(L) == 8) {
      return Bits(static_cast<long long>(value));
    } else {
      return Bits(value);
    }
  }
  template <class T>
  T Get() const noexcept {
    T value;
    std::memcpy(&value, &value_, sizeof value);
    return value;
  }
  String* Str() const noexcept { return Get<String*>(); }
  Binary* Blob() const noexcept { return Get<Binary*>(); }
  DateTime* Date() const noexcept { return Get<DateTime*>(); }
  BigDecimal* Decimal() const noexcept { return Get<BigDecimal*>(); }
  CellFmtData* Cell() const noexcept { return Get<CellFmtData*>(); }

  static bool IsNumberKind(DATA_TYPE type) noexcept {
    switch (type) {
      case VAR_INT:
      case VAR_UNSIGNED:
      case VAR_DOUBLE:
      case VAR_FLOAT:
      case VAR_SHORT:
      case VAR_LONG:
      case VAR_INT64: return true;
      default: return false;
    }
  }
  // Kinds whose value field points to an owned object.
  static bool IsOwnedKind(DATA_TYPE type) noexcept {
    constexpr uint64_t kOwned = (uint64_t{1} << VAR_WSTRING) | (uint64_t{1} << VAR_BINARY) |
                                (uint64_t{1} << VAR_DATE) | (uint64_t{1} << VAR_TIME) |
                                (uint64_t{1} << VAR_DATETIME) | (uint64_t{1} << VAR_BIGDECIMAL) |
                                (uint64_t{1} << VAR_CELLFMTDATA);
    return static_cast<uint32_t>(type) < 64 && ((kOwned >> type) & 1) != 0;
  }
  // Truncation toward zero; outside the signed range (or NaN) the
  // processor's integer indefinite value, INT_MIN or LLONG_MIN.
  static int32_t Truncate32(double x) noexcept {
    return x > -2147483649.0 && x < 2147483648.0 ? static_cast<int32_t>(x) : INT32_MIN;
  }
  static long long Truncate64(double x) noexcept {
    return x >= -9223372036854775808.0 && x < 9223372036854775808.0 ? static_cast<long long>(x)
                                                                     : static_cast<long long>(INT64_MIN);
  }
  template <class T>
  static T FromFloating(double x) noexcept {
    if constexpr (std::is_same<T, float>::value) {
      // Past the largest float by half a unit or more the nearest float is
      // an infinity (said here rather than left to the conversion).
      if (x >= 0x1.ffffffp127) return std::numeric_limits<float>::infinity();
      if (x <= -0x1.ffffffp127) return -std::numeric_limits<float>::infinity();
      return static_cast<float>(x);
    } else if constexpr (std::is_floating_point<T>::value) {
      return static_cast<T>(x);
    } else if constexpr (sizeof(T) == 8) {
      return static_cast<T>(Truncate64(x));
    } else {
      return static_cast<T>(Truncate32(x));
    }
  }
  template <class T>
  T Number() const noexcept {
    switch (type_) {
      case VAR_SHORT: return static_cast<T>(Get<int16_t>());
      case VAR_INT:
      case VAR_LONG: return static_cast<T>(Get<int32_t>());
      case VAR_UNSIGNED: return static_cast<T>(Get<uint32_t>());
      case VAR_INT64: return static_cast<T>(Get<long long>());
      case VAR_FLOAT: return FromFloating<T>(Get<float>());
      case VAR_DOUBLE: return FromFloating<T>(Get<double>());
      case VAR_CELLFMTDATA: return FromFloating<T>(Cell()->GetValue());
      default: return T(0);
    }
  }
  // a == b once the two number types meet (see "Comparison" above).
  template <class A, class B>
  static bool NumbersEqual(A a, B b) noexcept {
    if constexpr (std::is_same<A, double>::value || std::is_same<B, double>::value) {
      return static_cast<double>(a) == static_cast<double>(b);
    } else if constexpr (std::is_same<A, float>::value || std::is_same<B, float>::value) {
      return static_cast<float>(a) == static_cast<float>(b);
    } else if constexpr (sizeof(A) == 8 || sizeof(B) == 8) {
      return static_cast<long long>(a) == static_cast<long long>(b);
    } else {
      return static_cast<uint32_t>(a) == static_cast<uint32_t>(b);
    }
  }
  template <class X>
  bool EqualsNumber(X x) const noexcept {
    switch (type_) {
      case VAR_INT:
      case VAR_LONG: return NumbersEqual(Get<int32_t>(), x);
      case VAR_UNSIGNED: return NumbersEqual(Get<uint32_t>(), x);
      case VAR_SHORT: return NumbersEqual(Get<int16_t>(), x);
      case VAR_INT64: return NumbersEqual(Get<long long>(), x);
      case VAR_FLOAT: return NumbersEqual(Get<float>(), x);
      case VAR_DOUBLE: return NumbersEqual(Get<double>(), x);
      default: return false;
    }
  }

  Variant& SetNumber(DATA_TYPE type, uint64_t bits) noexcept {
    Reset();
    type_ = type;
    value_ = bits;
    return *this;
  }
  // Drops the value: frees the owned object when there is no arena.
  void Reset() noexcept {
    if (buffer_ == nullptr && IsOwnedKind(type_)) FreeObject();
    type_ = VAR_EMPTY;
    value_ = 0;
  }
  // Copies other's value field (as wide as other's kind); kinds unchanged.
  void TakeValue(Variant& other) noexcept;
  // Asks the contract, if any, for `size` bytes; throws when refused.
  void CheckMemoryAvailability(unsigned long long size);

  void FreeObject() noexcept;
  void DropContract() noexcept;
  // Drops the old value and takes `object` as the new one.
  void Install(DATA_TYPE type, void* object) noexcept;
  // New owned objects, in the arena or on the heap.
  template <class T, class... Args>
  T* Make(Args const&... args) const;
  String* MakeString(unsigned short const* text, size_t units);   // governed
  Binary* MakeBlob(void const* data, size_t size);                  // governed
  void AssignText(unsigned short const* text, size_t units);
  void AssignDate(DateTime const& value, DATA_TYPE type);

  int LeadingInteger() const noexcept;
  bool EqualsText(unsigned short const* text, size_t units) const noexcept;
  bool EqualsObject(Variant const& other) const;
  bool LessObject(Variant const& other) const;

  DATA_TYPE type_;
  uint64_t value_;
  QBase::Buffer* buffer_;
  QBase::MemoryContract* contract_;
};

/// Prints ToString()'s text (nothing for the kinds whose text is null); a
/// decimal prints as BigDecimal's operator<< prints it, so it never throws
/// BigDecimalException.
QDT_API std::ostream& operator<<(std::ostream& os, Variant const& value);

}  // namespace QDataType
