// Intrusive reference counting.
//
// `ReferenceCountedObject` is the interface of objects that count their own
// holders; `SmartPtrI<T>` holds one reference to such an object and drops it
// when it lets go. `MemoryContract` is a reference-counted object that governs
// memory: a caller asks `Reserve(size, 1)` before allocating `size` bytes
// (0 grants, anything else is an error code that refuses) and reports with
// `Release(size)` once the allocation is made. `ContractRelease` makes that
// report on every road out of the allocation, a throwing one included.
#pragma once

#include <cstddef>
#include <utility>

#include "Base/Export.h"

namespace QBase {

class QDT_API ReferenceCountedObject {
 public:
  virtual ~ReferenceCountedObject();
  virtual long AddReference() = 0;
  virtual long DropReference() = 0;
};

class QDT_API MemoryContract : public ReferenceCountedObject {
 public:
  virtual int Reserve(size_t size, int flag) = 0;
  virtual int Release(size_t size) = 0;
};

// Reports a granted reservation of `size` bytes back to `contract` (null:
// none) when the scope that made the allocation ends, whether the allocation
// succeeded or threw. What Release answers, or throws, is ignored.
class ContractRelease {
 public:
  ContractRelease(MemoryContract* contract, size_t size) noexcept : contract_(contract), size_(size) {}
  ~ContractRelease() {
    if (contract_ == nullptr) return;
    try {
      contract_->Release(size_);
    } catch (...) {
    }
  }
  ContractRelease(ContractRelease const&) = delete;
  ContractRelease& operator=(ContractRelease const&) = delete;

 private:
  MemoryContract* contract_;
  size_t size_;
};

// Holds one reference to a T (any type with AddReference/DropReference).
template <class T>
class SmartPtrI {
 public:
  SmartPtrI() noexcept = default;
  SmartPtrI(T* p) noexcept : p_(p) {  // NOLINT: implicit by design
    if (p_) p_->AddReference();
  }
  SmartPtrI(SmartPtrI const& other) noexcept : SmartPtrI(other.p_) {}
  SmartPtrI(SmartPtrI&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
  SmartPtrI(SmartPtrI<U> const& other) noexcept : SmartPtrI(other.get()) {}
  ~SmartPtrI() { reset(); }

  SmartPtrI& operator=(SmartPtrI const& other) noexcept {
    SmartPtrI(other).swap(*this);
    return *this;
  }
  SmartPtrI& operator=(SmartPtrI&& other) noexcept {
    SmartPtrI(std::move(other)).swap(*this);
    return *this;
  }
  SmartPtrI& operator=(T* p) noexcept {
    SmartPtrI(p).swap(*this);
    return *this;
  }

  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->DropReference();
  }
  void swap(SmartPtrI& other) noexcept { std::swap(p_, other.p_); }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace QBase
