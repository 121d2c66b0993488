#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/korbuffer.h"
#include "foundation/korlist.h"
#include "foundation/korobject.h"
#include "foundation/korpool.h"
#include "foundation/korvalue.h"

// Node types.
inline constexpr uint8_t KOR_XML_COMMENT = 1;
inline constexpr uint8_t KOR_XML_DOCUMENT = 2;  // the XML declaration; value "xml"
inline constexpr uint8_t KOR_XML_ELEMENT = 3;
inline constexpr uint8_t KOR_XML_ATTRIBUTE = 4;  // one text child holds the value
inline constexpr uint8_t KOR_XML_TEXT = 5;
inline constexpr uint8_t KOR_XML_RAW = 6;  // written exactly as held

// Node flags.
inline constexpr uint8_t KOR_XML_FLAG_INTERNAL = 1;    // passed over by name searches
inline constexpr uint8_t KOR_XML_FLAG_HIDDEN = 2;      // written only with write-hidden on
inline constexpr uint8_t KOR_XML_FLAG_OMIT_EMPTY = 4;  // written only with text below it

// Elements nested deeper than this are a parse error.
inline constexpr int32_t KOR_XML_MAX_DEPTH = 1000;

// Entity coding of & < > ' " (other ampersand sequences pass unchanged).
std::string KorXMLDecode(std::string_view text);
// The same into out, whose text is replaced and whose storage is reused.
void KorXMLDecode(std::string_view text, std::string* out);
std::string KorXMLEncode(std::string_view text);

// One node of the XML tree: comment, document, element, attribute, text or
// raw text. The value holds the name (document, element, attribute) or the
// text (comment, text, raw text). A node whose value is empty (never set,
// "" or only spaces) counts as absent: the writer skips it and name
// searches never match it. A node owns its children and its value.
//
// The value object is created on first use of GetValue. Until then the node
// holds its text alone: a parsed tree has a million names and texts that
// are only ever read as text, and a value object with its four
// representations would triple the memory each one needs.
class KorXML_c : public KorObject_c {
 public:
  // Nodes come from the pool: a document holds one per name, attribute and text.
  KOR_POOLED_CLASS

  KorXML_c();  // type KOR_XML_DOCUMENT
  explicit KorXML_c(uint8_t type);
  ~KorXML_c() override;

  // Base copy plus deep copy: the target's children and value are replaced
  // by copies (made with the target's CreateNew); type and flags copied.
  KorStatus CopyInto(KorObject_c* target) const override;
  std::unique_ptr<KorObject_c> CreateNew() const override;
  // The value object, created on first use from the node's text (its type
  // detected as the text was set).
  virtual KorValue_c* GetValue();
  // Whether GetValue has created the value object.
  bool HasValueObject() const { return m_valueObject != nullptr; }

  uint8_t GetType() const { return m_type; }
  void SetType(uint8_t type) { m_type = type; }
  uint8_t GetFlags() const { return m_flags; }
  void SetFlags(uint8_t flags) { m_flags = flags; }
  bool HasFlag(uint8_t flag) const { return (m_flags & flag) != 0; }
  void SetFlag(uint8_t flag, bool on);
  // Non-owning; null for a root.
  KorXML_c* GetParent() const { return m_parent; }

  // The value as text (name or text according to the type); "" when empty.
  std::string GetName() const;
  std::string GetText() const { return GetName(); }
  // The same without a copy; valid until the value changes.
  std::string_view ValueView() const;
  // The text as it was set, also when it is only spaces (an attribute's
  // value is kept as written).
  std::string_view TextAsSet() const;
  // Sets the value with type detection, so a text of spaces counts as empty.
  // Through the value object when there is one.
  void SetName(std::string_view name);
  void SetText(std::string_view text) { SetName(text); }
  // True when the value is absent or empty (see the class comment).
  bool IsValueEmpty() const;

  // Children (all kinds, insertion order). The list is created on demand;
  // use its cursor to walk, insert and remove. Nodes added through the list
  // directly must have their parent set with AdoptChild.
  KorList_c* Children();
  const KorList_c* PeekChildren() const { return ChildList(); }
  uint32_t ChildCount() const { return m_children ? m_children->Count() : 0; }
  // Child at a 0-based index (any type), or null; the cursor is left alone.
  KorXML_c* ChildAt(int32_t index) const;

