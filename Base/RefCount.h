/// @file
/// Intrusive reference counting.
///
/// `ReferenceCountedObject` is the interface of objects that count their own
/// holders; `SmartPtrI<T>` holds one reference to such an object and drops it
/// when it lets go. `MemoryContract` is a reference-counted object that governs
/// memory: a caller asks `Reserve(size, 1)` before allocating `size` bytes
/// (0 grants, anything else is an error code that refuses) and reports with
/// `Release(size)` once the allocation is made. `ContractRelease` makes that
/// report on every road out of the allocation, a throwing one included.
#pragma once

#include <cstddef>
#include <utility>

#include "Base/Export.h"

namespace QBase {

/// An object that counts its own holders, implemented by the caller. The
/// library calls AddReference when it keeps a pointer and DropReference when it
/// lets it go; it never deletes such an object itself.
class QDT_API ReferenceCountedObject {
 public:
  virtual ~ReferenceCountedObject();
  /// Adds one holder. The library does not use the result.
  virtual long AddReference() = 0;
  /// Removes one holder; the object may destroy itself when none is left. The
  /// library does not use the result.
  virtual long DropReference() = 0;
};

/// A reference-counted object, implemented by the caller, that governs how
/// much memory the library may take for an operation.
class QDT_API MemoryContract : public ReferenceCountedObject {
 public:
  /// Asked before `size` bytes are allocated, with `flag` 1. 0 grants the
  /// request; any other value refuses it and is the error code that the
  /// library reports in a ContractManagerAllocException.
  virtual int Reserve(size_t size, int flag) = 0;
  /// Told once the `size` bytes granted by Reserve have been allocated. The
  /// library does not use the result.
  virtual int Release(size_t size) = 0;
};

/// Reports a granted reservation of `size` bytes back to `contract` (null:
/// none) when the scope that made the allocation ends, whether the allocation
/// succeeded or threw. What Release answers, or throws, is ignored.
class ContractRelease {
 public:
  /// Remembers the contract and the size; reports nothing yet.
  ContractRelease(MemoryContract* contract, size_t size) noexcept : contract_(contract), size_(size) {}
  /// Calls `contract->Release(size)` unless the contract is null.
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

/// Holds one reference to a T (any type with AddReference/DropReference).
/// An empty pointer holds nothing; copies add a reference, moves do not.
template <class T>
class SmartPtrI {
 public:
  /// An empty pointer.
  SmartPtrI() noexcept = default;
  /// Holds `p`, adding a reference (none for null).
  SmartPtrI(T* p) noexcept : p_(p) {  // NOLINT: implicit by design
    if (p_) p_->AddReference();
  }
  /// Holds what `other` holds, adding a reference.
  SmartPtrI(SmartPtrI const& other) noexcept : SmartPtrI(other.p_) {}
  /// Takes over the reference of `other`, which becomes empty.
  SmartPtrI(SmartPtrI&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  /// Holds what a pointer to a derived type holds, adding a reference.
  template <class U>
  SmartPtrI(SmartPtrI<U> const& other) noexcept : SmartPtrI(other.get()) {}
  /// Drops the reference held.
  ~SmartPtrI() { reset(); }

  /// Holds what `other` holds (adding a reference) and drops the old one.
  SmartPtrI& operator=(SmartPtrI const& other) noexcept {
    SmartPtrI(other).swap(*this);
    return *this;
  }
  /// Takes over the reference of `other`, which becomes empty, and drops the old one.
  SmartPtrI& operator=(SmartPtrI&& other) noexcept {
    SmartPtrI(std::move(other)).swap(*this);
    return *this;
  }
  /// Holds `p` (adding a reference) and drops the old one.
  SmartPtrI& operator=(T* p) noexcept {
    SmartPtrI(p).swap(*this);
    return *this;
  }

  /// Drops the reference held; the pointer becomes empty.
  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->DropReference();
  }
  /// Exchanges what the two pointers hold; no reference changes.
  void swap(SmartPtrI& other) noexcept { std::swap(p_, other.p_); }

  /// The object held, or null; no reference is added.
  T* get() const noexcept { return p_; }
  /// The object held; must not be empty.
  T* operator->() const noexcept { return p_; }
  /// The object held; must not be empty.
  T& operator*() const noexcept { return *p_; }
  /// True when an object is held.
  explicit operator bool() const noexcept { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace QBase
