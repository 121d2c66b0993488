#include <gtest/gtest.h>

#include <cmath>

#include "expr/exprbytes.h"
#include "expr/exprvalue.h"
#include "exprtesting.h"

namespace {

struct LiteralRow {
  std::string_view text;
  ExprType type;
  int32_t integer;
  std::string_view hex;  // byte form
};

const LiteralRow kLiteralRows[] = {
    {"12", ExprType::kInteger, 12, "0C 00 00 00"},
    {" 12 ", ExprType::kInteger, 12, "0C 00 00 00"},
    {"-3", ExprType::kInteger, -3, "FD FF FF FF"},
    {"4294967295", ExprType::kInteger, -1, "FF FF FF FF"},  // wraps in 32 bits
    {"1.5", ExprType::kDecimal, 1, "31 2E 35"},             // a literal keeps its text
    {".5", ExprType::kDecimal, 0, "2E 35"},
    {"-7.9", ExprType::kDecimal, -7, "2D 37 2E 39"},
    {"true", ExprType::kBoolean, 1, "74 72 75 65"},
    {"TRUE", ExprType::kBoolean, 1, "54 52 55 45"},
    {"Yes", ExprType::kBoolean, 1, "59 65 73"},
    {"on", ExprType::kBoolean, 1, "6F 6E"},
    {"off", ExprType::kBoolean, 0, "6F 66 66"},
    {"disabled", ExprType::kBoolean, 0, "64 69 73 61 62 6C 65 64"},
    {"50%", ExprType::kPercent, 0, "35 30 25"},
    {"1000%", ExprType::kText, 0, "31 30 30 30 25"},  // too long for a percent
    {"01:02:03.04", ExprType::kTimecode, (3723 * 30) + 4, "30 31 3A 30 32 3A 30 33 2E 30 34"},
    {"1 2", ExprType::kTimecode, 32, "31 20 32"},  // a space between digits: not a number
    {"1.2.3", ExprType::kTimecode, 1863, "31 2E 32 2E 33"},
    {"h0D", ExprType::kBytes, 13, "0D"},
    {"\"AB\"h0D", ExprType::kBytes, 0, "41 42 0D"},
    {"\"12\"", ExprType::kBytes, 12, "31 32"},  // a quoted text reads as a number
    {"h02 \"PLAY\" h03", ExprType::kBytes, 0, "02 50 4C 41 59 03"},
    {"13,10", ExprType::kBytes, 0, "0D 0A"},
    {"$41", ExprType::kBytes, 65, "41"},
    {"0x41 0X42", ExprType::kBytes, 0, "41 42"},
    {"\\x41", ExprType::kBytes, 65, "41"},
    {"1_2", ExprType::kBytes, 0, "01 02"},
    {"h01 256", ExprType::kBytes, 0, "01 19 06"},  // never above 255: 25 then 6
    {"h01 1000", ExprType::kBytes, 0, "01 64 00"},
    {"\"\\\\\\n\\r\\t\\\"\\'\\%\\x7f\"", ExprType::kBytes, 0, "5C 0A 0D 09 22 27 25 7F"},
    {"\"a\\qb\"", ExprType::kBytes, 0, "61 62"},   // an unknown escape gives nothing
    {"\"\\x4\"", ExprType::kBytes, 4, "34"},        // \x without two hex digits gives nothing
    {"\"\"", ExprType::kText, 0, "22 22"},          // no bytes: plain text
    {"\"AB", ExprType::kText, 0, "22 41 42"},       // unterminated
    {"h0", ExprType::kText, 0, "68 30"},            // a prefix needs two characters
    {"hZZ", ExprType::kText, 0, "68 5A 5A"},
    {"abc", ExprType::kText, 0, "61 62 63"},
    {"   ", ExprType::kEmpty, 0, ""},
};

TEST(ExprValue, LiteralClassification) {
  for (const LiteralRow& row : kLiteralRows) {
    SCOPED_TRACE(row.text);
    ExprValue value;
    value.SetFromLiteral(row.text);
    EXPECT_EQ(value.GetType(), row.type);
    EXPECT_EQ(value.ToInteger(), row.integer);
    EXPECT_EQ(HexOf(value.ToBytes()), row.hex);
    if (row.type != ExprType::kEmpty) {
      EXPECT_EQ(value.ToText(), row.text);
    }
  }
}

TEST(ExprValue, DecimalsAndPercents) {
  ExprValue value;
  value.SetFromLiteral("50%");
  EXPECT_DOUBLE_EQ(value.ToDecimal(), 0.5);
  value.SetFromLiteral("-5%");
  EXPECT_DOUBLE_EQ(value.ToDecimal(), -0.05);
  value.SetFromLiteral("1.5%");
  EXPECT_DOUBLE_EQ(value.ToDecimal(), 0.015);
  value.SetFromLiteral("-.25");
  EXPECT_DOUBLE_EQ(value.ToDecimal(), -0.25);
  value.SetFromLiteral("\"2.75\"");
  EXPECT_DOUBLE_EQ(value.ToDecimal(), 2.75);
  value.SetFromLiteral(std::string(400, '9') + ".5");
  EXPECT_TRUE(std::isinf(value.ToDecimal()));
  EXPECT_EQ(value.ToInteger(), 2147483647);  // saturates instead of overflowing
}

TEST(ExprValue, ComputedTextForms) {
  ExprValue value;
  value.SetBytes(std::string("AB\r\x01", 4));
  EXPECT_EQ(value.ToText(), "\"AB\\r\"h01");
  value.SetBytes(std::string("\\\n\t\"'%\x00\x7F\xFF" "a", 10));
  EXPECT_EQ(value.ToText(), "\"\\\\\\n\\t\\\"\\'\\%\"h00h7FhFF\"a\"");
  value.SetBytes("");
  EXPECT_EQ(value.ToText(), "");
  value.SetBoolean(true);
  EXPECT_EQ(value.ToText(), "true");
  EXPECT_EQ(value.ToBytes(), "true");
  value.SetInteger(-42);
  EXPECT_EQ(value.ToText(), "-42");
  value.SetPercent(0.5);
  EXPECT_EQ(value.ToText(), "50.00%");

  const std::pair<double, std::string_view> decimals[] = {
      {1.5, "1.50"}, {0.125, "0.13"}, {-2.5, "-2.50"}, {-0.001, "0.00"}, {2.675, "2.67"}, {1e20, "100000000000000000000.00"},
  };
  for (const auto& [number, text] : decimals) {
    EXPECT_EQ(FormatDecimal(number), text) << number;
  }
}

TEST(ExprValue, ComputedByteStringsToInteger) {
  ExprValue value;
  value.SetBytes("12");  // written "12" in quotes: read as a number
  EXPECT_EQ(value.ToInteger(), 12);
  value.SetBytes(std::string(1, '\x05'));  // written h05: its one byte
  EXPECT_EQ(value.ToInteger(), 5);
  value.SetBytes("\x01\x02");
  EXPECT_EQ(value.ToInteger(), 0);
  value.SetBytes("\r");  // written "\r": quoted, no digits
  EXPECT_EQ(value.ToInteger(), 0);
}

TEST(ExprValue, MasksApplyToStoredIntegers) {
  ExprValue value;
  value.SetMasks(0x10, 0xFF);
  value.SetInteger(0x1201);
  EXPECT_EQ(value.ToInteger(), 0x11);
  value.SetMasks(0, 0);
  value.SetInteger(0x1201);
  EXPECT_EQ(value.ToInteger(), 0x1201);
}

TEST(ExprValue, ByteNotationRejects) {
  std::string bytes;
  for (const std::string_view text : {"h4", "hG0", "$", "0x", "\\x", "\\y41", "\"open", "1;2", "A"}) {
    EXPECT_FALSE(ParseByteNotation(text, &bytes)) << text;
  }
  EXPECT_TRUE(ParseByteNotation("", &bytes));
  EXPECT_TRUE(bytes.empty());
}

// Operators on the value kinds (expression -> string representation).
const TextRow kOperatorRows[] = {
    {"1.5 + 1", "2.50"},
    {"3/2", "1"},
    {"-7/2", "-3"},
    {"7.0/0", "0.00"},
    {"50%*10", "5.00"},
    {"50% * 10", "0"},  // "50% " is not a percent
    {"2147483647+1", "-2147483648"},
    {"65536*65536", "0"},
    {"(-2147483647-1)/(0-1)", "-2147483648"},  // the overflowing quotient does not trap
    {"1<<32", "1"},
    {"1<<31", "-2147483648"},
    {"-1>>4", "-1"},
    {"1.5<<2", "1.50"},
    {"1.5>1", "true"},
    {"2=2.0", "true"},
    {"\"AB\"=\"AB\"", "true"},
    {"\"AB\"=\"AC\"", "false"},
    {"\"AB\"=\"ABC\"", "false"},
    {"h05=5", "true"},
    {"\"12\"+1", "13"},
    {"sprintf(\"%d\", 12)+1", "13"},
    {"left(h05 h06, 1)+1", "6"},
    {"\"A\"&1.5*1", "\"A1.50\""},
    {"\"AB\"&13", "\"AB\\r\"h00h00h00"},
    {"\"A\"&(1<2)", "\"Atrue\""},
    {"00:00:01.00 + 1", "00:00:01.01"},
    {"00:00:00.00 - 1", "23:59:59.29"},
    {"00:00:01.00 + 00:00:01.00", "00:00:02.00"},
    {"00:00:01.00 < 31", "true"},
};

TEST(ExprValue, OperatorRows) {
  for (const TextRow& row : kOperatorRows) {
    SCOPED_TRACE(row.text);
    const Evaluation result = Evaluate(row.text);
    EXPECT_EQ(result.status, KOR_OK);
    EXPECT_EQ(result.text, row.expected);
  }
}

}  // namespace
