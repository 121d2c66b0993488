// The compact (and optional pretty) writer behind KorXML_c::Write/Measure.

#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/xml/korxml.h"

class KorXMLWriter_c {
 public:
  // out null: only count the bytes.
  explicit KorXMLWriter_c(KorWriter_c* out) : m_out(out) {}
  ~KorXMLWriter_c() { Flush(); }

  void Node(const KorXML_c* node, int32_t depth, bool pretty);
  void Flush();
  int64_t Count() const { return m_count; }

 private:
  static bool Skipped(const KorXML_c* node);
  static bool HasTextBelow(const KorXML_c* node);

  void Put(std::string_view bytes);
  void PutEncoded(std::string_view text);
  void Indent(int32_t depth, bool pretty) {
    if (!pretty) return;
    for (int32_t i = 0; i < depth; ++i) Put("\t");
  }
  void LineEnd(bool pretty) {
    if (pretty) Put("\r\n");
  }
  // A writable child and its type, noted in one walk over the child list.
  struct Entry {
    const KorXML_c* node;
    uint8_t type;
  };
  // Notes the writable children of node at the end of m_entries; returns
  // where they start.
  size_t Collect(const KorXML_c* node);
  void Emit(const KorXML_c* node, int32_t depth, bool pretty);
  void Attributes(size_t begin, size_t end);
  void Children(size_t begin, size_t end, uint8_t type, int32_t depth, bool pretty);
  bool Has(size_t begin, size_t end, uint8_t type) const;

  KorWriter_c* m_out;
  std::string m_pending;
  int64_t m_count = 0;
  // The children of every element on the current path. Each child list is
  // walked once: large lists do not fit in the cache, and the kinds are
  // written in a fixed order that would otherwise walk them five times.
  // Addressed by index, since nested elements append to it.
  std::vector<Entry> m_entries;
};

namespace {

constexpr size_t kFlushSize = 64 * 1024;

const KorXML_c* AsNode(const KorObject_c* o) { return static_cast<const KorXML_c*>(o); }

int32_t ClampCount(int64_t n) {
  return n > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                 : static_cast<int32_t>(n);
}

}  // namespace

void KorXMLWriter_c::Put(std::string_view bytes) {
  if (m_out == nullptr) {
    m_count += static_cast<int64_t>(bytes.size());
    return;
  }
  m_pending.append(bytes);
  if (m_pending.size() >= kFlushSize) Flush();
}

void KorXMLWriter_c::Flush() {
  if (m_out == nullptr || m_pending.empty()) return;
  const int32_t taken = m_out->Write(m_pending.data(), static_cast<int32_t>(m_pending.size()));
  if (taken > 0) m_count += taken;
  m_pending.clear();
}

void KorXMLWriter_c::PutEncoded(std::string_view text) {
  // Most names and texts hold no special character: find each run between
  // them with a table look-up and hand it over whole.
  static constexpr auto kEntity = [] {
    std::array<uint8_t, 256> entity{};
    entity[static_cast<uint8_t>('&')] = 1;
    entity[static_cast<uint8_t>('<')] = 2;
    entity[static_cast<uint8_t>('>')] = 3;
    entity[static_cast<uint8_t>('\'')] = 4;
    entity[static_cast<uint8_t>('"')] = 5;
    return entity;
  }();
  static constexpr std::string_view kEntities[] = {"", "&amp;", "&lt;", "&gt;", "&apos;", "&quot;"};
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t entity = kEntity[static_cast<uint8_t>(text[i])];
    if (entity == 0) continue;
    Put(text.substr(run, i - run));
    Put(kEntities[entity]);
    run = i + 1;
  }
  Put(text.substr(run));
}

bool KorXMLWriter_c::HasTextBelow(const KorXML_c* node) {
  const uint8_t type = node->GetType();
  if ((type == KOR_XML_TEXT || type == KOR_XML_RAW) && !node->IsValueEmpty()) return true;
  if (const KorList_c* children = node->PeekChildren()) {
    for (const KorObject_c* o : *children) {
      if (HasTextBelow(AsNode(o))) return true;
    }
  }
  return false;
}

bool KorXMLWriter_c::Skipped(const KorXML_c* node) {
  // A document without a name still writes its children (only the
  // declaration is left out), so a tree read from text without one is kept.
  if (node->IsValueEmpty() && node->GetType() != KOR_XML_DOCUMENT) return true;
  if (node->HasFlag(KOR_XML_FLAG_HIDDEN) && !KorXML_c::GetWriteHidden()) return true;
  if (node->HasFlag(KOR_XML_FLAG_OMIT_EMPTY) && !HasTextBelow(node)) return true;
  return false;
}

