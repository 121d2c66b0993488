#pragma once

#include <cstdint>
#include <memory>

#include "foundation/korobject.h"
#include "foundation/korvalue.h"
#include "foundation/xml/korxml.h"

#include <vector>

class ShowXML_c;

// An object that reads a node and its direct children and must hear when
// one of them is destroyed.
class ShowXMLWatcher_c {
 public:
  virtual void NodeDestroyed(const KorXML_c* node) = 0;

 protected:
  ~ShowXMLWatcher_c() = default;
};

// What a node tells the change history that records it: the node is going
// away, so every entry that refers to it must be dropped. The document's
// history implements this.
class ShowXMLHistory_c {
 public:
  virtual ~ShowXMLHistory_c() = default;
  virtual void ForgetNode(const ShowXML_c* node) = 0;
  // Whether nodes made now (through CreateNew of a node linked here) take a
  // snapshot of their first value: the document says yes while it loads.
  virtual bool SnapshotNewNodes() const { return false; }
};

// The node class of documents: a history value, two slots for data-model
// objects bound to the node, and a link to the document's change history.
class ShowXML_c : public KorXML_c {
 public:
  static constexpr int kBoundSlots = 2;

  ShowXML_c();
  explicit ShowXML_c(uint8_t type);
  // Tells the history to forget this node; destroys bound objects when owning.
  ~ShowXML_c() override;

  // Deep copy; bound objects are not copied, the target keeps its own
  // history link (copied children get it through CreateNew).
  KorStatus CopyInto(KorObject_c* target) const override;
  // A new node carrying this node's history link.
  std::unique_ptr<KorObject_c> CreateNew() const override;
  KorHistoryValue_c* GetValue() override;

  // node as a ShowXML_c, or null when it is not one (or is being destroyed).
  static ShowXML_c* From(KorXML_c* node) {
    return node != nullptr && node->m_isShowXML ? static_cast<ShowXML_c*>(node) : nullptr;
  }
  static const ShowXML_c* From(const KorXML_c* node) {
    return node != nullptr && node->m_isShowXML ? static_cast<const ShowXML_c*>(node) : nullptr;
  }

  // Bound object in slot 0 or 1 (null when empty or out of range).
  KorObject_c* GetBoundObject(int slot) const;
  // Stores object in a slot; the previous object is destroyed when the node
  // owns its bound objects. KOR_FAIL for a bad slot (object then destroyed
  // when owning).
  KorStatus SetBoundObject(int slot, KorObject_c* object);
  // KOR_TRUE: the node deletes its bound objects with itself (default KOR_FALSE).
  KorBool GetOwnsBoundObjects() const { return m_ownsBound; }
  void SetOwnsBoundObjects(KorBool owns) { m_ownsBound = owns; }

  // Non-owning link to the change history; may be null.
  ShowXMLHistory_c* GetHistory() const { return m_history; }
  void SetHistory(ShowXMLHistory_c* history) { m_history = history; }
  // Sets the link on this node and its whole subtree (ShowXML_c nodes only).
  void SetHistoryRecursive(ShowXMLHistory_c* history);

  // The value takes a snapshot now, or, without a value object yet, when
  // the object is created (it then holds the same value).
  void OweSnapshot();

  // Watchers of this node, kept on the node so that a tree of a million
  // nodes needs no lookup table to find them. The history decides when to
  // tell them (see ShowDocument_c).
  void AddWatcher(ShowXMLWatcher_c* watcher);
  void RemoveWatcher(ShowXMLWatcher_c* watcher);
  // Hands the watchers over and leaves none.
  using Watchers = std::vector<ShowXMLWatcher_c*, KorPoolAllocator<ShowXMLWatcher_c*>>;
  Watchers TakeWatchers();
  // Null when there are none.
  const Watchers* PeekWatchers() const { return m_watchers ? &m_watchers->items : nullptr; }

 private:
  void ReleaseBound(int slot);

  // Held as unique_ptr in both modes; released instead of destroyed when
  // the node does not own them.
  std::unique_ptr<KorObject_c> m_bound[kBoundSlots];
  ShowXMLHistory_c* m_history = nullptr;
  struct WatcherList {
    KOR_POOLED_CLASS
    Watchers items;
  };
  std::unique_ptr<WatcherList> m_watchers;  // most nodes have none
  KorBool m_ownsBound = KOR_FALSE;
};
