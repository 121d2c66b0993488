#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/korobject.h"
#include "foundation/korpool.h"
#include "foundation/xml/showxml.h"

class KorXML_c;
class ShowDocument_c;
class ShowDataGUI_c;
class ShowResources_c;

// Kind codes of the data-model classes (the KorObject_c kind field). Rule
// classes use their rule type code (1..18) instead.
inline constexpr uint32_t SHOW_KIND_NONE = 0;
inline constexpr uint32_t SHOW_KIND_INFO = 10;
inline constexpr uint32_t SHOW_KIND_INFO_AUTHORS = 11;
inline constexpr uint32_t SHOW_KIND_PARAM = 16;
inline constexpr uint32_t SHOW_KIND_PARAMS = 17;
inline constexpr uint32_t SHOW_KIND_VARIABLE = 24;
inline constexpr uint32_t SHOW_KIND_VARIABLES = 25;

// Parses a whole decimal integer ("-12", optional surrounding spaces).
// KOR_FAIL (value untouched) when the text is not one or does not fit.
KorStatus ShowParseInt(std::string_view text, int32_t* value);

// Declares CreateNew for a data-model class: a new, unbound object of the
// same class.
#define SHOW_DECLARE_CREATE_NEW(Class)                     \
  std::unique_ptr<KorObject_c> CreateNew() const override { \
    return std::make_unique<Class>();                       \
  }

// A typed view over one element of a document's XML tree. Getters read the
// tree and setters write it in place; the object keeps no copies of values,
// only the nodes it looked up (each attribute node is found or created once
// per binding and then cached). Unknown content of the element is left
// alone. Calling any accessor on an unbound object is valid: it fails
// without creating anything.
//
// A bound object never points at freed nodes: when the document's tree
// destroys the element (or a node the object cached), the document unbinds
// the object (see ShowDocument_c).
class ShowXMLInterface_c : public KorObject_c, public ShowXMLWatcher_c {
 public:
  // A loaded document has one per resource, rule and list: from the pool,
  // like the nodes they read.
  KOR_POOLED_CLASS

