/// @file
/// Returned text and character-set conversion.
///
/// Wide text is zero-terminated UTF-16 in `unsigned short` units; narrow text
/// is bytes, UTF-8 wherever an encoding matters (the "multi-byte" code page of
/// this platform is UTF-8). Functions hand text back by value in `ReturnString`
/// (narrow) and `ReturnWString` (wide), which own a copy. A text made from a
/// null pointer stays null: `GetString()` returns null and `GetLength()` 0.
/// Short texts (below 32 units: dates, most numbers) are kept inside the
/// object without an allocation, as std::string does, so `GetString()` stays
/// valid while its object lives and is not moved from.
///
/// Conversions are exact for all of Unicode, surrogate pairs included. Input
/// that is not well formed (a broken UTF-8 sequence, a lone surrogate, a byte
/// above 0x7F given as ASCII) becomes U+FFFD, one per maximal ill-formed
/// subsequence; nothing is read past the terminator. The `bool` argument of
/// each conversion is accepted for compatibility and has no effect here.
#pragma once

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <iosfwd>
#include <string>
#include <string_view>

#include "Base/Export.h"

namespace QBase {

/// The character traits of 16-bit units, the library's own.
///
/// Standard strings of `unsigned short` need a traits type: the standard
/// library defines `std::char_traits` only for the character types, and a
/// standard library may refuse the generic one (recent versions of clang's
/// do). Every wide string type here uses this one instead. Units compare as
/// unsigned 16-bit numbers; `eof()` is a value no unit has.
struct WideTraits {
  using char_type = unsigned short;   ///< One UTF-16 unit.
  using int_type = unsigned int;      ///< Holds every unit and eof().
  using off_type = std::streamoff;    ///< Stream offset, as for char16_t.
  using pos_type = std::streampos;    ///< Stream position, as for char16_t.
  using state_type = std::mbstate_t;  ///< Conversion state, as for char16_t.

  /// r = a.
  static constexpr void assign(char_type& r, char_type const& a) noexcept { r = a; }
  /// Whether the units are equal.
  static constexpr bool eq(char_type a, char_type b) noexcept { return a == b; }
  /// Whether a comes before b as an unsigned number.
  static constexpr bool lt(char_type a, char_type b) noexcept { return a < b; }
  /// -1, 0 or 1 as the first `n` units of a order before, with or after those of b.
  static constexpr int compare(char_type const* a, char_type const* b, size_t n) noexcept {
    for (size_t i = 0; i < n; ++i) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
  }
  /// Units before the zero unit.
  static constexpr size_t length(char_type const* s) noexcept {
    size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
  }
  /// The first of the `n` units at `s` equal to `a`, or null.
  static constexpr char_type const* find(char_type const* s, size_t n, char_type const& a) noexcept {
    for (size_t i = 0; i < n; ++i) {
      if (s[i] == a) return s + i;
    }
    return nullptr;
  }
  /// Copies `n` units; the ranges may overlap.
  static char_type* move(char_type* d, char_type const* s, size_t n) noexcept {
    if (n != 0) std::memmove(d, s, n * sizeof(char_type));
    return d;
  }
  /// Copies `n` units; the ranges do not overlap.
  static char_type* copy(char_type* d, char_type const* s, size_t n) noexcept {
    if (n != 0) std::memcpy(d, s, n * sizeof(char_type));
    return d;
  }
  /// Sets `n` units to `a`.
  static char_type* assign(char_type* d, size_t n, char_type a) noexcept {
    for (size_t i = 0; i < n; ++i) d[i] = a;
    return d;
  }
  /// `c` unless it is eof(), then 0.
  static constexpr int_type not_eof(int_type c) noexcept { return c == eof() ? 0 : c; }
  /// The unit of `c` (its low 16 bits).
  static constexpr char_type to_char_type(int_type c) noexcept { return static_cast<char_type>(c); }
  /// The unit as an int_type.
  static constexpr int_type to_int_type(char_type c) noexcept { return c; }
  /// Whether the int_type values are equal.
  static constexpr bool eq_int_type(int_type a, int_type b) noexcept { return a == b; }
  /// The end-of-file value, outside the 16-bit range.
  static constexpr int_type eof() noexcept { return 0xFFFFFFFFu; }
};

/// A wide string of 16-bit units.
using WString = std::basic_string<unsigned short, WideTraits>;
/// A view of 16-bit units.
using WStringView = std::basic_string_view<unsigned short, WideTraits>;

/// Length of a zero-terminated wide text in units (0 for null).
QDT_API size_t WideLength(unsigned short const* text) noexcept;

/// A narrow text returned by value: an owned, zero-terminated copy, or null.
/// Copying copies the text; a moved-from object is null. A failed copy
/// throws std::bad_alloc.
class QDT_API ReturnString {
 public:
  /// A copy of the zero-terminated `text`; null stays null.
  explicit ReturnString(char const* text = nullptr);
  /// A copy of exactly `length` bytes of `text` (zero bytes included), then a
  /// terminator; null stays null whatever `length` says.
  ReturnString(char const* text, size_t length);
  /// A copy of the text of `other`.
  ReturnString(ReturnString const& other);
  /// Takes the text of `other`, which becomes null.
  ReturnString(ReturnString&& other) noexcept;
  /// Replaces the text by a copy of the text of `other`.
  ReturnString& operator=(ReturnString const& other);
  /// Replaces the text by the text of `other`, which becomes null.
  ReturnString& operator=(ReturnString&& other) noexcept;
  ~ReturnString();

