// Heap blocks for values made without an arena.
//
// Short values are made and dropped in great numbers (every arithmetic
// result is a fresh block), so blocks of up to kKeptBytes are kept by the
// thread that frees them, in four sizes of 64 to 256 bytes, and handed to
// the next value of that size made on that thread instead of going back to
// malloc. At most kKeptPerSize blocks of each size wait on a thread; the
// rest, and everything larger, is plain malloc and free. A thread's kept
// blocks are freed when it ends.
//
// A block remembers its size class (a small number the caller stores with
// it and gives back to Free). Under AddressSanitizer nothing is kept, so
// that a use after free is still reported.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QDataType {
namespace decimal {

constexpr std::size_t kBlockStep = 64;
constexpr std::uint32_t kBlockSizes = 4;
constexpr std::size_t kKeptBytes = kBlockStep * kBlockSizes;
constexpr std::uint32_t kKeptPerSize = 16;

// The size class of a block of `bytes`: 1 to kBlockSizes for those that may
// be kept, 0 for the others.
inline std::uint32_t BlockClass(std::size_t bytes) noexcept {
  return bytes <= kKeptBytes ? static_cast<std::uint32_t>((bytes + kBlockStep - 1) / kBlockStep) : 0;
}

// A block of at least `bytes` (of exactly its class's size when the class
// is not 0), or null when the heap has none.
void* AllocateHeapBlock(std::size_t bytes, std::uint32_t sizeClass) noexcept;
// Gives back a block made by AllocateHeapBlock with the same class.
void FreeHeapBlock(void* block, std::uint32_t sizeClass) noexcept;

}  // namespace decimal
}  // namespace QDataType
