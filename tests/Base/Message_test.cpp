#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "Base/Message.h"
#include "Base/RefCount.h"
#include "Base/ReturnPtr.h"

namespace {

class DomainError : public QBase::Message {};

TEST(Throw, BuildsTheExceptionAndIsCatchableThreeWays) {
  try {
    QBase::Throw<DomainError>("Divide by Zero");
    FAIL();
  } catch (QBase::ExceptionImpl<DomainError> const& e) {
    EXPECT_EQ(e.GetDomain(), QBase::MESSAGE_DOMAIN_UNKNOWN);
    EXPECT_EQ(e.GetID(), -1);
    EXPECT_STREQ(e.what(), "Divide by Zero");
    QBase::WString const w(e.GetMessage());
    EXPECT_EQ(w.size(), 14u);
  }
  EXPECT_THROW(QBase::Throw<DomainError>("x"), DomainError);
  EXPECT_THROW(QBase::Throw<DomainError>("x"), QBase::Message);
  EXPECT_THROW(QBase::Throw<DomainError>("x"), std::exception);
}

TEST(Throw, WideTextAndIdAreKept) {
  unsigned short const text[] = {'n', 0xE9, 0xD83D, 0xDE00, 0};  // "né😀"
  try {
    QBase::Throw<QBase::ContractManagerAllocException>(text, 12);
  } catch (QBase::Message const& m) {
    EXPECT_EQ(m.GetID(), 12);
    EXPECT_EQ(QBase::WString(m.GetMessage()), QBase::WString(text));
    EXPECT_STREQ(m.what(), "n\xC3\xA9\xF0\x9F\x98\x80");
    QBase::Message copy = m;
    EXPECT_STREQ(copy.what(), m.what());
  }
}

TEST(Message, DefaultsAreEmpty) {
  QBase::Message m;
  EXPECT_STREQ(m.what(), "");
  EXPECT_EQ(m.GetMessage()[0], 0);
  m.SetMessage(nullptr);
  EXPECT_STREQ(m.what(), "");
}

class Counted : public QBase::ReferenceCountedObject {
 public:
  long refs = 0;
  long AddReference() override { return ++refs; }
  long DropReference() override { return --refs; }
};

TEST(SmartPtrI, CountsEveryHolder) {
  Counted c;
  {
    QBase::SmartPtrI<Counted> a(&c);
    EXPECT_EQ(c.refs, 1);
    QBase::SmartPtrI<Counted> b = a;
    EXPECT_EQ(c.refs, 2);
    QBase::SmartPtrI<Counted> moved = std::move(b);
    EXPECT_EQ(c.refs, 2);
    EXPECT_FALSE(b);
    QBase::SmartPtrI<QBase::ReferenceCountedObject> base = a;
    EXPECT_EQ(c.refs, 3);
    QBase::SmartPtrI<Counted>& alias = a;
    a = alias;  // self-assignment keeps the count
    EXPECT_EQ(c.refs, 3);
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
    QBase::ReturnPtr<Probe> p(new Probe);
    QBase::ReturnPtr<Probe> q = std::move(p);
    EXPECT_FALSE(p);
    EXPECT_TRUE(q);
  }
  EXPECT_EQ(Probe::deleted, 1);
  QBase::ReturnPtr<Probe> r(new Probe);
  Probe* raw = r.release();
  EXPECT_FALSE(r);
  delete raw;
  EXPECT_EQ(Probe::deleted, 2);
}

}  // namespace
