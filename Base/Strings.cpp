#include "Base/Strings.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace QBase {

namespace {

constexpr unsigned short kReplacement = 0xFFFD;


void AppendCodePoint(WString& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<unsigned short>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<unsigned short>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<unsigned short>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUTF8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

ReturnWString FromWString(WString const& w) { return ReturnWString(w.data(), w.size()); }

}  // namespace

size_t WideLength(unsigned short const* text) noexcept {
  if (text == nullptr) return 0;
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// ReturnString / ReturnWString

namespace {

// The storage of a returned text: its own inline buffer when the text and
// its terminator fit there, else a heap block.
// A short copy (below 64 bytes) in two overlapping moves of a fixed size:
// most returned texts are numbers and dates, where a call to memcpy would
// cost more than the copy.
inline void CopyShort(void* to, void const* from, size_t bytes) noexcept {
  auto two = [&](auto word) {
    std::memcpy(&word, from, sizeof word);
    decltype(word) last;
    std::memcpy(&last, static_cast<char const*>(from) + bytes - sizeof word, sizeof word);
    std::memcpy(to, &word, sizeof word);
    std::memcpy(static_cast<char*>(to) + bytes - sizeof word, &last, sizeof word);
  };
  struct Bytes16 {
    unsigned char b[16];
  };
  if (bytes >= 16) {
    if (bytes > 32) {
      std::memcpy(to, from, bytes);
    } else {
      two(Bytes16{});
    }
  } else if (bytes >= 8) {
    two(std::uint64_t{});
  } else if (bytes >= 4) {
    two(std::uint32_t{});
  } else if (bytes >= 2) {
    two(std::uint16_t{});
  } else if (bytes == 1) {
    *static_cast<char*>(to) = *static_cast<char const*>(from);
  }
}

template <class C, size_t N>
C* Store(C (&inlineBuffer)[N], C const* text, size_t length) {
  if (text == nullptr) return nullptr;
  if (length < N) {
    CopyShort(inlineBuffer, text, length * sizeof(C));
    inlineBuffer[length] = 0;
    return inlineBuffer;
  }
  C* const to = new C[length + 1];
  std::memcpy(to, text, length * sizeof(C));
  to[length] = 0;
  return to;
}

}  // namespace

ReturnString::ReturnString(char const* text) : ReturnString(text, text ? std::strlen(text) : 0) {}
ReturnString::ReturnString(char const* text, size_t length)
    : text_(Store(inline_, text, length)), length_(text ? length : 0) {}
ReturnString::ReturnString(ReturnString const& other) : ReturnString(other.text_, other.length_) {}
ReturnString::ReturnString(ReturnString&& other) noexcept { Take(other); }
ReturnString& ReturnString::operator=(ReturnString const& other) {
  if (this != &other) *this = ReturnString(other);
  return *this;
}
ReturnString& ReturnString::operator=(ReturnString&& other) noexcept {
  if (this != &other) {
    if (text_ != inline_) delete[] text_;
    Take(other);
  }
  return *this;
}
ReturnString::~ReturnString() {
  if (text_ != inline_) delete[] text_;
}
// Moves other's text here (copying it when it is inline) and leaves other null.
void ReturnString::Take(ReturnString& other) noexcept {
  length_ = other.length_;
  if (other.text_ == other.inline_) {
    std::memcpy(inline_, other.inline_, (length_ + 1) * sizeof(char));
    text_ = inline_;
  } else {
    text_ = other.text_;
  }
  other.text_ = nullptr;
  other.length_ = 0;
}

ReturnWString::ReturnWString(unsigned short const* text) : ReturnWString(text, WideLength(text)) {}
ReturnWString::ReturnWString(unsigned short const* text, size_t length)
    : text_(Store(inline_, text, length)), length_(text ? length : 0) {}
ReturnWString::ReturnWString(ReturnWString const& other) : ReturnWString(other.text_, other.length_) {}
ReturnWString::ReturnWString(ReturnWString&& other) noexcept { Take(other); }
ReturnWString& ReturnWString::operator=(ReturnWString const& other) {
  if (this != &other) *this = ReturnWString(other);
  return *this;
}
ReturnWString& ReturnWString::operator=(ReturnWString&& other) noexcept {
  if (this != &other) {
    if (text_ != inline_) delete[] text_;
    Take(other);
  }
  return *this;
}
ReturnWString::~ReturnWString() {
  if (text_ != inline_) delete[] text_;
}
void ReturnWString::Take(ReturnWString& other) noexcept {
  length_ = other.length_;
  if (other.text_ == other.inline_) {
    std::memcpy(inline_, other.inline_, (length_ + 1) * sizeof(unsigned short));
    text_ = inline_;
  } else {
    text_ = other.text_;
  }
  other.text_ = nullptr;
  other.length_ = 0;
}

// ---------------------------------------------------------------------------
// Conversions

WString UTF8ToWide(char const* text, size_t length) {
  WString out;
  if (text == nullptr) return out;
  out.reserve(length);
  auto const* s = reinterpret_cast<unsigned char const*>(text);
  size_t i = 0;
  while (i < length) {
    unsigned char const b = s[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    // Lead byte: number of continuation bytes and the range of the first one
    // (the narrowed ranges exclude overlong forms, surrogates and > U+10FFFF).
    int need = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t cp = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    ++i;
    bool ok = true;
    for (int k = 0; k < need; ++k) {
      if (i >= length || s[i] < lo || s[i] > hi) {
        ok = false;  // the offending byte is not consumed
        break;
      }
      cp = (cp << 6) | (s[i] & 0x3F);
      ++i;
      lo = 0x80, hi = 0xBF;
    }
    if (ok) {
      AppendCodePoint(out, cp);
    } else {
      out.push_back(kReplacement);
    }
  }
  return out;
}

std::string WideToUTF8(unsigned short const* text, size_t length) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    char32_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = kReplacement;
    }
    AppendUTF8(out, u);
  }
  return out;
}

ReturnWString UTF8ToWideChar(char const* text, bool) {
  if (text == nullptr) return ReturnWString();
  return FromWString(UTF8ToWide(text, std::strlen(text)));
}

ReturnWString MultiByteToWideChar(char const* text, bool flag) { return UTF8ToWideChar(text, flag); }

ReturnWString ASCIIToWideChar(char const* text, bool) {
  if (text == nullptr) return ReturnWString();
  size_t const n = std::strlen(text);
  WString out(n, 0);
  for (size_t i = 0; i < n; ++i) {
    auto const b = static_cast<unsigned char>(text[i]);
    out[i] = b < 0x80 ? b : kReplacement;
  }
  return FromWString(out);
}

ReturnString WideCharToUTF8(unsigned short const* text, bool) {
  if (text == nullptr) return ReturnString();
  std::string const s = WideToUTF8(text, WideLength(text));
  return ReturnString(s.data(), s.size());
}

ReturnString WideCharToMultiByte(unsigned short const* text, bool flag) { return WideCharToUTF8(text, flag); }

ReturnWString GetSystemErrorDescription(unsigned code) {
  char buffer[256];
  // GNU strerror_r returns the text, which may or may not be in `buffer`.
  char const* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  return FromWString(UTF8ToWide(text, std::strlen(text)));
}

}  // namespace QBase
