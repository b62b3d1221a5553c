/// @file
/// CellFmtStruct: the formatting of a grid cell.
///
/// @class QDataType::CellFmtStruct
/// The formatting of a grid cell.
///
/// The model
/// ---------
/// Four wide strings (UTF-16 code units, owned, on the heap) and nine small
/// integer fields, all public. The library constructs, copies, compares and
/// destroys the structure but gives its fields no meaning. Defaults:
///
/// @code{.unparsed}
///   Int1 0        NumberFormat "#,##0"   Int2 16777215 (0x00FFFFFF)  Int3 0
///   Text2 "I"     Short1 2               Text3 ""                    Flag1 0
///   Short2 0      Short3 0               Text4 ""                    Short4 10
///   LocaleId 1033 (English, United States)
/// @endcode
///
/// Copies are deep and take every field. Equality compares every field except
/// `Short3`; strings are equal when they hold the same code units. A failed
/// string copy throws std::bad_alloc; an assignment that throws leaves the
/// target as it was.
///
/// A CellFmtData (CellFmtData.h) only borrows a CellFmtStruct: whoever creates
/// the structure owns it and must keep it alive while values point at it.
#pragma once

#include <cstdint>

#include "Base/Export.h"
#include "Base/Strings.h"

namespace QDataType {

class QDT_API CellFmtStruct {
 public:
  /// The defaults above. Throws std::bad_alloc when a string cannot be made.
  CellFmtStruct();
  /// A deep copy of every field, Short3 included. Throws std::bad_alloc when
  /// a string cannot be copied.
  CellFmtStruct(CellFmtStruct const& other);
  /// A deep copy of every field, Short3 included. Throws std::bad_alloc when a
  /// string cannot be copied, leaving this structure as it was.
  CellFmtStruct& operator=(CellFmtStruct const& other);
  ~CellFmtStruct();

  /// Every field but Short3.
  bool operator==(CellFmtStruct const& other) const;
  /// Not operator==.
  bool operator!=(CellFmtStruct const& other) const { return !(*this == other); }

  int32_t Int1 = 0;             //!< Integer field; default 0.
  QBase::WString NumberFormat;  //!< Number-format pattern; default "#,##0".
  int32_t Int2 = 0x00FFFFFF;    //!< Integer field; default 16777215 (0x00FFFFFF).
  int32_t Int3 = 0;             //!< Integer field; default 0.
  QBase::WString Text2;         //!< Text field; default "I".
  int16_t Short1 = 2;           //!< Short field; default 2.
  QBase::WString Text3;         //!< Text field; default empty.
  uint8_t Flag1 = 0;            //!< Byte field; default 0.
  int16_t Short2 = 0;           //!< Short field; default 0.
  int16_t Short3 = 0;           //!< Short field, ignored by operator==; default 0.
  QBase::WString Text4;         //!< Text field; default empty.
  int16_t Short4 = 10;          //!< Short field; default 10.
  uint16_t LocaleId = 1033;     //!< Locale identifier; default 1033 (English, United States).
};

}  // namespace QDataType
