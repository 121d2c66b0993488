#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/korobject.h"

class ExprContext;
class ExprNode;
struct ExprContextEntry;

// The splitting parser. The whole text is scanned once for operators,
// parentheses, commas and function names outside quoted strings; each level
// then splits its part of the text at the most loosely binding operator
// outside closed parentheses (the last one among equals), or takes it as a
// function call, a context name or a literal. Levels deeper than kMaxDepth
// are left empty.
class ExprParser {
 public:
  static constexpr int kMaxDepth = 200;

  // context: the names to look up (not owned, may be null); depth: the level
  // the text's root starts at.
  explicit ExprParser(std::string_view text, const ExprContext* context = nullptr, int depth = 0);
  ~ExprParser();
  ExprParser(const ExprParser&) = delete;
  ExprParser& operator=(const ExprParser&) = delete;

  // Resets root and builds the tree of the text under it. KOR_FAIL on a
  // syntax error (the tree built so far stays and may be evaluated).
  KorStatus Parse(ExprNode* root);

 private:
  struct Scan;
  using Expansions = std::vector<const ExprContextEntry*>;

  ExprParser(std::string_view text, const ExprContext* context, int depth, Expansions* expansions);

  KorStatus ParseRange(ExprNode* node, size_t lo, size_t hi, int enclosing, int depth);
  KorStatus ParseLeaf(ExprNode* node, std::string_view text, int depth);
  // Expands a definition entry into node, unless it is already being expanded.
  bool Expand(ExprNode* node, const ExprContextEntry* entry, int depth, KorStatus* status);

  std::string m_text;
  const ExprContext* m_context = nullptr;
  int m_depth = 0;
  std::unique_ptr<Scan> m_scan;
  Expansions m_ownExpansions;
  // Definitions being expanded by this parser and the parsers that started it.
  Expansions* m_expansions = nullptr;
};
