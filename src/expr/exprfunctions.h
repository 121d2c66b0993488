#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "expr/exprnode.h"

struct ExprFunctionInfo {
  std::string_view name;
  ExprKind kind;
};

struct ExprOperatorInfo {
  std::string_view symbol;
  std::string_view name;
  ExprKind kind;
};

inline constexpr size_t kExprFunctionCount = 62;
inline constexpr size_t kExprOperatorCount = 13;
// Token records use these for "no operator" and "no function".
inline constexpr int kExprNoOperator = static_cast<int>(kExprOperatorCount);
inline constexpr int kExprNoFunction = static_cast<int>(kExprFunctionCount);

// The function names in their fixed order; a parsed call records the index.
const std::array<ExprFunctionInfo, kExprFunctionCount>& ExprFunctionTable();
// The operators; the index is the binding strength (lower binds tighter).
const std::array<ExprOperatorInfo, kExprOperatorCount>& ExprOperatorTable();
// Index of the function named `name` (ASCII case ignored), or kExprNoFunction.
int FindExprFunction(std::string_view name);

// Evaluates a function node into its value (the node's kind is a function kind).
void EvaluateFunction(ExprNode& node);

// The checksum functions' values over bytes, as checksum(), bytechecksum()
// and bcc() give them: the byte sum, its low byte, the exclusive or.
uint32_t ChecksumOf(std::string_view bytes);
uint32_t ByteChecksumOf(std::string_view bytes);
uint32_t BccOf(std::string_view bytes);
// The bytes kornetchecksum() sends as raw bytes: the sum as one byte below
// 250, else FF and two bytes or FE and three, most significant first.
std::string KorNetChecksumBytes(std::string_view bytes);

// sprintf/printf: the first operand is the format, the others its arguments.
// The output is cut at kSprintfLimit bytes.
inline constexpr size_t kSprintfLimit = 1040;
std::string EvaluateSprintf(ExprNode& node);
