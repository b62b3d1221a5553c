// Test support: a blob that only reports a size (SIZE_MAX / 2 + 1, more than
// any allocation can give), to drive sums and allocations to their limits
// without memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "DataType/Collections/Binary.h"

namespace QDataType {
namespace testing_blobs {

struct HugeBlob final : Binary {
  size_t GetSize() const override { return SIZE_MAX / 2 + 1; }
  void* GetData() const override { return nullptr; }
  void SetData(const void*, size_t) override {}
  bool IsEqual(const Binary&) const override { return false; }
  bool IsLess(const Binary&) const override { return false; }
  void TrimEnd(size_t) override {}
  void TrimStart(size_t) override {}
  void Rewind() override {}
  void* Detach() override { return nullptr; }
  void SetSize(size_t) override {}
};

}  // namespace testing_blobs
}  // namespace QDataType