  /// The zero-terminated text, or null; owned by this object.
  char const* GetString() const noexcept { return text_; }
  /// The length in bytes, terminator not counted (0 for null).
  size_t GetLength() const noexcept { return length_; }
  /// The text as a view (empty for null); valid while GetString() is.
  std::string_view View() const noexcept {
    return text_ != nullptr ? std::string_view(text_, length_) : std::string_view();
  }
  /// A std::string copy of the text (empty for null).
  std::string ToStdString() const { return std::string(View()); }

 private:
  static constexpr size_t kInline = 32;  // units, terminator included
  void Take(ReturnString& other) noexcept;
  char* text_ = nullptr;
  size_t length_ = 0;
  char inline_[kInline];
};

/// A wide text returned by value: an owned, zero-terminated UTF-16 copy, or
/// null. Copying copies the text; a moved-from object is null. A failed copy
/// throws std::bad_alloc.
class QDT_API ReturnWString {
 public:
  /// A copy of the zero-terminated `text`; null stays null.
  explicit ReturnWString(unsigned short const* text = nullptr);
  /// A copy of exactly `length` units of `text` (zero units included), then a
  /// terminator; null stays null whatever `length` says.
  ReturnWString(unsigned short const* text, size_t length);
  /// A copy of the text of `other`.
  ReturnWString(ReturnWString const& other);
  /// Takes the text of `other`, which becomes null.
  ReturnWString(ReturnWString&& other) noexcept;
  /// Replaces the text by a copy of the text of `other`.
  ReturnWString& operator=(ReturnWString const& other);
  /// Replaces the text by the text of `other`, which becomes null.
  ReturnWString& operator=(ReturnWString&& other) noexcept;
  ~ReturnWString();

  /// The zero-terminated text, or null; owned by this object.
  unsigned short const* GetString() const noexcept { return text_; }
  /// The length in 16-bit units, terminator not counted (0 for null).
  size_t GetLength() const noexcept { return length_; }
  /// The text as a view (empty for null); valid while GetString() is.
  WStringView View() const noexcept { return text_ != nullptr ? WStringView(text_, length_) : WStringView(); }

 private:
  static constexpr size_t kInline = 32;  // units, terminator included
  void Take(ReturnWString& other) noexcept;
  unsigned short* text_ = nullptr;
  size_t length_ = 0;
  unsigned short inline_[kInline];
};

/// The zero-terminated UTF-8 `text` in UTF-16; null gives a null text.
QDT_API ReturnWString UTF8ToWideChar(char const* text, bool flag = false);
/// The zero-terminated ASCII `text` in UTF-16, each byte above 0x7F becoming
/// U+FFFD; null gives a null text.
QDT_API ReturnWString ASCIIToWideChar(char const* text, bool flag = false);
/// The same as UTF8ToWideChar (the multi-byte code page is UTF-8 here).
QDT_API ReturnWString MultiByteToWideChar(char const* text, bool flag = false);
/// The zero-terminated UTF-16 `text` in UTF-8; null gives a null text.
QDT_API ReturnString WideCharToUTF8(unsigned short const* text, bool flag = false);
/// The same as WideCharToUTF8 (the multi-byte code page is UTF-8 here).
QDT_API ReturnString WideCharToMultiByte(unsigned short const* text, bool flag = false);

/// `length` bytes of UTF-8 in UTF-16 (no terminator needed; null gives an
/// empty string). Used inside the library.
QDT_API WString UTF8ToWide(char const* text, size_t length);
/// `length` units of UTF-16 in UTF-8 (no terminator needed; null gives an
/// empty string). Used inside the library.
QDT_API std::string WideToUTF8(unsigned short const* text, size_t length);

/// The platform's description of a system error code (errno values here).
QDT_API ReturnWString GetSystemErrorDescription(unsigned code);

}  // namespace QBase
