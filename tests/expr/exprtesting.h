#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "expr/exprcontext.h"
#include "expr/exprnode.h"
#include "expr/exprparser.h"

// The outcome of parsing and evaluating one expression text.
struct Evaluation {
  KorStatus status = KOR_FAIL;
  ExprType type = ExprType::kEmpty;
  std::string text;   // string representation
  std::string bytes;  // byte form
  int32_t integer = 0;
};

inline Evaluation Evaluate(std::string_view text, const ExprContext* context = nullptr) {
  ExprNode root;
  ExprParser parser(text, context);
  Evaluation result;
  result.status = parser.Parse(&root);
  const ExprValue& value = root.Evaluate();
  result.type = value.GetType();
  result.text = value.ToText();
  result.bytes = value.ToBytes();
  result.integer = value.ToInteger();
  return result;
}

// Bytes as space-separated uppercase hex pairs ("41 42 0D").
inline std::string HexOf(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
    out.push_back(kDigits[static_cast<unsigned char>(c) & 0x0F]);
  }
  return out;
}

// The rows of a table in tests/expr/data: one row a line, fields split at
// tabs (kept exactly, spaces included); a last field starting "# " is a
// comment, and blank lines and lines starting with '#' are skipped.
inline std::vector<std::vector<std::string>> ReadRows(const std::string& name, size_t fields) {
  std::ifstream in(std::string(TARVO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> row(1);
    for (const char c : line) {
      if (c == '\t')
        row.emplace_back();
      else
        row.back().push_back(c);
    }
    if (row.size() > fields && row.back().rfind("# ", 0) == 0) row.pop_back();
    EXPECT_EQ(row.size(), fields) << name << ": " << line;
    if (row.size() == fields) rows.push_back(std::move(row));
  }
  EXPECT_GT(rows.size(), 10u) << name;
  return rows;
}