  ShowXMLInterface_c();
  ~ShowXMLInterface_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowXMLInterface_c)
  // Copies kind, document and change tracking, and binds target to the same
  // element (target becomes a second view of it).
  KorStatus CopyInto(KorObject_c* target) const override;

  // Deep-copies the bound element, inserts the copy right after it in the
  // same parent, gives target this object's document and binds target to the
  // copy. target is usually made with CreateNew. KOR_FAIL when unbound, when
  // the element has no parent or target is null.
  virtual KorStatus Duplicate(ShowXMLInterface_c* target);
  // Turns change notification of this object (and the objects it owns) on
  // or off.
  virtual void SetChangeTracking(KorBool flag);
  KorBool GetChangeTracking() const { return m_tracking; }
  // Binds to element; a null element fails and leaves the object unbound.
  virtual KorStatus Bind(KorXML_c* element);
  // Binds again to the same place (for wrapper owners: from the wrapper's
  // parent). KOR_FAIL when unbound.
  virtual KorStatus Rebind();
  // This object when node is its element, one of the element's attributes or
  // an attribute's text node; null otherwise.
  virtual ShowXMLInterface_c* FindOwner(const KorXML_c* node);

  // Process-wide switch: KOR_FALSE turns every change notification off.
  static void SetGlobalChangeTracking(KorBool flag);
  static KorBool GetGlobalChangeTracking();

  // The owning document (not owned); copied into every child object made.
  ShowDocument_c* GetDocument() const { return m_document; }
  void SetDocument(ShowDocument_c* document);

  KorXML_c* GetElement() const { return m_element; }
  bool IsBound() const { return m_element != nullptr; }

  // Text content of the element itself (its first text child, created empty
  // on first use).
  std::string GetText(KorStatus* status = nullptr);
  KorStatus SetText(std::string_view text);

  // Attribute access by name. Each attribute node is found or created (empty,
  // or with initial when given) on first use after a bind, then cached.
  //
  // String: the text; "" and KOR_FAIL when the object is unbound.
  std::string GetStringAttr(const char* name, KorStatus* status = nullptr,
                            const char* initial = nullptr);
  KorStatus SetStringAttr(const char* name, std::string_view value,
                          const char* initial = nullptr);
  // Integer: decimal text; 0 and KOR_FAIL when empty or not a number.
  int32_t GetIntAttr(const char* name, KorStatus* status = nullptr,
                     const char* initial = nullptr);
  KorStatus SetIntAttr(const char* name, int32_t value, const char* initial = nullptr);
  // Boolean: KOR_TRUE for a true word, KOR_FALSE when absent, empty or not a
  // true word; reading never creates the attribute. Setting true writes
  // "true"; setting false removes the attribute (its node loses its name),
  // unless writeFalse asks for an explicit "false".
  KorBool GetBoolAttr(const char* name);
  KorStatus SetBoolAttr(const char* name, bool value, bool writeFalse = false);
  // The cached attribute node (found or created); null when unbound.
  KorXML_c* AttrNode(const char* name, const char* initial = nullptr);

  // Text of a direct child element (found by tag ignoring ASCII case, or
  // created with initial text when missing), cached like attributes.
  std::string GetChildText(const char* tag, KorStatus* status = nullptr,
                           const char* initial = "");
  KorStatus SetChildText(const char* tag, std::string_view value, const char* initial = "");
  KorXML_c* ChildElementNode(const char* tag, const char* initial = "");

  // Called by the document when a node is destroyed: the object forgets the
  // node (and unbinds itself when it is the element).
  void NodeDestroyed(const KorXML_c* node) override;

  // First direct child element of parent whose tag equals tag ignoring ASCII
  // case; null when none (or parent null).
  static KorXML_c* FindChildElement(const KorXML_c* parent, std::string_view tag);
  // As FindChildElement, creating (appending) the element when missing.
  static KorXML_c* FindOrCreateChildElement(KorXML_c* parent, std::string_view tag);

 protected:
  // Stores element (null fails) and forgets cached nodes. Elements and
  // document nodes are accepted; a node of unknown kind becomes an element;
  // other kinds fail. Sets the tag when one is given.
  KorStatus AttachElement(KorXML_c* element, const char* tag = nullptr);
  // Drops the element and every cached node.
  virtual void Unbind();
  void ForgetCache();
  // Renames the bound element (no change notification: loading normalises).
  void SetTag(const char* tag);
  // Marks the owning document changed, when tracking allows it.
  void MarkChanged();
  // What Rebind passes to Bind.
  virtual KorXML_c* BindSource() const { return m_element; }
  // Gives child this object's document and change tracking.
  void Adopt(ShowXMLInterface_c* child) const;

  // Writes value into the text node of node (attribute or element); marks
  // the document changed when the text differs.
  KorStatus WriteNodeText(KorXML_c* node, std::string_view value, bool isAttribute);

 private:
  struct CachedNode {
    // Attribute name or child-element tag, copied: a caller's name need not
    // outlive the cache (short names stay within the string's own buffer).
    std::string key;
    bool isAttribute;
    KorXML_c* node;
  };
  KorXML_c* Cached(const char* key, bool isAttribute) const;
  void Remember(const char* key, bool isAttribute, KorXML_c* node);
  void Forget(const char* key, bool isAttribute);
  void Watch();
  void Unwatch();

  KorXML_c* m_element = nullptr;             // not owned: the tree owns it
  ShowDocument_c* m_document = nullptr;      // not owned
  ShowDocument_c* m_watchingDocument = nullptr;  // not owned: tree our element lives in
  // Links of the document's list of its objects.
  ShowXMLInterface_c* m_previousInDocument = nullptr;
  ShowXMLInterface_c* m_nextInDocument = nullptr;
  KorBool m_tracking = KOR_TRUE;
  std::vector<CachedNode, KorPoolAllocator<CachedNode>> m_cache;
  KorXML_c* m_textNode = nullptr;  // not owned

  friend class ShowDocument_c;
};

// A named resource: an element with a `name` attribute, an optional `gui`
// child and a run-time serial number.
class ShowResource_c : public ShowXMLInterface_c {
 public:
  ShowResource_c();
  ~ShowResource_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowResource_c)
  void SetChangeTracking(KorBool flag) override;
  // Draws a serial, binds element and names it "resource"; binds a `gui`
  // child when the element has one.
  KorStatus Bind(KorXML_c* element) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  std::string GetName(KorStatus* status = nullptr) { return GetStringAttr("name", status); }
  KorStatus SetName(std::string_view name) { return SetStringAttr("name", name); }

  uint32_t GetSerial() const { return m_serial; }
  // The `gui` child object, present only when the element has a `gui` child.
  ShowDataGUI_c* GUI() const { return m_gui.get(); }
  // The list this object is an item of (not owned), or null.
  ShowResources_c* GetOwnerList() const { return m_ownerList; }

 protected:
  void Unbind() override;

 private:
  std::unique_ptr<ShowDataGUI_c> m_gui;
  uint32_t m_serial = 0;
  ShowResources_c* m_ownerList = nullptr;  // not owned

  friend class ShowResources_c;
};

// The optional `gui` element of a resource. It holds nothing this system
// reads; it only keeps the element in the tree. Bound from the resource's
// element (it finds or creates `gui` there).
class ShowDataGUI_c : public ShowXMLInterface_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ShowDataGUI_c)
  KorStatus Bind(KorXML_c* element) override;

 protected:
  KorXML_c* BindSource() const override;
};

