#include "DataType/Collections/BinaryCollection.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "Base/Message.h"
#include "Base/Strings.h"
#include "DataType/Collections/internal/BinaryImpl.h"

namespace QDataType {

namespace {

class BinaryCollectionImpl final : public BinaryCollection {
 public:
  BinaryCollectionImpl() = default;
  BinaryCollectionImpl(BinaryCollectionImpl const&) = delete;
  BinaryCollectionImpl& operator=(BinaryCollectionImpl const&) = delete;
  ~BinaryCollectionImpl() override {
    for (Binary* blob : blobs_) delete blob;
  }

  void Add(Binary* blob) override {
    CheckRoom(1);
    blobs_.push_back(blob);
  }

  void Append(BinaryCollection* other) override {
    if (other == nullptr || other == this) return;
    auto* source = dynamic_cast<BinaryCollectionImpl*>(other);
    if (source == nullptr) throw std::invalid_argument("BinaryCollection::Append: foreign collection");
    CheckRoom(source->blobs_.size());
    blobs_.insert(blobs_.end(), source->blobs_.begin(), source->blobs_.end());
    source->blobs_.clear();
  }

  unsigned int GetCount() const override { return static_cast<unsigned int>(blobs_.size()); }

  Binary* GetAt(unsigned int index) const override {
    if (index >= blobs_.size()) QBase::Throw<QBase::Message>("use out of bound index to access vector");
    return blobs_[index];
  }

  size_t GetTotalSize() const override {
    size_t total = 0;
    for (Binary const* blob : blobs_) {
      size_t const size = blob == nullptr ? 0 : blob->GetSize();
      if (size > SIZE_MAX - total) return SIZE_MAX;
      total += size;
    }
    return total;
  }

  void Destroy() override { delete this; }

 private:
  // The count is reported in 32 bits: refuse to grow past that.
  void CheckRoom(size_t more) const {
    if (more > UINT_MAX - blobs_.size()) throw std::length_error("BinaryCollection: too many blobs");
  }

  std::vector<Binary*> blobs_;
};

struct DestroyCollection {
  void operator()(BinaryCollection* c) const noexcept { c->Destroy(); }
};
using CollectionPtr = std::unique_ptr<BinaryCollection, DestroyCollection>;

size_t SizeOf(Binary const* blob) { return blob == nullptr ? 0 : blob->GetSize(); }

[[noreturn]] void ThrowRefused(int code) {
  static constexpr char kRefused[] = "No memory to be contracted. Contract request rejected.\n";
  QBase::WString text = QBase::UTF8ToWide(kRefused, sizeof kRefused - 1);
  QBase::ReturnWString const reason = QBase::GetSystemErrorDescription(static_cast<unsigned>(code));
  if (reason.GetString() != nullptr) text.append(reason.GetString(), reason.GetLength());
  QBase::Throw<QBase::ContractManagerAllocException>(text.c_str(), code);
}

// A heap blob of `size` bytes filled with the views of blobs [first, last) of
// `source`, asked of and reported to `contract` when there is one. The bytes
// are copied once, straight into storage of the final size.
std::unique_ptr<Binary> Join(BinaryCollection const* source, unsigned int first, unsigned int last, size_t size,
                             QBase::MemoryContract* contract) {
  if (contract != nullptr) {
    int const code = contract->Reserve(size, 1);
    if (code != 0) ThrowRefused(code);
  }
  auto blob = std::make_unique<BinaryImpl>(nullptr);
  {
    QBase::ContractRelease const granted(contract, size);
    blob->SetSize(size);
  }

  auto* out = static_cast<unsigned char*>(blob->GetData());
  size_t left = size;
  for (unsigned int i = first; i < last && left != 0; ++i) {
    // Sizes are read again here: whatever a blob reports now, nothing is
    // written past `size` and nothing is left uninitialised.
    Binary const* part = source->GetAt(i);
    size_t const n = std::min(SizeOf(part), left);
    if (n == 0) continue;
    void const* bytes = part->GetData();
    if (bytes == nullptr) {
      std::memset(out, 0, n);
    } else {
      std::memcpy(out, bytes, n);
    }
    out += n;
    left -= n;
  }
  if (left != 0) std::memset(out, 0, left);
  return blob;
}

}  // namespace

BinaryCollection::~BinaryCollection() = default;

BinaryCollection* CreateBinaryCollection() { return new BinaryCollectionImpl; }

Binary* CreateBinary(BinaryCollection* collection, QBase::MemoryContract* contract) {
  unsigned int const count = collection == nullptr ? 0 : collection->GetCount();
  size_t total = 0;
  for (unsigned int i = 0; i < count; ++i) {
    size_t const size = SizeOf(collection->GetAt(i));
    if (size > SIZE_MAX - total) throw std::length_error("CreateBinary: total size exceeds SIZE_MAX");
    total += size;
  }
  return Join(collection, 0, count, total, contract).release();
}

BinaryCollection* CombineBinaryCollection(BinaryCollection* collection, size_t maxSize) {
  QBase::SmartPtrI<QBase::MemoryContract> none;
  return CombineBinaryCollectionGoverned(collection, maxSize, none);
}

BinaryCollection* CombineBinaryCollectionGoverned(BinaryCollection* collection, size_t maxSize,
                                                  QBase::SmartPtrI<QBase::MemoryContract>& contract) {
  size_t const limit = maxSize == 0 ? size_t{0xFFFFFFFF} : maxSize;
  CollectionPtr result(CreateBinaryCollection());
  unsigned int const count = collection == nullptr ? 0 : collection->GetCount();
  unsigned int i = 0;
  while (i < count) {
    unsigned int const start = i;
    size_t sum = 0;
    while (i < count) {
      size_t const size = SizeOf(collection->GetAt(i));
      if (size > limit - sum) break;  // sum <= limit throughout: no overflow
      sum += size;
      ++i;
    }
    if (i == start) {
      sum = SizeOf(collection->GetAt(i));
      ++i;
    }
    std::unique_ptr<Binary> blob = Join(collection, start, i, sum, contract.get());
    result->Add(blob.get());
    blob.release();
  }
  return result.release();
}

}  // namespace QDataType
