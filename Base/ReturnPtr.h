/// @file
/// ReturnPtr: a move-only owning pointer returned by value from factories and
/// operators. `DeleteC<T>` deletes the object with `delete`; types placed in
/// arenas give their class an operator delete that knows where they live.
#pragma once

#include <utility>

namespace QBase {

/// The deleter of ReturnPtr: releases the object with `delete`.
template <class T>
struct DeleteC {
  /// Deletes `p` (nothing for null).
  void operator()(T* p) const noexcept { delete p; }
};

/// A move-only owning pointer: it releases its object through `D` when it is
/// destroyed, reset or assigned, unless `release()` handed the object over.
template <class T, class D = DeleteC<T>>
class ReturnPtr {
 public:
  /// An empty pointer.
  ReturnPtr() noexcept = default;
  /// Owns `p` (may be null).
  explicit ReturnPtr(T* p) noexcept : p_(p) {}
  /// Owns `p` and releases it through `deleter`.
  ReturnPtr(T* p, D deleter) noexcept : p_(p), deleter_(std::move(deleter)) {}
  /// Takes over the object of `other`, which becomes empty.
  ReturnPtr(ReturnPtr&& other) noexcept
      : p_(std::exchange(other.p_, nullptr)), deleter_(std::move(other.deleter_)) {}
  /// Releases the object owned and takes over the object of `other`, which
  /// becomes empty.
  ReturnPtr& operator=(ReturnPtr&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.p_, nullptr));
      deleter_ = std::move(other.deleter_);
    }
    return *this;
  }
  ReturnPtr(ReturnPtr const&) = delete;
  ReturnPtr& operator=(ReturnPtr const&) = delete;
  /// Releases the object owned.
  ~ReturnPtr() { reset(); }

  /// The object owned, or null; ownership stays here.
  T* get() const noexcept { return p_; }
  /// The object owned; must not be empty.
  T* operator->() const noexcept { return p_; }
  /// The object owned; must not be empty.
  T& operator*() const noexcept { return *p_; }
  /// True when an object is owned.
  explicit operator bool() const noexcept { return p_ != nullptr; }

  /// Hands the object over to the caller (null when empty); the pointer
  /// becomes empty and releases nothing.
  T* release() noexcept { return std::exchange(p_, nullptr); }
  /// Owns `p` instead and releases the object owned before.
  void reset(T* p = nullptr) noexcept {
    if (T* old = std::exchange(p_, p)) deleter_(old);
  }

 private:
  T* p_ = nullptr;
  D deleter_{};
};

}  // namespace QBase
