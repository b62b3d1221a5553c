#include "DataType/Collections/Binary.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "Base/internal/HeapBlocks.h"
#include "DataType/Collections/internal/BinaryImpl.h"

namespace QDataType {

Binary::~Binary() = default;

// What SetData does on an empty blob: there is no storage to reuse and the
// source cannot lie inside the blob, so the bytes go straight into new
// storage (none when an arena refuses it: the blob stays empty).
BinaryImpl::BinaryImpl(const void* data, size_t size, QBase::Buffer* buffer) : buffer_(buffer) {
  if (size == 0) return;
  unsigned char* const block = TakeStorage(size);
  if (block == nullptr) return;
  if (data == nullptr) {
    std::memset(block, 0, size);
  } else {
    std::memcpy(block, data, size);
  }
  if (buffer_ == nullptr) owned_ = block;
  storage_ = view_ = block;
  capacity_ = length_ = size;
}

void* BinaryImpl::operator new(size_t size) { return QBase::AllocateFromHeap(size); }

void BinaryImpl::operator delete(void* p) noexcept { QBase::FreeToHeap(p, sizeof(BinaryImpl)); }

BinaryImpl::~BinaryImpl() { FreeOwned(); }

// The storage's heap blocks inline (the same blocks as FreeToHeap's).
void BinaryImpl::FreeOwned() noexcept {
  if (owned_ != nullptr) QBase::FreeHeapBlock(owned_, QBase::BlockClass(capacity_));
}

unsigned char* BinaryImpl::TakeStorage(size_t size) const {
  if (buffer_ != nullptr) return static_cast<unsigned char*>(buffer_->Allocate(size));
  if (size > static_cast<size_t>(PTRDIFF_MAX)) throw std::length_error("Binary: size exceeds PTRDIFF_MAX");
  void* const block = QBase::AllocateHeapBlock(size, QBase::BlockClass(size));
  if (block == nullptr) throw std::bad_alloc();
  return static_cast<unsigned char*>(block);
}

void BinaryImpl::Adopt(unsigned char* block, size_t size) noexcept {
  if (buffer_ == nullptr) {
    FreeOwned();
    owned_ = block;
  }
  storage_ = view_ = block;
  capacity_ = length_ = block == nullptr ? 0 : size;
}

void BinaryImpl::SetData(const void* data, size_t size) {
  if (size == 0) return;
  unsigned char* target = storage_;
  if (capacity_ < size) {
    target = TakeStorage(size);
    if (target == nullptr) {
      Adopt(nullptr, 0);
      return;
    }
  }
  // The source may lie in the current storage: move, and free the old block
  // only once the bytes are in place.
  if (data == nullptr) {
    std::memset(target, 0, size);
  } else {
    std::memmove(target, data, size);
  }
  if (target != storage_) {
    Adopt(target, size);
  } else {
    view_ = storage_;
    length_ = size;
  }
}

void BinaryImpl::SetSize(size_t size) {
  if (size == 0) return;
  if (capacity_ >= size) {
    view_ = storage_;
    length_ = size;
    return;
  }
  Adopt(TakeStorage(size), size);
}

bool BinaryImpl::IsEqual(const Binary& other) const {
  size_t const size = other.GetSize();
  if (size != length_) return false;
  return size == 0 || std::memcmp(view_, other.GetData(), size) == 0;
}

bool BinaryImpl::IsLess(const Binary& other) const {
  size_t const size = other.GetSize();
  if (size == 0) return false;
  if (length_ == 0) return true;
  int const order = std::memcmp(view_, other.GetData(), std::min(length_, size));
  return order != 0 ? order < 0 : length_ < size;
}

void BinaryImpl::TrimEnd(size_t count) { length_ = count > length_ ? 0 : length_ - count; }

void BinaryImpl::TrimStart(size_t count) {
  if (count > length_) {
    length_ = 0;
    return;
  }
  view_ += count;
  length_ -= count;
}

void BinaryImpl::Rewind() {
  view_ = storage_;
  length_ = capacity_;
}

void* BinaryImpl::Detach() {
  if (buffer_ != nullptr) return nullptr;
  void* const block = owned_;
  owned_ = nullptr;
  storage_ = view_ = nullptr;
  capacity_ = length_ = 0;
  return block;
}

namespace {

// A heap blob through the throwing new; an arena blob through the arena's
// placement form, which gives the storage back itself if the constructor
// throws. An arena that cannot hold the object leaves nothing to return.
template <class... Args>
Binary* MakeBinary(QBase::Buffer* buffer, Args const&... args) {
  if (buffer == nullptr) return new BinaryImpl(args..., nullptr);
  BinaryImpl* blob = new (buffer) BinaryImpl(args..., buffer);
  if (blob == nullptr) throw std::bad_alloc();
  return blob;
}

}  // namespace

Binary* CreateBinary(QBase::Buffer* buffer) { return MakeBinary(buffer); }

Binary* CreateBinary(const void* data, size_t size, QBase::Buffer* buffer) { return MakeBinary(buffer, data, size); }

Binary* CreateBinary(size_t size, QBase::Buffer* buffer) {
  return MakeBinary(buffer, static_cast<const void*>(nullptr), size);
}

}  // namespace QDataType
