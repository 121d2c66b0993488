#include "expr/exprtextarithmetic.h"

#include "expr/exprnode.h"
#include "expr/exprparser.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

char OperatorChar(ExprKind kind) {
  switch (kind) {
    case ExprKind::kAdd: return '+';
    case ExprKind::kSubtract: return '-';
    case ExprKind::kMultiply: return '*';
    case ExprKind::kDivide: return '/';
    default: return 0;
  }
}

bool ReturnsText(ExprKind kind) {
  switch (kind) {
    case ExprKind::kMd5:
    case ExprKind::kSprintf:
    case ExprKind::kMid:
    case ExprKind::kLeft:
    case ExprKind::kRight:
    case ExprKind::kPad:
    case ExprKind::kReplace:
    case ExprKind::kConcatenate:
      return true;
    default:
      return false;
  }
}

// The operand as the user wrote it, for the message: a leaf's text, else the
// function or operator it is.
std::string Describe(const ExprNode& node) {
  if (node.GetKind() == ExprKind::kLiteral && node.Count() == 0)
    return std::string(Trimmed(node.Value().ToText()));
  switch (node.GetKind()) {
    case ExprKind::kMd5: return "md5(...)";
    case ExprKind::kSprintf: return "sprintf(...)";
    case ExprKind::kMid: return "mid(...)";
    case ExprKind::kLeft: return "left(...)";
    case ExprKind::kRight: return "right(...)";
    case ExprKind::kPad: return "pad(...)";
    case ExprKind::kReplace: return "replace(...)";
    default: return "... & ...";
  }
}

bool IsText(const ExprNode& node, const std::function<bool(std::string_view)>& isTextName) {
  if (node.GetKind() == ExprKind::kLiteral && node.Count() == 0) {
    const ExprValue& value = node.Value();
    if (!value.IsLiteral()) return false;
    const std::string text = value.ToText();
    const std::string_view trimmed = Trimmed(text);
    if (!trimmed.empty() && trimmed.front() == '"') return true;
    // A plain word is a name the controller looks up.
    return value.GetType() == ExprType::kText && !trimmed.empty() && isTextName && isTextName(trimmed);
  }
  return ReturnsText(node.GetKind());
}

void Collect(const ExprNode& node, const std::function<bool(std::string_view)>& isTextName,
             std::vector<TextArithmetic>& found) {
  if (const char op = OperatorChar(node.GetKind())) {
    for (size_t i = 0; i < node.Count(); ++i) {
      const ExprNode* operand = node.Item(i);
      if (operand && IsText(*operand, isTextName)) {
        found.push_back({op, Describe(*operand)});
        break;
      }
    }
  }
  for (size_t i = 0; i < node.Count(); ++i) {
    if (const ExprNode* operand = node.Item(i)) Collect(*operand, isTextName, found);
  }
}

}  // namespace

std::vector<TextArithmetic> FindTextArithmetic(std::string_view expression,
                                               const std::function<bool(std::string_view name)>& isTextName) {
  std::vector<TextArithmetic> found;
  if (Trimmed(expression).empty()) return found;
  ExprNode root;
  ExprParser(expression).Parse(&root);
  Collect(root, isTextName, found);
  return found;
}
