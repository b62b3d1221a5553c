// Uses the library through its umbrella header only and checks a few results,
// including an exception thrown inside the library and caught here.
#include <cstdio>
#include <cstring>

#include "DataType/DataType.h"

int main() {
  QBase::Arena arena;
  void* block = arena.Allocate(64);
  QBase::ReturnWString wide = QBase::UTF8ToWideChar("caf\xC3\xA9");
  bool ok = block != nullptr && wide.GetLength() == 4 && wide.GetString()[3] == 0xE9;
  try {
    QBase::Throw<QBase::ContractManagerAllocException>("refused", 12);
  } catch (QBase::Message const& m) {
    ok = ok && m.GetID() == 12 && std::strcmp(m.what(), "refused") == 0;
  }
  std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
