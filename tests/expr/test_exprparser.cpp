#include <gtest/gtest.h>

#include <string>

#include "exprtesting.h"

namespace {

TEST(ExprParser, BindingAndSplittingRows) {
  for (const auto& row : ReadRows("binding.tsv", 2)) {
    const Evaluation result = Evaluate(row[0]);
    EXPECT_EQ(result.status, KOR_OK) << row[0];
    EXPECT_EQ(result.text, row[1]) << row[0];
  }
}

TEST(ExprParser, SyntaxErrors) {
  const std::string_view rows[] = {
      "",
      "5-",
      "foo(1)",
      "((1))",
      "(1)(2)",
      "left(\"AB\", 1",
      "md5()",
      "byte (1)",
      "abyte(1)",
      "byte(1)+",
      "()",
      "sprintf(\"%d\",)",
      "bbyte(1)",
      "byte(",
      "byte(1,",
      "\"a\" & (",
      "1+foo(2)",
      "bitor(1, (8))",  // " (8)" does not begin with "(": a group without a name
  };
  for (const std::string_view text : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Evaluate(text).status, KOR_FAIL);
  }
}

TEST(ExprParser, ArgumentStatusIsTheLastOne) {
  EXPECT_EQ(Evaluate("md5( )").bytes.size(), 16u);  // one blank argument, not an empty call
  EXPECT_EQ(Evaluate("left(,1)").status, KOR_OK);
  EXPECT_EQ(Evaluate("left(1,)").status, KOR_FAIL);
}

TEST(ExprParser, TreeShape) {
  ExprNode root;
  ASSERT_EQ(ExprParser("a+b-c").Parse(&root), KOR_OK);
  EXPECT_EQ(root.GetKind(), ExprKind::kAdd);
  ASSERT_EQ(root.Count(), 2u);
  EXPECT_EQ(root.Item(1)->GetKind(), ExprKind::kSubtract);
  EXPECT_EQ(root.Item(0)->GetParent(), &root);

  ASSERT_EQ(ExprParser("a/b*c").Parse(&root), KOR_OK);
  EXPECT_EQ(root.GetKind(), ExprKind::kDivide);
  EXPECT_EQ(root.Item(1)->GetKind(), ExprKind::kMultiply);

  const std::pair<std::string_view, ExprKind> merged[] = {
      {"1<<2", ExprKind::kShiftLeft},   {"1>>2", ExprKind::kShiftRight},
      {"1<=2", ExprKind::kLessOrEqual}, {"1>=2", ExprKind::kGreaterOrEqual},
      {"1< =2", ExprKind::kEquals},     {"1=<2", ExprKind::kEquals},
  };
  for (const auto& [text, kind] : merged) {
    SCOPED_TRACE(text);
    root.Reset();
    ExprParser(text).Parse(&root);
    EXPECT_EQ(root.GetKind(), kind);
  }

  // ! is split like the others and complements its (empty) left side.
  ASSERT_EQ(ExprParser("!5").Parse(&root), KOR_OK);
  EXPECT_EQ(root.GetKind(), ExprKind::kCompl);
  ASSERT_EQ(root.Count(), 2u);
  EXPECT_EQ(root.Evaluate().ToInteger(), -1);

  // "-5": the failed empty left side becomes the integer 0.
  ASSERT_EQ(ExprParser("-5").Parse(&root), KOR_OK);
  EXPECT_EQ(root.Item(0)->Value().GetType(), ExprType::kInteger);

  ASSERT_EQ(ExprParser("sprintf(\"%d,%d\", 1, \"a,b\",(2,3))").Parse(&root), KOR_OK);
  EXPECT_EQ(root.GetKind(), ExprKind::kSprintf);
  EXPECT_EQ(root.Count(), 4u);
}

TEST(ExprParser, DepthLimitLeavesDeepLevelsEmpty) {
  auto nested = [](int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += "byte(";
    text += "1";
    text += std::string(static_cast<size_t>(levels), ')');
    return text;
  };
  EXPECT_EQ(Evaluate(nested(150)).integer, 1);
  const Evaluation deep = Evaluate(nested(250));
  EXPECT_EQ(deep.status, KOR_OK);
  EXPECT_EQ(deep.integer, 0);

  // A chain of 300 additions: only the levels above the limit add their 1.
  std::string chain = "1";
  for (int i = 0; i < 299; ++i) chain += "+1";
  EXPECT_EQ(Evaluate(chain).integer, 199);
}

