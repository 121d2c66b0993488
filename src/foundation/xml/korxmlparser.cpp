// The tolerant byte-oriented parser behind KorXML_c::Parse.
//
// Every read is bounded by the buffer's length (attached bytes carry no
// terminating zero), nesting is bounded by KOR_XML_MAX_DEPTH, and each byte
// is looked at a bounded number of times, so parsing is linear.

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/korstring.h"
#include "foundation/xml/korxml.h"

namespace {

// Names and unquoted values end at anything outside the printable range.
inline bool IsSpace(uint8_t c) { return c < 0x21 || c > 0x7E; }
inline bool IsLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// Element text is trimmed of ASCII white space only, so UTF-8 text that
// starts or ends with a non-ASCII character keeps it.
inline bool IsTrimmable(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

inline uint8_t Fold(uint8_t c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

std::string FoldedKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = static_cast<char>(Fold(static_cast<uint8_t>(c)));
  return key;
}

}  // namespace

class KorXMLParser_c {
 public:
  KorXMLParser_c(const uint8_t* data, int32_t length) : m_data(data), m_end(length) {}

  // Position after what was consumed, or KOR_FAIL with ErrorPosition() set.
  int32_t ParseContent(KorXML_c* node, int32_t pos, int32_t depth);
  int32_t ParseElement(KorXML_c* node, int32_t pos, int32_t depth, bool declaration);
  int32_t ParseComment(KorXML_c* node, int32_t pos);
  int32_t ParseAttribute(KorXML_c* attribute, int32_t pos);

  int32_t ErrorPosition() const { return m_errorPos; }

 private:
  int32_t Fail(int32_t pos) {
    m_errorPos = pos < m_end ? pos : m_end;
    return KOR_FAIL;
  }
  int32_t SkipSpace(int32_t pos) const {
    while (pos < m_end && IsSpace(m_data[pos])) ++pos;
    return pos;
  }
  int32_t Find(uint8_t byte, int32_t pos) const {
    if (pos >= m_end) return -1;
    const void* hit = std::memchr(m_data + pos, byte, static_cast<size_t>(m_end - pos));
    return hit ? static_cast<int32_t>(static_cast<const uint8_t*>(hit) - m_data) : -1;
  }
  std::string_view Bytes(int32_t from, int32_t to) const {
    return std::string_view(reinterpret_cast<const char*>(m_data) + from,
                            static_cast<size_t>(to - from));
  }
  // Sets a node's value from raw bytes, decoding entities only when present.
  void SetDecoded(KorXML_c* node, int32_t from, int32_t to) {
    const std::string_view raw = Bytes(from, to);
    if (raw.find('&') == std::string_view::npos) {
      node->AssignText(raw);
    } else {
      node->AssignText(KorXMLDecode(raw));
    }
  }
  // Whether the bytes [from, to), entities decoded, equal name ignoring ASCII case.
  bool SameName(std::string_view name, int32_t from, int32_t to) const {
    std::string_view raw = Bytes(from, to);
    std::string decoded;
    if (raw.find('&') != std::string_view::npos) {
      decoded = KorXMLDecode(raw);
      raw = decoded;
    }
    if (raw.size() != name.size()) return false;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (Fold(static_cast<uint8_t>(raw[i])) != Fold(static_cast<uint8_t>(name[i]))) return false;
    }
    return true;
  }
  // Whether the quote at q, which follows a backslash, closes its value: white
  // space then the end of the tag (">", "/>", "?>"), the end of the bytes, or
  // a further attribute ("name="). The look-ahead never passes the next
  // quote, so a run of escaped quotes is still read in linear time.
  bool EndsQuotedValue(int32_t q) const {
    int32_t p = q + 1;
    if (p >= m_end) return true;
    if (!IsSpace(m_data[p])) return false;
    p = SkipSpace(p);
    if (p >= m_end) return true;
    const uint8_t c = m_data[p];
    if (c == '>') return true;
    if ((c == '/' || c == '?') && p + 1 < m_end && m_data[p + 1] == '>') return true;
    const int32_t nameStart = p;
    while (p < m_end && m_data[p] != '=' && m_data[p] != '"' && m_data[p] != '>' &&
           !IsSpace(m_data[p])) {
      ++p;
    }
    p = SkipSpace(p);
    return p > nameStart && p < m_end && m_data[p] == '=';
  }
  void FlushAttributes(KorXML_c* node, std::vector<std::unique_ptr<KorXML_c>>& pending,
                       bool hadAttributes);
  void DropEarlierNamesake(const KorXML_c* attribute);

  const uint8_t* m_data;
  int32_t m_end;
  int32_t m_errorPos = -1;
  std::vector<std::unique_ptr<KorXML_c>> m_pending;
  // Folded name -> index in m_pending; used only once an element has many
  // attributes, where scanning would turn quadratic.
  std::unordered_map<std::string, size_t> m_byName;
};

