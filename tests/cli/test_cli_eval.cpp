#include <gtest/gtest.h>

#include "toolrunner.h"

namespace {

TEST(CliEval, PrintsThreeLinesPerExpression) {
  ToolResult r = RunTool({"eval", "\"AB\" & h0D", "sprintf(\"PLAY %d\\r\", 12)"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "AB\\r\n\"AB\\r\"\n 41 42 0D\n"
            "PLAY 12\\r\n\"PLAY 12\\r\"\n 50 4C 41 59 20 31 32 0D\n");
  EXPECT_EQ(r.err, "");
}

TEST(CliEval, SyntaxErrorPrintsMarkerAndExitsOne) {
  ToolResult r = RunTool({"eval", "1+1", "foo(1)", "2"});
  EXPECT_EQ(r.status, 1);
  // The good expressions around the bad one are still printed, in order.
  EXPECT_EQ(r.out,
            "\\x02\\x00\\x00\\x00\n2\n 02 00 00 00\n"
            "[syntax error]\n\n\n"
            "\\x02\\x00\\x00\\x00\n2\n 02 00 00 00\n");
}

TEST(CliEval, ReadsOneExpressionPerLineFromStdin) {
  // CR LF line ends are accepted; a final line without a line feed counts.
  ToolResult r = RunTool({"eval"}, "7/0\r\nmod(7,0)\n\"A\"");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "\\x00\\x00\\x00\\x00\n0\n 00 00 00 00\n"
            "\\x07\\x00\\x00\\x00\n7\n 07 00 00 00\n"
            "A\n\"A\"\n 41\n");
}

TEST(CliEval, ExpressionStartingWithMinusIsNotAnOption) {
  ToolResult r = RunTool({"eval", "-5"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\\xFB\\xFF\\xFF\\xFF\n-5\n FB FF FF FF\n");
  ToolResult dashed = RunTool({"eval", "--", "-5"});
  EXPECT_EQ(dashed.out, r.out);
}

TEST(CliEval, HostileInputFinishes) {
  std::string nested(10000, '(');
  std::string binary;
  for (int i = 0; i < 256; ++i) binary.push_back(static_cast<char>(i == '\n' ? ' ' : i));
  std::string huge(1 << 20, '1');
  ToolResult r = RunTool({"eval"}, nested + "\n" + binary + "\n" + huge + "\n\"unterminated\n");
  EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err;
  // Four expressions, three lines each, whatever they evaluate to.
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 12);
}

TEST(CliEval, HelpDescribesTheOutput) {
  ToolResult r = RunTool({"eval", "--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: tarvo-cli eval"), std::string::npos);
}

}  // namespace