  // Appends child at the end; sets its parent. Returns it (null for null).
  KorXML_c* AppendChild(std::unique_ptr<KorXML_c> child);
  // Creates a node of this node's class with CreateNew, gives it type and
  // value (when not empty) and appends it.
  KorXML_c* AppendNew(uint8_t type, std::string_view value = {});
  // Inserts child directly after sibling (one of this node's children).
  // Null (child destroyed) when sibling is not a child of this node.
  KorXML_c* InsertAfter(const KorXML_c* sibling, std::unique_ptr<KorXML_c> child);
  // Inserts child directly before sibling (one of this node's children).
  KorXML_c* InsertBefore(const KorXML_c* sibling, std::unique_ptr<KorXML_c> child);
  // Sets the parent of a node inserted through Children() directly.
  void AdoptChild(KorXML_c* child);
  // Unlinks this node from its parent and hands it to the caller (null when
  // it has no parent).
  std::unique_ptr<KorXML_c> Detach();
  // Unlinks and destroys a direct child. KOR_FAIL if it is not one.
  KorStatus RemoveChild(KorXML_c* child);

  // First attribute child whose name equals name ignoring ASCII case;
  // internal nodes included. Null when none or this is not an element or
  // document.
  KorXML_c* FindAttribute(std::string_view name) const;
  // As FindAttribute; when none, appends an attribute with that name and
  // one empty text child. Null when name is empty.
  KorXML_c* FindOrCreateAttribute(std::string_view name);
  // The text child of an attribute (first type-5 child), created empty when
  // create is true. Null for a non-attribute.
  KorXML_c* AttributeTextNode(bool create = false);
  const KorXML_c* AttributeTextNode() const;
  // Text of attribute name; KOR_FAIL and "" when absent.
  KorStatus GetAttribute(std::string_view name, std::string* value) const;
  std::string GetAttribute(std::string_view name) const;
  // Finds or creates the attribute and sets its text. Returns the attribute.
  KorXML_c* SetAttribute(std::string_view name, std::string_view value);

  // Depth-first search in child order for the first node whose name equals
  // name ignoring ASCII case. type 0 matches any type. testSelf: this node
  // may match; searchChildren: look at the children; recursive: continue
  // below the children; includeInternal: internal nodes may match. Nodes with
  // empty values never match.
  KorXML_c* FindFirstByName(std::string_view name, uint8_t type, bool testSelf, bool searchChildren,
                            bool recursive, bool includeInternal) const;
  // First direct child element named name (ignoring ASCII case), or null.
  KorXML_c* FindChildElement(std::string_view name) const {
    return FindFirstByName(name, KOR_XML_ELEMENT, false, true, false, false);
  }
  // The n-th (0-based) child of type (0 = any) whose value is not empty.
  KorXML_c* NthChild(uint8_t type, int32_t n) const;
  // First text child (type 5) of this node, or null.
  KorXML_c* TextChild() const { return NthChild(KOR_XML_TEXT, 0); }

  // Calls visit(node) for this node and every node below it, parents before
  // children; iterative, since a parsed tree may be as deep as the parser
  // allows.
  template <class Visit>
  void VisitSubtree(Visit visit) {
    std::vector<KorXML_c*> pending{this};
    while (!pending.empty()) {
      KorXML_c* node = pending.back();
      pending.pop_back();
      visit(node);
      if (const KorList_c* children = node->PeekChildren()) {
        for (KorObject_c* child : *children) pending.push_back(static_cast<KorXML_c*>(child));
      }
    }
  }

  // Removes (destroys) every child attribute named name (ASCII case
  // ignored) other than keep.
  void RemoveDuplicateAttributes(std::string_view name, const KorXML_c* keep);

  // Deletes all children and the value, restores type 2 and clears the
  // flags. A node with a parent is also unlinked from the parent's list:
  // the returned pointer then owns it (dropping it destroys the node); for a
  // root the result is null.
  std::unique_ptr<KorXML_c> Clear();

  // Bytes the writer would produce for this node with these options.
  int32_t Measure(int32_t depth = 0, bool pretty = false) const;
  // Writes the node and its subtree. Pretty: one TAB per depth level at the
  // start of a line and CR LF at its end. Returns the bytes the writer took.
  int32_t Write(KorWriter_c* writer, int32_t depth = 0, bool pretty = false) const;
  // The written form as a string.
  std::string ToXML(bool pretty = false) const;

  // Fills this node from the buffer's cursor with the rule of its type
  // (document: content with a declaration allowed; element: content up to
  // its closing tag). Returns the buffer position after what was consumed,
  // or KOR_FAIL; nodes built before an error stay in the tree. The buffer's
  // cursor is left after the consumed bytes.
  int32_t Parse(KorBuffer_c* buffer);
  // The same, keeping the element children of every element named
  // rawChildrenOf (ASCII case ignored) as their source text: each child is
  // parsed and checked as usual, then, when it parsed without error, becomes
  // a raw node holding its bytes from its '<' to the '>' that ends it, and
  // its tree is freed before the next child is read. A child with an error
  // stays the tree it is. An empty rawChildrenOf keeps every child a tree.
  int32_t Parse(KorBuffer_c* buffer, std::string_view rawChildrenOf);

  // Process-wide: write hidden nodes too.
  static void SetWriteHidden(bool on);
  static bool GetWriteHidden();
  // Process-wide number of live nodes.
  static int64_t LiveCount();

