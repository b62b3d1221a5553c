#include "DataType/Collections/ReferenceCountedObjectCollection.h"

#include <new>
#include <vector>

namespace QDataType {

namespace {

class ReferenceCountedObjectCollectionImpl final : public ReferenceCountedObjectCollection {
 public:
  ReferenceCountedObjectCollectionImpl() = default;
  ReferenceCountedObjectCollectionImpl(ReferenceCountedObjectCollectionImpl const&) = delete;
  ReferenceCountedObjectCollectionImpl& operator=(ReferenceCountedObjectCollectionImpl const&) = delete;
  ~ReferenceCountedObjectCollectionImpl() override {
    for (Entry const& entry : entries_)
      if (entry.object != nullptr) entry.object->DropReference();
  }

  size_t GetCount() const override { return entries_.size(); }

  void Add(QBase::ReferenceCountedObject* object, unsigned long long tag) override {
    if (object != nullptr) object->AddReference();
    try {
      entries_.push_back(Entry{object, tag});
    } catch (...) {
      if (object != nullptr) object->DropReference();
      throw;
    }
  }

  QBase::SmartPtrI<QBase::ReferenceCountedObject> GetAt(size_t index) const override {
    if (index >= entries_.size()) return {};
    return QBase::SmartPtrI<QBase::ReferenceCountedObject>(entries_[index].object);
  }

  unsigned long long GetTagAt(size_t index) const override { return index < entries_.size() ? entries_[index].tag : 0; }

 private:
  struct Entry {
    QBase::ReferenceCountedObject* object;  // carries one reference of ours
    unsigned long long tag;
  };
  std::vector<Entry> entries_;
};

}  // namespace

ReferenceCountedObjectCollection::~ReferenceCountedObjectCollection() = default;

ReferenceCountedObjectCollectionPtr CreateReferenceCountedObjectCollection() {
  return ReferenceCountedObjectCollectionPtr(new (std::nothrow) ReferenceCountedObjectCollectionImpl);
}

}  // namespace QDataType
