// The parser scans the whole text once and answers every level from those
// tokens. This checks it against a plain implementation that rescans each
// level's own text, on many generated texts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/exprfunctions.h"
#include "exprtesting.h"

namespace {

std::string Dump(const ExprNode& node) {
  if (node.Count() == 0 && node.GetKind() == ExprKind::kLiteral)
    return "'" + node.Value().ToText() + "'";
  std::string out = "[" + std::to_string(static_cast<int>(node.GetKind()));
  for (size_t i = 0; i < node.Count(); ++i) out += " " + Dump(*node.Item(i));
  return out + "]";
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Exact match index, -1 for a proper prefix of some name, -2 for neither.
int MatchName(std::string_view candidate) {
  static const std::vector<std::string> kNames = [] {
    std::vector<std::string> names;
    for (const ExprFunctionInfo& info : ExprFunctionTable()) names.push_back(Lower(info.name));
    return names;
  }();
  const std::string lower = Lower(candidate);
  bool prefix = false;
  for (size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == lower) return static_cast<int>(i);
    prefix = prefix || kNames[i].compare(0, lower.size(), lower) == 0;
  }
  return prefix ? -1 : -2;
}

bool Balanced(std::string_view text) {
  int depth = 0;
  bool quoted = false;
  bool escaped = false;
  for (const char c : text) {
    if (quoted) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth < 0) {
      return false;
    }
  }
  return depth == 0;
}

struct Op {
  size_t start, end;
  int index;
};
struct Paren {
  size_t open;
  long close;
  int function;
};

// Parses one level the plain way; writes the same dump as Dump above.
KorStatus Reference(std::string text, int depth, std::string* out) {
  if (depth >= ExprParser::kMaxDepth) {
    *out = "''";
    return KOR_OK;
  }
  if (text.size() >= 2 && text.front() == '(' && text.back() == ')' &&
      Balanced(std::string_view(text).substr(1, text.size() - 2))) {
    text = text.substr(1, text.size() - 2);
  }
  std::vector<Op> ops;
  std::vector<Paren> parens;
  bool quoted = false, escaped = false;
  size_t nameStart = 0;
  int exact = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"') {
        quoted = false;
        nameStart = i + 1;
        exact = -1;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      nameStart = i + 1;
      exact = -1;
      continue;
    }
    if (c == '(') {
      parens.push_back({i, -1, exact});
      nameStart = i + 1;
      exact = -1;
      continue;
    }
    if (c == ')') {
      for (size_t k = parens.size(); k-- > 0;) {
        if (parens[k].close < 0) {
          parens[k].close = static_cast<long>(i);
          break;
        }
      }
      nameStart = i + 1;
      exact = -1;
      continue;
    }
    const int match = MatchName(std::string_view(text).substr(nameStart, i + 1 - nameStart));
    exact = match >= 0 ? match : -1;
    if (match == -2) nameStart = i + 1;
    if (exact >= 0) continue;
    // Operator indexes; 6 and 7 (<< and >>) only come from merging.
    static const std::string_view kSymbols[] = {"!", "*", "/", "-", "+", "&",
                                                "",  "",  "<", ">", "="};
    int index = -1;
    for (int k = 0; k < 11; ++k) {
      if (kSymbols[k] == std::string_view(&c, 1)) index = k;
    }
    if (index < 0) continue;
    if (!ops.empty() && ops.back().end + 1 == i &&
        (ops.back().index == 8 || ops.back().index == 9)) {
      const bool less = ops.back().index == 8;
      const int merged = c == '='                  ? (less ? 11 : 12)
                         : c == (less ? '<' : '>') ? (less ? 6 : 7)
                                                   : -1;
      if (merged >= 0) {
        ops.back().index = merged;
        ops.back().end = i;
        nameStart = i + 1;
        continue;
      }
    }
    ops.push_back({i, i, index});
    nameStart = i + 1;
  }
  const Op* split = nullptr;
  for (const Op& op : ops) {
    bool inside = false;
    for (const Paren& p : parens)
      inside = inside ||
               (p.close >= 0 && p.open <= op.start && op.start <= static_cast<size_t>(p.close));
    if (!inside && (split == nullptr || op.index >= split->index)) split = &op;
  }
  if (split != nullptr) {
    std::string left, right;
    const KorStatus leftStatus = Reference(text.substr(0, split->start), depth + 1, &left);
    const KorStatus rightStatus = Reference(text.substr(split->end + 1), depth + 1, &right);
    if (leftStatus != KOR_OK && split->index == 3) left = "'0'";
    *out = "[" +
           std::to_string(
               static_cast<int>(ExprOperatorTable()[static_cast<size_t>(split->index)].kind)) +
           " " + left + " " + right + "]";
    return rightStatus;
  }
  if (!parens.empty()) {
    const Paren& call = parens.front();
    if (call.function < 0 || call.close < 0 || static_cast<size_t>(call.close) == call.open + 1) {
      *out = "''";
      return KOR_FAIL;
    }
    const std::string args =
        text.substr(call.open + 1, static_cast<size_t>(call.close) - call.open - 1);
    *out = "[" + std::to_string(static_cast<int>(
                     ExprFunctionTable()[static_cast<size_t>(call.function)].kind));
    KorStatus status = KOR_OK;
    int level = 0;
    bool inString = false, escape = false;
    size_t start = 0;
    for (size_t i = 0; i <= args.size(); ++i) {
      const char c = i < args.size() ? args[i] : ',';
      if (inString) {
        if (escape)
          escape = false;
        else if (c == '\\')
          escape = true;
        else if (c == '"')
          inString = false;
        continue;
      }
      if (c == '"')
        inString = true;
      else if (c == '(')
        ++level;
      else if (c == ')')
        --level;
      else if (c == ',' && level == 0) {
        std::string piece;
        status = Reference(args.substr(start, i - start), depth + 1, &piece);
        *out += " " + piece;
        start = i + 1;
      }
    }
    *out += "]";
    return status;
  }
  if (text.empty()) {
    *out = "''";
    return KOR_FAIL;
  }
  *out = text.find_first_not_of(' ') == std::string::npos ? "''" : "'" + text + "'";
  return KOR_OK;
}

TEST(ExprParserReference, SameTreesAsARescanningParser) {
  const std::string_view pieces[] = {
      "(",   ")",    "(",        ")",   "\"", "\\",    ",",      ",",       "+",     "-",
      "*",   "/",    "<",        ">",   "=",  "!",     "&",      " ",       "1",     "25",
      "h0D", "a",    "x",        "by",  "te", "byte(", "xbyte(", "md5(",    "if(",   "mid(",
      "bit", "and(", "Sprintf(", "mod", "b",  "<<",    ">=",     "\"a,b\"", "\"(\"", "\\\"",
  };
  uint32_t seed = 2024;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  int parsed = 0;
  for (int round = 0; round < 6000; ++round) {
    std::string text;
    const unsigned count = next() % 24;
    for (unsigned i = 0; i < count; ++i) text += pieces[next() % std::size(pieces)];
    std::string expected;
    const KorStatus expectedStatus = Reference(text, 0, &expected);
    ExprNode root;
    const KorStatus status = ExprParser(text).Parse(&root);
    ASSERT_EQ(status, expectedStatus) << text;
    ASSERT_EQ(Dump(root), expected) << text;
    parsed += status == KOR_OK;
  }
  EXPECT_GT(parsed, 600);  // the generated texts are not all syntax errors
}

}  // namespace
