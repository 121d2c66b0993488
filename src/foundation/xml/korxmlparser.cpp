// The tolerant byte-oriented parser behind KorXML_c::Parse.
//
// Every read is bounded by the buffer's length (attached bytes carry no
// terminating zero), nesting is bounded by KOR_XML_MAX_DEPTH, and each byte
// is looked at a bounded number of times, so parsing is linear.

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/xml/korxml.h"

namespace {

// Byte classes, so that each scan is one table look-up per byte.
enum : uint8_t {
  kSpace = 1,        // outside the printable range: ends names and unquoted values
  kTagEnd = 2,       // '>'
  kNameStop = 4,     // '/' and '?', which also end an element's name
  kEquals = 8,       // '='
  kQuote = 16,       // '"'
  kAmp = 32,         // '&': the bytes need entity decoding
  kLetter = 64,      // ASCII letters open an element after '<'
  kTrimmable = 128,  // ASCII white space, trimmed from element text
};

constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    uint8_t cls = 0;
    if (c < 0x21 || c > 0x7E) cls |= kSpace;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) cls |= kLetter;
    // Element text is trimmed of ASCII white space only, so UTF-8 text that
    // starts or ends with a non-ASCII character keeps it.
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') cls |= kTrimmable;
    classes[static_cast<size_t>(c)] = cls;
  }
  classes['>'] |= kTagEnd;
  classes['/'] |= kNameStop;
  classes['?'] |= kNameStop;
  classes['='] |= kEquals;
  classes['"'] |= kQuote;
  classes['&'] |= kAmp;
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

inline bool Is(uint8_t c, uint8_t cls) { return (kClasses[c] & cls) != 0; }
// The same as Is(c, kSpace) without a second load on the hot paths.
inline bool IsSpace(uint8_t c) { return static_cast<uint8_t>(c - 0x21) > 0x7E - 0x21; }

inline uint8_t Fold(uint8_t c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Names are short and mostly differ early: a loop beats a call to memcmp.
inline bool EqualsFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(static_cast<uint8_t>(a[i])) != Fold(static_cast<uint8_t>(b[i]))) return false;
  }
  return true;
}

std::string FoldedKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = static_cast<char>(Fold(static_cast<uint8_t>(c)));
  return key;
}

}  // namespace

