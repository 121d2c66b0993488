#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One named entry of an evaluation context table.
struct ExprContextEntry {
  std::string name;
  // The entry's value as literal text, or, in the definition tables, the
  // expression it stands for.
  std::string text;
  // Definition tables only: the text is an expression to expand in place.
  bool isExpression = false;
};

// The names an expression can refer to: a variable store and four tables,
// each optional. The editors evaluate with an empty context, so every name
// is read as a literal there.
class ExprContext {
 public:
  // Table order is the look-up order after the variable store.
  enum Table : int {
    kIntegerTable = 0,     // reference read as an integer
    kDefinitionTable = 1,  // expression expanded in place
    kBytesTable = 2,       // reference read as a byte string
    kLateDefinitionTable = 3,  // expression expanded in place, looked up last
    kTableCount = 4,
  };
  using Entries = std::vector<ExprContextEntry>;

  std::optional<Entries> variables;
  std::array<std::optional<Entries>, kTableCount> tables;

  bool HasVariableStore() const { return variables.has_value(); }
  // Index of the variable named exactly `name` (ASCII case ignored), or -1.
  int FindVariable(std::string_view name) const;
  // Index of the entry of `table` named exactly `name` (ASCII case ignored), or -1.
  int FindInTable(int table, std::string_view name) const;
  // The entry found by FindVariable / FindInTable; null for a bad index.
  const ExprContextEntry* Variable(int index) const;
  const ExprContextEntry* TableEntry(int table, int index) const;
};
