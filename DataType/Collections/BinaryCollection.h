/// @file
/// BinaryCollection: an ordered list of blobs that owns them, and packing.
///
/// @class QDataType::BinaryCollection
/// An ordered list of blobs that owns them.
///
/// The model
/// ---------
/// A collection is a list of `Binary*` in insertion order on the heap. It owns
/// every blob put into it: destroying the collection deletes them with
/// `delete`, so only heap blobs go into a collection that will be destroyed.
/// `GetAt` lends a blob; ownership stays with the collection. A collection is
/// released with `Destroy()`.
///
/// Packing
/// -------
/// `CombineBinaryCollection(c, maxSize)` copies the views of the blobs of `c`,
/// in order, into fewer new heap blobs of at most `maxSize` bytes each (0 means
/// 4,294,967,295). Groups are consecutive: a group takes blobs while their
/// total stays within the limit (reaching it exactly is allowed), and a blob
/// larger than the limit forms a group on its own. Empty blobs always fit. The
/// source collection and its blobs are left as they were:
///
/// @code{.unparsed}
///   sizes 4, 6, 3, 12, 5 with maxSize 10  ->  blobs of 10, 3, 12 and 5 bytes
/// @endcode
///
/// Memory contracts
/// ----------------
/// `CombineBinaryCollectionGoverned` does the same under a `MemoryContract`:
/// before each group's blob is allocated the contract is asked
/// `Reserve(size, 1)`, and told `Release(size)` once the allocation is over,
/// whether it succeeded or threw. A
/// non-zero code from `Reserve` throws `QBase::ContractManagerAllocException`
/// whose id is that code and whose text is
/// "No memory to be contracted. Contract request rejected." followed by a line
/// feed and the system's description of the code. The groups built so far are
/// destroyed; the Reserve/Release pairs already made stay made. The
/// concatenation `CreateBinary(collection, contract)` (Binary.h) follows the
/// same protocol for its one blob.
///
/// Errors
/// ------
/// `GetAt` with an index at or past `GetCount()` throws `QBase::Message`
/// (as `QBase::ExceptionImpl<QBase::Message>`) with the text
/// "use out of bound index to access vector". Heap exhaustion throws
/// `std::bad_alloc`; a total that does not fit in `size_t` throws
/// `std::length_error`. Null entries (allowed by `Add`) count as empty blobs,
/// and a null collection packs or concatenates as an empty one.
#pragma once

#include <cstddef>
#include <memory>

#include "Base/Export.h"
#include "Base/RefCount.h"
#include "DataType/Collections/Binary.h"
#include "DataType/Collections/CollectionIterator.h"

namespace QDataType {

class QDT_API BinaryCollection {
 public:
  /// Appends `blob` (null is stored as it is); the collection takes ownership.
  /// When the list cannot grow (std::bad_alloc, or std::length_error past
  /// 4,294,967,295 entries) the exception passes on and the caller keeps the
  /// blob.
  virtual void Add(Binary* blob) = 0;
  /// Moves every blob of `other` to the end of this collection, leaving
  /// `other` empty. `other` must come from CreateBinaryCollection (anything
  /// else throws std::invalid_argument); null or this collection itself
  /// changes nothing. When the list cannot grow, both stay as they were.
  virtual void Append(BinaryCollection* other) = 0;
  /// The number of entries, null ones included.
  virtual unsigned int GetCount() const = 0;
  /// Lends the blob at `index` (null for a null entry); the collection keeps
  /// ownership. An index at or past GetCount() throws QBase::Message.
  virtual Binary* GetAt(unsigned int index) const = 0;
  /// Sum of GetSize() over all blobs (SIZE_MAX when it does not fit).
  virtual size_t GetTotalSize() const = 0;
  /// Deletes the collection and every blob in it.
  virtual void Destroy() = 0;
  virtual ~BinaryCollection();

  /// Iterates over the entries as GetAt lends them (see CollectionIterator).
  using const_iterator = CollectionIterator<BinaryCollection, Binary*>;
  /// The first entry.
  const_iterator begin() const noexcept { return const_iterator(this, 0); }
  /// Past the last entry.
  const_iterator end() const { return const_iterator(this, GetCount()); }

 protected:
  /// For the library's implementation only.
  BinaryCollection() = default;
  /// For the library's implementation only.
  BinaryCollection(BinaryCollection const&) = default;
  /// For the library's implementation only.
  BinaryCollection& operator=(BinaryCollection const&) = default;
};

/// A new, empty heap collection; release it with Destroy(). Throws
/// std::bad_alloc when the heap has no memory for it.
QDT_API BinaryCollection* CreateBinaryCollection();

/// Packs the blobs of `collection` into a new heap collection of blobs of at
/// most `maxSize` bytes each (0 means 4,294,967,295), as BinaryCollection
/// describes; the caller releases the result with Destroy().
QDT_API BinaryCollection* CombineBinaryCollection(BinaryCollection* collection, size_t maxSize);

/// The same under the contract `contract` holds (none when it holds null). The
/// smart pointer is read, not changed.
QDT_API BinaryCollection* CombineBinaryCollectionGoverned(BinaryCollection* collection, size_t maxSize,
                                                          QBase::SmartPtrI<QBase::MemoryContract>& contract);

/// Releases a collection through Destroy(); the deleter of BinaryCollectionPtr.
struct BinaryCollectionDeleter {
  /// Calls `collection->Destroy()` (nothing for null).
  void operator()(BinaryCollection* collection) const noexcept {
    if (collection != nullptr) collection->Destroy();
  }
};
/// An owning pointer to a heap collection that releases it with Destroy().
using BinaryCollectionPtr = std::unique_ptr<BinaryCollection, BinaryCollectionDeleter>;
/// CreateBinaryCollection in an owning pointer.
inline BinaryCollectionPtr MakeBinaryCollection() { return BinaryCollectionPtr(CreateBinaryCollection()); }
/// CombineBinaryCollection in an owning pointer.
inline BinaryCollectionPtr MakeCombinedBinaryCollection(BinaryCollection* collection, size_t maxSize) {
  return BinaryCollectionPtr(CombineBinaryCollection(collection, maxSize));
}

}  // namespace QDataType
