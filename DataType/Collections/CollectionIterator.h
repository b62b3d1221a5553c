/// @file
/// CollectionIterator: the iterator that begin() and end() of the
/// collections return.
///
/// @class QDataType::CollectionIterator
/// An iterator over the entries of a collection, by index.
///
/// The model
/// ---------
/// An iterator is a collection and an index; dereferencing it is `GetAt` of
/// that index, so it yields what GetAt yields (by value: a lent pointer or
/// a counted reference), and every step of a range-for over a collection
/// costs one GetAt call:
/// @code
///   for (Binary* blob : *collection) total += blob != nullptr ? blob->GetSize() : 0;
/// @endcode
/// end() holds the count at the time it is called (a range-for calls it once,
/// before the first step), so entries added while a range-for runs are left
/// out, and after a Clear the remaining steps read empty entries, which the
/// collections allow (BinaryCollection's GetAt throws instead: do not clear
/// it while iterating).
#pragma once

#include <cstddef>
#include <iterator>

namespace QDataType {

template <class Collection, class Value>
class CollectionIterator {
 public:
  using iterator_category = std::input_iterator_tag;  ///< Entries are read by value.
  using value_type = Value;                           ///< What GetAt returns.
  using difference_type = std::ptrdiff_t;             ///< Distance between indices.
  using pointer = void;                               ///< No member access through the iterator.
  using reference = Value;                            ///< Entries are read by value.

  /// An iterator at `index` of `collection`.
  CollectionIterator(Collection const* collection, size_t index) noexcept : collection_(collection), index_(index) {}
  /// GetAt of the current index.
  Value operator*() const { return collection_->GetAt(static_cast<decltype(collection_->GetCount())>(index_)); }
  /// The next index.
  CollectionIterator& operator++() noexcept {
    ++index_;
    return *this;
  }
  /// The next index; the iterator as it was.
  CollectionIterator operator++(int) noexcept {
    CollectionIterator const before = *this;
    ++index_;
    return before;
  }
  /// Same index (iterators of one collection).
  friend bool operator==(CollectionIterator const& a, CollectionIterator const& b) noexcept {
    return a.index_ == b.index_;
  }
  /// Not operator==.
  friend bool operator!=(CollectionIterator const& a, CollectionIterator const& b) noexcept {
    return a.index_ != b.index_;
  }

 private:
  Collection const* collection_;
  size_t index_;
};

}  // namespace QDataType
