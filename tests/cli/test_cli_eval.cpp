#include <gtest/gtest.h>

#include <algorithm>

#include "toolrunner.h"

namespace {

constexpr const char* kOne = "\\x01\\x00\\x00\\x00\n1\n 01 00 00 00\n";
constexpr const char* kTwo = "\\x02\\x00\\x00\\x00\n2\n 02 00 00 00\n";
constexpr const char* kSyntaxError = "[syntax error]\n\n\n";

// Expressions come from the words after "eval" or, with none, one per line of
// standard input; every expression prints three lines, in order.
TEST(CliEval, ExpressionsFromWordsAndLines) {
  struct Row {
    std::vector<std::string> args;
    std::string input;
    std::string out;
    int status;
  } rows[] = {
      {{"eval", "\"AB\" & h0D", "sprintf(\"PLAY %d\\r\", 12)"},
       "",
       "AB\\r\n\"AB\\r\"\n 41 42 0D\nPLAY 12\\r\n\"PLAY 12\\r\"\n 50 4C 41 59 20 31 32 0D\n",
       0},
      // The good expressions around a bad one are still printed.
      {{"eval", "1", "foo(1)", "2"}, "", std::string(kOne) + kSyntaxError + kTwo, 1},
      // Only a leading --help asks for help; "--" ends the options once.
      {{"eval", "-5"}, "", "\\xFB\\xFF\\xFF\\xFF\n-5\n FB FF FF FF\n", 0},
      {{"eval", "--", "-5"}, "", "\\xFB\\xFF\\xFF\\xFF\n-5\n FB FF FF FF\n", 0},
      {{"eval", "1", "--help"},
       "",
       std::string(kOne) + "\\x00\\x00\\x00\\x00\n0\n 00 00 00 00\n",
       0},
      {{"eval", "--", "--"}, "", kSyntaxError, 1},
      // Standard input: LF or CR LF ends a line, a last line needs neither.
      {{"eval"},
       "7/0\r\nmod(7,0)\n\"A\"",
       "\\x00\\x00\\x00\\x00\n0\n 00 00 00 00\n\\x07\\x00\\x00\\x00\n7\n 07 00 00 00\nA\n\"A\"\n "
       "41\n",
       0},
      {{"eval"}, "1\n", kOne, 0},
      {{"eval"}, "", "", 0},
      // A blank line keeps its place, so the output stays in step with the input.
      {{"eval"}, "1\n\n2\n", std::string(kOne) + kSyntaxError + kTwo, 1},
      {{"eval"}, "\r\n", kSyntaxError, 1},
      // A CR that does not end a line is part of the expression.
      {{"eval"}, "1\r\r\n", "1\\r\n1\r\n 31 0D\n", 0},
      {{"eval", "--"}, "2\n", kTwo, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args) + " < " + ::testing::PrintToString(row.input));
    ToolResult r = RunTool(row.args, row.input);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_EQ(r.err, "");
  }
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

}  // namespace
