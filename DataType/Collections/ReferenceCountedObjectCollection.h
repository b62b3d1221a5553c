/// @file
/// ReferenceCountedObjectCollection: an ordered list of reference-counted
/// objects, each with a 64-bit tag.
///
/// @class QDataType::ReferenceCountedObjectCollection
/// An ordered list of reference-counted objects, each with a 64-bit tag.
///
/// The model
/// ---------
/// Each entry pairs an intrusively counted object (or null) with a tag chosen
/// by the caller. The collection holds exactly one reference to each non-null
/// object it stores (an object added twice holds two) and drops them all when
/// it is destroyed; it never creates or deletes the objects themselves.
/// `GetAt` hands out a `SmartPtrI` with a reference of its own.
///
/// @code
///   auto list = QDataType::CreateReferenceCountedObjectCollection();
///   list->Add(object, 7);                           // +1 reference, kept
///   QBase::SmartPtrI<QBase::ReferenceCountedObject> p = list->GetAt(0);  // +1, dropped with p
/// @endcode
///
/// `Add` takes its reference before the list grows and gives it back if
/// growing fails (`std::bad_alloc` or `std::length_error`), leaving the list
/// as it was. An index at or past `GetCount()` is outside what callers may
/// ask; it reads as an empty entry with tag 0 rather than outside the list.
#pragma once

#include <cstddef>

#include "Base/Export.h"
#include "Base/RefCount.h"
#include "Base/ReturnPtr.h"
#include "DataType/Collections/CollectionIterator.h"

namespace QDataType {

class QDT_API ReferenceCountedObjectCollection {
 public:
  /// Drops the collection's reference to every object it holds.
  virtual ~ReferenceCountedObjectCollection();
  /// The number of entries, null ones included.
  virtual size_t GetCount() const = 0;
  /// Appends (`object`, `tag`); a non-null object gets one more reference.
  /// When the list cannot grow the reference is given back and the exception
  /// passes on.
  virtual void Add(QBase::ReferenceCountedObject* object, unsigned long long tag) = 0;
  /// The entry's object with a reference of its own; empty for null and for an
  /// index at or past GetCount().
  virtual QBase::SmartPtrI<QBase::ReferenceCountedObject> GetAt(size_t index) const = 0;
  /// The entry's tag; 0 for an index at or past GetCount().
  virtual unsigned long long GetTagAt(size_t index) const = 0;

  /// Iterates over the objects as GetAt returns them, each with a reference
  /// of its own (see CollectionIterator); tags are read with GetTagAt.
  using const_iterator =
      CollectionIterator<ReferenceCountedObjectCollection, QBase::SmartPtrI<QBase::ReferenceCountedObject>>;
  /// The first entry.
  const_iterator begin() const noexcept { return const_iterator(this, 0); }
  /// Past the last entry.
  const_iterator end() const { return const_iterator(this, GetCount()); }

 protected:
  /// For the library's implementation only.
  ReferenceCountedObjectCollection() = default;
  /// For the library's implementation only.
  ReferenceCountedObjectCollection(ReferenceCountedObjectCollection const&) = default;
  /// For the library's implementation only.
  ReferenceCountedObjectCollection& operator=(ReferenceCountedObjectCollection const&) = default;
};

/// The owning pointer in which CreateReferenceCountedObjectCollection returns
/// a collection; it deletes the collection when it lets go.
using ReferenceCountedObjectCollectionPtr =
    QBase::ReturnPtr<ReferenceCountedObjectCollection, QBase::DeleteC<ReferenceCountedObjectCollection>>;

/// A new, empty heap collection in an owning pointer (null when the heap has
/// no memory for it).
QDT_API ReferenceCountedObjectCollectionPtr CreateReferenceCountedObjectCollection();

}  // namespace QDataType
