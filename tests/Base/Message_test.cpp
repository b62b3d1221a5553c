// Messages (exceptions that carry an id and a wide text), counted references
// and owning return pointers.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "Base/Message.h"
#include "Base/RefCount.h"
#include "Base/ReturnPtr.h"

namespace {

class DomainError : public QBase::Message {};

// A copy of the E that f throws; empty when nothing is thrown.
template <class E, class F>
std::optional<E> Caught(F f) {
  try {
    f();
  } catch (E const& e) {
    return e;
  }
  return std::nullopt;
}

// (The id, domain and text of a thrown narrow message: the decimal and
// variant tests check them on every exception they expect.)
TEST(Throw, BuildsTheExceptionCatchableEveryWay) {
  EXPECT_TRUE(Caught<DomainError>([] { QBase::Throw<DomainError>("x"); }).has_value());
  EXPECT_TRUE(Caught<std::exception>([] { QBase::Throw<DomainError>("x"); }).has_value());

  // Wide text (a surrogate pair included) and the id are kept; what() is its UTF-8.
  unsigned short const text[] = {'n', 0xE9, 0xD83D, 0xDE00, 0};
  auto const m = Caught<QBase::Message>([&] { QBase::Throw<QBase::ContractManagerAllocException>(text, 12); });
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->GetID(), 12);
  EXPECT_EQ(QBase::WString(m->GetMessage()), QBase::WString(text));
  EXPECT_STREQ(m->what(), "n\xC3\xA9\xF0\x9F\x98\x80");

  QBase::Message empty;
  empty.SetMessage(nullptr);
  EXPECT_TRUE(empty.GetMessage()[0] == 0 && std::string(empty.what()).empty());
}

class Counted : public QBase::ReferenceCountedObject {
 public:
  long refs = 0;
  long AddReference() override { return ++refs; }
  long DropReference() override { return --refs; }
};

// Every holder counts once (a move passes its count on, a self-assignment keeps it).
TEST(SmartPtrI, CountsEveryHolder) {
  Counted c;
  {
    QBase::SmartPtrI<Counted> a(&c), b = a, moved = std::move(b);
    QBase::SmartPtrI<QBase::ReferenceCountedObject> base = a;
    QBase::SmartPtrI<Counted>& alias = a;
    a = alias;
    EXPECT_TRUE(c.refs == 3 && !b);  // NOLINT: moved from
    a = nullptr;
    EXPECT_EQ(c.refs, 2);
  }
  EXPECT_EQ(c.refs, 0);
}

struct Probe {
  static int deleted;
  ~Probe() { ++deleted; }
};
int Probe::deleted = 0;

TEST(ReturnPtr, OwnsMovesAndReleases) {
  {
    QBase::ReturnPtr<Probe> p(new Probe), q = std::move(p);
    EXPECT_TRUE(!p && q);  // NOLINT: moved from
  }
  EXPECT_EQ(Probe::deleted, 1);
  QBase::ReturnPtr<Probe> r(new Probe);
  std::unique_ptr<Probe> const raw(r.release());
  EXPECT_TRUE(!r && Probe::deleted == 1);
}

}  // namespace