void KorXMLParser_c::DropEarlierNamesake(const KorXML_c* attribute) {
  if (attribute->IsValueEmpty()) return;
  const std::string_view name = attribute->ValueView();
  constexpr size_t kScanLimit = 16;
  if (m_pending.size() < kScanLimit) {
    for (auto& earlier : m_pending) {
      if (earlier && !earlier->IsValueEmpty() &&
          KorString_c::EqualsIgnoreCase(earlier->ValueView(), name)) {
        earlier.reset();  // the last occurrence wins
        return;
      }
    }
    return;
  }
  if (m_byName.empty()) {
    for (size_t i = 0; i < m_pending.size(); ++i) {
      if (m_pending[i] && !m_pending[i]->IsValueEmpty()) {
        m_byName[FoldedKey(m_pending[i]->ValueView())] = i;
      }
    }
  }
  const auto [it, inserted] = m_byName.try_emplace(FoldedKey(name), m_pending.size());
  if (!inserted) {
    m_pending[it->second].reset();
    it->second = m_pending.size();
  }
}

int32_t KorXMLParser_c::ParseContent(KorXML_c* node, int32_t pos, int32_t depth) {
  const bool isDocument = node->GetType() == KOR_XML_DOCUMENT;
  for (;;) {
    const int32_t lt = Find('<', pos);
    if (lt < 0) return pos;
    if (!isDocument) {
      int32_t from = pos;
      int32_t to = lt;
      while (from < to && IsTrimmable(m_data[from])) ++from;
      while (to > from && IsTrimmable(m_data[to - 1])) --to;
      if (to > from) SetDecoded(node->AppendNew(KOR_XML_TEXT), from, to);
    }
    int32_t p = lt + 1;
    for (;;) {
      if (p >= m_end) return Fail(p);
      const uint8_t c = m_data[p];
      if (IsLetter(c)) {
        if (depth >= KOR_XML_MAX_DEPTH) return Fail(p);
        pos = ParseElement(node->AppendNew(KOR_XML_ELEMENT), p, depth + 1, false);
        break;
      }
      if (c == '?') {
        if (!isDocument) return Fail(p);
        pos = ParseElement(node, p + 1, depth, true);
        break;
      }
      if (c == '!') {
        pos = ParseComment(node->AppendNew(KOR_XML_COMMENT), p + 1);
        break;
      }
      if (c == '/') {
        int32_t q = SkipSpace(p + 1);
        if (q >= m_end) return Fail(q);
        if (m_data[q] == '>') return q + 1;
        // The start tag's name was decoded, so the closing name is decoded
        // too: the writer's "</b&lt;>" closes the element named "b<".
        const int32_t nameStart = q;
        while (q < m_end && m_data[q] != '>' && !IsSpace(m_data[q])) ++q;
        if (!SameName(node->ValueView(), nameStart, q)) return Fail(nameStart);
        q = SkipSpace(q);
        if (q >= m_end || m_data[q] != '>') return Fail(q);
        return q + 1;
      }
      ++p;  // tolerated: "< a>" opens the element a
    }
    if (pos < 0) return KOR_FAIL;
  }
}

void KorXMLParser_c::FlushAttributes(KorXML_c* node,
                                     std::vector<std::unique_ptr<KorXML_c>>& pending,
                                     bool hadAttributes) {
  for (auto& attribute : pending) {
    if (!attribute) continue;  // dropped: a later one had the same name
    if (hadAttributes && !attribute->IsValueEmpty()) {
      node->RemoveDuplicateAttributes(attribute->ValueView(), nullptr);
    }
    node->AppendChild(std::move(attribute));
  }
  pending.clear();
}

