#include "expr/exprnode.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "expr/exprcontext.h"
#include "expr/exprfunctions.h"
#include "foundation/korsmptetimecode.h"

namespace {

std::atomic<uint64_t> g_allocatedBytes{0};

const ExprValue& EmptyValue() {
  static const ExprValue kEmpty;
  return kEmpty;
}

bool IsOperator(ExprKind kind) { return kind >= ExprKind::kMultiply && kind <= ExprKind::kGreaterOrEqual; }

bool IsByteSequence(const ExprValue& value) {
  return value.GetType() == ExprType::kBytes || value.GetType() == ExprType::kList;
}

int32_t WrappingArithmetic(ExprKind kind, int32_t a, int32_t b) {
  const auto ua = static_cast<uint32_t>(a);
  const auto ub = static_cast<uint32_t>(b);
  switch (kind) {
    case ExprKind::kMultiply: return static_cast<int32_t>(ua * ub);
    case ExprKind::kSubtract: return static_cast<int32_t>(ua - ub);
    case ExprKind::kAdd: return static_cast<int32_t>(ua + ub);
    default:
      if (b == 0) return 0;
      // The one quotient that does not fit wraps instead of trapping.
      if (a == std::numeric_limits<int32_t>::min() && b == -1) return a;
      return a / b;
  }
}

double DecimalArithmetic(ExprKind kind, double a, double b) {
  switch (kind) {
    case ExprKind::kMultiply: return a * b;
    case ExprKind::kSubtract: return a - b;
    case ExprKind::kAdd: return a + b;
    default: return b == 0.0 ? 0.0 : a / b;
  }
}

template <class T>
bool Compare(ExprKind kind, T a, T b) {
  switch (kind) {
    case ExprKind::kLess: return a < b;
    case ExprKind::kGreater: return a > b;
    case ExprKind::kLessOrEqual: return a <= b;
    case ExprKind::kGreaterOrEqual: return a >= b;
    default: return a == b;
  }
}

}  // namespace

uint64_t ExprAllocatedBytes() { return g_allocatedBytes.load(std::memory_order_relaxed); }

void ExprCountAllocation(size_t bytes) { g_allocatedBytes.fetch_add(bytes, std::memory_order_relaxed); }

ExprNode::ExprNode(const ExprContext* context, ExprNode* parent) : m_parent(parent), m_context(context) {}

ExprNode* ExprNode::Item(size_t index) const {
  return index < m_operands.size() ? m_operands[index].get() : nullptr;
}

ExprNode* ExprNode::AddOperand() {
  ExprCountAllocation(sizeof(ExprNode));
  m_operands.push_back(std::make_unique<ExprNode>(m_context, this));
  return m_operands.back().get();
}

void ExprNode::SetReference(ExprKind kind, int contextIndex) {
  m_kind = kind;
  m_contextIndex = contextIndex;
}

void ExprNode::Reset() {
  m_kind = ExprKind::kLiteral;
  m_value.Clear();
  m_operands.clear();
  m_contextIndex = -1;
}

const ExprValue& ExprNode::EvaluateOperand(size_t index) {
  ExprNode* operand = Item(index);
  return operand != nullptr ? operand->Evaluate() : EmptyValue();
}

std::string ExprNode::TakeOperandBytes(size_t index) {
  ExprNode* operand = Item(index);
  if (operand == nullptr) return std::string();
  operand->Evaluate();
  // A literal keeps its value for later evaluations; a computed one is recomputed anyway.
  if (operand->m_kind == ExprKind::kLiteral) return operand->m_value.ToBytes();
  return operand->m_value.TakeBytes();
}

void ExprNode::ReleaseOperand(size_t index) {
  ExprNode* operand = Item(index);
  if (operand != nullptr && operand->m_kind != ExprKind::kLiteral) operand->m_value.Clear();
}

