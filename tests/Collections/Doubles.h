// Test doubles shared by the collection tests.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "DataType/DataType.h"

namespace testing_doubles {

// Records every call; refuses the Reserve call number `refuseAt` (0-based).
class RecordingContract : public QBase::MemoryContract {
 public:
  explicit RecordingContract(int refuseAt = -1, int code = 12) : refuseAt_(refuseAt), code_(code) {}
  long AddReference() override { return ++references; }
  long DropReference() override { return --references; }
  int Reserve(size_t size, int flag) override {
    calls.push_back("Reserve(" + std::to_string(size) + "," + std::to_string(flag) + ")");
    return reserves_++ == refuseAt_ ? code_ : 0;
  }
  int Release(size_t size) override {
    calls.push_back("Release(" + std::to_string(size) + ")");
    return 0;
  }
  std::vector<std::string> calls;
  long references = 0;

 private:
  int refuseAt_, code_, reserves_ = 0;
};

// A blob that only reports a size (and has no bytes): drives size arithmetic
// to its limits without allocating.
class HugeBlob : public QDataType::Binary {
 public:
  explicit HugeBlob(size_t size) : size_(size) {}
  void SetData(const void*, size_t) override {}
  bool IsEqual(const Binary&) const override { return false; }
  bool IsLess(const Binary&) const override { return false; }
  size_t GetSize() const override { return size_; }
  void* GetData() const override { return nullptr; }
  void TrimEnd(size_t) override {}
  void TrimStart(size_t) override {}
  void Rewind() override {}
  void* Detach() override { return nullptr; }
  void SetSize(size_t) override {}

 private:
  size_t size_;
};

inline std::vector<unsigned char> Bytes(QDataType::Binary const* b) {
  auto const* p = static_cast<unsigned char const*>(b->GetData());
  return p == nullptr ? std::vector<unsigned char>() : std::vector<unsigned char>(p, p + b->GetSize());
}

inline QDataType::Binary* Make(std::vector<unsigned char> const& bytes, QBase::Buffer* buffer = nullptr) {
  return QDataType::CreateBinary(bytes.data(), bytes.size(), buffer);
}

}  // namespace testing_doubles
