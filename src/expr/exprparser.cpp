#include "expr/exprparser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "expr/exprcontext.h"
#include "expr/exprfunctions.h"
#include "expr/exprnode.h"

namespace {

constexpr int kOpShiftLeft = 6;
constexpr int kOpShiftRight = 7;
constexpr int kOpLess = 8;
constexpr int kOpGreater = 9;
constexpr int kOpLessOrEqual = 11;
constexpr int kOpGreaterOrEqual = 12;
constexpr int kOpSubtract = 3;

// Operator index of a one-character symbol, -1 for other characters.
int OperatorIndex(char c) {
  switch (c) {
    case '!': return 0;
    case '*': return 1;
    case '/': return 2;
    case '-': return kOpSubtract;
    case '+': return 4;
    case '&': return 5;
    case '<': return kOpLess;
    case '>': return kOpGreater;
    case '=': return 10;
    default: return -1;
  }
}

// The two-character operator an operator followed by c merges into, or -1.
int MergedOperator(int previous, char c) {
  if (previous == kOpLess) return c == '<' ? kOpShiftLeft : c == '=' ? kOpLessOrEqual : -1;
  if (previous == kOpGreater) return c == '>' ? kOpShiftRight : c == '=' ? kOpGreaterOrEqual : -1;
  return -1;
}

// Function names as a trie over letters, digits and underscore, ASCII case
// ignored, so that each scanned character costs one step.
class FunctionTrie {
 public:
  static constexpr int kClasses = 37;

  FunctionTrie() {
    AddNode();
    const auto& table = ExprFunctionTable();
    for (size_t index = 0; index < table.size(); ++index) {
      int node = 0;
      for (const char c : table[index].name) {
        const int cls = CharClass(c);
        if (m_next[static_cast<size_t>(node)][static_cast<size_t>(cls)] == 0) {
          const int16_t created = AddNode();
          m_next[static_cast<size_t>(node)][static_cast<size_t>(cls)] = created;
        }
        node = m_next[static_cast<size_t>(node)][static_cast<size_t>(cls)];
      }
      m_function[static_cast<size_t>(node)] = static_cast<int16_t>(index);
    }
  }

  static int CharClass(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= '0' && c <= '9') return 26 + (c - '0');
    if (c == '_') return 36;
    return -1;
  }

  // The node after c from node, or 0 (the root) when no name continues so.
  int Next(int node, char c) const {
    const int cls = CharClass(c);
    return cls < 0 ? 0 : m_next[static_cast<size_t>(node)][static_cast<size_t>(cls)];
  }
  // The function whose whole name ends at node, or kExprNoFunction.
  int Function(int node) const { return m_function[static_cast<size_t>(node)]; }

 private:
  int16_t AddNode() {
    m_next.emplace_back();
    m_next.back().fill(0);
    m_function.push_back(static_cast<int16_t>(kExprNoFunction));
    return static_cast<int16_t>(m_next.size() - 1);
  }

  std::vector<std::array<int16_t, kClasses>> m_next;
  std::vector<int16_t> m_function;
};

const FunctionTrie& Trie() {
  static const FunctionTrie kTrie;
  return kTrie;
}

}  // namespace

// The token records of one scan of the whole text. A sub-text parsed at a
// deeper level always starts where the scan state is fresh (after an
// operator, a parenthesis or a comma) and its parentheses close inside it or
// never, so its own scan would find exactly these tokens within its bounds;
// the records are therefore made once and queried per level.
struct ExprParser::Scan {
  struct Operator {
    int32_t start;
    int32_t end;
    // Innermost closed parenthesis pair around the operator, or -1. An
    // operator is a split candidate of a sub-text exactly when this is the
    // pair enclosing the whole sub-text.
    int32_t enclosing;
    int32_t index;
  };
  struct Paren {
    int32_t open;
    int32_t close;  // -1 while never closed
    int32_t function;
  };
  struct Comma {
    int32_t position;
    int32_t paren;  // innermost open parenthesis, or -1
  };

