// Returned text and character-set conversion.
//
// Wide text is zero-terminated UTF-16 in `unsigned short` units; narrow text
// is bytes, UTF-8 wherever an encoding matters (the "multi-byte" code page of
// this platform is UTF-8). Functions hand text back by value in `ReturnString`
// (narrow) and `ReturnWString` (wide), which own a copy. A text made from a
// null pointer stays null: `GetString()` returns null and `GetLength()` 0.
// Short texts (below 32 units: dates, most numbers) are kept inside the
// object without an allocation, as std::string does, so `GetString()` stays
// valid while its object lives and is not moved from.
//
// Conversions are exact for all of Unicode, surrogate pairs included. Input
// that is not well formed (a broken UTF-8 sequence, a lone surrogate, a byte
// above 0x7F given as ASCII) becomes U+FFFD, one per maximal ill-formed
// subsequence; nothing is read past the terminator. The `bool` argument of
// each conversion is accepted for compatibility and has no effect here.
#pragma once

#include <cstddef>
#include <string>

#include "Base/Export.h"

namespace QBase {

// A wide string of 16-bit units.
using WString = std::basic_string<unsigned short>;

// Length of a zero-terminated wide text in units (0 for null).
QDT_API size_t WideLength(unsigned short const* text) noexcept;

class QDT_API ReturnString {
 public:
  explicit ReturnString(char const* text = nullptr);
  ReturnString(char const* text, size_t length);  // copies exactly `length` bytes
  ReturnString(ReturnString const& other);
  ReturnString(ReturnString&& other) noexcept;
  ReturnString& operator=(ReturnString const& other);
  ReturnString& operator=(ReturnString&& other) noexcept;
  ~ReturnString();

  char const* GetString() const noexcept { return text_; }
  size_t GetLength() const noexcept { return length_; }

 private:
  static constexpr size_t kInline = 32;  // units, terminator included
  void Take(ReturnString& other) noexcept;
  char* text_ = nullptr;
  size_t length_ = 0;
  char inline_[kInline];
};

class QDT_API ReturnWString {
 public:
  explicit ReturnWString(unsigned short const* text = nullptr);
  ReturnWString(unsigned short const* text, size_t length);  // copies exactly `length` units
  ReturnWString(ReturnWString const& other);
  ReturnWString(ReturnWString&& other) noexcept;
  ReturnWString& operator=(ReturnWString const& other);
  ReturnWString& operator=(ReturnWString&& other) noexcept;
  ~ReturnWString();

  unsigned short const* GetString() const noexcept { return text_; }
  size_t GetLength() const noexcept { return length_; }

 private:
  static constexpr size_t kInline = 32;  // units, terminator included
  void Take(ReturnWString& other) noexcept;
  unsigned short* text_ = nullptr;
  size_t length_ = 0;
  unsigned short inline_[kInline];
};

QDT_API ReturnWString UTF8ToWideChar(char const* text, bool flag = false);
QDT_API ReturnWString ASCIIToWideChar(char const* text, bool flag = false);
QDT_API ReturnWString MultiByteToWideChar(char const* text, bool flag = false);
QDT_API ReturnString WideCharToUTF8(unsigned short const* text, bool flag = false);
QDT_API ReturnString WideCharToMultiByte(unsigned short const* text, bool flag = false);

// Length-aware forms used inside the library (no terminator needed).
QDT_API WString UTF8ToWide(char const* text, size_t length);
QDT_API std::string WideToUTF8(unsigned short const* text, size_t length);

// The platform's description of a system error code (errno values here).
QDT_API ReturnWString GetSystemErrorDescription(unsigned code);

}  // namespace QBase
