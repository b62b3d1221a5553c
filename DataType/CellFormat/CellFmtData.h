// CellFmtData: a cell's number with its type code, format identifier and
// formatting structure.
//
// The model
// ---------
// A plain, trivially copyable value of four fields: `Value` (double),
// `CellFmtStructPtr` (a CellFmtStruct that the value borrows: never freed,
// copied or dereferenced here), `Type` (EnumCellFmtDataTypes) and `FmtID`
// (GUID). A default value is 0.0, null, CellFmtDataTypeDefault (1) and the
// all-zero GUID.
//
// Equality compares `Value` as doubles (0.0 equals -0.0; NaN equals nothing),
// `Type` and the 16 bytes of `FmtID`; the structure pointer takes no part.
// Ordering compares `Value` alone (false whenever a NaN is involved).
//
// The saved record
// ----------------
// Forty bytes, little-endian, no version field:
//
//   offset  0  8  Value, IEEE 754 binary64
//   offset  8  8  CellFmtStructPtr, the raw 64-bit address
//   offset 16  4  Type
//   offset 20  4  FmtID.Data1
//   offset 24  2  FmtID.Data2
//   offset 26  2  FmtID.Data3
//   offset 28  8  FmtID.Data4
//   offset 36  4  reserved: written as zeros, ignored when read
//
// The address is restored as it was saved, so it means something only in the
// process that saved it. `SaveObj` needs at least 40 bytes; `LoadObj` takes
// exactly 40 (a longer or shorter declared size returns -1 and changes
// nothing; nothing is ever read past the declared size). A null buffer
// returns -1.
#pragma once

#include <cstdint>

#include "Base/Export.h"
#include "DataType/CellFormat/CellFmtStruct.h"
#include "DataType/CellFormat/CellFmtTypes.h"

namespace QDataType {

class QDT_API CellFmtData {
 public:
  static constexpr unsigned int kRecordSize = 40;

  CellFmtData() noexcept = default;
  CellFmtData(double value, EnumCellFmtDataTypes type, GUID const& fmtId) noexcept
      : value_(value), type_(type), fmtId_(fmtId) {}
  CellFmtData(CellFmtData const&) = default;
  CellFmtData& operator=(CellFmtData const&) = default;

  double GetValue() const noexcept { return value_; }
  CellFmtStruct* GetCellFmtStructPtr() const noexcept { return fmtStruct_; }
  EnumCellFmtDataTypes GetType() const noexcept { return type_; }
  GUID GetFmtID() const noexcept { return fmtId_; }

  void PutValue(double value) noexcept { value_ = value; }
  void PutCellFmtStructPtr(CellFmtStruct* fmtStruct) noexcept { fmtStruct_ = fmtStruct; }
  void PutType(EnumCellFmtDataTypes type) noexcept { type_ = type; }
  void PutFmtID(GUID const& fmtId) noexcept { fmtId_ = fmtId; }

  bool operator==(CellFmtData const& other) const noexcept;
  bool operator!=(CellFmtData const& other) const noexcept { return !(*this == other); }
  bool operator<(CellFmtData const& other) const noexcept { return value_ < other.value_; }

  // 0 after writing the 40-byte record, -1 (nothing written) when `size` is
  // below 40. The third argument is ignored.
  int SaveObj(unsigned int size, void* buffer, int = 0) const noexcept;
  // 0 after reading a 40-byte record, -1 (nothing changed) for any other size.
  int LoadObj(unsigned int size, void* buffer) noexcept;

 private:
  double value_ = 0.0;
  CellFmtStruct* fmtStruct_ = nullptr;
  EnumCellFmtDataTypes type_ = CellFmtDataTypeDefault;
  GUID fmtId_{};
};

}  // namespace QDataType
