#include "Platform/Locale.h"

#include <unicode/uloc.h>
#include <unicode/unum.h>
#include <unicode/utypes.h>

#include <cstdio>

namespace QDataType {
namespace Platform {

namespace {

constexpr unsigned long kLocaleNeutral = 0x0000;
constexpr unsigned long kLocaleUserDefault = 0x0400;
constexpr unsigned long kLocaleSystemDefault = 0x0800;

}  // namespace

unsigned short DecimalSeparatorForLCID(unsigned long lcid) noexcept {
  char locale[ULOC_FULLNAME_CAPACITY + 32] = {};
  UErrorCode status = U_ZERO_ERROR;
  if (lcid == kLocaleNeutral || lcid == kLocaleUserDefault || lcid == kLocaleSystemDefault) {
    char const* name = uloc_getDefault();
    if (name == nullptr) return 0;
    std::snprintf(locale, sizeof locale, "%s", name);
  } else {
    if (lcid > 0xFFFFFFFFul) return 0;
    int32_t const length = uloc_getLocaleForLCID(static_cast<uint32_t>(lcid), locale, ULOC_FULLNAME_CAPACITY, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0) return 0;
  }
  // Ask for the separator that goes with the Latin digits we print, not the
  // one of a locale's native digits (Arabic locales use U+066B with those).
  status = U_ZERO_ERROR;
  uloc_setKeywordValue("numbers", "latn", locale, sizeof locale, &status);
  if (U_FAILURE(status)) return 0;

  status = U_ZERO_ERROR;
  UNumberFormat* format = unum_open(UNUM_DECIMAL, nullptr, 0, locale, nullptr, &status);
  if (U_FAILURE(status) || format == nullptr) {
    if (format != nullptr) unum_close(format);
    return 0;
  }
  UChar symbol[8] = {};
  int32_t const length = unum_getSymbol(format, UNUM_DECIMAL_SEPARATOR_SYMBOL, symbol, 8, &status);
  unum_close(format);
  if (U_FAILURE(status) || length <= 0) return 0;
  return static_cast<unsigned short>(symbol[0]);
}

char CurrentDecimalSeparator() noexcept {
  char text[64];
  int const n = std::snprintf(text, sizeof text, "%+1.1f", 1.0);
  return n >= 3 ? text[2] : '\0';
}

}  // namespace Platform
}  // namespace QDataType
