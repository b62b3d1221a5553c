// ReturnPtr: a move-only owning pointer returned by value from factories and
// operators. `DeleteC<T>` deletes the object with `delete`; types placed in
// arenas give their class an operator delete that knows where they live.
#pragma once

#include <utility>

namespace QBase {

template <class T>
struct DeleteC {
  void operator()(T* p) const noexcept { delete p; }
};

template <class T, class D = DeleteC<T>>
class ReturnPtr {
 public:
  ReturnPtr() noexcept = default;
  explicit ReturnPtr(T* p) noexcept : p_(p) {}
  ReturnPtr(T* p, D deleter) noexcept : p_(p), deleter_(std::move(deleter)) {}
  ReturnPtr(ReturnPtr&& other) noexcept
      : p_(std::exchange(other.p_, nullptr)), deleter_(std::move(other.deleter_)) {}
  ReturnPtr& operator=(ReturnPtr&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.p_, nullptr));
      deleter_ = std::move(other.deleter_);
    }
    return *this;
  }
  ReturnPtr(ReturnPtr const&) = delete;
  ReturnPtr& operator=(ReturnPtr const&) = delete;
  ~ReturnPtr() { reset(); }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  T* release() noexcept { return std::exchange(p_, nullptr); }
  void reset(T* p = nullptr) noexcept {
    if (T* old = std::exchange(p_, p)) deleter_(old);
  }

 private:
  T* p_ = nullptr;
  D deleter_{};
};

}  // namespace QBase
