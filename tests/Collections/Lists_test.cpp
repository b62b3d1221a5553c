#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DataType/DataType.h"

namespace {

using QBase::ReferenceCountedObject;
using QBase::SmartPtrI;
using W = std::basic_string<unsigned short>;

W Wide(char const* s) { return W(s, s + std::char_traits<char>::length(s)); }

// The entries as texts, "<null>" for an empty one.
std::vector<std::string> Entries(QDataType::StringCollection const& c) {
  std::vector<std::string> out;
  for (size_t i = 0; i < c.GetCount(); ++i) {
    unsigned short const* t = c.GetAt(i);
    out.push_back(t == nullptr ? "<null>" : std::string(t, t + QBase::WideLength(t)));
  }
  return out;
}
using Texts = std::vector<std::string>;

TEST(StringCollection, CopiesTextsAndKeepsEmptyEntries) {
  std::unique_ptr<QDataType::StringCollection> c(QDataType::CreateStringCollection());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetCount(), 0u);
  c->Add(nullptr);
  EXPECT_EQ(c->GetCount(), 1u);
  EXPECT_EQ(c->GetAt(0), nullptr);
  W text = Wide("");
  c->Add(text.c_str());
  ASSERT_NE(c->GetAt(1), nullptr);
  EXPECT_EQ(c->GetAt(1)[0], 0);
  text = Wide("abc");
  c->Add(text.c_str());
  text[0] = 'z';
  EXPECT_EQ(Entries(*c), (Texts{"<null>", "", "abc"}));
  EXPECT_EQ(c->GetAt(3), nullptr);  // past the end reads as empty
  c->Clear();
  c->Add(Wide("x").c_str());
  EXPECT_EQ(Entries(*c), Texts{"x"});
}

TEST(StringCollection, AppendCopiesInOrderAndDoublesItself) {
  std::unique_ptr<QDataType::StringCollection> x(QDataType::CreateStringCollection());
  std::unique_ptr<QDataType::StringCollection> other(QDataType::CreateStringCollection());
  x->Add(Wide("x").c_str());
  other->Add(Wide("a").c_str());
  other->Add(nullptr);
  other->Add(Wide("b").c_str());
  x->Append(other.get());
  EXPECT_EQ(Entries(*x), (Texts{"x", "a", "<null>", "b"}));
  EXPECT_NE(x->GetAt(1), other->GetAt(0));  // a copy, not shared
  other.reset();
  x->Append(x.get());
  EXPECT_EQ(Entries(*x), (Texts{"x", "a", "<null>", "b", "x", "a", "<null>", "b"}));
}

class Counted : public ReferenceCountedObject {
 public:
  long AddReference() override { return ++references; }
  long DropReference() override { return --references; }
  long references = 1;
};

TEST(ReferenceCountedObjectCollection, HoldsOneReferencePerEntry) {
  Counted a, b;
  {
    auto c = QDataType::CreateReferenceCountedObjectCollection();
    ASSERT_TRUE(c);
    c->Add(&a, 7);
    EXPECT_EQ(a.references, 2);
    EXPECT_EQ(c->GetTagAt(0), 7u);
    {
      SmartPtrI<ReferenceCountedObject> p = c->GetAt(0);
      EXPECT_EQ(p.get(), &a);
      EXPECT_EQ(a.references, 3);
    }
    EXPECT_EQ(a.references, 2);
    c->Add(nullptr, 5);
    EXPECT_FALSE(c->GetAt(1));
    EXPECT_EQ(c->GetTagAt(1), 5u);
    c->Add(&b, 1);
    c->Add(&b, 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(b.references, 3);
    EXPECT_EQ(c->GetCount(), 4u);
    EXPECT_EQ(c->GetTagAt(3), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_FALSE(c->GetAt(4));  // past the end: empty, tag 0
    EXPECT_EQ(c->GetTagAt(4), 0u);
  }
  EXPECT_EQ(a.references, 1);
  EXPECT_EQ(b.references, 1);
}

}  // namespace
