// Ownership and ranges: schedules cannot be deleted, copied or moved
// through the interface; the owning pointers release through the right
// call; the occurrence range yields exactly what GetNextOccurrences lists in
// bulk, across its blocks and daylight-saving changes; the collections
// iterate over what GetAt gives.
#include <gtest/gtest.h>

#include <iterator>
#include <numeric>
#include <string>
#include <type_traits>
#include <vector>

#include "../TimeSeries/Schedules.h"
#include "DataType/Calendar/TimeZone.h"
#include "DataType/Collections/Binary.h"
#include "DataType/Collections/BinaryCollection.h"
#include "DataType/Collections/ReferenceCountedObjectCollection.h"
#include "DataType/Collections/StringCollection.h"
#include "DataType/TimeSeries/TimeSeries.h"
#include "support/ScopedTZ.h"

using namespace QDataType;
using testing_series::Rule;

// Neither deleted nor held by value through the interface (its assignments
// copy nothing, as the interface holds no data).
static_assert(!std::is_destructible<TimeSeries>::value, "released with Destroy only");
static_assert(!std::is_copy_constructible<TimeSeries>::value && !std::is_move_constructible<TimeSeries>::value,
              "no value of the interface");
static_assert(std::is_same<std::iterator_traits<OccurrenceRange::iterator>::iterator_category,
                           std::input_iterator_tag>::value,
              "an input range");

namespace {

std::vector<DateTime> Bulk(TimeSeries& s, DateTime const& from, unsigned n) {
  std::vector<DateTime> out(n);
  out.resize(s.GetNextOccurrences(from, n, out.data()));
  return out;
}

std::vector<DateTime> Lazy(TimeSeries& s, DateTime const& from, size_t n) {
  std::vector<DateTime> out;
  for (DateTime const& d : s.Occurrences(from)) {
    if (out.size() == n) break;
    out.push_back(d);
  }
  return out;
}

}  // namespace

TEST(Ownership, TheRangeYieldsWhatTheBulkListingLists) {
  using testing_series::kDay;
  using testing_series::kDow;
  using testing_series::kHour;
  using testing_series::kMinute;
  using testing_series::kMonth;
  using testing_series::kSecond;
  Rule const rules[] = {
      Rule().At(9, 30),                                                // daily
      Rule().Every(kMinute, 7).Fixed(kSecond, 0),                     // every 7 minutes
      Rule().Fixed(kDow, 0x3E).Window(8, 0, 17, 30, 45),              // working days, a window
      Rule().Fixed(kDay, 31).At(12, 0),                               // only long months
      Rule().Every(kMonth, 5).Fixed(kDay, -1).At(0, 0),               // stepped months, last day
      Rule().Every(kHour, 1).Fixed(kMinute, 30).Fixed(kSecond, 0),  // hourly, across the changes
      Rule().Window(22, 0, 2, 0, 60),                                 // an end before the start
  };
  for (char const* zone : {"UTC0", testing_zone::kCentralEurope, testing_zone::kUSEastern}) {
    testing_zone::ScopedTZ tz(zone);
    for (Rule const& rule : rules) {
      auto series = rule.Make();
      DateTime const from(2024, 3, 30, 23, 17, 5);
      std::vector<DateTime> const bulk = Bulk(*series, from, 3000);
      // All of them, and nothing more when the listing ended before 3,000.
      std::vector<DateTime> const lazy = Lazy(*series, from, bulk.size() == 3000 ? 3000 : bulk.size() + 10);
      EXPECT_EQ(lazy, bulk) << zone << " " << testing_series::Describe(rule);
    }
  }
  // A zone named per call, whatever TZ says.
  testing_zone::ScopedTZ tz("UTC0");
  TimeZone const* eastern = TimeZone::Find(testing_zone::kUSEastern);
  ASSERT_NE(eastern, nullptr);
  for (Rule const& rule : rules) {
    auto series = rule.Make();
    DateTime const from(2024, 11, 2, 20, 0, 0);
    std::vector<DateTime> bulk(2000);
    bulk.resize(series->GetNextOccurrences(from, 2000, bulk.data(), *eastern));
    std::vector<DateTime> lazy;
    for (DateTime const& d : series->Occurrences(from, *eastern)) {
      if (lazy.size() == bulk.size()) break;
      lazy.push_back(d);
    }
    EXPECT_EQ(lazy, bulk) << testing_series::Describe(rule);
  }
}

