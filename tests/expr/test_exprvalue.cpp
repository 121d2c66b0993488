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

// Byte notation -> its bytes in hex, or "refused".
const TextRow kByteNotationRows[] = {
    {"", ""},
    {"\\x41", "41"},
    {"\\x411", "41 01"},
    {"\\x4", "refused"},  // \x needs two hex digits outside quotes
    {"\\x", "refused"},
    {"\\xG1", "refused"},
    {"\"\\x41\"", "41"},
    {"\"\\x414\"", "41 34"},
    {"\"\\x4\"", "34"},     // inside quotes a short \x gives nothing, the digit stays
    {"\"\\x4G\"", "34 47"},
    {"\"\\x\"", ""},
    {"0", "00"},
    {"00", "00"},           // up to three digits make one byte while the value fits
    {"0001", "00 01"},
    {"255", "FF"},
    {"256", "19 06"},
    {"2555", "FF 05"},
    {"999", "63 09"},
    {"0x0a 0XFF", "0A FF"},
    {"$ff", "FF"},
    {"h4", "refused"},
    {"hG0", "refused"},
    {"$", "refused"},
    {"0x", "refused"},
    {"\\y41", "refused"},
    {"1;2", "refused"},
    {"A", "refused"},
    // Quotes at the ends: an escaped quote neither opens nor closes a run.
    {"\"\"", ""},
    {"\"A\"\"B\"", "41 42"},
    {"\"A\\\"\"", "41 22"},
    {"\"\\\\\"", "5C"},
    {"\"A\\\"", "refused"},
    {"\"\\\"", "refused"},
    {"\"\\", "refused"},
    {"\"", "refused"},
    {"h41\"", "refused"},
};

TEST(ExprValue, ByteNotation) {
  for (const TextRow& row : kByteNotationRows) {
    std::string bytes = "stale";
    const bool ok = ParseByteNotation(row.text, &bytes);
    EXPECT_EQ(ok ? HexOf(bytes) : "refused", row.expected) << row.text;
  }
  // Hex digits are read only up to the end of the text, never past it.
  std::string bytes;
  EXPECT_FALSE(ParseByteNotation(std::string_view("h41", 2), &bytes));
  EXPECT_FALSE(ParseByteNotation(std::string_view("\\x41", 3), &bytes));
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
    // Comparisons: equal operands, both directions, integer and decimal paths.
    {"2<2", "false"},
    {"2<=2", "true"},
    {"2>2", "false"},
    {"2>=2", "true"},
    {"1<2", "true"},
    {"2<1", "false"},
    {"1>2", "false"},
    {"1>=2", "false"},
    {"2<=1", "false"},
    {"0-1<0", "true"},
    {"4294967295<0", "true"},  // wraps to -1
    {"1.5<1.5", "false"},
    {"1.5<=1.5", "true"},
    {"1.5>1.5", "false"},
    {"1.5>=1.50", "true"},
    {"1.49>1.5", "false"},
    {"2<2.5", "true"},         // one decimal side compares as decimals
    {"2.5>=2.6", "false"},
    {"50%=0.5", "true"},
    {"50%<0.5", "false"},
    {"00:00:01.00>=30", "true"},
    {"00:00:01.00>30", "false"},
    {"\"ab\"=\"AB\"", "false"},  // byte strings compare byte for byte
    {"h41=\"A\"", "true"},
    {"\"A\"=65", "false"},     // one side not bytes: compared as numbers
    {"\"12\"<\"9\"", "false"},
    {"3>2>1", "false"},        // (3>2)>1
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
