// Drives one blob through a sequence of operations decoded from the input and
// checks it after every step against a plain model of storage and view: the
// view lies inside the storage, sizes and pointers are the expected ones and
// every byte whose value is known reads back as written. Every byte of the
// view is also touched, so a view outside a heap block trips the sanitizer.
//
// Input: a mode byte (heap, or an arena of a given capacity), then operations.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "DataType/Collections/internal/BinaryImpl.h"
#include "DataType/DataType.h"

namespace {

using QDataType::Binary;
using QDataType::BinaryImpl;

[[noreturn]] void Fail() { std::abort(); }
void Check(bool ok) {
  if (!ok) Fail();
}

constexpr int kUnknown = -1;  // a byte the blob has not been told

struct Model {
  std::vector<int> storage;  // byte values, or kUnknown
  unsigned char* start = nullptr;
  size_t offset = 0, length = 0;
};

class Driver {
 public:
  Driver(FuzzedDataProvider& in, QBase::Arena* arena) : in_(in), arena_(arena) {
    blob_ = QDataType::CreateBinary(arena_);
    if (arena_ == nullptr) owned_.reset(blob_);
  }

  void Step() {
    switch (in_.ConsumeIntegralInRange<int>(0, 8)) {
      case 0: SetData(); break;
      case 1: SetSize(Size()); break;
      case 2: TrimStart(Size()); break;
      case 3: TrimEnd(Size()); break;
      case 4: Rewind(); break;
      case 5: Detach(); break;
      case 6: Fill(in_.ConsumeIntegral<unsigned char>()); break;
      case 7: Compare(); break;
      default: Impossible(); break;
    }
    Verify();
  }

 private:
  size_t Size() {
    return in_.ConsumeBool() ? in_.ConsumeIntegralInRange<size_t>(0, 64) : in_.ConsumeIntegralInRange<size_t>(0, 4096);
  }

  // Whether the arena will refuse a block of n bytes (never for the heap).
  bool Refused(size_t n) const { return arena_ != nullptr && n > arena_->GetCapacity() - arena_->GetUsedSize(); }

  // The blob took new storage of n bytes holding `bytes`.
  void Replace(size_t n, std::vector<int> bytes) {
    m_.storage = std::move(bytes);
    m_.offset = 0;
    m_.length = n;
    m_.start = static_cast<unsigned char*>(blob_->GetData());
  }

  void SetData() {
    std::vector<unsigned char> bytes;
    void const* source = nullptr;
    int const kind = in_.ConsumeIntegralInRange<int>(0, 2);
    if (kind == 0) {  // bytes from the input
      bytes = in_.ConsumeBytes<unsigned char>(Size());
      source = bytes.data();
    } else if (kind == 1 && m_.length != 0) {  // part of the blob's own view
      size_t const skip = in_.ConsumeIntegralInRange<size_t>(0, m_.length - 1);
      size_t const n = in_.ConsumeIntegralInRange<size_t>(1, m_.length - skip);
      auto const* view = static_cast<unsigned char const*>(blob_->GetData());
      source = view + skip;
      bytes.assign(view + skip, view + skip + n);  // what it must copy
    } else {
      bytes.assign(Size(), 0);  // zeros
    }
    size_t const n = bytes.size();
    std::vector<int> const expected(bytes.begin(), bytes.end());
    if (n == 0) {
      blob_->SetData(source, 0);
    } else if (m_.storage.size() >= n) {
      blob_->SetData(source, n);
      std::copy(expected.begin(), expected.end(), m_.storage.begin());
      m_.offset = 0;
      m_.length = n;
    } else if (Refused(n)) {
      blob_->SetData(source, n);
      m_ = Model{};
    } else {
      blob_->SetData(source, n);
      Replace(n, expected);
    }
  }

  void SetSize(size_t n) {
    bool const refused = Refused(n);
    blob_->SetSize(n);
    if (n == 0) return;
    if (m_.storage.size() >= n) {
      m_.offset = 0;
      m_.length = n;
    } else if (refused) {
      m_ = Model{};
    } else {
      Replace(n, std::vector<int>(n, kUnknown));
    }
  }

