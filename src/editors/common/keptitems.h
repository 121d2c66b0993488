#pragma once

#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

class KorXML_c;
class ShowResources_c;

// Items of a message list (parameters, operations) kept as a file held them
// while the rows read from them would store something else: copies owned by
// no document.
using KeptItems = std::vector<std::unique_ptr<KorXML_c>>;

// Whether every item of the list holds nothing but the attributes named
// (each once, ASCII case ignored) and, with text, one text: what a store
// writes. True for a null list.
bool PlainItems(ShowResources_c* list, std::initializer_list<std::string_view> attributes, bool text);
// Copies of the list's items, in order; none for a null list.
KeptItems CopyItems(ShowResources_c* list);
// Appends copies of the items to the list's wrapper and binds the list again
// so that it counts them.
void AppendItems(const KeptItems& items, ShowResources_c* list);
// Whether two elements hold the same: tag, attributes (in any order, ASCII
// case of names ignored, empty ones as absent), joined text and child nodes,
// in order. Null equals only null.
bool SameElement(const KorXML_c* a, const KorXML_c* b);
