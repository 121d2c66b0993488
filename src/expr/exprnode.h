#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "expr/exprvalue.h"

class ExprContext;

// What a node computes. Names that share code share a kind (byte and lsb,
// printf and sprintf, compl and the ! operator).
enum class ExprKind : uint8_t {
  kLiteral = 0,
  // Leaves that refer to an entry of the evaluation context.
  kVariableRef,
  kIntegerRef,
  kBytesRef,
  // Operators.
  kMultiply,
  kDivide,
  kSubtract,
  kAdd,
  kConcatenate,
  kShiftLeft,
  kShiftRight,
  kLess,
  kGreater,
  kEquals,
  kLessOrEqual,
  kGreaterOrEqual,
  // Functions.
  kByte,
  kWord,
  kLength,
  kPad,
  kRight,
  kLeft,
  kMid,
  kChecksum,
  kByteChecksum,
  kKorNetChecksum,
  kSprintf,
  kBitAnd,
  kBitOr,
  kBitXor,
  kCompl,
  kHours,
  kMinutes,
  kSeconds,
  kFrames,
  kTotalFrames,
  kMod,
  kMsb,
  kIf,
  kGetByte,
  kMd5,
  kAtoi,
  kHtoi,
  kModbusInputs,
  kModbusOutputs,
  kModbusAInputs,
  kModbusAInputsAdvantech,
  kModbusAOutputs,
  kGetModbusOutputs,
  kGetModbusAOutputs,
  kBcc,
  kBitInputs,
  kBer,
  kBtoi,
  kLtoi,
  kReplace,
  kWordStore,
  kByteStore,
  kDcsAnimation1,
  kDcsAnimation2,
  kDcsAnimationOut,
  kEthernetIpReadTagServiceResponse,
  kEthernetIpReadTagService,
  kEthernetIpWriteTagService,
  kEthernetIpRmwTagService,
  kEthernetIpOpenSession,
  kEthernetIpMsps,
  kEthernetIpMspsResponse,
  kEthernetIpCloseSession,
  kScanList,
  kPrintList,
  kDcsPingResponse,
  kDcsVariableInfoResponse,
  kDcsVariableControlResponse,
  kSetAt,
  kGetAt,
};

// Bytes of nodes and token records the engine has allocated since the
// program started; a diagnostic figure only.
uint64_t ExprAllocatedBytes();
void ExprCountAllocation(size_t bytes);

// Concatenation stops growing a byte string at this size, so that a hostile
// formula cannot exhaust memory.
inline constexpr size_t kExprMaxBytes = size_t{1} << 20;

// One node of a parsed expression: a literal or context reference leaf, an
// operator with its left and right operands, or a function call with its
// arguments. A node owns its operands. After a node is evaluated only
// literal operands keep their values.
class ExprNode {
 public:
  explicit ExprNode(const ExprContext* context = nullptr, ExprNode* parent = nullptr);
  ExprNode(const ExprNode&) = delete;
  ExprNode& operator=(const ExprNode&) = delete;

  ExprKind GetKind() const { return m_kind; }
  void SetKind(ExprKind kind) { m_kind = kind; }
  ExprValue& Value() { return m_value; }
  const ExprValue& Value() const { return m_value; }
  ExprNode* GetParent() const { return m_parent; }
  // Not owned; may be null (an empty context).
  const ExprContext* GetContext() const { return m_context; }
  // Operands added afterwards share it.
  void SetContext(const ExprContext* context) { m_context = context; }

  size_t Count() const { return m_operands.size(); }
  // Null past the last operand.
  ExprNode* Item(size_t index) const;
  // A new last operand sharing this node's context.
  ExprNode* AddOperand();
  void ReserveOperands(size_t count) { m_operands.reserve(count); }

  // Index of the context entry a reference leaf reads (-1: none).
  int GetContextIndex() const { return m_contextIndex; }
  void SetReference(ExprKind kind, int contextIndex);

  // Back to an empty literal leaf without operands.
  void Reset();

  // Computes the node (operands first, as the kind needs them) and returns
  // its value. Never fails: what cannot be computed is left empty or zero.
  const ExprValue& Evaluate();

  // The value of operand index, evaluated; an empty value when missing.
  const ExprValue& EvaluateOperand(size_t index);
  // Like EvaluateOperand, but the byte form is moved out of a computed
  // operand instead of copied.
  std::string TakeOperandBytes(size_t index);
  // Frees the value of a computed operand once it has been used (it is
  // recomputed by the next evaluation), so that large intermediate results
  // do not pile up in the tree.
  void ReleaseOperand(size_t index);

 private:
  void EvaluateOperator();
  void EvaluateReference();

  ExprKind m_kind = ExprKind::kLiteral;
  int m_contextIndex = -1;
  ExprValue m_value;
  std::vector<std::unique_ptr<ExprNode>> m_operands;
  ExprNode* m_parent = nullptr;
  const ExprContext* m_context = nullptr;
};