const ExprValue& ExprNode::Evaluate() {
  if (m_kind == ExprKind::kLiteral) return m_value;
  m_value.Clear();
  if (m_kind == ExprKind::kVariableRef || m_kind == ExprKind::kIntegerRef || m_kind == ExprKind::kBytesRef) {
    EvaluateReference();
  } else if (IsOperator(m_kind)) {
    EvaluateOperator();
  } else {
    EvaluateFunction(*this);
  }
  for (size_t i = 0; i < m_operands.size(); ++i) ReleaseOperand(i);
  return m_value;
}

void ExprNode::EvaluateReference() {
  const ExprContextEntry* entry = nullptr;
  if (m_context != nullptr) {
    entry = m_kind == ExprKind::kVariableRef ? m_context->Variable(m_contextIndex)
            : m_kind == ExprKind::kIntegerRef
                ? m_context->TableEntry(ExprContext::kIntegerTable, m_contextIndex)
                : m_context->TableEntry(ExprContext::kBytesTable, m_contextIndex);
  }
  if (entry == nullptr) return;
  ExprValue stored;
  stored.SetFromLiteral(entry->text);
  if (m_kind == ExprKind::kBytesRef) {
    m_value.SetBytes(stored.ToBytes());
  } else {
    m_value.SetInteger(stored.ToInteger());
  }
}

void ExprNode::EvaluateOperator() {
  if (m_kind == ExprKind::kConcatenate) {
    std::string bytes = TakeOperandBytes(0);
    // Once full, the right side cannot add anything (evaluation has no side effects).
    if (bytes.size() < kExprMaxBytes) {
      const std::string& right = EvaluateOperand(1).ToBytes();
      bytes.append(right, 0, std::min(right.size(), kExprMaxBytes - bytes.size()));
    } else {
      bytes.resize(kExprMaxBytes);
    }
    m_value.SetBytes(std::move(bytes));
    return;
  }
  const ExprValue& left = EvaluateOperand(0);
  const ExprValue& right = EvaluateOperand(1);
  const bool decimal = left.IsDecimalKind() || right.IsDecimalKind();
  switch (m_kind) {
    case ExprKind::kAdd:
    case ExprKind::kSubtract:
      if (left.GetType() == ExprType::kTimecode || right.GetType() == ExprType::kTimecode) {
        KorSMPTETimecode_c timecode;
        (left.GetType() == ExprType::kTimecode ? left : right).ToTimecode(&timecode);
        const int64_t day = timecode.GetFramesPerDay();
        const int64_t a = left.ToInteger();
        const int64_t b = right.ToInteger();
        const int64_t count = m_kind == ExprKind::kAdd ? a + b : a - b;
        timecode.SetFrameCount(static_cast<uint32_t>(((count % day) + day) % day));
        m_value.SetTimecode(timecode);
        return;
      }
      [[fallthrough]];
    case ExprKind::kMultiply:
    case ExprKind::kDivide:
      if (decimal) {
        m_value.SetDecimal(DecimalArithmetic(m_kind, left.ToDecimal(), right.ToDecimal()));
      } else {
        m_value.SetInteger(WrappingArithmetic(m_kind, left.ToInteger(), right.ToInteger()));
      }
      return;
    case ExprKind::kShiftLeft:
    case ExprKind::kShiftRight: {
      if (decimal) {
        m_value.SetDecimal(left.ToDecimal());
        return;
      }
      // Shift counts use their low five bits, as the processor does.
      const int shift = right.ToInteger() & 31;
      const int32_t a = left.ToInteger();
      m_value.SetInteger(m_kind == ExprKind::kShiftLeft
                             ? static_cast<int32_t>(static_cast<uint32_t>(a) << shift)
                             : a >> shift);
      return;
    }
    case ExprKind::kEquals:
      if (!decimal && IsByteSequence(left) && IsByteSequence(right)) {
        m_value.SetBoolean(left.ToBytes() == right.ToBytes());
        return;
      }
      [[fallthrough]];
    default:
      m_value.SetBoolean(decimal ? Compare(m_kind, left.ToDecimal(), right.ToDecimal())
                                 : Compare(m_kind, left.ToInteger(), right.ToInteger()));
      return;
  }
}
