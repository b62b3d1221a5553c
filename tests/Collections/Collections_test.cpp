// Blobs and collections against the documented model: views over reused
// storage, unsigned byte order (checked against std::vector's ordering),
// packing into groups worked out by hand, contracts asked and released.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

#include "DataType/DataType.h"
#include "Collections/RecordingContract.h"
#include "support/HugeBlob.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// Let an impossible heap request come back as null under the sanitizer too,
// as it does without it, so that the std::bad_alloc path can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif
#endif

namespace {

using namespace QDataType;
using V = std::vector<unsigned char>;
V operator+(V a, V const& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
using Sizes = std::vector<size_t>;
using Texts = std::vector<std::string>;
using BinaryPtr = std::unique_ptr<Binary>;
struct Destroy {
  void operator()(BinaryCollection* c) const { c->Destroy(); }
};
using CollectionPtr = std::unique_ptr<BinaryCollection, Destroy>;
using testing_blobs::HugeBlob;
using testing_contracts::RecordingContract;

V Bytes(Binary const* b) {
  auto const* p = b == nullptr ? nullptr : static_cast<unsigned char const*>(b->GetData());
  return p == nullptr ? V() : V(p, p + b->GetSize());
}
Binary* Make(V const& bytes, QBase::Buffer* buffer = nullptr) { return CreateBinary(bytes.data(), bytes.size(), buffer); }
// The whole storage, as Rewind shows it.
V Storage(Binary* b) {
  b->Rewind();
  return Bytes(b);
}
// Blobs of the given sizes, blob k filled with byte k + 1; kNull is a null entry.
constexpr size_t kNull = SIZE_MAX;
CollectionPtr MakeCollection(Sizes const& sizes) {
  CollectionPtr c(CreateBinaryCollection());
  for (size_t k = 0; k < sizes.size(); ++k) {
    c->Add(sizes[k] == kNull ? nullptr : Make(V(sizes[k], static_cast<unsigned char>(k + 1))));
  }
  return c;
}
Sizes SizesOf(BinaryCollection const& c) {
  Sizes sizes;
  for (unsigned i = 0; i < c.GetCount(); ++i) sizes.push_back(c.GetAt(i)->GetSize());
  return sizes;
}
V Joined(BinaryCollection const& c) {
  V all;
  for (unsigned i = 0; i < c.GetCount(); ++i) all = all + Bytes(c.GetAt(i));
  return all;
}
// The id and text of the exception E that f throws.
template <class E, class F>
std::pair<int, std::string> Thrown(F f) {
  try {
    f();
  } catch (E const& e) {
    return {e.GetID(), e.what()};
  }
  return {0, "nothing thrown"};
}
std::pair<int, std::string> Refusal(int code) {
  return {code, std::string("No memory to be contracted. Contract request rejected.\n") + std::strerror(code)};
}

TEST(Binary, ViewsMoveOverReusedStorage) {
  BinaryPtr empty(CreateBinary(nullptr, size_t{0}));
  EXPECT_TRUE(empty->GetSize() == 0 && empty->GetData() == nullptr && empty->Detach() == nullptr);
  EXPECT_EQ(Bytes(BinaryPtr(CreateBinary(3)).get()), (V{0, 0, 0}));
  BinaryPtr b(Make({1, 2, 3, 4, 5, 6, 7, 8}));
  void* const block = b->GetData();
  b->SetData(nullptr, 0);  // size 0 changes nothing
  b->SetSize(0);
  EXPECT_EQ(Bytes(b.get()), (V{1, 2, 3, 4, 5, 6, 7, 8}));
  b->SetData(V{9, 9, 9}.data(), 3);
  EXPECT_TRUE(b->GetData() == block && Storage(b.get()) == (V{9, 9, 9, 4, 5, 6, 7, 8}));
  b->SetSize(2);
  EXPECT_EQ(Bytes(b.get()), (V{9, 9}));
  b->Rewind();
  b->TrimStart(2);
  b->TrimEnd(1);
  EXPECT_EQ(Bytes(b.get()), (V{9, 4, 5, 6, 7}));
  b->SetData(static_cast<unsigned char*>(b->GetData()) + 1, 4);  // from the blob's own view
  EXPECT_EQ(Storage(b.get()), (V{4, 5, 6, 7, 5, 6, 7, 8}));
  b->TrimStart(10);
  EXPECT_EQ(b->GetData(), nullptr);
  b->Rewind();
  b->TrimEnd(99);
  EXPECT_EQ(b->GetSize(), 0u);
  b->Rewind();
  b->TrimStart(1);
  void* const detached = b->Detach();
  EXPECT_TRUE(detached == block && Storage(b.get()).empty());  // the block's start, not the view's
  std::free(detached);
  b->SetData(V(20, 1).data(), 20);
  EXPECT_EQ(Storage(b.get()), V(20, 1));
}

TEST(Binary, ArenaRefusalEmptiesAndHeapFailureThrows) {
  QBase::Arena probe;
  Binary* a = Make({1, 2, 3}, &probe);
  EXPECT_TRUE(a->Detach() == nullptr && Bytes(a) == (V{1, 2, 3}));
  size_t const object = probe.GetUsedSize() - 3;
  EXPECT_EQ(CreateBinary(SIZE_MAX, &probe)->GetSize(), 0u);  // the arena decides
  QBase::Arena arena(object + 6);
  a = Make({1, 2, 3}, &arena);
  a->SetData(V{4, 5, 6, 7, 8}.data(), 5);  // needs a new block: refused
  EXPECT_TRUE(a->GetSize() == 0 && a->GetData() == nullptr && Storage(a).empty());
  a->SetSize(3);
  EXPECT_TRUE(arena.GetUsedSize() == object + 6 && a->GetSize() == 3);
  QBase::Arena tiny(object - 1);
  EXPECT_THROW(CreateBinary(&tiny), std::bad_alloc);

  EXPECT_THROW(CreateBinary(SIZE_MAX, nullptr), std::length_error);
  EXPECT_THROW(CreateBinary(nullptr, SIZE_MAX / 2 + 1, nullptr), std::length_error);
  BinaryPtr b(Make({1, 2}));
  EXPECT_THROW(b->SetSize(size_t{1} << 62), std::bad_alloc);  // fits no address space
  EXPECT_THROW(b->SetData(nullptr, SIZE_MAX), std::length_error);
  EXPECT_EQ(Storage(b.get()), (V{1, 2}));
}

// Against the ordering of byte vectors, on short blobs over a small alphabet
// around 0x7F/0x80 so that prefixes and ties abound.
TEST(Binary, OrderIsUnsignedLexicographic) {
  auto less = [](V const& x, V const& y) { return BinaryPtr(Make(x))->IsLess(*BinaryPtr(Make(y))); };
  auto equal = [](V const& x, V const& y) { return BinaryPtr(Make(x))->IsEqual(*BinaryPtr(Make(y))); };
  std::mt19937 rng(20240601);
  auto random = [&rng] {
    V v(rng() % 4);
    for (auto& c : v) c = static_cast<unsigned char>(0x7E + rng() % 3);
    return v;
  };
  for (int n = 0; n < 2000; ++n) {
    V const x = random(), y = random();
    ASSERT_TRUE(less(x, y) == (x < y) && equal(x, y) == (x == y));
  }
}

TEST(BinaryCollection, OwnsChecksIndexesAndMovesOnAppend) {
  CollectionPtr c = MakeCollection({3, 0, 4, kNull});  // null stored as it is, counted as empty
  EXPECT_TRUE(c->GetTotalSize() == 7 && c->GetAt(3) == nullptr);
  EXPECT_EQ(Thrown<QBase::Message>([&] { c->GetAt(4); }),
            std::make_pair(-1, std::string("use out of bound index to access vector")));
  CollectionPtr other = MakeCollection({5, 6});
  Binary* const moved = other->GetAt(0);
  c->Append(other.get());
  EXPECT_TRUE(other->GetCount() == 0 && c->GetCount() == 6 && c->GetAt(4) == moved);
  other.reset();  // must not delete the moved blobs (ASan would see a double free)
  EXPECT_EQ(Joined(*c), (V{1, 1, 1, 3, 3, 3, 3, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2}));
  for (int i = 0; i < 2; ++i) c->Add(new HugeBlob);
  EXPECT_EQ(c->GetTotalSize(), SIZE_MAX);  // saturates
}

// Groups worked out by hand: each takes blobs while the sum stays within the
// limit (reaching it is allowed), a blob larger than the limit stands alone,
// empty blobs (and null entries) join the open group; 0 means 0xFFFFFFFF.
TEST(BinaryCollection, PacksConsecutiveGroupsWithinTheLimit) {
  struct {
    Sizes sizes;
    size_t limit;
    Sizes groups;
  } const cases[] = {
      {{4, 6, 3, 12, 5}, 10, {10, 3, 12, 5}}, {{4, 6, 3, 12, 5}, 0, {30}}, {{}, 5, {}},
      {{3, 3, 3}, 3, {3, 3, 3}},              {{1, 2, 3, 4}, 6, {6, 4}},    {{7}, 6, {7}},
      {{2, 9, 2}, 5, {2, 9, 2}},              {{0, 0}, 1, {0}},             {{5, 0, 5}, 5, {5, 5}},
      {{6, 0, 1}, 5, {6, 1}},                 {{0, 5, 0, 0, 6, 0, kNull}, 5, {5, 6, 0}}};
  for (auto const& [sizes, limit, groups] : cases) {
    CollectionPtr source = MakeCollection(sizes), packed(CombineBinaryCollection(source.get(), limit));
    EXPECT_TRUE(SizesOf(*packed) == groups && Joined(*packed) == Joined(*source)) << limit;
  }
}

TEST(BinaryCollection, ContractsGovernConcatenationAndPacking) {
  CollectionPtr source = MakeCollection({2, 0, 3});
  source->GetAt(2)->TrimStart(1);
  RecordingContract contract, refuses(0, 28), never;
  EXPECT_EQ(Bytes(BinaryPtr(CreateBinary(source.get(), &contract)).get()), (V{1, 1, 3, 3}));
  EXPECT_EQ(contract.calls, (Texts{"Reserve(4,1)", "Release(4)"}));
  EXPECT_EQ(Thrown<QBase::ContractManagerAllocException>([&] { CreateBinary(source.get(), &refuses); }), Refusal(28));
  EXPECT_EQ(refuses.calls, Texts{"Reserve(4,1)"});
  CollectionPtr huge = MakeCollection({});
  huge->Add(new HugeBlob);
  EXPECT_THROW(CreateBinary(huge.get(), nullptr), std::length_error);
  huge->Add(new HugeBlob);
  EXPECT_THROW(CreateBinary(huge.get(), &never), std::length_error);  // the sum overflows: nothing asked
  EXPECT_TRUE(never.calls.empty());

  source = MakeCollection({4, 6, 3, 12, 5});
  V const before = Joined(*source);
  RecordingContract governs, strict(2, 12), lenient;
  QBase::SmartPtrI<QBase::MemoryContract> held(&governs), refusing(&strict), granting(&lenient);
  CollectionPtr packed(CombineBinaryCollectionGoverned(source.get(), 10, held));
  EXPECT_EQ(governs.calls, (Texts{"Reserve(10,1)", "Release(10)", "Reserve(3,1)", "Release(3)", "Reserve(12,1)",
                                  "Release(12)", "Reserve(5,1)", "Release(5)"}));
  EXPECT_TRUE(held.get() == &governs && governs.references == 1);
  // Caught as the base class; the two groups made are destroyed (LSan checks).
  EXPECT_EQ(Thrown<QBase::Message>([&] { CombineBinaryCollectionGoverned(source.get(), 10, refusing); }), Refusal(12));
  EXPECT_EQ(strict.calls, (Texts{"Reserve(10,1)", "Release(10)", "Reserve(3,1)", "Release(3)", "Reserve(12,1)"}));
  EXPECT_EQ(Joined(*source), before);
  // A group too large to allocate fails after its reservation, which is still reported back.
  source->Add(new HugeBlob);
  EXPECT_THROW(CombineBinaryCollectionGoverned(source.get(), 0, granting), std::length_error);
  std::string const huge2 = std::to_string(SIZE_MAX / 2 + 1);
  EXPECT_EQ(lenient.calls, (Texts{"Reserve(30,1)", "Release(30)", "Reserve(" + huge2 + ",1)", "Release(" + huge2 + ")"}));
}

// The entries as texts, "<null>" for an empty one.
Texts Entries(StringCollection const& c) {
  Texts out;
  for (size_t i = 0; i < c.GetCount(); ++i)
    out.push_back(c.GetAt(i) == nullptr ? "<null>" : std::string(c.GetAt(i), c.GetAt(i) + QBase::WideLength(c.GetAt(i))));
  return out;
}

TEST(StringCollection, CopiesTextsKeepsEmptyEntriesAndAppendsCopies) {
  std::unique_ptr<StringCollection> c(CreateStringCollection()), other(CreateStringCollection());
  QBase::WString text{'a', 'b', 'c'};
  c->Add(nullptr);
  c->Add(text.c_str() + 3);
  c->Add(text.c_str());
  text[0] = 'z';
  EXPECT_EQ(Entries(*c), (Texts{"<null>", "", "abc"}));
  EXPECT_TRUE(c->GetAt(1) != nullptr && c->GetAt(3) == nullptr);  // past the end reads as empty
  c->Clear();
  c->Add(text.c_str());
  for (QBase::WString s : {QBase::WString{'a'}, QBase::WString{}, QBase::WString{'b'}})
    other->Add(s.empty() ? nullptr : s.c_str());
  c->Append(other.get());
  EXPECT_NE(c->GetAt(1), other->GetAt(0));  // a copy, not shared
  other.reset();
  c->Append(c.get());
  EXPECT_EQ(Entries(*c), (Texts{"zbc", "a", "<null>", "b", "zbc", "a", "<null>", "b"}));
}

TEST(ReferenceCountedObjectCollection, HoldsOneReferencePerEntry) {
  struct Counted : QBase::ReferenceCountedObject {
    long AddReference() override { return ++references; }
    long DropReference() override { return --references; }
    long references = 1;
  } a, b;
  {
    auto c = CreateReferenceCountedObjectCollection();
    for (auto [object, tag] : {std::make_pair(&a, 7ull), {nullptr, 5ull}, {&b, 1ull}, {&b, ~0ull}}) c->Add(object, tag);
    EXPECT_TRUE(a.references == 2 && b.references == 3 && c->GetAt(0).get() == &a && !c->GetAt(1) && !c->GetAt(4));  // null entry; past the end
    QBase::SmartPtrI<QBase::ReferenceCountedObject> const p = c->GetAt(0);
    EXPECT_EQ(a.references, 3);
    EXPECT_EQ((std::vector<unsigned long long>{c->GetTagAt(0), c->GetTagAt(1), c->GetTagAt(3), c->GetTagAt(4)}),
              (std::vector<unsigned long long>{7, 5, ~0ull, 0}));
  }
  EXPECT_TRUE(a.references == 1 && b.references == 1);
}

}  // namespace
