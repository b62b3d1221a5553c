// Regular values, ownership and ranges, streams, views and wide text of the
// public API, each against an independent oracle (std::u16string, the
// zero-terminated parsers on a copy, the bulk listing, plain doubles).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "DataType/DataType.h"
#include "DataType/Format.h"
#include "support/ScopedTZ.h"

using namespace QDataType;

static_assert(std::is_nothrow_move_constructible<BigDecimal>::value, "noexcept move");
static_assert(!std::is_destructible<TimeSeries>::value, "released with Destroy only");

namespace {

std::string Text(BigDecimal const& d) { return d.ToString().GetString(); }

template <class T>
std::string Streamed(T const& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// The characters in a heap block of exactly their size: a read past the
// view's end is caught by AddressSanitizer.
std::unique_ptr<char[]> Exact(std::string_view text) {
  std::unique_ptr<char[]> block(new char[std::max<size_t>(text.size(), 1)]);
  if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
  return block;
}

}  // namespace

// Moves leave the source empty (so it takes one assignment); a result moved
// out of its block outlives it (the six comparisons: BigDecimal_test).
TEST(Modern, RegularDecimals) {
  QBase::Arena arena;
  std::string const longText = "-" + std::string(200, '7') + ".25";
  for (char const* text : {"1.50", "0", "x", longText.c_str()}) {
    for (QBase::Buffer* buffer : {static_cast<QBase::Buffer*>(nullptr), static_cast<QBase::Buffer*>(&arena)}) {
      BigDecimal source(text, buffer);
      BigDecimal const copy(source, nullptr);
      BigDecimal moved(std::move(source));
      EXPECT_TRUE(source.Scale() == -1 && moved.Scale() == copy.Scale()) << text;  // NOLINT: moved from
      source = copy;
      if (!copy.IsInvalid()) {
        EXPECT_TRUE(Text(moved) == Text(copy) && Text(source) == Text(copy)) << text;
      }
    }
  }
  BigDecimal const a(("9" + std::string(100, '1')).c_str(), nullptr), b("3.5", nullptr);
  std::vector<BigDecimal> kept;
  for (int i = 0; i < 20; ++i) {
    BigDecimal::Ptr product = a * b;
    kept.emplace_back(std::move(*product));
    product.reset();
  }
  EXPECT_EQ(Text(kept.back()), "31" + std::string(100, '8') + ".5");  // Python's decimal
}

// The range yields what the bulk listing lists, across blocks and daylight
// saving changes; the owning pointers and collections iterate what GetAt gives.
TEST(Modern, OwnershipAndRanges) {
  RECURRENCE const N = RECURRENCE_NONE, F = RECURRENCE_FIXED, E = RECURRENCE_EVERY;
  for (char const* zone : {"UTC0", testing_zone::kCentralEurope}) {
    testing_zone::ScopedTZ tz(zone);
    TimeSeriesPtr const series[] = {
        MakeTimeSeries(N, 0, N, 0, N, 0, N, 0, N, 0, F, 9, F, 30, F, 0, F, 0),    // daily 09:30
        MakeTimeSeries(N, 0, N, 0, N, 0, N, 0, N, 0, E, 1, F, 30, F, 0, F, 0),    // hourly at :30
        MakeTimeSeries(N, 0, N, 0, F, 31, N, 0, N, 0, F, 12, F, 0, F, 0, F, 0)};  // noon of the long months' 31st
    for (TimeSeriesPtr const& s : series) {
      DateTime const from(2024, 3, 30, 23, 17, 5);
      std::vector<DateTime> bulk(2500);
      bulk.resize(s->GetNextOccurrences(from, 2500, bulk.data()));
      ASSERT_FALSE(bulk.empty()) << zone << " " << (&s - series);
      std::vector<DateTime> lazy;
      for (DateTime const& d : s->Occurrences(from)) {
        if (lazy.size() == bulk.size()) break;
        lazy.push_back(d);
      }
      EXPECT_EQ(lazy, bulk) << zone;
      EXPECT_EQ(CloneTimeSeries(*s)->GetOccurrencesBetween(from, bulk.back()), bulk) << zone;
    }
  }
  BinaryCollectionPtr collection = MakeBinaryCollection();
  for (Binary* b : {MakeBinary("abcdef", 6).release(), static_cast<Binary*>(nullptr), MakeBinary("ab", 2).release()})
    collection->Add(b);
  std::vector<Binary*> const seen(collection->begin(), collection->end());
  EXPECT_TRUE(seen.size() == 3 && seen[0] == collection->GetAt(0) && seen[1] == nullptr && seen[2] == collection->GetAt(2));
  EXPECT_TRUE(MakeBinary(collection.get(), nullptr)->GetSize() == 8 && MakeCombinedBinaryCollection(collection.get(), 4)->GetCount() == 2);
}

// Each type streams (and formats, with {fmt}) its own text form; views parse
// as the zero-terminated parsers parse a copy, reading nothing past the view.
TEST(Modern, StreamsAndViews) {
  DateTime const d(2024, 6, 5, 7, 8, 9, 45);
  EXPECT_EQ(Streamed(d) + "|" + Streamed(TimeSpan(-2)) + "|" + Streamed(BigDecimal("007", nullptr)),
            std::string(d.ToString().GetString()) + "|-2ms|007");
  EXPECT_EQ(Streamed(BigDecimal()) + Streamed(BigDecimal("1.2.3", nullptr)) + Streamed(Variant(BigDecimal("x", nullptr), nullptr)),
            "(empty)(invalid)(invalid)");
  EXPECT_EQ(Streamed(Variant("na\xC3\xAFve", nullptr)) + Streamed(Variant()), "na\xC3\xAFve");
#if QDT_HAVE_FMT
  EXPECT_EQ(fmt::format("{:>25}|{:*<6}|{:^6}", d, TimeSpan(15), BigDecimal("1.50", nullptr)),
            "  2024-06-05 07:08:09.045|15ms**| 1.50 ");
#endif
  for (char const* text : {"2024-06-05 07:08:09.045", " 2024-2-30", "2024-13-01", "2024-06-05 07:08", "", "x",
                           "2024-06-05 07:08:09.", "+2024-+6-+5", "65536-1-1"}) {
    auto const block = Exact(text);
    DateTime a(1999, 1, 1), b(1999, 1, 1);
    EXPECT_TRUE(a.FromString(std::string_view(block.get(), std::strlen(text))) == b.FromString(text) && a == b) << text;
  }
  EXPECT_EQ(DateTime().FromString(std::string_view("2023-01-02\0 10:00:00.000", 24)), 10u);
  for (char const* text : {"12.340", "-.5", "5.", "1.5e3", "", "-", "1e", "0007", "1.2.3", "1e1000000000",
                           "123456789012345678901234567890.123456789"}) {
    auto const block = Exact(text);
    BigDecimal const a(std::string_view(block.get(), std::strlen(text)), nullptr), b(text, nullptr);
    EXPECT_TRUE(a.Scale() == b.Scale() && (b.IsInvalid() || Text(a) == Text(b))) << text;
  }
  EXPECT_EQ(Text(BigDecimal(std::string_view("12.3456", 4), nullptr)), "12.3");
  EXPECT_TRUE(BigDecimal(std::string_view("1\0002", 3), nullptr).IsInvalid());
  EXPECT_TRUE(Variant(std::string_view("caf\xC3\xA9 au lait", 5), nullptr) == "caf\xC3\xA9");
  EXPECT_EQ(QBase::ReturnString("a\0b", 3).View(), std::string_view("a\0b", 3));
  EXPECT_TRUE(QBase::ReturnWString().View().empty());
}

// The library's wide strings order and search their units as std::u16string does.
TEST(Modern, WideTextAgreesWithU16String) {
  std::mt19937 rng(23);
  char16_t const alphabet[] = {u'a', u'b', 0x00E9, 0x7FFF, 0x8000, 0xFFFF};
  auto random = [&] {
    std::u16string s(rng() % 13, u'a');
    for (char16_t& c : s) c = alphabet[rng() % 6];
    return s;
  };
  auto wide = [](std::u16string const& s) { return QBase::WString(s.begin(), s.end()); };
  auto sign = [](int x) { return (x > 0) - (x < 0); };
  for (int i = 0; i < 3000; ++i) {
    std::u16string const a = random(), b = random();
    QBase::WString const wa = wide(a), wb = wide(b);
    ASSERT_TRUE(sign(wa.compare(wb)) == sign(a.compare(b)) && wa.find(wb) == a.find(b) &&
                wa.rfind(wb) == a.rfind(b) && wa.find_first_of(wb) == a.find_first_of(b) && wa + wb == wide(a + b));
  }
}
