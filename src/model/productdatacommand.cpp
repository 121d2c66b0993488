#include "model/productdatacommand.h"

#include <cstddef>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/korbuffer.h"
#include "foundation/korpool.h"
#include "foundation/xml/korxml.h"
#include "foundation/xml/showxml.h"
#include "model/productdatadetail.h"

using productdata_detail::FindOwnerAmong;
using productdata_detail::LazyList;

ProductDataCommand_c::ProductDataCommand_c() = default;
ProductDataCommand_c::~ProductDataCommand_c() = default;

void ProductDataCommand_c::SetChangeTracking(KorBool flag) {
  ShowResource_c::SetChangeTracking(flag);
  if (m_params) m_params->SetChangeTracking(flag);
  if (m_operations) m_operations->SetChangeTracking(flag);
  if (m_messages) m_messages->SetChangeTracking(flag);
}

KorStatus ProductDataCommand_c::Bind(KorXML_c* element) {
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("command");
  return KOR_OK;
}

void ProductDataCommand_c::Unbind() {
  m_params.reset();
  m_operations.reset();
  m_messages.reset();
  ShowResource_c::Unbind();
}

ShowXMLInterface_c* ProductDataCommand_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowResource_c::FindOwner(node)) return owner;
  const KorXML_c* element = GetElement();
  if (!node || !element) return nullptr;
  // The description element and its text belong to the command itself.
  const KorXML_c* candidate = node->GetType() == KOR_XML_TEXT ? node->GetParent() : node;
  if (candidate && candidate->GetParent() == element &&
      candidate == FindChildElement(element, "description"))
    return this;
  return FindOwnerAmong(node, m_params.get(), m_operations.get(), m_messages.get());
}

ProductDataParams_c* ProductDataCommand_c::Params() { return LazyList(m_params, this); }

ProductDataOperations_c* ProductDataCommand_c::Operations() { return LazyList(m_operations, this); }

ProductDataMessages_c* ProductDataCommand_c::Messages() { return LazyList(m_messages, this); }

namespace {

// A command that owns the tree it is bound to.
class TextCommand_c final : public ProductDataCommand_c {
 public:
  explicit TextCommand_c(std::unique_ptr<ShowXML_c> tree) : m_tree(std::move(tree)) {}
  // The objects bound into the tree go before it.
  ~TextCommand_c() override { Unbind(); }

 private:
  std::unique_ptr<ShowXML_c> m_tree;
};

// CommandFromText, with the document and change tracking of like (when
// given) set before the bind, as a list gives them to its items.
std::unique_ptr<ProductDataCommand_c> BindText(std::string_view text,
                                               const ShowXMLInterface_c* like) {
  if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return nullptr;
  }
  KorBuffer_c buffer;
  if (buffer.Attach(reinterpret_cast<const uint8_t*>(text.data()),
                    static_cast<int32_t>(text.size())) != KOR_OK) {
    return nullptr;
  }
  // Read as a document's content, as the command was where the load met it.
  auto tree = std::make_unique<ShowXML_c>(KOR_XML_DOCUMENT);
  if (tree->Parse(&buffer) == KOR_FAIL || tree->ChildCount() != 1) return nullptr;
  KorXML_c* element = tree->ChildAt(0);
  if (element->GetType() != KOR_XML_ELEMENT || element->IsValueEmpty()) return nullptr;
  tree->SetType(KOR_XML_ELEMENT);
  tree->SetName(PRODUCT_COMMANDS_TAG);
  auto command = std::make_unique<TextCommand_c>(std::move(tree));
  if (like) {
    command->SetDocument(like->GetDocument());
    command->SetChangeTracking(like->GetChangeTracking());
  }
  if (command->Bind(element) != KOR_OK) return nullptr;
  return command;
}

}  // namespace

std::unique_ptr<ProductDataCommand_c> CommandFromText(std::string_view text) {
  return BindText(text, nullptr);
}

int32_t CommandCount(ProductDataCommands_c& commands) {
  int32_t count = commands.Count();
  if (const KorList_c* children =
          commands.GetElement() ? commands.GetElement()->PeekChildren() : nullptr) {
    for (KorObject_c* object : *children) {
      const auto* child = static_cast<const KorXML_c*>(object);
      if (child->GetType() == KOR_XML_RAW && !child->IsValueEmpty()) ++count;
    }
  }
  return count;
}

void TakeEachCommand(
    ProductDataCommands_c& commands,
    const std::function<void(ProductDataCommand_c& command, std::string_view text)>& use) {
  KorXML_c* wrapper = commands.GetElement();
  std::vector<std::unique_ptr<ShowResource_c>> bound = commands.TakeItems();
  // The wrapper's children in order: raw nodes and the bound commands'
  // elements (item null for a raw node).
  struct Entry {
    KorXML_c* node;
    std::unique_ptr<ShowResource_c> item;
  };
  std::unordered_map<const KorXML_c*, size_t> boundAt;
  boundAt.reserve(bound.size());
  for (size_t i = 0; i < bound.size(); ++i) boundAt.emplace(bound[i]->GetElement(), i);
  std::vector<Entry> order;
  order.reserve(wrapper ? wrapper->ChildCount() : bound.size());
  if (const KorList_c* children = wrapper ? wrapper->PeekChildren() : nullptr) {
    for (KorObject_c* object : *children) {
      auto* child = static_cast<KorXML_c*>(object);
      if (child->GetType() == KOR_XML_RAW) {
        if (!child->IsValueEmpty()) order.push_back({child, nullptr});
      } else if (const auto found = boundAt.find(child); found != boundAt.end()) {
        order.push_back({child, std::move(bound[found->second])});
      }
    }
  }
  // Items bound elsewhere than under the wrapper still count, after the rest.
  for (std::unique_ptr<ShowResource_c>& item : bound) {
    if (item) order.push_back({item->GetElement(), std::move(item)});
  }
  bound.clear();
  for (size_t i = 0; i < order.size(); ++i) {
    Entry& entry = order[i];
    if (entry.item) {
      use(static_cast<ProductDataCommand_c&>(*entry.item), {});
      ShowResources_c::ReleaseItem(std::move(entry.item));
    } else {
      const std::string_view text = entry.node->ValueView();
      if (std::unique_ptr<ProductDataCommand_c> command = BindText(text, &commands)) {
        use(*command, text);
        command.reset();
        wrapper->RemoveChild(entry.node);
      }
    }
    if (i % 512 == 511) KorPoolTrim();
  }
  KorPoolTrim();
}
