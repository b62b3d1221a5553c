// Locale data from the platform: decimal separators.
#pragma once

namespace QDataType {
namespace Platform {

// The decimal separator of a Windows locale identifier (LCID) as one UTF-16
// unit: the first unit of the separator that the locale uses with the digits
// 0-9 ('.' for 0x0409 en-US, ',' for 0x0407 de-DE and 0x040C fr-FR). The
// identifiers of the user and system default locales (0x0000, 0x0400,
// 0x0800) stand for the process's default locale, as the environment sets it.
// 0 when the identifier is unknown or the lookup fails.
unsigned short DecimalSeparatorForLCID(unsigned long lcid) noexcept;

// The decimal separator that "%f" writes in the current C locale: the third
// character of 1.0 printed with "%+1.1f" (its first byte when the separator
// is longer than one byte).
char CurrentDecimalSeparator() noexcept;

}  // namespace Platform
}  // namespace QDataType
