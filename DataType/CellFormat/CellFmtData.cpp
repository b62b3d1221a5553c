#include "DataType/CellFormat/CellFmtData.h"

#include <cstring>
#include <type_traits>

namespace QDataType {

static_assert(std::is_trivially_copyable<CellFmtData>::value, "CellFmtData is copied bytewise");

namespace {

// Little-endian fields of the record, whatever the host order.
template <class U>
void Store(unsigned char* out, U value) {
  for (size_t i = 0; i < sizeof(U); ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

template <class U>
U Load(unsigned char const* in) {
  U value = 0;
  for (size_t i = 0; i < sizeof(U); ++i) value = static_cast<U>(value | static_cast<U>(in[i]) << (8 * i));
  return value;
}

}  // namespace

bool CellFmtData::operator==(CellFmtData const& other) const noexcept {
  return value_ == other.value_ && type_ == other.type_ && fmtId_.Data1 == other.fmtId_.Data1 &&
         fmtId_.Data2 == other.fmtId_.Data2 && fmtId_.Data3 == other.fmtId_.Data3 &&
         std::memcmp(fmtId_.Data4, other.fmtId_.Data4, sizeof fmtId_.Data4) == 0;
}

int CellFmtData::SaveObj(unsigned int size, void* buffer, int) const noexcept {
  if (size < kRecordSize || buffer == nullptr) return -1;
  unsigned char record[kRecordSize] = {};
  uint64_t bits;
  std::memcpy(&bits, &value_, sizeof bits);
  Store(record + 0, bits);
  Store(record + 8, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(fmtStruct_)));
  Store(record + 16, static_cast<uint32_t>(type_));
  Store(record + 20, fmtId_.Data1);
  Store(record + 24, fmtId_.Data2);
  Store(record + 26, fmtId_.Data3);
  std::memcpy(record + 28, fmtId_.Data4, sizeof fmtId_.Data4);
  std::memcpy(buffer, record, kRecordSize);
  return 0;
}

int CellFmtData::LoadObj(unsigned int size, void* buffer) noexcept {
  if (size != kRecordSize || buffer == nullptr) return -1;
  auto const* in = static_cast<unsigned char const*>(buffer);
  uint64_t const bits = Load<uint64_t>(in + 0);
  std::memcpy(&value_, &bits, sizeof bits);
  fmtStruct_ = reinterpret_cast<CellFmtStruct*>(static_cast<uintptr_t>(Load<uint64_t>(in + 8)));
  type_ = static_cast<EnumCellFmtDataTypes>(static_cast<int32_t>(Load<uint32_t>(in + 16)));
  fmtId_.Data1 = Load<uint32_t>(in + 20);
  fmtId_.Data2 = Load<uint16_t>(in + 24);
  fmtId_.Data3 = Load<uint16_t>(in + 26);
  std::memcpy(fmtId_.Data4, in + 28, sizeof fmtId_.Data4);
  return 0;
}

}  // namespace QDataType
