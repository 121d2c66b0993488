#include <gtest/gtest.h>

#include <cmath>

#include "expr/exprbytes.h"
#include "expr/exprvalue.h"
#include "exprtesting.h"

namespace {

const char* TypeName(ExprType type) {
  static const char* const kNames[] = {"Empty",   "Boolean",  "Integer", "Decimal", "Bytes",
                                       "Percent", "Timecode", "List",    "Text",    "DateTime"};
  return kNames[static_cast<size_t>(type)];
}

TEST(ExprValue, LiteralClassification) {
  for (const auto& row : ReadRows("literals.tsv", 4)) {
    SCOPED_TRACE(row[0]);
    ExprValue value;
    value.SetFromLiteral(row[0]);
    EXPECT_STREQ(TypeName(value.GetType()), row[1].c_str());
    EXPECT_EQ(value.ToInteger(), std::stoi(row[2]));
    EXPECT_EQ(HexOf(value.ToBytes()), row[3]);
    if (value.GetType() != ExprType::kEmpty) {
      EXPECT_EQ(value.ToText(), row[0]);
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
  value.SetBytes(
      std::string("\\\n\t\"'%\x00\x7F\xFF"
                  "a",
                  10));
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
      {1.5, "1.50"},    {0.125, "0.13"}, {-2.5, "-2.50"},
      {-0.001, "0.00"}, {2.675, "2.67"}, {1e20, "100000000000000000000.00"},
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

TEST(ExprValue, ByteNotation) {
  for (const auto& row : ReadRows("bytenotation.tsv", 2)) {
    std::string bytes = "stale";
    const bool ok = ParseByteNotation(row[0], &bytes);
    EXPECT_EQ(ok ? HexOf(bytes) : "refused", row[1]) << row[0];
  }
  // Hex digits are read only up to the end of the text, never past it.
  std::string bytes;
  EXPECT_FALSE(ParseByteNotation(std::string_view("h41", 2), &bytes));
  EXPECT_FALSE(ParseByteNotation(std::string_view("\\x41", 3), &bytes));
}

TEST(ExprValue, OperatorRows) {
  for (const auto& row : ReadRows("operators.tsv", 2)) {
    const Evaluation result = Evaluate(row[0]);
    EXPECT_EQ(result.status, KOR_OK) << row[0];
    EXPECT_EQ(result.text, row[1]) << row[0];
  }
}

}  // namespace
