// The one implementation of Binary. Internal: callers hold Binary*.
//
// The inline accessors let the library's own checks (unit tests and the fuzz
// driver) look at the storage behind the view without any exported symbol.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Base/Memory.h"
#include "DataType/Collections/Binary.h"

namespace QDataType {

class BinaryImpl final : public Binary {
 public:
  explicit BinaryImpl(QBase::Buffer* buffer) noexcept : buffer_(buffer) {}
  BinaryImpl(const void* data, size_t size, QBase::Buffer* buffer);
  ~BinaryImpl() override;
  BinaryImpl(BinaryImpl const&) = delete;
  BinaryImpl& operator=(BinaryImpl const&) = delete;

  // A heap blob's object and its storage come from QBase::AllocateFromHeap
  // (small blocks kept per thread; every block a std::malloc block, so a
  // detached storage block is still the caller's to std::free). An arena
  // blob takes its object from the arena.
  static void* operator new(size_t size);
  static void operator delete(void* p) noexcept;
  static void* operator new(size_t size, QBase::Buffer* buffer) noexcept { return ::operator new(size, buffer); }
  static void operator delete(void* p, QBase::Buffer* buffer) noexcept { ::operator delete(p, buffer); }

  void SetData(const void* data, size_t size) override;
  bool IsEqual(const Binary& other) const override;
  bool IsLess(const Binary& other) const override;
  size_t GetSize() const override { return length_; }
  void* GetData() const override { return length_ == 0 ? nullptr : view_; }
  void TrimEnd(size_t count) override;
  void TrimStart(size_t count) override;
  void Rewind() override;
  void* Detach() override;
  void SetSize(size_t size) override;

  QBase::Buffer* GetBuffer() const noexcept { return buffer_; }
  void* GetOwnedBlock() const noexcept { return owned_; }
  size_t GetCapacity() const noexcept { return capacity_; }
  unsigned char* GetStorage() const noexcept { return storage_; }
  unsigned char* GetViewStart() const noexcept { return view_; }

  // storage start <= view start, view end <= storage end; a heap blob's
  // storage is its owned block (AllocateFromHeap of its capacity), an arena
  // blob owns nothing.
  bool HoldsInvariant() const noexcept {
    auto const storage = reinterpret_cast<uintptr_t>(storage_);
    auto const view = reinterpret_cast<uintptr_t>(view_);
    if (storage_ == nullptr && capacity_ != 0) return false;
    if (view < storage || view - storage > capacity_ || length_ > capacity_ - (view - storage)) return false;
    return buffer_ == nullptr ? owned_ == storage_ : owned_ == nullptr;
  }

 private:
  // New storage of `size` (> 0) bytes, or null when the arena refuses.
  unsigned char* TakeStorage(size_t size) const;
  // Gives the owned block back (FreeToHeap with the capacity).
  void FreeOwned() noexcept;
  // Makes `block` (of `size` bytes, possibly null) the storage and the view.
  void Adopt(unsigned char* block, size_t size) noexcept;

  QBase::Buffer* const buffer_;
  void* owned_ = nullptr;
  size_t capacity_ = 0;
  unsigned char* storage_ = nullptr;
  size_t length_ = 0;
  unsigned char* view_ = nullptr;
};

}  // namespace QDataType
