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
  std::int32_t sizeClass;     // of a heap block (HeapBlocks.h); 0 otherwise
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

// Small values take no storage: a value whose M fits in one limb, whose
// digit text is just the digits of M (no zeros after the point in front of
// them) and that began with at most three '0' characters is kept in the
// object's digits word itself, marked by its low bit (a DecimalDigits block
// is aligned, so a pointer never has it):
//   bit 0: 1; bit 1: negative; bits 2-3: leadingZeros; bits 4-63: M.
// Zero is M = 0. Readers unpack such a word into an InlineDigits on their
// stack and read it like any other DecimalDigits.
using Word = std::uintptr_t;
static_assert(sizeof(Word) == 8, "the digits word holds a limb of 60 bits");
constexpr int kInlineLeadingZeros = 3;

inline bool IsInline(void const* digits) noexcept { return (reinterpret_cast<Word>(digits) & 1) != 0; }

inline bool FitsInline(Limb m, std::int64_t count, std::int64_t leadingZeros) noexcept {
  return m < kBase && count == DigitsOf(m) && leadingZeros <= kInlineLeadingZeros;
}

// sign is ignored for m = 0; a caller that knows m is not zero says so.
enum NotZero { kNotZero };
inline void* PackInline(int sign, Limb m, int leadingZeros, NotZero) noexcept {
  return reinterpret_cast<void*>(Word{1} | (sign < 0 ? Word{2} : 0) | (static_cast<Word>(leadingZeros) << 2) | (Word{m} << 4));
}
inline void* PackInline(int sign, Limb m, int leadingZeros) noexcept {
  Word const negative = m != 0 && sign < 0 ? 2 : 0;
  return reinterpret_cast<void*>(Word{1} | negative | (static_cast<Word>(leadingZeros) << 2) | (Word{m} << 4));
}

inline Limb InlineMagnitude(void const* digits) noexcept { return reinterpret_cast<Word>(digits) >> 4; }
inline int InlineSign(void const* digits) noexcept {
  Word const w = reinterpret_cast<Word>(digits);
  return (w >> 4) == 0 ? 0 : (w & 2) != 0 ? -1 : 1;
}
inline int InlineLeadingZeros(void const* digits) noexcept {
  return static_cast<int>((reinterpret_cast<Word>(digits) >> 2) & 3);
}

struct InlineDigits {
  DecimalDigits header;
  Limb limb;  // header.Limbs()[0]
};
static_assert(sizeof(InlineDigits) == sizeof(DecimalDigits) + sizeof(Limb), "the limb follows the header");

// The DecimalDigits of a digits word: the block it points to, or the inline
// value unpacked into room.
inline DecimalDigits const* Unpack(void const* digits, InlineDigits& room) noexcept {
  if (!IsInline(digits)) return static_cast<DecimalDigits const*>(digits);
  Limb const m = InlineMagnitude(digits);
  std::int32_t const count = DigitsOf(m);
  room.header = DecimalDigits{InlineSign(digits), count, InlineLeadingZeros(digits), m != 0 ? 1 : 0, 0, 0, nullptr};
  room.limb = m;
  return &room.header;
}

// Significant digits of the value (those of M), 0 for zero.
inline std::int64_t SignificantDigits(DecimalDigits const* d) noexcept {
  return DigitCount(d->Limbs(), static_cast<std::size_t>(d->size));
}

}  // namespace decimal
}  // namespace QDataType
