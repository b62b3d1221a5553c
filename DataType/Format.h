/// @file
/// Formatting of the value types with the {fmt} library.
///
/// The model
/// ---------
/// When `<fmt/format.h>` can be included (Debian's libfmt-dev), this header
/// gives fmt::formatter specialisations for DateTime, TimeSpan, BigDecimal and
/// Variant. Each formats the text that the type's operator<< prints, as a
/// string: the standard string specifications apply (width, fill, alignment,
/// precision as a maximum length), e.g.
/// @code
///   fmt::format("{:>30}", dateTime);   // right-aligned in 30 columns
/// @endcode
/// Without {fmt} the header defines nothing (QDT_HAVE_FMT is then 0), and
/// operator<< (in each type's header) is the way to print.
#pragma once

#if defined(__has_include)
#if __has_include(<fmt/format.h>)
#include <fmt/format.h>
/// 1 when the {fmt} formatters are defined, else 0.
#define QDT_HAVE_FMT 1
#endif
#endif
#ifndef QDT_HAVE_FMT
/// 1 when the {fmt} formatters are defined, else 0.
#define QDT_HAVE_FMT 0
#endif

#include <sstream>
#include <string>

#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeSpan.h"
#include "DataType/Decimal/BigDecimal.h"
#include "DataType/Variant/Variant.h"

namespace QDataType {

/// The text that `operator<<` prints for `value`, as a std::string.
template <class T>
std::string ToStreamText(T const& value) {
  std::ostringstream out;
  out << value;
  return std::move(out).str();
}

}  // namespace QDataType

#if QDT_HAVE_FMT
/// @cond
// One formatter for the four types: the text of operator<<, formatted as a
// string.
template <class T>
struct QdtStreamFormatter : fmt::formatter<fmt::string_view> {
  template <class FormatContext>
  auto format(T const& value, FormatContext& ctx) const -> decltype(ctx.out()) {
    std::string const text = QDataType::ToStreamText(value);
    return fmt::formatter<fmt::string_view>::format(fmt::string_view(text.data(), text.size()), ctx);
  }
};
template <>
struct fmt::formatter<QDataType::DateTime> : QdtStreamFormatter<QDataType::DateTime> {};
template <>
struct fmt::formatter<QDataType::TimeSpan> : QdtStreamFormatter<QDataType::TimeSpan> {};
template <>
struct fmt::formatter<QDataType::BigDecimal> : QdtStreamFormatter<QDataType::BigDecimal> {};
template <>
struct fmt::formatter<QDataType::Variant> : QdtStreamFormatter<QDataType::Variant> {};
/// @endcond
#endif