 protected:
  // A node of this node's class (through CreateNew) with the given type.
  std::unique_ptr<KorXML_c> NewNode(uint8_t type) const;

  // Makes value the node's value object, holding the node's text so far.
  void InstallValue(std::unique_ptr<KorValue_c> value);
  KorValue_c* ValueObject() const { return m_valueObject.get(); }
  // One-bit states share a byte with the type and flags, so that a node
  // stays within 64 bytes.
  //
  // A snapshot of the value is owed (ShowXML_c): the value object takes it
  // when it is created, and SetName creates it first, so the snapshot holds
  // the text as it was when the snapshot was asked for.
  bool m_snapshotOwed : 1 = false;
  // True while the node is a ShowXML_c (set by its constructor, cleared by
  // its destructor), so that telling the two apart on paths that visit
  // every node of a document needs no dynamic_cast.
  bool m_isShowXML : 1 = false;
  // The text, until a value object exists: whether one was set, and whether
  // it is blank (empty or only spaces, which detects as empty).
  bool m_textSet : 1 = false;
  bool m_textBlank : 1 = true;

 private:
  bool NameMatches(std::string_view name) const;
  static bool SearchMatch(const KorXML_c* node, std::string_view name, uint8_t type,
                          bool includeInternal);

  friend class KorXMLParser_c;
  friend class KorXMLWriter_c;
  friend class ShowXML_c;

  KorList_c* ChildList() { return m_children.get(); }
  const KorList_c* ChildList() const { return m_children.get(); }
  void ResetChildren();
  void ResetValue();
  // Sets the text of a node being parsed: a snapshot owed for it is of the
  // value the parse gives it, so it does not make the value object. Inline:
  // a parse sets a million texts.
  void AssignText(std::string_view text) {
    if (m_valueObject) {
      AssignValueText(text);
      return;
    }
    // Only spaces detect as an empty value. Looked at first: text may lie in
    // the block that the assignment frees.
    const bool blank = text.empty() || (text[0] == ' ' && text.find_first_not_of(' ') == text.npos);
    m_text.Assign(text);
    m_textSet = true;
    m_textBlank = blank;
  }
  void AssignValueText(std::string_view text);

  // The text of a node without a value object, in 24 bytes: up to 20 bytes
  // are held inside, so most names and values of a parsed file need no block
  // of their own, and longer ones take a pooled block.
  // A node then fits in 64 bytes: a parse writes a million of them.
  class TextStore_c {
   public:
    TextStore_c() = default;
    TextStore_c(const TextStore_c&) = delete;
    TextStore_c& operator=(const TextStore_c&) = delete;
    ~TextStore_c() { Clear(); }

    const char* Data() const { return IsInline() ? m_bytes : Block(); }
    size_t Size() const { return m_size; }
    std::string_view View() const { return {Data(), m_size}; }
    // Replaces the text, which may be a part of the one held.
    void Assign(std::string_view text) {
      // What a parse does for every name and value: a short text into an
      // empty store (which therefore holds nothing the text could lie in).
      if (m_size == 0 && text.size() <= kInline) {
        CopyShort(m_bytes, text.data(), text.size());
        m_size = static_cast<uint32_t>(text.size());
        return;
      }
      Replace(text);
    }
    // Empties it and frees its block.
    void Clear() {
      if (!IsInline()) FreeBlock();
      m_size = 0;
    }

   private:
    static constexpr size_t kInline = 20;
    bool IsInline() const { return m_size <= kInline; }
    void Replace(std::string_view text);
    void FreeBlock();
    // Blocks come in steps of 32 bytes: few pool sizes keep the texts of a
    // tree in few runs of memory, which a walk over the tree reads in turn.
    static size_t BlockBytes(size_t size) { return (size + 31) & ~size_t{31}; }
    // Copies n <= 24 bytes with a few fixed-size moves instead of a call.
    static void CopyShort(char* to, const char* from, size_t n) {
      if (n >= 8) {
        std::memcpy(to, from, 8);
        if (n > 16) std::memcpy(to + 8, from + 8, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
      } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
      } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
      }
    }
    char* Block() const {
      char* block;
      std::memcpy(&block, m_bytes, sizeof block);
      return block;
    }
    void SetBlock(char* block) { std::memcpy(m_bytes, &block, sizeof block); }

    // The text itself, or the address of its block; bytes rather than a
    // union with a pointer, so that the size packs beside them.
    char m_bytes[kInline];
    uint32_t m_size = 0;
  };

  uint8_t m_type = KOR_XML_DOCUMENT;
  uint8_t m_flags = 0;
  KorXML_c* m_parent = nullptr;  // not owned
  // Created on first use: text nodes, half of a typical tree, never need one.
  std::unique_ptr<KorList_c> m_children;
  std::unique_ptr<KorValue_c> m_valueObject;
  TextStore_c m_text;
};
