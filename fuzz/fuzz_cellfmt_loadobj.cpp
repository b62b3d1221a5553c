// CellFmtData::LoadObj on arbitrary input: the input is the record and its
// length the declared size, held in a heap block of exactly that size so a
// read past it trips the sanitizer. A 40-byte record must load and save back
// to the same 36 field bytes (reserved bytes written as zeros); any other size
// must be refused with the value unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "DataType/DataType.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool SameBytes(QDataType::CellFmtData const& a, QDataType::CellFmtData const& b) {
  unsigned char x[40], y[40];
  return a.SaveObj(40, x, 0) == 0 && b.SaveObj(40, y, 0) == 0 && std::memcmp(x, y, 40) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::unique_ptr<unsigned char[]> record(new unsigned char[size]);
  if (size != 0) std::memcpy(record.get(), data, size);

  QDataType::CellFmtData const before(-1.25, CellFmtDataTypeNull, GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}});
  QDataType::CellFmtData value = before;
  int const result = value.LoadObj(static_cast<unsigned>(size), record.get());
  if (size != 40) {
    Check(result == -1 && SameBytes(value, before));
    return 0;
  }
  Check(result == 0);
  unsigned char saved[41];
  saved[40] = 0x5C;
  Check(value.SaveObj(sizeof saved, saved, 0) == 0);
  Check(std::memcmp(saved, data, 36) == 0);
  Check(saved[36] == 0 && saved[37] == 0 && saved[38] == 0 && saved[39] == 0 && saved[40] == 0x5C);

  QDataType::CellFmtData again;
  Check(again.LoadObj(40, saved) == 0 && SameBytes(again, value));
  Check((value == again) == (value.GetValue() == value.GetValue()));  // only a NaN is unequal to itself
  Check(!(value < again) && !(again < value));
  return 0;
}