  void TrimStart(size_t n) {
    blob_->TrimStart(n);
    if (n > m_.length) {
      m_.length = 0;
    } else {
      m_.offset += n;
      m_.length -= n;
    }
  }

  void TrimEnd(size_t n) {
    blob_->TrimEnd(n);
    m_.length = n > m_.length ? 0 : m_.length - n;
  }

  void Rewind() {
    blob_->Rewind();
    m_.offset = 0;
    m_.length = m_.storage.size();
  }

  void Detach() {
    void* block = blob_->Detach();
    if (arena_ != nullptr) {
      Check(block == nullptr);
      return;
    }
    Check(block == m_.start);
    std::free(block);
    m_ = Model{};
  }

  void Fill(unsigned char value) {
    if (m_.length == 0) return;
    std::memset(blob_->GetData(), value, m_.length);
    std::fill(m_.storage.begin() + static_cast<ptrdiff_t>(m_.offset),
              m_.storage.begin() + static_cast<ptrdiff_t>(m_.offset + m_.length), value);
  }

  // Against a second blob, when every byte of this view is known.
  void Compare() {
    std::vector<unsigned char> mine;
    for (size_t i = 0; i < m_.length; ++i) {
      if (m_.storage[m_.offset + i] == kUnknown) return;
      mine.push_back(static_cast<unsigned char>(m_.storage[m_.offset + i]));
    }
    std::vector<unsigned char> const theirs = in_.ConsumeBytes<unsigned char>(in_.ConsumeIntegralInRange(0, 8));
    std::unique_ptr<Binary> other(QDataType::CreateBinary(theirs.data(), theirs.size()));
    Check(blob_->IsLess(*other) == (mine < theirs));
    Check(other->IsLess(*blob_) == (theirs < mine));
    Check(blob_->IsEqual(*other) == (mine == theirs));
  }

  // Sizes no heap block can have: refused up front, the blob untouched; an
  // arena simply has no room for them.
  void Impossible() {
    size_t const n = SIZE_MAX - in_.ConsumeIntegralInRange<size_t>(0, SIZE_MAX / 2 - 1);
    bool const data = in_.ConsumeBool();
    try {
      if (data) {
        blob_->SetData(nullptr, n);
      } else {
        blob_->SetSize(n);
      }
      Check(arena_ != nullptr);
      m_ = Model{};
    } catch (std::length_error const&) {
      Check(arena_ == nullptr);
    }
  }

  void Verify() {
    auto const& impl = *static_cast<BinaryImpl const*>(blob_);
    Check(impl.HoldsInvariant());
    Check(impl.GetCapacity() == m_.storage.size());
    Check(impl.GetStorage() == m_.start);
    Check(blob_->GetSize() == m_.length);
    auto* view = static_cast<unsigned char*>(blob_->GetData());
    Check(m_.length == 0 ? view == nullptr : view == m_.start + m_.offset);
    for (size_t i = 0; i < m_.length; ++i) {
      int const expected = m_.storage[m_.offset + i];
      if (expected == kUnknown) {
        view[i] = 0xA5;  // initialise it now
        m_.storage[m_.offset + i] = 0xA5;
      } else {
        Check(view[i] == expected);
      }
    }
  }

  FuzzedDataProvider& in_;
  QBase::Arena* arena_;
  Binary* blob_;
  std::unique_ptr<Binary> owned_;
  Model m_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::unique_ptr<QBase::Arena> arena;
  if (in.ConsumeBool()) arena = std::make_unique<QBase::Arena>(in.ConsumeIntegralInRange<size_t>(0, 1 << 14));
  if (arena && arena->GetCapacity() < sizeof(BinaryImpl)) return 0;  // no room for the object
  Driver driver(in, arena.get());
  for (int steps = 0; steps < 64 && in.remaining_bytes() > 0; ++steps) driver.Step();
  return 0;
}
