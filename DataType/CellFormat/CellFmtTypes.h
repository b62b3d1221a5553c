// The two global-scope types of cell-format values: the format identifier
// `GUID` and the type code `EnumCellFmtDataTypes`.
//
// A GUID is 16 bytes: a 32-bit Data1, 16-bit Data2 and Data3 and 8 bytes
// Data4, without padding. The type code is a 32-bit enumeration of which the
// library interprets two values; every other 32-bit value is stored, copied,
// saved and compared as given.
#pragma once

#include <cstdint>

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes without padding");

enum EnumCellFmtDataTypes : int32_t {
  CellFmtDataTypeDefault = 1,  // a default-constructed CellFmtData
  CellFmtDataTypeNull = 14,    // the cell holds no value
};
