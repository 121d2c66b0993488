#include "editors/common/keptitems.h"

#include <algorithm>
#include <string>
#include <utility>

#include "foundation/xml/korxml.h"
#include "model/showresource.h"

namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool PlainItem(const KorXML_c* element, std::initializer_list<std::string_view> attributes, bool text)
{
    if (!element)
        return true;
    std::vector<std::string_view> seen;
    int texts = 0;
    const KorList_c* children = element->PeekChildren();
    if (!children)
        return true;
    for (const KorObject_c* node : *children) {
        const auto* child = static_cast<const KorXML_c*>(node);
        if (!child || child->IsValueEmpty())
            continue;
        if (child->GetType() == KOR_XML_TEXT) {
            if (!text || ++texts > 1)
                return false;
            continue;
        }
        if (child->GetType() != KOR_XML_ATTRIBUTE)
            return false;
        const std::string name = child->GetName();
        const auto known = std::find_if(attributes.begin(), attributes.end(),
                                        [&](std::string_view attribute) { return SameName(name, attribute); });
        if (known == attributes.end() || std::find(seen.begin(), seen.end(), *known) != seen.end())
            return false;
        seen.push_back(*known);
    }
    return true;
}

std::string Folded(std::string_view text)
{
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), LowerAscii);
    return folded;
}

// An element's content as compared: sorted attributes, joined text, the
// other child nodes in order.
struct Content
{
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    std::vector<const KorXML_c*> nodes;
};

Content ContentOf(const KorXML_c* element)
{
    Content content;
    const KorList_c* children = element->PeekChildren();
    if (!children)
        return content;
    for (const KorObject_c* object : *children) {
        const auto* child = static_cast<const KorXML_c*>(object);
        if (child->IsValueEmpty())
            continue;
        if (child->GetType() == KOR_XML_ATTRIBUTE) {
            const KorXML_c* value = child->AttributeTextNode();
            if (value && !value->TextAsSet().empty())
                content.attributes.emplace_back(Folded(child->ValueView()), std::string(value->TextAsSet()));
        } else if (child->GetType() == KOR_XML_TEXT) {
            content.text += child->GetText();
        } else {
            content.nodes.push_back(child);
        }
    }
    std::sort(content.attributes.begin(), content.attributes.end());
    return content;
}

} // namespace

bool SameElement(const KorXML_c* a, const KorXML_c* b)
{
    if (!a || !b)
        return a == b;
    if (a->GetType() != b->GetType())
        return false;
    if (a->GetType() != KOR_XML_ELEMENT)
        return a->ValueView() == b->ValueView();
    if (!SameName(a->ValueView(), b->ValueView()))
        return false;
    const Content one = ContentOf(a);
    const Content other = ContentOf(b);
    if (one.attributes != other.attributes || one.text != other.text || one.nodes.size() != other.nodes.size())
        return false;
    for (size_t i = 0; i < one.nodes.size(); ++i)
        if (!SameElement(one.nodes[i], other.nodes[i]))
            return false;
    return true;
}

bool PlainItems(ShowResources_c* list, std::initializer_list<std::string_view> attributes, bool text)
{
    for (int32_t i = 0, n = list ? list->Count() : 0; i < n; ++i) {
        const ShowResource_c* item = list->Item(i);
        if (item && !PlainItem(item->GetElement(), attributes, text))
            return false;
    }
    return true;
}

KeptItems CopyItems(ShowResources_c* list)
{
    KeptItems copies;
    for (int32_t i = 0, n = list ? list->Count() : 0; i < n; ++i) {
        const ShowResource_c* item = list->Item(i);
        const KorXML_c* element = item ? item->GetElement() : nullptr;
        auto copy = std::make_unique<KorXML_c>(KOR_XML_ELEMENT);
        if (element && element->CopyInto(copy.get()) == KOR_OK)
            copies.push_back(std::move(copy));
    }
    return copies;
}

void AppendItems(const KeptItems& items, ShowResources_c* list)
{
    KorXML_c* wrapper = list ? list->GetElement() : nullptr;
    if (!wrapper)
        return;
    for (const std::unique_ptr<KorXML_c>& item : items) {
        std::unique_ptr<KorObject_c> made = wrapper->CreateNew();
        auto* copy = dynamic_cast<KorXML_c*>(made.get());
        if (!copy || item->CopyInto(copy) != KOR_OK)
            continue;
        made.release();
        wrapper->AppendChild(std::unique_ptr<KorXML_c>(copy));
    }
    list->Rebind();
}
