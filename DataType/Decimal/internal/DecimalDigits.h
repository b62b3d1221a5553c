// The digits of a BigDecimal value and how they are laid out.
//
// A value with scale s is sign * M * 10^-s, where M is its digit text read as
// a whole number. M is kept in limbs of 18 digits, least significant first
// (see Limbs.h). `count` is the length of the digit text: the digits of M,
// plus the zeros that followed the point in a parsed text whose integer part
// was zero ("0.05" has count 2, M = 5). `leadingZeros` counts the '0'
// characters that began a parsed text's mantissa (only without a Buffer).
#pragma once

#include <cstddef>
#include <cstdint>

#include "Base/Memory.h"
#include "DataType/Decimal/internal/Limbs.h"

namespace QDataType {
namespace decimal {

struct DecimalDigits {
  std::int32_t sign;          // +1, -1, or 0 for zero
  std::int32_t count;         // digits in the digit text; 0 for zero
  std::int32_t leadingZeros;  // '0' characters that began the parsed text
  std::int32_t size;          // limbs in use; the top one is not zero
  std::int32_t embedded;      // 1: shares one block with a result object
  std::int32_t reserved;
  QBase::Buffer* buffer;      // where this block lives; null for the heap

  Limb* Limbs() noexcept { return reinterpret_cast<Limb*>(this + 1); }
  Limb const* Limbs() const noexcept { return reinterpret_cast<Limb const*>(this + 1); }
};
static_assert(sizeof(DecimalDigits) % alignof(Limb) == 0, "limbs follow the header");

// One block holding the header and room for `limbs` limbs, from the arena or
// the heap; throws std::bad_alloc when neither supplies it. The header is
// zeroed except for the buffer.
DecimalDigits* NewDigits(QBase::Buffer* buffer, std::size_t limbs);
// The same, inside a block that also has room for the BigDecimal that will
// hold the result (see BigDecimal.cpp), so that a result costs one
// allocation.
DecimalDigits* NewResultDigits(QBase::Buffer* buffer, std::size_t limbs);
// Releases digits: frees a heap block (or its share of a result block);
// arena blocks stay with their arena.
void FreeDigits(DecimalDigits* digits) noexcept;

// Significant digits of the value (those of M), 0 for zero.
inline std::int64_t SignificantDigits(DecimalDigits const* d) noexcept {
  return DigitCount(d->Limbs(), static_cast<std::size_t>(d->size));
}

}  // namespace decimal
}  // namespace QDataType
