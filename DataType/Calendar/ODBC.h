/// @file
/// The ODBC date, time and timestamp structures, field for field as ODBC lays
/// them out, so that aggregate initialisation in ODBC order works:
///
/// @code
///   QDataType::ODBCDateTime ts{2024, 6, 15, 10, 20, 30, 456000000};
/// @endcode
///
/// The structures are plain data: nothing checks their fields. A DateTime made
/// from one clamps out-of-range fields as its other constructors do.
#pragma once

#include <cstdint>

namespace QDataType {

/// The ODBC date structure (SQL_DATE_STRUCT).
struct ODBCDate {
  int16_t year;    //!< Year.
  uint16_t month;  //!< Month, 1 to 12.
  uint16_t day;    //!< Day of the month, from 1.
};

/// The ODBC time structure (SQL_TIME_STRUCT).
struct ODBCTime {
  uint16_t hour;    //!< Hour, 0 to 23.
  uint16_t minute;  //!< Minute, 0 to 59.
  uint16_t second;  //!< Second, 0 to 59.
};

/// The ODBC timestamp structure (SQL_TIMESTAMP_STRUCT).
struct ODBCDateTime {
  int16_t year;       //!< Year.
  uint16_t month;     //!< Month, 1 to 12.
  uint16_t day;       //!< Day of the month, from 1.
  uint16_t hour;      //!< Hour, 0 to 23.
  uint16_t minute;    //!< Minute, 0 to 59.
  uint16_t second;    //!< Second, 0 to 59.
  uint32_t fraction;  //!< Fraction of the second in nanoseconds, 0 to 999999999.
};

}  // namespace QDataType
