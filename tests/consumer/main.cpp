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
  // The headers and the loaded library are the same version.
  ok = ok && QDataType::GetLibraryVersion() == QDT_VERSION && QDT_VERSION_MAJOR * 10000 <= QDT_VERSION;
  std::printf("consumer of QDataType %s: %s\n", QDT_VERSION_STRING, ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
