// From modern C++: std::chrono, hashing, streams, string_view, 64-bit
// integers, regular values, owning pointers and ranges, portable wide text.
// README.md quotes each numbered part.
#include <chrono>
#include <iostream>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "DataType/DataType.h"
#include "Tours.h"

using namespace QDataType;

void ModernTour() {
  std::cout << "\n== From modern C++\n";

  // 1. std::chrono: instants and durations.
  DateTime const start = FromSysTime(SysMilliseconds(std::chrono::hours(24 * 19800)));  // 2024-03-18 UTC
  DateTime const due = start + std::chrono::hours(36) + std::chrono::minutes(15);
  std::chrono::milliseconds const left = (due - start).ToChrono();
  std::cout << "due " << due << ", " << std::chrono::duration_cast<std::chrono::minutes>(left).count()
            << " minutes after the start\n";

  // 2. std::hash: equal decimals of any scale are one key.
  std::unordered_set<BigDecimal> prices;
  for (char const* text : {"1.5", "1.50", "2", "2.000", "1.500"}) prices.emplace(text, nullptr);
  std::unordered_set<DateTime> days{DateTime(2024, 1, 1), DateTime(2024, 1, 1, 0, 0, 0, 0, 60)};
  std::cout << prices.size() << " distinct prices, " << days.size() << " distinct day\n";

  // 3. Streams (and fmt::format with DataType/Format.h).
  std::cout << TimeSpan(90061001) << " | " << BigDecimal("-0.250", nullptr) << " | " << Variant(42, nullptr)
            << " | " << BigDecimal() << "\n";

  // 4. std::string_view in and out.
  std::string_view const line = "2024-06-05 07:08:09.045;19.99;EUR";
  DateTime when;
  unsigned const used = when.FromString(line.substr(0, line.find(';')));
  BigDecimal const amount(line.substr(24, 5), nullptr);
  std::string const text = amount.ToString().ToStdString();
  std::cout << "read " << used << " characters: " << when << ", amount " << text << "\n";

  // 5. 64-bit integers in, numbers out.
  BigDecimal const big(int64_t{9007199254740993}, nullptr);
  long long back = 0;
  bool const exact = big.ToInt64(back);
  Variant const counter(uint64_t{1} << 40, nullptr);
  std::cout << big << " as int64: " << (exact ? "exact" : "no") << ", as double: " << big.ToDouble()
            << "; counter kind " << counter.GetVarType() << "\n";

  // 6. Regular values: moves, all six comparisons, const members.
  std::vector<BigDecimal> values;
  for (int i = 0; i < 4; ++i) values.emplace_back(BigDecimal(i * 25, nullptr));  // growth moves
  BigDecimal const& first = values.front();
  BigDecimal::Ptr sum = first + values.back();  // const operands
  std::cout << "sum " << *sum << ", 0 <= 75: " << (first <= values.back()) << "\n";

  // 7. Ownership and ranges: an owning pointer and a lazy occurrence range.
  TimeSeriesPtr const everyMonday =
      MakeTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_FIXED,
                     0x02, RECURRENCE_FIXED, 9, RECURRENCE_FIXED, 0, RECURRENCE_FIXED, 0, RECURRENCE_FIXED, 0);
  int shown = 0;
  for (DateTime const& occurrence : everyMonday->Occurrences(start)) {
    std::cout << "  Monday " << occurrence << "\n";
    if (++shown == 3) break;
  }
  std::vector<DateTime> const march = everyMonday->GetOccurrencesBetween(DateTime(2024, 3, 1), DateTime(2024, 3, 31));
  BinaryCollectionPtr blobs = MakeBinaryCollection();
  blobs->Add(MakeBinary("abc", 3).release());
  size_t bytes = 0;
  for (Binary const* blob : *blobs) bytes += blob->GetSize();
  std::cout << march.size() << " Mondays in March 2024; " << bytes << " bytes in the collection\n";

  // 8. Wide text with the library's own character traits.
  QBase::WString const wide = QBase::UTF8ToWide("na\xC3\xAFve", 6);
  std::cout << "wide text of " << wide.size() << " units, 'v' at " << wide.find('v') << "\n";
}
