// The digits of a BigDecimal value and how they are laid out.
//
// A value with scale s is kept as the magnitude M' = M * 10^pad, where M is
// the digit string read as a whole number and pad = 19 * F - s brings the
// decimal point onto a limb boundary, F = ceil(s / 19) being the number of
// limbs after the point. With every value aligned this way, bringing two
// values to a common scale is a shift by whole limbs, and adding values whose
// scales differ by a few digits is a plain limb-by-limb addition.
//
// `count` is the length of the value's digit text: the significant digits of
// M, plus the zeros that followed the point in a parsed text whose integer
// part was zero ("0.05" has count 2). `leadingZeros` counts the '0'
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
  QBase::Buffer* buffer;      // where this block lives; null for the heap

  Limb* Limbs() noexcept { return reinterpret_cast<Limb*>(this + 1); }
  Limb const* Limbs() const noexcept { return reinterpret_cast<Limb const*>(this + 1); }
};
static_assert(sizeof(DecimalDigits) % alignof(Limb) == 0, "limbs follow the header");

// One block holding the header and room for `limbs` limbs, from the arena or
// the heap; throws std::bad_alloc when neither supplies it. The header is
// zeroed except for the buffer.
DecimalDigits* NewDigits(QBase::Buffer* buffer, std::size_t limbs);
// Frees a heap block; arena blocks stay with their arena.
void FreeDigits(DecimalDigits* digits) noexcept;

// Limbs after the decimal point for a scale, and the zeros that pad the
// last of them.
inline std::int64_t FracLimbs(std::int64_t scale) noexcept { return (scale + kLimbDigits - 1) / kLimbDigits; }
inline std::int64_t PadDigits(std::int64_t scale) noexcept { return kLimbDigits * FracLimbs(scale) - scale; }

// Significant digits of the value (those of M), 0 for zero.
inline std::int64_t SignificantDigits(DecimalDigits const* d, std::int64_t scale) noexcept {
  if (d->size == 0) return 0;
  return std::int64_t{kLimbDigits} * (d->size - 1) + DigitsOf(d->Limbs()[d->size - 1]) - PadDigits(scale);
}

}  // namespace decimal
}  // namespace QDataType
