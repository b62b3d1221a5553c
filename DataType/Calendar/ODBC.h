// The ODBC date, time and timestamp structures, field for field as ODBC lays
// them out, so that aggregate initialisation in ODBC order works:
//
//   QDataType::ODBCDateTime ts{2024, 6, 15, 10, 20, 30, 456000000};
#pragma once

#include <cstdint>

namespace QDataType {

struct ODBCDate {
  int16_t year;
  uint16_t month;
  uint16_t day;
};

struct ODBCTime {
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
};

struct ODBCDateTime {
  int16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint32_t fraction;  // nanoseconds
};

}  // namespace QDataType
