#pragma once

#include <cstdint>
#include <iterator>
#include <list>
#include <memory>

#include "foundation/korobject.h"
#include "foundation/korpool.h"

// A list of object pointers with a cursor and an ownership switch.
//
// The cursor always rests on a node while the list holds any. When the list
// owns its items (the default), removing a node or clearing the list
// destroys the item; otherwise the item is left alive and only unlinked.
class KorList_c : public KorObject_c {
 private:
  // The links come from the pool: a document has one per XML node.
  using Store = std::list<std::unique_ptr<KorObject_c>, KorPoolAllocator<std::unique_ptr<KorObject_c>>>;

 public:
  KOR_POOLED_CLASS

  KorList_c() = default;
  explicit KorList_c(KorBool owning);
  ~KorList_c() override;

  KorStatus CopyInto(KorObject_c* target) const override;  // clones every item
  std::unique_ptr<KorObject_c> CreateNew() const override;

  KorBool GetOwnership() const { return m_owning; }
  // Changes what later removals do; items already held are not affected.
  void SetOwnership(KorBool owning) { m_owning = owning; }

  uint32_t Count() const { return static_cast<uint32_t>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }

  // Inserts after the cursor (as the only node in an empty list); the cursor
  // moves to the new node. An owning list takes ownership of item. KOR_FAIL
  // for a null item.
  KorStatus Insert(KorObject_c* item);
  KorStatus Insert(std::unique_ptr<KorObject_c> item);
  // Inserts before the cursor; the cursor moves to the new node.
  KorStatus InsertBefore(KorObject_c* item);
  KorStatus InsertBefore(std::unique_ptr<KorObject_c> item);
  // Moves the cursor to the last node, then inserts.
  KorStatus Append(KorObject_c* item);
  KorStatus Append(std::unique_ptr<KorObject_c> item);

  // Unlinks the cursor node (destroying its item when owning); the cursor
  // moves to the next node, or to the previous one when there is no next.
  // KOR_FAIL on an empty list.
  KorStatus RemoveCurrent();
  // Same, but prefers the previous node and falls back to the next.
  KorStatus RemoveCurrentPreferPrevious();
  // Unlinks the cursor node and hands its item to the caller whatever the
  // ownership (cursor moves as in RemoveCurrent). Null on an empty list.
  std::unique_ptr<KorObject_c> TakeCurrent();

  // Cursor movement; each returns the item the cursor then rests on, or null
  // (First/Last on an empty list; Next past the end and Previous before the
  // start leave the cursor where it was).
  KorObject_c* First();
  KorObject_c* Last();
  KorObject_c* Next();
  KorObject_c* Previous();
  KorObject_c* Current() const;
  // 0-based; null (cursor unchanged) when out of range.
  KorObject_c* GoTo(int32_t index);
  // Index of the cursor, KOR_FAIL for an empty list.
  int32_t Index() const;
  // Item at a 0-based index; the cursor moves there unless restoreCursor.
  KorObject_c* Item(int32_t index, bool restoreCursor = false);
  // Index of item (compared by identity) with the cursor moved to it;
  // KOR_FAIL (cursor unchanged) if absent.
  int32_t Find(const KorObject_c* item);

  // Removes every node; destroys owned items.
  void Clear();

  // Read-only walk over the items in order; does not touch the cursor.
  class ConstIterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = KorObject_c*;
    using difference_type = std::ptrdiff_t;
    using pointer = KorObject_c* const*;
    using reference = KorObject_c*;
    ConstIterator() = default;
    explicit ConstIterator(Store::const_iterator it) : m_it(it) {}
    KorObject_c* operator*() const { return m_it->get(); }
    ConstIterator& operator++() {
      ++m_it;
      return *this;
    }
    ConstIterator operator++(int) {
      ConstIterator old = *this;
      ++m_it;
      return old;
    }
    ConstIterator& operator--() {
      --m_it;
      return *this;
    }
    ConstIterator operator--(int) {
      ConstIterator old = *this;
      --m_it;
      return old;
    }
    bool operator==(const ConstIterator& other) const { return m_it == other.m_it; }
    bool operator!=(const ConstIterator& other) const { return m_it != other.m_it; }

   private:
    Store::const_iterator m_it;
  };
  ConstIterator begin() const { return ConstIterator(m_items.begin()); }
  ConstIterator end() const { return ConstIterator(m_items.end()); }

 private:
  KorStatus InsertAt(Store::iterator where, KorObject_c* item);
  std::unique_ptr<KorObject_c> Unlink(bool preferPrevious);
  void Dispose(std::unique_ptr<KorObject_c> item);

  // First, so that it fills the base's tail padding: a tree has a list per
  // element and per attribute.
  KorBool m_owning = KOR_TRUE;
  // Items are held as unique_ptr in both modes; a non-owning list releases
  // them instead of destroying them.
  Store m_items;
  Store::iterator m_cursor = m_items.end();
};