  std::vector<Operator> operators;  // sorted by enclosing pair, index, start
  std::vector<Paren> parens;        // in text order
  std::vector<Comma> commas;        // sorted by parenthesis, position
  std::vector<int32_t> unclosedBefore;  // [k]: parentheses before parens[k] never closed
  int32_t openQuote = -1;  // where a string that runs to the end of the text starts

  void Run(std::string_view text);
  const Operator* FindSplit(size_t lo, size_t hi, int enclosing) const;
  // The first parenthesis opening at or after lo and before hi, or -1.
  int FirstParen(size_t lo, size_t hi) const;
};

void ExprParser::Scan::Run(std::string_view text) {
  const FunctionTrie& trie = Trie();
  // Sizing the lists first keeps huge texts from regrowing them.
  size_t parenCount = 0;
  size_t operatorCount = 0;
  size_t commaCount = 0;
  for (const char c : text) {
    parenCount += c == '(';
    operatorCount += OperatorIndex(c) >= 0;
    commaCount += c == ',';
  }
  ExprCountAllocation(parenCount * sizeof(Paren) + operatorCount * sizeof(Operator) + commaCount * sizeof(Comma));
  parens.reserve(parenCount);
  operators.reserve(operatorCount);
  commas.reserve(commaCount);
  std::vector<int32_t> open;  // stack of parentheses not yet closed
  bool quoted = false;
  bool escaped = false;
  int32_t stringStart = -1;
  int name = 0;
  int function = kExprNoFunction;
  for (size_t position = 0; position < text.size(); ++position) {
    const auto i = static_cast<int32_t>(position);
    const char c = text[position];
    if (quoted) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        quoted = false;
        name = 0;
        function = kExprNoFunction;
      }
      continue;
    }
    const int32_t top = open.empty() ? -1 : open.back();
    if (c == '"') {
      quoted = true;
      stringStart = i;
      name = 0;
      function = kExprNoFunction;
      continue;
    }
    if (c == '(') {
      parens.push_back({i, -1, function});
      open.push_back(static_cast<int32_t>(parens.size() - 1));
      name = 0;
      function = kExprNoFunction;
      continue;
    }
    if (c == ')') {
      if (!open.empty()) {
        parens[static_cast<size_t>(open.back())].close = i;
        open.pop_back();
      }
      name = 0;
      function = kExprNoFunction;
      continue;
    }
    name = trie.Next(name, c);
    function = trie.Function(name);
    if (function == kExprNoFunction) {
      const int index = OperatorIndex(c);
      if (index >= 0) {
        const int merged = operators.empty() || operators.back().end != i - 1
                               ? -1
                               : MergedOperator(operators.back().index, c);
        if (merged >= 0) {
          operators.back().index = merged;
          operators.back().end = i;
        } else {
          operators.push_back({i, i, top, index});  // the open parenthesis for now
        }
        name = 0;
      }
    }
    if (c == ',') commas.push_back({i, top});
  }
  if (quoted) openQuote = stringStart;
  unclosedBefore.resize(parens.size() + 1, 0);
  for (size_t k = 0; k < parens.size(); ++k) unclosedBefore[k + 1] = unclosedBefore[k] + (parens[k].close < 0);
  // An operator lies inside a closed pair exactly when the parenthesis open
  // around it closes: the ones below it on the stack can only close after it.
  for (Operator& op : operators) {
    if (op.enclosing >= 0 && parens[static_cast<size_t>(op.enclosing)].close < 0) op.enclosing = -1;
  }
  std::sort(operators.begin(), operators.end(), [](const Operator& a, const Operator& b) {
    if (a.enclosing != b.enclosing) return a.enclosing < b.enclosing;
    if (a.index != b.index) return a.index < b.index;
    return a.start < b.start;
  });
  std::stable_sort(commas.begin(), commas.end(),
                   [](const Comma& a, const Comma& b) { return a.paren < b.paren; });
}

