#pragma once

#include <string>
#include <string_view>

#include "expr/exprcontext.h"
#include "expr/exprnode.h"
#include "../tablerows.h"
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

