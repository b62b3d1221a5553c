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
#include <string>

#include "Base/Export.h"

namespace QBase {

/// A wide string of 16-bit units.
using WString = std::basic_string<unsigned short>;

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