int32_t KorXMLParser_c::ParseElement(KorXML_c* node, int32_t pos, int32_t depth, bool declaration) {
  const int32_t tagStart = pos;
  pos = SkipSpace(pos);
  const int32_t nameStart = pos;
  while (pos < m_end) {
    const uint8_t c = m_data[pos];
    if (c == '>' || c == '/' || c == '?' || IsSpace(c)) break;
    ++pos;
  }
  SetDecoded(node, nameStart, pos);
  if (pos >= m_end) return Fail(pos);

  // Attributes are collected first so that a repeated name drops the earlier
  // one without rescanning the children for every attribute.
  const bool hadAttributes = node->NthChild(KOR_XML_ATTRIBUTE, 0) != nullptr;
  // Attributes are flushed before the content is parsed, so one vector and
  // one index serve every element.
  std::vector<std::unique_ptr<KorXML_c>>& pending = m_pending;
  pending.clear();
  m_byName.clear();
  for (;;) {
    pos = SkipSpace(pos);
    if (pos >= m_end) {
      FlushAttributes(node, pending, hadAttributes);
      return Fail(pos);
    }
    const uint8_t c = m_data[pos];
    if (c == '>') break;
    if (c == '?' || c == '/') {
      pos = Find('>', pos);
      if (pos < 0) {
        FlushAttributes(node, pending, hadAttributes);
        return Fail(m_end);
      }
      break;
    }
    std::unique_ptr<KorXML_c> attribute = node->NewNode(KOR_XML_ATTRIBUTE);
    const int32_t next = ParseAttribute(attribute.get(), pos);
    DropEarlierNamesake(attribute.get());
    pending.push_back(std::move(attribute));
    if (next < 0) {
      FlushAttributes(node, pending, hadAttributes);
      return KOR_FAIL;
    }
    pos = next;
  }
  FlushAttributes(node, pending, hadAttributes);

  // pos rests on '>': the byte before it (over white space) tells the kind.
  int32_t back = pos - 1;
  while (back > tagStart && IsSpace(m_data[back])) --back;
  const uint8_t before = back >= tagStart ? m_data[back] : 0;
  if (declaration) {
    if (before != '?') return Fail(pos);
    return pos + 1;
  }
  if (before == '/') return pos + 1;
  return ParseContent(node, pos + 1, depth);
}

int32_t KorXMLParser_c::ParseAttribute(KorXML_c* attribute, int32_t pos) {
  pos = SkipSpace(pos);
  const int32_t nameStart = pos;
  while (pos < m_end && m_data[pos] != '=' && !IsSpace(m_data[pos])) ++pos;
  SetDecoded(attribute, nameStart, pos);
  pos = SkipSpace(pos);
  if (pos >= m_end) return Fail(pos);
  if (m_data[pos] != '=') return pos;

  KorXML_c* text = attribute->AppendNew(KOR_XML_TEXT);
  text->AssignText("");
  pos = SkipSpace(pos + 1);
  if (pos >= m_end) return Fail(pos);
  if (m_data[pos] == '"') {
    const int32_t valueStart = pos + 1;
    int32_t q = valueStart;
    for (;;) {
      q = Find('"', q);
      if (q < 0) {
        SetDecoded(text, valueStart, m_end);
        return Fail(m_end);
      }
      // An escaped quote stays in the value, unless only the rest of the tag
      // can follow: that is how a value ending in a backslash is written.
      if (m_data[q - 1] != '\\' || EndsQuotedValue(q)) break;
      ++q;
    }
    SetDecoded(text, valueStart, q);
    return q + 1;
  }
  const int32_t valueStart = pos;
  while (pos < m_end && m_data[pos] != '>' && !IsSpace(m_data[pos])) ++pos;
  SetDecoded(text, valueStart, pos);
  if (pos >= m_end) return Fail(pos);
  return pos;
}

int32_t KorXMLParser_c::ParseComment(KorXML_c* node, int32_t pos) {
  while (pos < m_end && (m_data[pos] == '-' || IsSpace(m_data[pos]))) ++pos;
  const int32_t gt = Find('>', pos);
  if (gt < 0) return Fail(m_end);
  int32_t end = gt;
  while (end > pos && (m_data[end - 1] == '-' || IsSpace(m_data[end - 1]))) --end;
  // Decoded like element text, so the writer's encoding round-trips.
  SetDecoded(node, pos, end);
  return gt + 1;
}

int32_t KorXML_c::Parse(KorBuffer_c* buffer) {
  if (buffer == nullptr) return KOR_FAIL;
  const int32_t start = buffer->GetPosition();
  const int32_t length = buffer->GetLength();
  if (buffer->Data() == nullptr || start >= length) return start;
  KorXMLParser_c parser(buffer->Data(), length);
  int32_t result = KOR_FAIL;
  switch (m_type) {
    case KOR_XML_DOCUMENT:
      result = parser.ParseContent(this, start, 0);
      break;
    case KOR_XML_ELEMENT: {
      // Accept the start tag with or without its "<".
      int32_t pos = start;
      while (pos < length && IsSpace(buffer->Data()[pos])) ++pos;
      if (pos < length && buffer->Data()[pos] == '<') ++pos;
      result = parser.ParseElement(this, pos, 1, false);
      break;
    }
    case KOR_XML_COMMENT: {
      int32_t pos = start;
      if (length - pos >= 2 && buffer->Data()[pos] == '<' && buffer->Data()[pos + 1] == '!') {
        pos += 2;
      }
      result = parser.ParseComment(this, pos);
      break;
    }
    case KOR_XML_ATTRIBUTE:
      result = parser.ParseAttribute(this, start);
      break;
    default:
      return KOR_FAIL;
  }
  buffer->Seek(result >= 0 ? result : parser.ErrorPosition());
  return result;
}