class KorXMLParser_c {
 public:
  KorXMLParser_c(const uint8_t* data, int32_t length, std::string_view rawChildrenOf)
      : m_data(data), m_end(length), m_rawChildrenOf(rawChildrenOf) {}

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
  // Position of the first byte of a class in kStop (m_end when none); sets
  // *amp when an '&' was passed on the way. Sixteen bytes at a time while
  // that many are left: most names and values end within the first sixteen,
  // so no branch depends on their length.
  template <uint8_t kStop>
  int32_t ScanTo(int32_t pos, bool* amp) const {
    const uint8_t* p = m_data + pos;
    const uint8_t* const end = m_data + m_end;
#if defined(__SSE2__)
    while (end - p >= 16) {
      unsigned mask = StopMask<kStop>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
      while (mask != 0) {
        const unsigned at = static_cast<unsigned>(__builtin_ctz(mask));
        if (p[at] != '&') return static_cast<int32_t>(p + at - m_data);
        *amp = true;
        mask &= mask - 1;
      }
      p += 16;
    }
#endif
    for (; p < end; ++p) {
      const uint8_t cls = kClasses[*p];
      if ((cls & (kStop | kAmp)) != 0) {
        if ((cls & kStop) != 0) break;
        *amp = true;
      }
    }
    return static_cast<int32_t>(p - m_data);
  }
#if defined(__SSE2__)
  // One bit per byte of v that is an '&' or of a class in kStop.
  template <uint8_t kStop>
  static unsigned StopMask(__m128i v) {
    const auto is = [v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    __m128i hits = is('&');
    if constexpr ((kStop & kSpace) != 0) {
      // Signed bytes: below 0x21 also takes every byte from 0x80 up.
      hits = _mm_or_si128(hits, _mm_cmplt_epi8(v, _mm_set1_epi8(0x21)));
      hits = _mm_or_si128(hits, is(0x7F));
    }
    if constexpr ((kStop & kTagEnd) != 0) hits = _mm_or_si128(hits, is('>'));
    if constexpr ((kStop & kNameStop) != 0) {
      hits = _mm_or_si128(hits, _mm_or_si128(is('/'), is('?')));
    }
    if constexpr ((kStop & kEquals) != 0) hits = _mm_or_si128(hits, is('='));
    if constexpr ((kStop & kQuote) != 0) hits = _mm_or_si128(hits, is('"'));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
  }
#endif
  int32_t Find(uint8_t byte, int32_t pos) const {
    if (pos >= m_end) return -1;
    const void* hit = std::memchr(m_data + pos, byte, static_cast<size_t>(m_end - pos));
    return hit ? static_cast<int32_t>(static_cast<const uint8_t*>(hit) - m_data) : -1;
  }
  std::string_view Bytes(int32_t from, int32_t to) const {
    return std::string_view(reinterpret_cast<const char*>(m_data) + from,
                            static_cast<size_t>(to - from));
  }
  // The bytes [from, to) with entities decoded when amp says there are any;
  // valid until the next call.
  std::string_view Decoded(int32_t from, int32_t to, bool amp) {
    if (!amp) return Bytes(from, to);
    KorXMLDecode(Bytes(from, to), &m_decoded);
    return m_decoded;
  }
  // Sets a node's value from raw bytes, decoding entities only when present.
  void SetText(KorXML_c* node, int32_t from, int32_t to, bool amp) {
    node->AssignText(Decoded(from, to, amp));
  }
  void SetDecoded(KorXML_c* node, int32_t from, int32_t to) {
    const bool amp = std::memchr(m_data + from, '&', static_cast<size_t>(to - from)) != nullptr;
    SetText(node, from, to, amp);
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
    while (p < m_end && !Is(m_data[p], kEquals | kQuote | kTagEnd | kSpace)) ++p;
    p = SkipSpace(p);
    return p > nameStart && p < m_end && m_data[p] == '=';
  }
  // AppendChild and AppendNew, inline here: a parse appends a million nodes.
  static KorXML_c* Append(KorXML_c* parent, std::unique_ptr<KorXML_c> child) {
    KorXML_c* raw = child.get();
    raw->m_parent = parent;
    if (!parent->m_children) parent->m_children = std::make_unique<KorList_c>(KOR_TRUE);
    parent->m_children->Append(std::unique_ptr<KorObject_c>(child.release()));
    return raw;
  }
  static KorXML_c* AppendNew(KorXML_c* parent, uint8_t type) {
    return Append(parent, parent->NewNode(type));
  }
  // ValueView, inline for the same reason.
  static std::string_view NameOf(const KorXML_c* node) {
    if (node->m_valueObject) return node->ValueView();
    return node->m_textBlank ? std::string_view() : node->m_text.View();
  }
  // Whether the element children of node are kept as their source text.
  bool KeepsChildrenRaw(const KorXML_c* node) const {
    return !m_rawChildrenOf.empty() && node->GetType() == KOR_XML_ELEMENT &&
           EqualsFolded(NameOf(node), m_rawChildrenOf);
  }
  // Turns an element just parsed from the bytes [from, to) into a raw node of
  // those bytes. Its tree goes at once, so the pool hands the same blocks to
  // the next sibling: a long list of such children is never held as trees.
  void MakeRaw(KorXML_c* element, int32_t from, int32_t to) {
    const bool owed = element->m_snapshotOwed;
    element->ResetChildren();
    element->ResetValue();
    element->m_snapshotOwed = owed;
    element->m_type = KOR_XML_RAW;
    element->AssignText(Bytes(from, to));
  }
  void FlushAttributes(KorXML_c* node, bool hadAttributes);
  void DropEarlierNamesake(std::string_view name);

  const uint8_t* m_data;
  int32_t m_end;
  std::string_view m_rawChildrenOf;
  int32_t m_errorPos = -1;
  // The attributes of the tag being read and their names (empty once
  // dropped, or when blank). They are flushed before the content is parsed,
  // so these serve every element.
  std::vector<std::unique_ptr<KorXML_c>> m_pending;
  std::vector<std::string_view> m_pendingNames;
  // Folded name -> index in m_pending; used only once an element has many
  // attributes, where scanning would turn quadratic.
  std::unordered_map<std::string, size_t> m_byName;
  std::string m_decoded;
};

// Called before the attribute named name is added to m_pending.
void KorXMLParser_c::DropEarlierNamesake(std::string_view name) {
  if (name.empty()) return;
  constexpr size_t kScanLimit = 16;
  if (m_pending.size() < kScanLimit) {
    for (size_t i = 0; i < m_pending.size(); ++i) {
      if (EqualsFolded(m_pendingNames[i], name)) {
        m_pending[i].reset();  // the last occurrence wins
        m_pendingNames[i] = {};
        return;
      }
    }
    return;
  }
  if (m_byName.empty()) {
    for (size_t i = 0; i < m_pending.size(); ++i) {
      if (!m_pendingNames[i].empty()) m_byName[FoldedKey(m_pendingNames[i])] = i;
    }
  }
  const auto [it, inserted] = m_byName.try_emplace(FoldedKey(name), m_pending.size());
  if (!inserted) {
    m_pending[it->second].reset();
    m_pendingNames[it->second] = {};
    it->second = m_pending.size();
  }
}

int32_t KorXMLParser_c::ParseContent(KorXML_c* node, int32_t pos, int32_t depth) {
  const bool isDocument = node->GetType() == KOR_XML_DOCUMENT;
  const bool rawChildren = KeepsChildrenRaw(node);
  for (;;) {
    // Tags mostly follow one another directly.
    const int32_t lt = pos < m_end && m_data[pos] == '<' ? pos : Find('<', pos);
    if (lt < 0) return pos;
    if (!isDocument && lt > pos) {
      int32_t from = pos;
      int32_t to = lt;
      while (from < to && Is(m_data[from], kTrimmable)) ++from;
      while (to > from && Is(m_data[to - 1], kTrimmable)) --to;
      if (to > from) SetDecoded(AppendNew(node, KOR_XML_TEXT), from, to);
    }
    int32_t p = lt + 1;
    for (;;) {
      if (p >= m_end) return Fail(p);
      const uint8_t c = m_data[p];
      if (Is(c, kLetter)) {
        if (depth >= KOR_XML_MAX_DEPTH) return Fail(p);
        KorXML_c* child = AppendNew(node, KOR_XML_ELEMENT);
        pos = ParseElement(child, p, depth + 1, false);
        // A child with an error stays the tree it is: the load binds it.
        if (rawChildren && pos >= 0) MakeRaw(child, lt, pos);
        break;
      }
      if (c == '?') {
        if (!isDocument) return Fail(p);
        pos = ParseElement(node, p + 1, depth, true);
        break;
      }
      if (c == '!') {
        pos = ParseComment(AppendNew(node, KOR_XML_COMMENT), p + 1);
        break;
      }
      if (c == '/') {
        int32_t q = SkipSpace(p + 1);
        if (q >= m_end) return Fail(q);
        if (m_data[q] == '>') return q + 1;
        // The start tag's name was decoded, so the closing name is decoded
        // too: the writer's "</b&lt;>" closes the element named "b<".
        const int32_t nameStart = q;
        bool amp = false;
        q = ScanTo<kTagEnd | kSpace>(q, &amp);
        if (!EqualsFolded(node->ValueView(), Decoded(nameStart, q, amp))) return Fail(nameStart);
        q = SkipSpace(q);
        if (q >= m_end || m_data[q] != '>') return Fail(q);
        return q + 1;
      }
      ++p;  // tolerated: "< a>" opens the element a
    }
    if (pos < 0) return KOR_FAIL;
  }
}

void KorXMLParser_c::FlushAttributes(KorXML_c* node, bool hadAttributes) {
  for (size_t i = 0; i < m_pending.size(); ++i) {
    std::unique_ptr<KorXML_c>& attribute = m_pending[i];
    if (!attribute) continue;  // dropped: a later one had the same name
    if (hadAttributes && !m_pendingNames[i].empty()) {
      node->RemoveDuplicateAttributes(m_pendingNames[i], nullptr);
    }
    Append(node, std::move(attribute));
  }
  m_pending.clear();
  m_pendingNames.clear();
}

int32_t KorXMLParser_c::ParseElement(KorXML_c* node, int32_t pos, int32_t depth, bool declaration) {
  const int32_t tagStart = pos;
  pos = SkipSpace(pos);
  const int32_t nameStart = pos;
  bool amp = false;
  pos = ScanTo<kTagEnd | kNameStop | kSpace>(pos, &amp);
  SetText(node, nameStart, pos, amp);
  if (pos >= m_end) return Fail(pos);

  // Attributes are collected first so that a repeated name drops the earlier
  // one without rescanning the children for every attribute.
  const bool hadAttributes =
      node->PeekChildren() != nullptr && node->NthChild(KOR_XML_ATTRIBUTE, 0) != nullptr;
  m_pending.clear();
  m_pendingNames.clear();
  if (!m_byName.empty()) m_byName.clear();
  // Only white space lies between the last name or value and the '>' that
  // follows it, so the look back for the tag's kind starts there.
  int32_t back;
  for (;;) {
    back = pos - 1;
    pos = SkipSpace(pos);
    if (pos >= m_end) {
      FlushAttributes(node, hadAttributes);
      return Fail(pos);
    }
    const uint8_t c = m_data[pos];
    if (c == '>') break;
    if (c == '?' || c == '/') {
      pos = Find('>', pos);
      if (pos < 0) {
        FlushAttributes(node, hadAttributes);
        return Fail(m_end);
      }
      back = pos - 1;
      break;
    }
    std::unique_ptr<KorXML_c> attribute = node->NewNode(KOR_XML_ATTRIBUTE);
    const int32_t next = ParseAttribute(attribute.get(), pos);
    // The name lives in the node, which does not move while it is pending.
    const std::string_view name = NameOf(attribute.get());
    DropEarlierNamesake(name);
    m_pending.push_back(std::move(attribute));
    m_pendingNames.push_back(name);
    if (next < 0) {
      FlushAttributes(node, hadAttributes);
      return KOR_FAIL;
    }
    pos = next;
  }
  if (!m_pending.empty()) FlushAttributes(node, hadAttributes);

  // pos rests on '>': the byte before it (over white space) tells the kind.
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
  bool amp = false;
  pos = ScanTo<kEquals | kSpace>(pos, &amp);
  SetText(attribute, nameStart, pos, amp);
  pos = SkipSpace(pos);
  if (pos >= m_end) return Fail(pos);
  if (m_data[pos] != '=') return pos;

  KorXML_c* text = AppendNew(attribute, KOR_XML_TEXT);
  pos = SkipSpace(pos + 1);
  if (pos >= m_end) {
    text->AssignText("");
    return Fail(pos);
  }
  amp = false;
  if (m_data[pos] == '"') {
    const int32_t valueStart = pos + 1;
    int32_t q = valueStart;
    for (;;) {
      q = ScanTo<kQuote>(q, &amp);
      if (q >= m_end) {
        SetText(text, valueStart, m_end, amp);
        return Fail(m_end);
      }
      // An escaped quote stays in the value, unless only the rest of the tag
      // can follow: that is how a value ending in a backslash is written.
      if (m_data[q - 1] != '\\' || EndsQuotedValue(q)) break;
      ++q;
    }
    SetText(text, valueStart, q, amp);
    return q + 1;
  }
  const int32_t valueStart = pos;
  pos = ScanTo<kTagEnd | kSpace>(pos, &amp);
  SetText(text, valueStart, pos, amp);
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

int32_t KorXML_c::Parse(KorBuffer_c* buffer) { return Parse(buffer, {}); }

int32_t KorXML_c::Parse(KorBuffer_c* buffer, std::string_view rawChildrenOf) {
  if (buffer == nullptr) return KOR_FAIL;
  const int32_t start = buffer->GetPosition();
  const int32_t length = buffer->GetLength();
  if (buffer->Data() == nullptr || start >= length) return start;
  KorXMLParser_c parser(buffer->Data(), length, rawChildrenOf);
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
