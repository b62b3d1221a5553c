/// @file
/// Binary: a byte blob with a movable view, and the functions that create blobs.
///
/// @class QDataType::Binary
/// A byte blob with a movable view.
///
/// The model
/// ---------
/// A blob owns storage of some capacity and shows a view into it: a start and
/// a length. `GetData()` and `GetSize()` describe the view; everything else
/// moves the view or replaces the bytes under it:
///
/// @code{.unparsed}
///   storage  [.......................................]   capacity bytes
///   view           [...............]                     GetData(), GetSize()
/// @endcode
///
/// `TrimStart` and `TrimEnd` narrow the view and `Rewind` widens it back to the
/// whole storage (so it also shows bytes left behind by a shorter `SetData` or
/// `SetSize`); none of them copies anything. `SetData` and `SetSize` reuse the
/// storage whenever it is large enough and otherwise take new storage of
/// exactly the requested size; storage never shrinks. A size of 0 given to
/// `SetData` or `SetSize` changes nothing at all.
///
/// Storage and ownership
/// ---------------------
/// A blob made with a null `QBase::Buffer*` lives on the heap: its storage comes
/// from `std::malloc` and is freed with `std::free`, and the caller releases the
/// blob with `delete`. `Detach()` hands the storage block over to the caller
/// (who frees it with `std::free`) and leaves the blob empty.
///
/// A blob made with an arena takes its object and its storage from that arena
/// and is never deleted: the arena takes everything back. When the arena
/// refuses storage the blob is left empty (capacity and length 0) and no error
/// is raised; `Detach()` on such a blob returns null and changes nothing.
///
/// Errors
/// ------
/// For a heap blob, exhaustion throws `std::bad_alloc` and a size above
/// PTRDIFF_MAX (more than any object can hold) throws `std::length_error`
/// before anything is allocated; either way the blob stays as it was. An arena
/// blob passes every size to its arena and is left empty when it is refused.
///
/// Comparison
/// ----------
/// `IsEqual` compares lengths and the bytes of the two views. `IsLess` orders
/// views lexicographically as unsigned bytes: an empty view comes first and a
/// proper prefix comes before the longer view.
///
/// Concatenation
/// -------------
/// `CreateBinary(collection, contract)` joins the views of all blobs of a
/// collection into one new heap blob (see BinaryCollection for the memory
/// contract protocol).
///
/// A literal `0` converts to a pointer as readily as to a size, so
/// `CreateBinary(0)` and `CreateBinary(nullptr, 0)` are ambiguous; write
/// `CreateBinary()`, `CreateBinary(size_t{0})` or pass the buffer.
#pragma once

#include <cstddef>
#include <memory>

#include "Base/Export.h"
#include "Base/Memory.h"
#include "Base/RefCount.h"

namespace QDataType {

class BinaryCollection;

class QDT_API Binary {
 public:
  virtual ~Binary();

  /// Copies `size` bytes from `data` (zeros when `data` is null) and sets the
  /// view to them, at the start of the storage. `data` may point into this
  /// blob's own storage. A size of 0 changes nothing.
  virtual void SetData(const void* data, size_t size) = 0;
  /// True when the two views have the same length and bytes.
  virtual bool IsEqual(const Binary& other) const = 0;
  /// True when this view comes before the other's, comparing unsigned bytes
  /// (a proper prefix comes first).
  virtual bool IsLess(const Binary& other) const = 0;
  /// Length of the view.
  virtual size_t GetSize() const = 0;
  /// First byte of the view (writable); null when the view is empty.
  virtual void* GetData() const = 0;
  /// Shortens the view from the end; past the length it becomes empty.
  virtual void TrimEnd(size_t count) = 0;
  /// Moves the view start forward; past the length the view becomes empty
  /// where it stands.
  virtual void TrimStart(size_t count) = 0;
  /// The view becomes the whole storage.
  virtual void Rewind() = 0;
  /// Heap blob: returns the storage block (its start, not the view start; null
  /// when there is none) and empties the blob; the caller frees the block with
  /// `std::free`. Arena blob: null, no change.
  virtual void* Detach() = 0;
  /// Sets the view to the first `size` bytes of the storage, taking new,
  /// uninitialised storage when the capacity is smaller (nothing is copied).
  /// A size of 0 changes nothing.
  virtual void SetSize(size_t size) = 0;

 protected:
  /// For the library's implementation only.
  Binary() = default;
  /// For the library's implementation only.
  Binary(Binary const&) = default;
  /// For the library's implementation only.
  Binary& operator=(Binary const&) = default;
};

/// An empty blob. With an arena the object comes from the arena; an arena that
/// refuses the object itself throws std::bad_alloc. Release a heap blob with
/// `delete`.
QDT_API Binary* CreateBinary(QBase::Buffer* buffer = nullptr);
/// An empty blob, then SetData(data, size). If that throws, the object is
/// given back and the exception passes on.
QDT_API Binary* CreateBinary(const void* data, size_t size, QBase::Buffer* buffer = nullptr);
/// A blob of `size` zero bytes.
QDT_API Binary* CreateBinary(size_t size, QBase::Buffer* buffer = nullptr);
/// A new heap blob holding the views of all blobs of `collection`, in order.
/// When `contract` is not null, `Reserve(total, 1)` is asked first (a refusal
/// throws QBase::ContractManagerAllocException and allocates nothing) and
/// `Release(total)` reported once the allocation is over (also when it
/// throws, e.g. std::length_error for a total above PTRDIFF_MAX). The
/// collection is not changed; null entries, and a null collection, count as
/// empty.
QDT_API Binary* CreateBinary(BinaryCollection* collection, QBase::MemoryContract* contract);

/// An owning pointer to a heap blob (made without an arena), which it
/// deletes. An arena blob is never put in one: the arena takes it back.
using BinaryPtr = std::unique_ptr<Binary>;
/// An empty heap blob (CreateBinary()) in an owning pointer.
inline BinaryPtr MakeBinary() { return BinaryPtr(CreateBinary()); }
/// A heap blob holding a copy of `size` bytes of `data` (CreateBinary(data,
/// size)) in an owning pointer.
inline BinaryPtr MakeBinary(const void* data, size_t size) { return BinaryPtr(CreateBinary(data, size)); }
/// The heap concatenation CreateBinary(collection, contract) in an owning pointer.
inline BinaryPtr MakeBinary(BinaryCollection* collection, QBase::MemoryContract* contract) {
  return BinaryPtr(CreateBinary(collection, contract));
}

}  // namespace QDataType
