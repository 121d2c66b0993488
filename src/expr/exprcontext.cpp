#include "expr/exprcontext.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int FindName(const std::optional<ExprContext::Entries>& entries, std::string_view name) {
  if (!entries) return -1;
  for (size_t i = 0; i < entries->size(); ++i) {
    const std::string& candidate = (*entries)[i].name;
    if (candidate.size() != name.size()) continue;
    bool equal = true;
    for (size_t j = 0; j < name.size() && equal; ++j) equal = LowerAscii(candidate[j]) == LowerAscii(name[j]);
    if (equal) return static_cast<int>(i);
  }
  return -1;
}

const ExprContextEntry* EntryAt(const std::optional<ExprContext::Entries>& entries, int index) {
  if (!entries || index < 0 || static_cast<size_t>(index) >= entries->size()) return nullptr;
  return &(*entries)[static_cast<size_t>(index)];
}

}  // namespace

int ExprContext::FindVariable(std::string_view name) const { return FindName(variables, name); }

int ExprContext::FindInTable(int table, std::string_view name) const {
  if (table < 0 || table >= kTableCount) return -1;
  return FindName(tables[static_cast<size_t>(table)], name);
}

const ExprContextEntry* ExprContext::Variable(int index) const { return EntryAt(variables, index); }

const ExprContextEntry* ExprContext::TableEntry(int table, int index) const {
  if (table < 0 || table >= kTableCount) return nullptr;
  return EntryAt(tables[static_cast<size_t>(table)], index);
}
