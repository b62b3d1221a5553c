#include "DataType/Collections/StringCollection.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "Base/Strings.h"

namespace QDataType {

namespace {

using Text = std::unique_ptr<unsigned short[]>;

// A heap copy of `text` with its terminator; null stays null.
Text Copy(const unsigned short* text) {
  if (text == nullptr) return nullptr;
  size_t const length = QBase::WideLength(text);
  Text copy(new unsigned short[length + 1]);
  std::memcpy(copy.get(), text, (length + 1) * sizeof(unsigned short));
  return copy;
}

class StringCollectionImpl final : public StringCollection {
 public:
  void Append(StringCollection* other) override {
    if (other == nullptr) return;
    std::vector<Text> copies;
    copies.reserve(other->GetCount());
    for (size_t i = 0; i < other->GetCount(); ++i) copies.push_back(Copy(other->GetAt(i)));
    if (copies.size() > entries_.max_size() - entries_.size()) throw std::length_error("StringCollection: too long");
    entries_.reserve(entries_.size() + copies.size());
    entries_.insert(entries_.end(), std::make_move_iterator(copies.begin()), std::make_move_iterator(copies.end()));
  }

  void Add(const unsigned short* text) override {
    Text copy = Copy(text);
    entries_.push_back(std::move(copy));
  }

  size_t GetCount() const override { return entries_.size(); }

  const unsigned short* GetAt(size_t index) const override {
    return index < entries_.size() ? entries_[index].get() : nullptr;
  }

  void Clear() override { entries_.clear(); }

 private:
  std::vector<Text> entries_;
};

}  // namespace

StringCollection::~StringCollection() = default;

StringCollection* CreateStringCollection() { return new (std::nothrow) StringCollectionImpl; }

}  // namespace QDataType
