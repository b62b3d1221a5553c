/// @file
/// CellFmtData: a cell's number with its type code, format identifier and
/// formatting structure.
///
/// @class QDataType::CellFmtData
/// A cell's number with its type code, format identifier and formatting
/// structure.
///
/// The model
/// ---------
/// A plain, trivially copyable value of four fields: `Value` (double),
/// `CellFmtStructPtr` (a CellFmtStruct that the value borrows: never freed,
/// copied or dereferenced here), `Type` (EnumCellFmtDataTypes) and `FmtID`
/// (GUID). A default value is 0.0, null, CellFmtDataTypeDefault (1) and the
/// all-zero GUID.
///
/// Equality compares `Value` as doubles (0.0 equals -0.0; NaN equals nothing),
/// `Type` and the 16 bytes of `FmtID`; the structure pointer takes no part.
/// Ordering compares `Value` alone (false whenever a NaN is involved).
///
/// The saved record
/// ----------------
/// Forty bytes, little-endian, no version field:
///
/// @code{.unparsed}
///   offset  0  8  Value, IEEE 754 binary64
///   offset  8  8  CellFmtStructPtr, the raw 64-bit address
///   offset 16  4  Type
///   offset 20  4  FmtID.Data1
///   offset 24  2  FmtID.Data2
///   offset 26  2  FmtID.Data3
///   offset 28  8  FmtID.Data4
///   offset 36  4  reserved: written as zeros, ignored when read
/// @endcode
///
/// The address is restored as it was saved, so it means something only in the
/// process that saved it. `SaveObj` needs at least 40 bytes; `LoadObj` takes
/// exactly 40 (a longer or shorter declared size returns -1 and changes
/// nothing; nothing is ever read past the declared size). A null buffer
/// returns -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>

#include "Base/Export.h"
#include "DataType/CellFormat/CellFmtStruct.h"
#include "DataType/CellFormat/CellFmtTypes.h"

namespace QDataType {

class QDT_API CellFmtData {
 public:
  static constexpr unsigned int kRecordSize = 40;  //!< Size of the saved record in bytes.

  /// Value 0.0, no structure, CellFmtDataTypeDefault and the all-zero GUID.
  CellFmtData() noexcept = default;
  /// The given value, type code and format identifier, with no structure.
  CellFmtData(double value, EnumCellFmtDataTypes type, GUID const& fmtId) noexcept
      : value_(value), type_(type), fmtId_(fmtId) {}
  /// Copies the four fields; the structure pointer is copied, not the structure.
  CellFmtData(CellFmtData const&) = default;
  /// Copies the four fields; the structure pointer is copied, not the structure.
  CellFmtData& operator=(CellFmtData const&) = default;

  /// The cell's number.
  double GetValue() const noexcept { return value_; }
  /// The borrowed formatting structure, or null.
  CellFmtStruct* GetCellFmtStructPtr() const noexcept { return fmtStruct_; }
  /// The type code.
  EnumCellFmtDataTypes GetType() const noexcept { return type_; }
  /// The format identifier.
  GUID GetFmtID() const noexcept { return fmtId_; }

  /// Sets the cell's number.
  void PutValue(double value) noexcept { value_ = value; }
  /// Points at `fmtStruct` (may be null) without taking ownership; the
  /// structure pointed at before is left alone.
  void PutCellFmtStructPtr(CellFmtStruct* fmtStruct) noexcept { fmtStruct_ = fmtStruct; }
  /// Sets the type code (any 32-bit value).
  void PutType(EnumCellFmtDataTypes type) noexcept { type_ = type; }
  /// Sets the format identifier.
  void PutFmtID(GUID const& fmtId) noexcept { fmtId_ = fmtId; }

  /// Equal values as doubles, type codes and identifier bytes; the structure
  /// pointer takes no part.
  bool operator==(CellFmtData const& other) const noexcept;
  /// Not operator==.
  bool operator!=(CellFmtData const& other) const noexcept { return !(*this == other); }
  /// This value less than the other's as doubles (false with a NaN).
  bool operator<(CellFmtData const& other) const noexcept { return value_ < other.value_; }

  /// 0 after writing the 40-byte record, -1 (nothing written) when `size` is
  /// below 40 or `buffer` is null. The third argument is ignored.
  int SaveObj(unsigned int size, void* buffer, int = 0) const noexcept;
  /// 0 after reading a 40-byte record, -1 (nothing changed) for any other size
  /// or a null `buffer`.
  int LoadObj(unsigned int size, void* buffer) noexcept;

 private:
  double value_ = 0.0;
  CellFmtStruct* fmtStruct_ = nullptr;
  EnumCellFmtDataTypes type_ = CellFmtDataTypeDefault;
  GUID fmtId_{};
};

}  // namespace QDataType

namespace std {
/// Hashes a CellFmtData by what operator== compares: the value (0.0 and
/// -0.0 alike), the type code and the identifier's bytes; the structure
/// pointer takes no part.
template <>
struct hash<QDataType::CellFmtData> {
  /// A hash of value, type code and identifier.
  size_t operator()(QDataType::CellFmtData const& c) const noexcept {
    double const value = c.GetValue() == 0.0 ? 0.0 : c.GetValue();
    ::GUID const id = c.GetFmtID();
    uint64_t words[4] = {};
    std::memcpy(&words[0], &value, sizeof value);
    words[1] = static_cast<uint64_t>(static_cast<uint32_t>(c.GetType())) << 32 | id.Data1;
    words[2] = static_cast<uint64_t>(id.Data2) << 16 | id.Data3;
    std::memcpy(&words[3], id.Data4, sizeof id.Data4);
    uint64_t h = 1469598103934665603ull;
    for (uint64_t w : words) {
      h ^= w;
      h *= 0x100000001B3ull;
      h ^= h >> 32;
    }
    return static_cast<size_t>(h);
  }
};
}  // namespace std
