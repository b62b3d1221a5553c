/// @file
/// Symbol visibility for the QDataType shared library.
///
/// The library is built with hidden visibility; everything callers may use is
/// marked QDT_API. Class templates whose instances are thrown or caught across
/// the library boundary use QDT_TEMPLATE_API so their type information is
/// shared with callers. A static build defines `QDT_STATIC` (the CMake target
/// and the pkg-config file pass it on to callers), which makes both marks empty.
///
/// @def QDT_API
/// Marks a class or function that the shared library exports.
///
/// @def QDT_TEMPLATE_API
/// Marks a class template whose instances are thrown across the library
/// boundary. Callers and the library then share their type information.
#pragma once

#if defined(QDT_STATIC)
#define QDT_API
#define QDT_TEMPLATE_API
#elif defined(__GNUC__) || defined(__clang__)
#define QDT_API __attribute__((visibility("default")))
#define QDT_TEMPLATE_API __attribute__((visibility("default")))
#else
#define QDT_API
#define QDT_TEMPLATE_API
#endif
