// A memory contract that records every call as text and refuses the
// Reserve call number `refuseAt` (counted from 0) with `code`; shared with
// tests/Variant.
#pragma once

#include <string>
#include <vector>

#include "Base/RefCount.h"

namespace testing_contracts {

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
  void RefuseFrom(int call) { refuseAt_ = reserves_ + call; }  // the call-th Reserve from now
  std::vector<std::string> calls;
  long references = 0;

 private:
  int refuseAt_, code_, reserves_ = 0;
};

}  // namespace testing_contracts
