/// @file
/// The two global-scope types of cell-format values: the format identifier
/// `GUID` and the type code `EnumCellFmtDataTypes`.
///
/// A GUID is 16 bytes: a 32-bit Data1, 16-bit Data2 and Data3 and 8 bytes
/// Data4, without padding. The type code is a 32-bit enumeration of which the
/// library interprets two values; every other 32-bit value is stored, copied,
/// saved and compared as given.
#pragma once

#include <cstdint>

/// A 16-byte format identifier, laid out without padding. Two identifiers are
/// equal when their 16 bytes are.
struct GUID {
  uint32_t Data1;    //!< The first 32 bits.
  uint16_t Data2;    //!< The next 16 bits.
  uint16_t Data3;    //!< The next 16 bits.
  uint8_t Data4[8];  //!< The last 8 bytes.
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes without padding");

/// The type code of a cell's value. Any 32-bit value may be stored; the
/// library interprets these two.
enum EnumCellFmtDataTypes : int32_t {
  CellFmtDataTypeDefault = 1,  //!< The type of a default-constructed CellFmtData.
  CellFmtDataTypeNull = 14,    //!< The cell holds no value.
};