// A list of resources held as the child elements of one wrapper element.
//
// A list with a wrapper tag is bound from the owner element: it finds the
// wrapper by tag (ignoring ASCII case) and creates it when missing. A list
// without one is bound to the wrapper itself. With an item tag, children of
// another tag are skipped (and left in the tree); without one, every child
// element is offered to CreateItem.
class ShowResources_c : public ShowXMLInterface_c {
 public:
  ShowResources_c();
  ShowResources_c(const char* wrapperTag, const char* itemTag);
  ~ShowResources_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowResources_c)
  KorStatus CopyInto(KorObject_c* target) const override;
  void SetChangeTracking(KorBool flag) override;
  KorStatus Bind(KorXML_c* element) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  // The item factory: a new, unbound item for element, or null to skip it.
  virtual std::unique_ptr<ShowResource_c> CreateItem(KorXML_c* element);

  const std::string& GetWrapperTag() const { return m_wrapperTag; }
  const std::string& GetItemTag() const { return m_itemTag; }

  // Every item made by the factory, in document order, including items
  // whose element has gone.
  const std::vector<std::unique_ptr<ShowResource_c>>& Items() const { return m_items; }

  // Number of items whose element has a non-empty tag.
  int32_t Count();
  // The index-th counted item in document order; with create, items are
  // appended until the index exists. Null for a negative index, or when the
  // item does not exist and create is false.
  ShowResource_c* Item(int32_t index, bool create = false);
  // First item whose name equals name ignoring ASCII case; *index gets its
  // position (-1 when none).
  ShowResource_c* FindByName(std::string_view name, int32_t* index = nullptr);

  // Cursor over the counted items; null at either end (cursor then stays).
  ShowResource_c* First();
  ShowResource_c* Next();
  ShowResource_c* Previous();
  ShowResource_c* Current();

  // Creates an element after the cursor item (at the end of the wrapper when
  // the cursor is on the last item or there is none; before the cursor item
  // when before is true), makes and binds its item, moves the cursor to it
  // and marks the document changed. Null when unbound or the item cannot be
  // made.
  ShowResource_c* Append(bool before = false);
  // Removes the cursor item and deletes its element from the tree; the
  // cursor moves to the next item, or the previous one at the end.
  KorStatus RemoveCurrent();
  // Hands over the counted items, in order, and leaves the list empty; their
  // elements stay in the tree. A reader done with an item can then free it
  // and its element one at a time (ReleaseItem), so that a large list read
  // once does not stay in memory whole while its copy is built.
  std::vector<std::unique_ptr<ShowResource_c>> TakeItems();
  // Destroys an item taken by TakeItems and deletes its element from the tree.
  static void ReleaseItem(std::unique_ptr<ShowResource_c> item);

 protected:
  void Unbind() override;
  KorXML_c* BindSource() const override;
  // Creates the element for a new item (tag: the item tag, or "resource")
  // at the given place and binds an item to it. Subclasses that need a
  // specific tag (rules) pass it.
  ShowResource_c* AppendTagged(const char* tag, bool atEnd, bool before);
  // Called when an item's element went away or the list changed.
  void InvalidateCount() { m_countValid = false; }

 private:
  void ClearItems();
  void RebuildCounted();
  int32_t CursorIndexInItems() const;

  std::string m_wrapperTag;
  std::string m_itemTag;
  std::vector<std::unique_ptr<ShowResource_c>> m_items;
  std::vector<ShowResource_c*> m_counted;  // items with a tagged element, in order
  bool m_countValid = false;
  ShowResource_c* m_cursor = nullptr;  // not owned: one of m_items

  friend class ShowResource_c;
};

// A list whose items are of class ItemT. Typed lists derive from it:
//   class ProductDataCommands_c
//       : public ShowTypedResources_c<ProductDataCommand_c> { ... };
// Base is the list class to derive from (ShowResources_c or a subclass);
// the constructor arguments are forwarded to it.
template <class ItemT, class Base = ShowResources_c>
class ShowTypedResources_c : public Base {
 public:
  template <class... Args>
  explicit ShowTypedResources_c(Args&&... args) : Base(std::forward<Args>(args)...) {}

  std::unique_ptr<ShowResource_c> CreateItem(KorXML_c*) override {
    return std::make_unique<ItemT>();
  }
  ItemT* Item(int32_t index, bool create = false) {
    return static_cast<ItemT*>(ShowResources_c::Item(index, create));
  }
  ItemT* FindByName(std::string_view name, int32_t* index = nullptr) {
    return static_cast<ItemT*>(ShowResources_c::FindByName(name, index));
  }
  ItemT* First() { return static_cast<ItemT*>(ShowResources_c::First()); }
  ItemT* Next() { return static_cast<ItemT*>(ShowResources_c::Next()); }
  ItemT* Previous() { return static_cast<ItemT*>(ShowResources_c::Previous()); }
  ItemT* Current() { return static_cast<ItemT*>(ShowResources_c::Current()); }
  ItemT* Append(bool before = false) {
    return static_cast<ItemT*>(ShowResources_c::Append(before));
  }
};
