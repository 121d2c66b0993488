#pragma once

#include <memory>

#include "foundation/korobject.h"
#include "model/showresource.h"

// Helpers shared by the product data classes; not part of their interface.
namespace productdata_detail {

// The list in slot, made from the owner's element on first call (the list
// finds or creates its wrapper there). A list that cannot be bound is not
// kept; null then, and when the owner is unbound.
template <class List>
List* LazyList(std::unique_ptr<List>& slot, ShowXMLInterface_c* owner) {
  if (slot) return slot.get();
  KorXML_c* element = owner->GetElement();
  if (!element) return nullptr;
  auto list = std::make_unique<List>();
  list->SetDocument(owner->GetDocument());
  list->SetChangeTracking(owner->GetChangeTracking());
  if (list->Bind(element) != KOR_OK) return nullptr;
  slot = std::move(list);
  return slot.get();
}

// A new child of class T with the owner's document and tracking, bound to
// element; null when the bind fails.
template <class T>
std::unique_ptr<T> BoundChild(const ShowXMLInterface_c* owner, KorXML_c* element) {
  auto child = std::make_unique<T>();
  child->SetDocument(owner->GetDocument());
  child->SetChangeTracking(owner->GetChangeTracking());
  if (child->Bind(element) != KOR_OK) return nullptr;
  return child;
}

// First owner among the objects that answers for node.
template <class... Objects>
ShowXMLInterface_c* FindOwnerAmong(const KorXML_c* node, Objects*... objects) {
  ShowXMLInterface_c* found = nullptr;
  ((found = found ? found : (objects ? objects->FindOwner(node) : nullptr)), ...);
  return found;
}

}  // namespace productdata_detail
