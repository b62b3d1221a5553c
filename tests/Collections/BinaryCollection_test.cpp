#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Doubles.h"

namespace {

using QDataType::Binary;
using QDataType::BinaryCollection;
using testing_doubles::Bytes;
using testing_doubles::HugeBlob;
using testing_doubles::Make;
using testing_doubles::RecordingContract;
using V = std::vector<unsigned char>;
using Calls = std::vector<std::string>;

struct Destroy {
  void operator()(BinaryCollection* c) const { c->Destroy(); }
};
using CollectionPtr = std::unique_ptr<BinaryCollection, Destroy>;

// A collection of blobs of the given sizes, blob k filled with byte k + 1.
CollectionPtr MakeCollection(std::vector<size_t> const& sizes) {
  CollectionPtr c(QDataType::CreateBinaryCollection());
  for (size_t k = 0; k < sizes.size(); ++k) c->Add(Make(V(sizes[k], static_cast<unsigned char>(k + 1))));
  return c;
}

std::vector<size_t> Sizes(BinaryCollection const& c) {
  std::vector<size_t> sizes;
  for (unsigned i = 0; i < c.GetCount(); ++i) sizes.push_back(c.GetAt(i)->GetSize());
  return sizes;
}

V Joined(BinaryCollection const& c) {
  V all;
  for (unsigned i = 0; i < c.GetCount(); ++i) {
    V const part = Bytes(c.GetAt(i));
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

std::string RefusalText(int code) {
  return std::string("No memory to be contracted. Contract request rejected.\n") + std::strerror(code);
}

TEST(BinaryCollection, OwnsItsBlobsAndChecksIndexes) {
  CollectionPtr c = MakeCollection({3, 0, 4});
  c->Add(nullptr);  // stored as it is, counted as empty
  EXPECT_EQ(c->GetCount(), 4u);
  EXPECT_EQ(c->GetAt(3), nullptr);
  EXPECT_EQ(c->GetTotalSize(), 7u);
  EXPECT_EQ(CollectionPtr(QDataType::CreateBinaryCollection())->GetTotalSize(), 0u);
  try {
    c->GetAt(4);
    FAIL() << "no exception";
  } catch (QBase::Message const& m) {
    EXPECT_STREQ(m.what(), "use out of bound index to access vector");
    EXPECT_EQ(m.GetID(), -1);
    EXPECT_EQ(m.GetDomain(), QBase::MESSAGE_DOMAIN_UNKNOWN);
  }
  CollectionPtr huge(QDataType::CreateBinaryCollection());
  huge->Add(new HugeBlob(SIZE_MAX - 1));
  huge->Add(new HugeBlob(2));
  EXPECT_EQ(huge->GetTotalSize(), SIZE_MAX);  // saturates
}

TEST(BinaryCollection, AppendMovesOwnership) {
  CollectionPtr c = MakeCollection({1, 2});
  CollectionPtr other = MakeCollection({3, 4, 5});
  Binary* const first = other->GetAt(0);
  c->Append(other.get());
  EXPECT_EQ(other->GetCount(), 0u);
  EXPECT_EQ(Sizes(*c), (std::vector<size_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(c->GetAt(2), first);
  other.reset();  // must not delete the moved blobs (ASan would see a double free)
  c->Append(c.get());
  c->Append(nullptr);
  EXPECT_EQ(c->GetCount(), 5u);
  struct Foreign : BinaryCollection {
    void Add(Binary*) override {}
    void Append(BinaryCollection*) override {}
    unsigned GetCount() const override { return 0; }
    Binary* GetAt(unsigned) const override { return nullptr; }
    size_t GetTotalSize() const override { return 0; }
    void Destroy() override {}
  } foreign;
  EXPECT_THROW(c->Append(&foreign), std::invalid_argument);
}

TEST(BinaryCollection, PacksConsecutiveGroupsWithinTheLimit) {
  CollectionPtr source = MakeCollection({4, 6, 3, 12, 5});
  CollectionPtr packed(QDataType::CombineBinaryCollection(source.get(), 10));
  EXPECT_EQ(Sizes(*packed), (std::vector<size_t>{10, 3, 12, 5}));
  EXPECT_EQ(Joined(*packed), Joined(*source));
  EXPECT_EQ(Sizes(*source), (std::vector<size_t>{4, 6, 3, 12, 5}));

  EXPECT_EQ(Sizes(*CollectionPtr(QDataType::CombineBinaryCollection(source.get(), 0))), std::vector<size_t>{30});
  EXPECT_EQ(CollectionPtr(QDataType::CombineBinaryCollection(MakeCollection({}).get(), 5))->GetCount(), 0u);
  CollectionPtr zeros = MakeCollection({0, 5, 0, 0, 6, 0});
  zeros->Add(nullptr);
  // Empty blobs join the open group; one after an oversized blob opens a new one.
  EXPECT_EQ(Sizes(*CollectionPtr(QDataType::CombineBinaryCollection(zeros.get(), 5))),
            (std::vector<size_t>{5, 6, 0}));

  // Properties on random collections: order and bytes kept, every group within
  // the limit unless it is one oversized blob, and no group could have taken
  // the next blob.
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<size_t> sizes(rng() % 12);
    for (auto& s : sizes) s = rng() % 4 == 0 ? 0 : rng() % 20;
    size_t const limit = 1 + rng() % 25;
    CollectionPtr from = MakeCollection(sizes);
    CollectionPtr groups(QDataType::CombineBinaryCollection(from.get(), limit));
    ASSERT_EQ(Joined(*groups), Joined(*from));
    size_t next = 0;  // index of the first source blob of the current group
    for (size_t g : Sizes(*groups)) {
      size_t taken = 0, count = 0;
      while (next + count < sizes.size() && taken + sizes[next + count] <= limit) taken += sizes[next + count++];
      if (count == 0) taken = sizes[next + count++];
      ASSERT_EQ(g, taken);
      next += count;
    }
    ASSERT_EQ(next, sizes.size());
  }
}

TEST(BinaryCollection, ConcatenationJoinsEveryViewOnce) {
  CollectionPtr source = MakeCollection({2, 0, 3});
  source->GetAt(2)->TrimStart(1);
  RecordingContract contract;
  std::unique_ptr<Binary> all(QDataType::CreateBinary(source.get(), &contract));
  EXPECT_EQ(Bytes(all.get()), (V{1, 1, 3, 3}));
  EXPECT_EQ(contract.calls, (Calls{"Reserve(4,1)", "Release(4)"}));
  EXPECT_EQ(std::unique_ptr<Binary>(QDataType::CreateBinary(MakeCollection({}).get(), nullptr))->GetSize(), 0u);

  RecordingContract refuses(0, 28);
  try {
    QDataType::CreateBinary(source.get(), &refuses);
    FAIL() << "no exception";
  } catch (QBase::ContractManagerAllocException const& e) {
    EXPECT_EQ(e.GetID(), 28);
    EXPECT_EQ(e.what(), RefusalText(28));
  }
  EXPECT_EQ(refuses.calls, Calls{"Reserve(4,1)"});

  CollectionPtr huge(QDataType::CreateBinaryCollection());
  huge->Add(new HugeBlob(SIZE_MAX / 2 + 1));
  EXPECT_THROW(QDataType::CreateBinary(huge.get(), nullptr), std::length_error);
  huge->Add(new HugeBlob(SIZE_MAX / 2 + 1));
  RecordingContract never;
  EXPECT_THROW(QDataType::CreateBinary(huge.get(), &never), std::length_error);  // overflowing sum
  EXPECT_TRUE(never.calls.empty());
}

TEST(BinaryCollection, GovernedPackingAsksPerGroupAndCleansUpOnRefusal) {
  CollectionPtr source = MakeCollection({4, 6, 3, 12, 5});
  V const before = Joined(*source);
  RecordingContract contract;
  QBase::SmartPtrI<QBase::MemoryContract> held(&contract);
  CollectionPtr packed(QDataType::CombineBinaryCollectionGoverned(source.get(), 10, held));
  EXPECT_EQ(contract.calls, (Calls{"Reserve(10,1)", "Release(10)", "Reserve(3,1)", "Release(3)", "Reserve(12,1)",
                                   "Release(12)", "Reserve(5,1)", "Release(5)"}));
  EXPECT_EQ(held.get(), &contract);
  EXPECT_EQ(contract.references, 1);

  RecordingContract refuses(2, 12);
  QBase::SmartPtrI<QBase::MemoryContract> strict(&refuses);
  try {
    QDataType::CombineBinaryCollectionGoverned(source.get(), 10, strict);
    FAIL() << "no exception";
  } catch (QBase::Message const& e) {  // ContractManagerAllocException, caught as its base
    EXPECT_NE(dynamic_cast<QBase::ContractManagerAllocException const*>(&e), nullptr);
    EXPECT_EQ(e.GetID(), 12);
    EXPECT_EQ(e.what(), RefusalText(12));
  }
  EXPECT_EQ(refuses.calls, (Calls{"Reserve(10,1)", "Release(10)", "Reserve(3,1)", "Release(3)", "Reserve(12,1)"}));
  EXPECT_EQ(Joined(*source), before);  // the two finished groups were destroyed (LSan checks)

  // A group too large to allocate fails after its reservation, without Release.
  source->Add(new HugeBlob(SIZE_MAX / 2 + 1));
  RecordingContract grants;
  QBase::SmartPtrI<QBase::MemoryContract> lenient(&grants);
  EXPECT_THROW(QDataType::CombineBinaryCollectionGoverned(source.get(), 0, lenient), std::length_error);
  EXPECT_EQ(grants.calls, (Calls{"Reserve(30,1)", "Release(30)", "Reserve(" + std::to_string(SIZE_MAX / 2 + 1) + ",1)"}));
}

}  // namespace
