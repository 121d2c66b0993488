#include <gtest/gtest.h>

#include <string>

#include "expr/exprtextarithmetic.h"

namespace {

// Names of string type in these rows: Password and Seed.
bool IsTextName(std::string_view name) {
  return name == "Password" || name == "Seed";
}

std::string Found(std::string_view expression) {
  std::string out;
  for (const TextArithmetic& use : FindTextArithmetic(expression, IsTextName)) {
    if (!out.empty()) out += "; ";
    out += use.op;
    out += ' ';
    out += use.operand;
  }
  return out;
}

TEST(TextArithmetic, OperatorsOnTextAreFoundAndJoinsAreNot) {
  const struct {
    std::string_view expression;
    std::string_view found;
  } rows[] = {
      {"md5(Password + Seed)", "+ Password"},
      {"\"secret\" + \"5f3a9c21\"", "+ \"secret\""},
      {"Volume + 1", ""},
      {"Volume * 2 - 1", ""},
      {"Password & Seed", ""},
      {"md5(Password & Seed)", ""},
      {"1 + md5(\"x\")", "+ md5(...)"},
      {"sprintf(\"%d\", 1) - 2", "- sprintf(...)"},
      {"length(\"[x]\") + Vol", ""},
      {"mid(Seed, 1, 2) / 2", "/ mid(...)"},
      {"2 * Seed + 1", "* Seed"},
      {"left(Seed, 2) & \"x\"", ""},
      {"", ""},
      {"byte(", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expression);
    EXPECT_EQ(Found(row.expression), row.found);
  }
}

}  // namespace