TEST(ExprParser, ContextLookUpOrder) {
  ExprContext context;
  context.variables = ExprContext::Entries{{"Volume", "42", false}};
  context.tables[ExprContext::kIntegerTable] =
      ExprContext::Entries{{"Level", "7", false}, {"Volume", "1", false}};
  context.tables[ExprContext::kDefinitionTable] = ExprContext::Entries{
      {"Twice", "Level*2", true}, {"Loop", "Loop+1", true}, {"Plain", "9", false}};
  context.tables[ExprContext::kBytesTable] = ExprContext::Entries{{"Header", "h02 \"AB\"", false}};

  EXPECT_EQ(Evaluate("volume+1", &context).integer, 43);  // the variable store comes first
  EXPECT_EQ(Evaluate("Level", &context).integer, 7);
  EXPECT_EQ(Evaluate("Twice+1", &context).integer, 15);
  // A definition is not expanded inside its own expansion: the inner Loop is plain text.
  const Evaluation loop = Evaluate("Loop", &context);
  EXPECT_EQ(loop.status, KOR_OK);
  EXPECT_EQ(loop.integer, 1);
  EXPECT_EQ(HexOf(Evaluate("Header&h03", &context).bytes), "02 41 42 03");
  // Not an expression definition, not found elsewhere: a literal text.
  EXPECT_EQ(Evaluate("Plain", &context).type, ExprType::kText);
  // Whole-text match only: a leading space is part of the name.
  EXPECT_EQ(Evaluate(" Level", &context).type, ExprType::kText);
}

// Malformed and huge texts must neither crash nor hang.
TEST(ExprParser, HostileTexts) {
  const std::string_view unbalanced[] = {
      "\"abc",
      ")))",
      "(((",
      "byte(",
      "byte(1,",
      "sprintf(\"%d",
      "\"\\",
      "\"\\\"",
      "((\"))\"",
      "h",
      "$",
      "0x",
      "\\x4",
      "%",
      "sprintf(\"%\")",
      "sprintf(\"\\x\")",
      "sprintf(\"%999999999999d\", 1)",
  };
  for (const std::string_view text : unbalanced) {
    SCOPED_TRACE(text);
    Evaluate(text);
  }

  std::string parens = std::string(10000, '(') + "1" + std::string(10000, ')');
  EXPECT_EQ(Evaluate(parens).status, KOR_FAIL);  // ((1)) and deeper: a group without a name
  EXPECT_EQ(Evaluate(std::string(1 << 20, '(')).status, KOR_FAIL);

  std::string chain = "1";
  while (chain.size() < (1u << 20)) chain += "+1";
  const Evaluation sum = Evaluate(chain);
  EXPECT_EQ(sum.status, KOR_OK);
  EXPECT_EQ(sum.integer, 199);

  // Each level inside its own parentheses: every level drops one pair.
  std::string wrapped = "1";
  for (int i = 0; i < 300; ++i) wrapped = "(" + wrapped + "+1)";
  EXPECT_EQ(Evaluate(wrapped).status, KOR_OK);

  std::string quote = "\"";
  while (quote.size() < (1u << 20)) quote += "\\\"";
  EXPECT_EQ(Evaluate(quote).type, ExprType::kText);
}

// Results that grow are bounded, even when combined: 1024 blocks of 65,535 bytes join into 1 MiB.
TEST(ExprParser, ResultsStayBounded) {
  std::vector<std::string> level(1024, "pad(1,65535)");
  while (level.size() > 1) {
    std::vector<std::string> next;
    for (size_t i = 0; i < level.size(); i += 2)
      next.push_back("(" + level[i] + "&" + level[i + 1] + ")");
    level.swap(next);
  }
  EXPECT_EQ(Evaluate(level[0]).bytes.size(), kExprMaxBytes);
}

}  // namespace
