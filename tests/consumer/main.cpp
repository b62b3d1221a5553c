// Uses the library through its umbrella header only and checks a few results,
// including an exception thrown inside the library and caught here.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "DataType/DataType.h"

int main() {
  using namespace QDataType;
  QBase::Arena arena;
  QBase::ReturnWString wide = QBase::UTF8ToWideChar("caf\xC3\xA9");
  bool ok = arena.Allocate(64) != nullptr && wide.GetLength() == 4 && wide.GetString()[3] == 0xE9;
  try {
    BigDecimal("1", nullptr).Divide(BigDecimal("0", nullptr), 2);
    ok = false;
  } catch (QBase::Message const& m) {
    ok = ok && m.GetID() == -1 && std::strcmp(m.what(), "Divide by Zero") == 0;
  }
  std::ostringstream out;  // a header-only addition: the streams
  out << FromSysTime(SysMilliseconds(std::chrono::hours(24))) << ' ' << Variant(7, nullptr);
  ok = ok && out.str() == "1970-01-02 00:00:00.000 7";
  // The headers and the loaded library are the same version.
  ok = ok && QDataType::GetLibraryVersion() == QDT_VERSION && QDT_VERSION_MAJOR * 10000 <= QDT_VERSION;
  std::printf("consumer of QDataType %s: %s\n", QDT_VERSION_STRING, ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
