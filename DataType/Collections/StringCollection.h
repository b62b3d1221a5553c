/// @file
/// StringCollection: an ordered list of wide strings that the collection owns.
///
/// @class QDataType::StringCollection
/// An ordered list of wide strings that the collection owns.
///
/// The model
/// ---------
/// Each entry is either a copy of a zero-terminated wide text (16-bit UTF-16
/// units), made by `Add` and owned by the collection, or empty (null). Entries
/// keep their insertion order. `GetAt` lends the stored text, valid until
/// `Clear` or the destruction of the collection. Everything lives on the heap;
/// the caller deletes the collection with `delete`.
///
/// `Append(other)` copies every entry of `other` before inserting any of them,
/// so appending a collection to itself doubles it. If a copy or the insertion
/// fails, the collection is left as it was and the exception passes on
/// (`std::bad_alloc`, or `std::length_error` past the largest possible count).
///
/// An index at or past `GetCount()` is outside what callers may ask; it reads
/// as an empty entry (null) rather than outside the list.
#pragma once

#include <cstddef>
#include <memory>

#include "Base/Export.h"
#include "DataType/Collections/CollectionIterator.h"

namespace QDataType {

class QDT_API StringCollection {
 public:
  /// Deletes every entry.
  virtual ~StringCollection();
  /// Appends a copy of every entry of `other`, in order (null: no change).
  virtual void Append(StringCollection* other) = 0;
  /// Appends a copy of `text` up to its terminating zero, or an empty entry
  /// when `text` is null.
  virtual void Add(const unsigned short* text) = 0;
  /// The number of entries, empty ones included.
  virtual size_t GetCount() const = 0;
  /// The stored text (zero-terminated), or null for an empty entry or an
  /// index at or past GetCount(); the collection keeps ownership.
  virtual const unsigned short* GetAt(size_t index) const = 0;
  /// Deletes every entry (the count becomes 0); the list keeps its capacity.
  virtual void Clear() = 0;

  /// Iterates over the entries as GetAt lends them (see CollectionIterator).
  using const_iterator = CollectionIterator<StringCollection, const unsigned short*>;
  /// The first entry.
  const_iterator begin() const noexcept { return const_iterator(this, 0); }
  /// Past the last entry.
  const_iterator end() const { return const_iterator(this, GetCount()); }

 protected:
  /// For the library's implementation only.
  StringCollection() = default;
  /// For the library's implementation only.
  StringCollection(StringCollection const&) = default;
  /// For the library's implementation only.
  StringCollection& operator=(StringCollection const&) = default;
};

/// A new, empty heap collection, released with `delete`; null when the heap
/// has no memory for it.
QDT_API StringCollection* CreateStringCollection();

/// An owning pointer to a heap collection, which it deletes.
using StringCollectionPtr = std::unique_ptr<StringCollection>;
/// CreateStringCollection in an owning pointer (empty when the heap has no
/// memory for it).
inline StringCollectionPtr MakeStringCollection() { return StringCollectionPtr(CreateStringCollection()); }

}  // namespace QDataType
