#include <gtest/gtest.h>

#include "expr/exprfunctions.h"
#include "exprtesting.h"

namespace {

// Function calls and sprintf formats -> the bytes they give, in hex.
TEST(ExprFunctions, Rows) {
  for (const char* table : {"functions.tsv", "sprintf.tsv"}) {
    for (const auto& row : ReadRows(table, 2)) {
      const Evaluation result = Evaluate(row[0]);
      EXPECT_EQ(result.status, KOR_OK) << row[0];
      EXPECT_EQ(HexOf(result.bytes), row[1]) << row[0];
    }
  }
}

TEST(ExprFunctions, LongResultsAreCut) {
  EXPECT_EQ(Evaluate("replace(pad(65, 200), \"A\", \"AB\")").bytes.size(), 255u);
  EXPECT_EQ(Evaluate("BER(\"1.2" + std::string(300, '.') + "1\")").bytes.size(), 255u);
}

TEST(ExprFunctions, EveryNameParsesAsACall) {
  for (const ExprFunctionInfo& info : ExprFunctionTable()) {
    SCOPED_TRACE(info.name);
    ExprNode root;
    ASSERT_EQ(ExprParser(std::string(info.name) + "(1, 2)").Parse(&root), KOR_OK);
    EXPECT_EQ(root.GetKind(), info.kind);
    EXPECT_EQ(root.Count(), 2u);
  }
}

TEST(ExprFunctions, SprintfOutputIsCut) {
  EXPECT_EQ(Evaluate("sprintf(\"%s\", pad(65, 2000))").bytes.size(), kSprintfLimit);
  EXPECT_EQ(Evaluate("sprintf(\"%2000d\", 1)").bytes.size(), kSprintfLimit);
  EXPECT_EQ(Evaluate("sprintf(\"%s%s\", pad(65, 1000), pad(66, 1000))").bytes.back(), 'B');
}

}  // namespace
