// One Variant of each kind read by several threads at once: conversions,
// comparisons, copies and every text form, each thread checking its answers
// against ones computed before the threads started.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DataType/DataType.h"

namespace QDataType {
namespace {

TEST(SharedValues, VariantReadsFromManyThreads) {
  unsigned char const bytes[] = {1, 2, 3};
  std::unique_ptr<Binary> blob(CreateBinary(bytes, sizeof bytes));
  std::vector<std::unique_ptr<Variant>> shared;
  shared.emplace_back(new Variant(-7, nullptr));
  shared.emplace_back(new Variant(2.5, nullptr));
  shared.emplace_back(new Variant("shared text", nullptr));
  shared.emplace_back(new Variant(blob.get(), nullptr));
  shared.emplace_back(new Variant(DateTime(2024, 6, 15, 10, 30), nullptr));
  shared.emplace_back(new Variant(BigDecimal("-12.50", nullptr), nullptr));
  shared.emplace_back(new Variant(CellFmtData(1.5, CellFmtDataTypeDefault, GUID{}), nullptr));
  struct Answers {
    std::string text, vb;
    unsigned wideLength;
    double number;
  };
  std::vector<Answers> expected;
  for (auto& v : shared) {
    QBase::ReturnString const t = v->ToString(), vb = v->ToStringVBBehavior();
    expected.push_back({t.GetString() ? t.GetString() : "", vb.GetString() ? vb.GetString() : "",
                        v->GetWStringLength(), static_cast<double>(*v)});
  }

  std::atomic<int> ready{0}, wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      ready.fetch_add(1);
      while (ready.load() < 4) std::this_thread::yield();
      for (int round = 0; round < 200; ++round) {
        for (size_t k = 0; k < shared.size(); ++k) {
          Variant& v = *shared[k];
          Answers const& a = expected[k];
          QBase::ReturnString const text = v.ToString(), vb = v.ToStringVBBehavior();
          wrong += std::string(text.GetString() ? text.GetString() : "") != a.text;
          wrong += std::string(vb.GetString() ? vb.GetString() : "") != a.vb;
          wrong += v.GetWStringLength() != a.wideLength || static_cast<double>(v) != a.number;
          char buffer[8];
          v.ToString(buffer, sizeof buffer);
          wrong += a.text.compare(0, 7, buffer) != 0;
          Variant copy(v);
          wrong += !(copy == v);
          wrong += !v.IsTypeComparable(copy) || (copy < v);
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace QDataType