const ExprParser::Scan::Operator* ExprParser::Scan::FindSplit(size_t lo, size_t hi, int enclosing) const {
  // Loosest binding first; among equals the last in the text.
  for (int index = static_cast<int>(kExprOperatorCount) - 1; index >= 0; --index) {
    const auto group = std::equal_range(
        operators.begin(), operators.end(), Operator{0, 0, enclosing, index},
        [](const Operator& a, const Operator& b) {
          return a.enclosing != b.enclosing ? a.enclosing < b.enclosing : a.index < b.index;
        });
    auto after = std::lower_bound(group.first, group.second, static_cast<int64_t>(hi),
                                  [](const Operator& op, int64_t limit) { return op.start < limit; });
    if (after == group.first) continue;
    const Operator& candidate = *(after - 1);
    if (static_cast<size_t>(candidate.start) >= lo) return &candidate;
  }
  return nullptr;
}

int ExprParser::Scan::FirstParen(size_t lo, size_t hi) const {
  const auto it = std::lower_bound(parens.begin(), parens.end(), static_cast<int64_t>(lo),
                                   [](const Paren& p, int64_t position) { return p.open < position; });
  if (it == parens.end() || static_cast<size_t>(it->open) >= hi) return -1;
  return static_cast<int>(it - parens.begin());
}

ExprParser::ExprParser(std::string_view text, const ExprContext* context, int depth)
    : ExprParser(text, context, depth, nullptr) {}

ExprParser::ExprParser(std::string_view text, const ExprContext* context, int depth, Expansions* expansions)
    : m_text(text), m_context(context), m_depth(depth), m_expansions(expansions) {
  if (m_expansions == nullptr) m_expansions = &m_ownExpansions;
}

ExprParser::~ExprParser() = default;

KorStatus ExprParser::Parse(ExprNode* root) {
  if (root == nullptr) return KOR_FAIL;
  root->Reset();
  root->SetContext(m_context);
  if (m_text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 1)) return KOR_FAIL;
  m_scan = std::make_unique<Scan>();
  m_scan->Run(m_text);
  const KorStatus status = ParseRange(root, 0, m_text.size(), -1, m_depth);
  m_scan.reset();
  return status;
}