size_t KorXMLWriter_c::Collect(const KorXML_c* node) {
  const size_t begin = m_entries.size();
  if (const KorList_c* children = node->PeekChildren()) {
    for (const KorObject_c* o : *children) {
      const KorXML_c* child = AsNode(o);
      if (!Skipped(child)) m_entries.push_back({child, child->GetType()});
    }
  }
  return begin;
}

bool KorXMLWriter_c::Has(size_t begin, size_t end, uint8_t type) const {
  for (size_t i = begin; i < end; ++i) {
    if (m_entries[i].type == type) return true;
  }
  return false;
}

void KorXMLWriter_c::Attributes(size_t begin, size_t end) {
  bool any = false;
  for (size_t i = begin; i < end; ++i) {
    if (m_entries[i].type != KOR_XML_ATTRIBUTE) continue;
    Put(" ");
    Emit(m_entries[i].node, 0, false);
    any = true;
  }
  if (any) Put(" ");
}

void KorXMLWriter_c::Children(size_t begin, size_t end, uint8_t type, int32_t depth, bool pretty) {
  for (size_t i = begin; i < end; ++i) {
    if (m_entries[i].type == type) Emit(m_entries[i].node, depth, pretty);
  }
}

void KorXMLWriter_c::Node(const KorXML_c* node, int32_t depth, bool pretty) {
  if (!Skipped(node)) Emit(node, depth, pretty);
}

void KorXMLWriter_c::Emit(const KorXML_c* node, int32_t depth, bool pretty) {
  switch (node->GetType()) {
    case KOR_XML_DOCUMENT: {
      const size_t begin = Collect(node);
      const size_t end = m_entries.size();
      if (!node->IsValueEmpty()) {
        Put("<?");
        PutEncoded(node->ValueView());
        Attributes(begin, end);
        Put("?>");
        LineEnd(pretty);
      }
      Children(begin, end, KOR_XML_RAW, depth, pretty);
      Children(begin, end, KOR_XML_COMMENT, depth, pretty);
      Children(begin, end, KOR_XML_ELEMENT, depth, pretty);
      m_entries.resize(begin);
      break;
    }
    case KOR_XML_ELEMENT: {
      const size_t begin = Collect(node);
      const size_t end = m_entries.size();
      Indent(depth, pretty);
      Put("<");
      PutEncoded(node->ValueView());
      Attributes(begin, end);
      const bool structured = Has(begin, end, KOR_XML_RAW) || Has(begin, end, KOR_XML_COMMENT) ||
                              Has(begin, end, KOR_XML_ELEMENT);
      const bool text = Has(begin, end, KOR_XML_TEXT);
      if (!structured && !text) {
        Put("/>");
        LineEnd(pretty);
        m_entries.resize(begin);
        break;
      }
      Put(">");
      if (structured) {
        LineEnd(pretty);
        Children(begin, end, KOR_XML_RAW, depth + 1, pretty);
        Children(begin, end, KOR_XML_COMMENT, depth + 1, pretty);
        Children(begin, end, KOR_XML_ELEMENT, depth + 1, pretty);
      }
      Children(begin, end, KOR_XML_TEXT, depth + 1, pretty);
      if (structured) Indent(depth, pretty);
      Put("</");
      PutEncoded(node->ValueView());
      Put(">");
      LineEnd(pretty);
      m_entries.resize(begin);
      break;
    }
    case KOR_XML_ATTRIBUTE: {
      PutEncoded(node->ValueView());
      Put("=\"");
      // A value of spaces is a value: a one-space constant or option text.
      if (const KorXML_c* text = node->AttributeTextNode()) PutEncoded(text->TextAsSet());
      Put("\"");
      break;
    }
    case KOR_XML_TEXT:
      PutEncoded(node->ValueView());
      break;
    case KOR_XML_RAW:
      Put(node->ValueView());
      break;
    case KOR_XML_COMMENT:
      Indent(depth, pretty);
      Put("<!-- ");
      PutEncoded(node->ValueView());
      Put(" -->");
      LineEnd(pretty);
      break;
    default:
      break;
  }
}

int32_t KorXML_c::Measure(int32_t depth, bool pretty) const {
  KorXMLWriter_c counter(nullptr);
  counter.Node(this, depth < 0 ? 0 : depth, pretty);
  return ClampCount(counter.Count());
}

int32_t KorXML_c::Write(KorWriter_c* writer, int32_t depth, bool pretty) const {
  if (writer == nullptr) return KOR_FAIL;
  KorXMLWriter_c out(writer);
  out.Node(this, depth < 0 ? 0 : depth, pretty);
  out.Flush();
  return ClampCount(out.Count());
}
