#include "DataType/CellFormat/CellFmtStruct.h"

#include <utility>

namespace QDataType {

namespace {
constexpr unsigned short kNumberFormat[] = {'#', ',', '#', '#', '0', 0};
constexpr unsigned short kText2[] = {'I', 0};
}  // namespace

CellFmtStruct::CellFmtStruct() : NumberFormat(kNumberFormat), Text2(kText2) {}

CellFmtStruct::CellFmtStruct(CellFmtStruct const& other) = default;

CellFmtStruct& CellFmtStruct::operator=(CellFmtStruct const& other) {
  if (this == &other) return *this;
  // Copy first, then take the copy's strings: a failed copy changes nothing.
  CellFmtStruct copy(other);
  Int1 = copy.Int1;
  NumberFormat.swap(copy.NumberFormat);
  Int2 = copy.Int2;
  Int3 = copy.Int3;
  Text2.swap(copy.Text2);
  Short1 = copy.Short1;
  Text3.swap(copy.Text3);
  Flag1 = copy.Flag1;
  Short2 = copy.Short2;
  Short3 = copy.Short3;
  Text4.swap(copy.Text4);
  Short4 = copy.Short4;
  LocaleId = copy.LocaleId;
  return *this;
}

CellFmtStruct::~CellFmtStruct() = default;

bool CellFmtStruct::operator==(CellFmtStruct const& other) const {
  return Int1 == other.Int1 && NumberFormat == other.NumberFormat && Int2 == other.Int2 && Int3 == other.Int3 &&
         Text2 == other.Text2 && Short1 == other.Short1 && Text3 == other.Text3 && Flag1 == other.Flag1 &&
         Short2 == other.Short2 && Text4 == other.Text4 && Short4 == other.Short4 && LocaleId == other.LocaleId;
}

}  // namespace QDataType