TEST(Ownership, TheRangeEndsWhereTheListingEnds) {
  auto past = Rule().Fixed(testing_series::kYear, 2001).At(1, 0).Make();
  OccurrenceRange none = past->Occurrences(DateTime(2024, 1, 1));
  EXPECT_TRUE(none.begin() == none.end());
  auto fewDays = Rule().Fixed(testing_series::kYear, 2030).Fixed(testing_series::kMonth, 2).At(6, 0).Make();
  std::vector<DateTime> all;
  for (DateTime const& d : fewDays->Occurrences(DateTime(2020, 1, 1))) all.push_back(d);
  EXPECT_EQ(all.size(), 28u);
  EXPECT_EQ(all, Bulk(*fewDays, DateTime(2020, 1, 1), 100));
  // A moved range goes on where the first stood; the source is empty.
  auto daily = Rule().At(0, 0).Make();
  OccurrenceRange first = daily->Occurrences(DateTime(2024, 1, 1));
  auto it = first.begin();
  ++it;
  OccurrenceRange second = std::move(first);
  EXPECT_EQ(*second.begin(), DateTime(2024, 1, 2));
  EXPECT_TRUE(first.begin() == first.end());  // NOLINT: moved from
}

TEST(Ownership, VectorListingEqualsTheArrayListing) {
  auto s = Rule()
               .Every(testing_series::kHour, 5)
               .Fixed(testing_series::kMinute, 0)
               .Fixed(testing_series::kSecond, 0)
               .Make();
  DateTime const from(2024, 1, 1), to(2024, 12, 31);
  DateTime* array = nullptr;
  unsigned const n = s->GetOccurrencesBetween(from, to, &array);
  std::vector<DateTime> const expected(array, array + n);
  delete[] array;
  EXPECT_EQ(s->GetOccurrencesBetween(from, to), expected);
  EXPECT_TRUE(s->GetOccurrencesBetween(to, from).empty());
}

TEST(Ownership, OwningPointersReleaseThroughTheRightCall) {
  TimeSeriesPtr series = MakeTimeSeries(RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0, RECURRENCE_NONE, 0,
                                        RECURRENCE_NONE, 0, RECURRENCE_FIXED, 8, RECURRENCE_FIXED, 0, RECURRENCE_FIXED,
                                        0, RECURRENCE_FIXED, 0);
  TimeSeriesPtr clone = CloneTimeSeries(*series);
  EXPECT_EQ(clone->GetHour(), 8);
  EXPECT_EQ(clone->GetWindowInterval(), -1);
  EXPECT_EQ(*clone->Occurrences(DateTime(2024, 1, 1, 9, 0, 0)).begin(), DateTime(2024, 1, 2, 8, 0, 0));

  char const bytes[] = "abcdef";
  BinaryPtr blob = MakeBinary(bytes, 6);
  BinaryCollectionPtr collection = MakeBinaryCollection();
  collection->Add(blob.release());
  collection->Add(nullptr);
  collection->Add(MakeBinary(bytes, 2).release());
  size_t total = 0;
  unsigned entries = 0;
  for (Binary* b : *collection) {
    ++entries;
    total += b != nullptr ? b->GetSize() : 0;
  }
  EXPECT_EQ(entries, 3u);
  EXPECT_EQ(total, collection->GetTotalSize());
  BinaryPtr joined = MakeBinary(collection.get(), nullptr);
  EXPECT_EQ(joined->GetSize(), 8u);
  BinaryCollectionPtr packed = MakeCombinedBinaryCollection(collection.get(), 4);
  EXPECT_EQ(packed->GetCount(), 2u);

  StringCollectionPtr strings = MakeStringCollection();
  unsigned short const a[] = {'a', 0}, bc[] = {'b', 'c', 0};
  strings->Add(a);
  strings->Add(nullptr);
  strings->Add(bc);
  std::vector<QBase::WString> seen;
  for (unsigned short const* s : *strings) seen.push_back(s != nullptr ? QBase::WString(s) : QBase::WString{'-'});
  EXPECT_EQ(seen, (std::vector<QBase::WString>{{'a'}, {'-'}, {'b', 'c'}}));

  auto objects = CreateReferenceCountedObjectCollection();
  EXPECT_EQ(std::distance(objects->begin(), objects->end()), 0);
  objects->Add(nullptr, 1);
  objects->Add(nullptr, 2);
  int n = 0;
  for (auto const& object : *objects) n += object ? 10 : 1;
  EXPECT_EQ(n, 2);
}
