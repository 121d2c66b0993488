#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/korobject.h"
#include "foundation/xml/showxml.h"

class KorBuffer_c;
class KorString_c;
class KorTime_c;
class KorXML_c;
class ShowXMLInterface_c;

// Flag bits of a document.
inline constexpr uint8_t KOR_DOC_FLAG_MODIFIED = 1;

// The abstract document: flags, root element name and file extension.
class KorDocument_c : public KorObject_c {
 public:
  KorDocument_c();
  ~KorDocument_c() override;

  KorStatus CopyInto(KorObject_c* target) const override;

  // Parses buffer (from its cursor) into the document; the buffer position
  // after the parsed text, or KOR_FAIL.
  virtual int32_t LoadXML(KorBuffer_c* buffer) = 0;
  // Writes the document into buffer; bytes written, or KOR_FAIL.
  virtual int32_t SaveXML(KorBuffer_c* buffer) = 0;
  virtual void SetModified(KorBool flag);
  virtual KorBool IsModified() const;
  // Deletes the data objects the document made (none here).
  virtual void DiscardDataObjects() {}
  // Clears to an empty document.
  virtual void Reset() = 0;

  uint8_t GetFlags() const { return m_flags; }
  // Created (empty) on first use.
  KorString_c* RootName();
  KorString_c* Extension();

 protected:
  uint8_t m_flags = 0;
  std::unique_ptr<KorString_c> m_rootName;
  std::unique_ptr<KorString_c> m_extension;
};

// An XML document: the document node (named "xml", with the internal
// attributes version "1.0" and encoding "utf-8" when new or reset), the
// modified flag, a resource serial counter and a timestamp.
//
// The change history records nothing beyond what the modified flag needs:
// every tracked change sets the flag and counts one change.
//
// The document also keeps every data object bound into its tree from
// pointing at freed nodes: each node of the tree links to the document
// (ShowXMLHistory_c), and when a node is destroyed (an item removed through
// its list, LoadXML, Reset, the document's own end) the objects bound to it
// are unbound and the objects that cached it forget it.
class ShowDocument_c : public KorDocument_c, public ShowXMLHistory_c {
 public:
  static constexpr int32_t kDefaultHistoryLimit = 1000;

  ShowDocument_c();
  ~ShowDocument_c() override;

  // Copies flags, root name, extension, history limit, the XML tree (deep)
  // and the timestamp. Data objects are not copied.
  KorStatus CopyInto(KorObject_c* target) const override;
  std::unique_ptr<KorObject_c> CreateNew() const override;

  // Discards the data objects, clears the tree and parses buffer from its
  // cursor (nothing for a null or empty buffer); every node's value then
  // takes a snapshot. The position after the parsed text, or KOR_FAIL (the
  // tree then holds what was parsed before the error).
  int32_t LoadXML(KorBuffer_c* buffer) override;
  // The same, keeping the element children of every element named
  // rawChildrenOf as the text they were read from (KorXML_c::Parse): raw
  // nodes, which no list binds.
  int32_t LoadXML(KorBuffer_c* buffer, std::string_view rawChildrenOf);
  // Writes the tree as one line (hidden nodes included). An owning buffer is
  // emptied and sized to exactly the output first; an attached buffer takes
  // what fits. Clears the modified flag. Bytes written, or KOR_FAIL when the
  // buffer cannot be sized (nothing written) or is null.
  int32_t SaveXML(KorBuffer_c* buffer) override;
  // Discards the data objects, empties the history, clears the tree and
  // gives the document node back its name and internal attributes.
  void Reset() override;

  // The document node (type 2); never null.
  ShowXML_c* GetXMLDocument() const { return m_xml.get(); }

  // Resource serial numbers: the current value, then one up. Starts at 1;
  // LoadXML and Reset do not restart it.
  uint32_t NextSerial() { return m_serial++; }
  uint32_t PeekSerial() const { return m_serial; }

  // A tracked change was made through a data object: sets the modified flag
  // and counts the change (at most the history limit are counted).
  void NotifyChanged();
  // Changes recorded since the history was last emptied.
  int32_t HistoryCount() const { return m_historyCount; }
  void ClearHistory() { m_historyCount = 0; }
  int32_t GetHistoryLimit() const { return m_historyLimit; }
  void SetHistoryLimit(int32_t limit);

  // Owned; created on first use.
  KorTime_c* Timestamp();

  // ShowXMLHistory_c: node is being destroyed.
  void ForgetNode(const ShowXML_c* node) override;
  bool SnapshotNewNodes() const override { return m_loading; }

  // Number of data objects currently bound into this document's tree.
  size_t WatchedObjectCount() const;

 private:
  friend class ShowXMLInterface_c;

  // Keeps object informed about the fate of element and its direct children.
  void WatchElement(KorXML_c* element, ShowXMLInterface_c* object);
  void UnwatchElement(KorXML_c* element, ShowXMLInterface_c* object);
  // Objects whose owning document this is; they forget it when it goes.
  void RegisterObject(ShowXMLInterface_c* object);
  void UnregisterObject(ShowXMLInterface_c* object);
  void InitDocumentNode();

  std::unique_ptr<ShowXML_c> m_xml;
  int32_t m_historyCount = 0;
  int32_t m_historyLimit = kDefaultHistoryLimit;
  std::unique_ptr<KorTime_c> m_timestamp;
  uint32_t m_serial = 1;
  // Objects whose document this is, linked through the objects themselves:
  // a loaded document has one per resource, rule and list, and a table of
  // them would cost a lookup and a cache miss each.
  ShowXMLInterface_c* m_firstObject = nullptr;
  bool m_loading = false;
};