KorStatus ExprParser::ParseRange(ExprNode* node, size_t lo, size_t hi, int enclosing, int depth) {
  if (depth >= kMaxDepth) return KOR_OK;
  const Scan& scan = *m_scan;

  // One enclosing pair of parentheses around the whole text is dropped when
  // the parentheses between them balance.
  const int paren = hi - lo >= 2 && m_text[lo] == '(' && m_text[hi - 1] == ')' ? scan.FirstParen(lo, hi) : -1;
  if (paren >= 0 && static_cast<size_t>(scan.parens[static_cast<size_t>(paren)].open) == lo) {
    const Scan::Paren& outer = scan.parens[static_cast<size_t>(paren)];
    if (outer.close == static_cast<int32_t>(hi - 1)) {
      ++lo;
      --hi;
      enclosing = paren;
    } else if (outer.close < 0 && scan.openQuote >= 0 && static_cast<size_t>(scan.openQuote) < hi - 1) {
      // The last ) lies in a string left open to the end of the text, so it
      // closes nothing; what lies between still balances when every other
      // parenthesis in it closes. The outer pair never closes, so the
      // enclosing pair stays the same.
      const int last = scan.FirstParen(hi - 1, m_text.size());
      const size_t end = last < 0 ? scan.parens.size() : static_cast<size_t>(last);
      if (scan.unclosedBefore[end] - scan.unclosedBefore[static_cast<size_t>(paren) + 1] == 0) {
        ++lo;
        --hi;
      }
    }
  }

  if (const Scan::Operator* split = scan.FindSplit(lo, hi, enclosing)) {
    const ExprOperatorInfo& info = ExprOperatorTable()[static_cast<size_t>(split->index)];
    node->SetKind(info.kind);
    ExprNode* left = node->AddOperand();
    ExprNode* right = node->AddOperand();
    const KorStatus leftStatus = ParseRange(left, lo, static_cast<size_t>(split->start), enclosing, depth + 1);
    const KorStatus rightStatus = ParseRange(right, static_cast<size_t>(split->end) + 1, hi, enclosing, depth + 1);
    // "-5" is 0 minus 5.
    if (leftStatus != KOR_OK && split->index == kOpSubtract) {
      left->Reset();
      left->Value().SetInteger(0);
    }
    return rightStatus;
  }

  const int callParen = scan.FirstParen(lo, hi);
  if (callParen >= 0) {
    const Scan::Paren& call = scan.parens[static_cast<size_t>(callParen)];
    if (call.function == kExprNoFunction) return KOR_FAIL;
    if (call.close < 0 || static_cast<size_t>(call.close) >= hi) return KOR_FAIL;
    if (call.close == call.open + 1) return KOR_FAIL;
    node->SetKind(ExprFunctionTable()[static_cast<size_t>(call.function)].kind);
    const auto commas = std::equal_range(
        scan.commas.begin(), scan.commas.end(), Scan::Comma{0, static_cast<int32_t>(callParen)},
        [](const Scan::Comma& a, const Scan::Comma& b) { return a.paren < b.paren; });
    node->ReserveOperands(static_cast<size_t>(commas.second - commas.first) + 1);
    size_t start = static_cast<size_t>(call.open) + 1;
    for (auto comma = commas.first; comma != commas.second; ++comma) {
      ParseRange(node->AddOperand(), start, static_cast<size_t>(comma->position), callParen, depth + 1);
      start = static_cast<size_t>(comma->position) + 1;
    }
    return ParseRange(node->AddOperand(), start, static_cast<size_t>(call.close), callParen, depth + 1);
  }

  return ParseLeaf(node, std::string_view(m_text).substr(lo, hi - lo), depth);
}

bool ExprParser::Expand(ExprNode* node, const ExprContextEntry* entry, int depth, KorStatus* status) {
  if (entry == nullptr || !entry->isExpression) return false;
  if (std::find(m_expansions->begin(), m_expansions->end(), entry) != m_expansions->end()) return false;
  m_expansions->push_back(entry);
  ExprParser definition(entry->text, m_context, depth + 1, m_expansions);
  *status = definition.Parse(node);
  m_expansions->pop_back();
  return true;
}

KorStatus ExprParser::ParseLeaf(ExprNode* node, std::string_view text, int depth) {
  if (m_context != nullptr) {
    int index = m_context->FindVariable(text);
    if (index >= 0) {
      node->SetReference(ExprKind::kVariableRef, index);
      return KOR_OK;
    }
    index = m_context->FindInTable(ExprContext::kIntegerTable, text);
    if (index >= 0) {
      node->SetReference(ExprKind::kIntegerRef, index);
      return KOR_OK;
    }
    KorStatus status = KOR_OK;
    index = m_context->FindInTable(ExprContext::kDefinitionTable, text);
    if (index >= 0 && Expand(node, m_context->TableEntry(ExprContext::kDefinitionTable, index), depth, &status)) {
      return status;
    }
    index = m_context->FindInTable(ExprContext::kBytesTable, text);
    if (index >= 0) {
      node->SetReference(ExprKind::kBytesRef, index);
      return KOR_OK;
    }
    index = m_context->FindInTable(ExprContext::kLateDefinitionTable, text);
    if (index >= 0 &&
        Expand(node, m_context->TableEntry(ExprContext::kLateDefinitionTable, index), depth, &status)) {
      return status;
    }
  }
  if (text.empty()) return KOR_FAIL;
  node->Value().SetFromLiteral(text);
  return KOR_OK;
}
