// Uses the library through its umbrella header only and checks a few results,
// including an exception thrown inside the library and caught here.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string_view>
#include <unordered_set>
#include <vector>

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
  // One feature of each of the modern C++ additions.
  using namespace QDataType;
  DateTime const epoch = FromSysTime(SysMilliseconds(std::chrono::milliseconds(0)));           // chrono
  ok = ok && epoch == DateTime(1970, 1, 1) && (epoch + std::chrono::hours(1)).GetHour() == 1;
  std::unordered_set<BigDecimal> set;                                                            // hashing
  set.emplace("1.5", nullptr);
  set.emplace("1.50", nullptr);
  std::ostringstream out;                                                                        // streams
  out << DateTime(2024, 6, 5) << ' ' << TimeSpan(5) << ' ' << Variant(7, nullptr);
  ok = ok && set.size() == 1 && out.str() == "2024-06-05 00:00:00.000 5ms 7";
  DateTime parsed;                                                                               // string_view
  ok = ok && parsed.FromString(std::string_view("2024-06-05 tail", 10)) == 10;
  long long n = 0;                                                                               // 64-bit integers
  ok = ok && BigDecimal(int64_t{1} << 62, nullptr).ToInt64(n) && n == int64_t{1} << 62;
  std::vector<BigDecimal> moved;                                                                 // regular values
  moved.emplace_back(BigDecimal("2.5", nullptr));
  ok = ok && moved[0] >= BigDecimal(2, nullptr) && moved[0] != BigDecimal(3, nullptr);
  TimeSeriesPtr daily = MakeTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0,  // ownership, ranges
                                       RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_FIXED, 6, RECURRENCE_FIXED, 0,
                                       RECURRENCE_FIXED, 0, RECURRENCE_FIXED, 0);
  int count = 0;
  for (DateTime const& d : daily->Occurrences(epoch)) {
    if (!(d > epoch) || ++count == 10) break;
  }
  ok = ok && count == 10;
  QBase::WString const w = QBase::UTF8ToWide("ab", 2);                                         // wide text
  ok = ok && w.find('b') == 1;

  // The headers and the loaded library are the same version.
  ok = ok && QDataType::GetLibraryVersion() == QDT_VERSION && QDT_VERSION_MAJOR * 10000 <= QDT_VERSION;
  std::printf("consumer of QDataType %s: %s\n", QDT_VERSION_STRING, ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
