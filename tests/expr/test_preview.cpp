#include <gtest/gtest.h>

#include "expr/preview.h"

namespace {

struct PreviewRow {
  std::string_view text;
  std::string_view message;
  std::string_view stringRep;
  std::string_view hex;
};

const PreviewRow kRows[] = {
    {"\"AB\" & h0D", "AB\\r", "\"AB\\r\"", " 41 42 0D"},
    {"\"A\" & h0D h01", "A\\r\\x01", "\"A\\r\"\\x01", " 41 0D 01"},
    {"\"AB\" & 13", "AB\\r\\x00\\x00\\x00", "\"AB\\r\"\\x00\\x00\\x00", " 41 42 0D 00 00 00"},
    {"sprintf(\"PLAY %d\\r\", 12)", "PLAY 12\\r", "\"PLAY 12\\r\"", " 50 4C 41 59 20 31 32 0D"},
    {"sprintf(\"50\\%\\r\", )", "50%\\r", "\"50\\%\\r\"", " 35 30 25 0D"},
    {"h5C", "\\", "\\x5C", " 5C"},                        // a literal keeps its own text
    {"\"\\\\\" & h01", "\\\\x01", "\"\\\\\"\\x01", " 5C 01"},  // backslash shown as it is
    {"\"\\t\" & h7F hFF h00 h1B", "\\t\\x7F\\xFF\\x00\\x1B", "\"\\t\"\\x7F\\xFF\\x00\\x1B", " 09 7F FF 00 1B"},
    {"h41 h0D", "A\\r", "\\x41 \\x0D", " 41 0D"},
    {"hello", "hello", "\\xello", " 68 65 6C 6C 6F"},       // plain text, h outside quotes
    // An escaped quote does not end the quoted run, so its h stays.
    {"\"\\\"h\" & h01", "\"h\\x01", "\"\\\"h\"\\x01", " 22 68 01"},
    {"13", "\\r\\x00\\x00\\x00", "13", " 0D 00 00 00"},
    {"1.5*2", "3.00", "3.00", " 33 2E 30 30"},
    {"1<2", "true", "true", " 74 72 75 65"},
    {" ", "", "", ""},
    {"sprintf(\"\")", "", "", ""},
};

TEST(Preview, ThreeOutputs) {
  for (const PreviewRow& row : kRows) {
    SCOPED_TRACE(row.text);
    std::string message = "stale";
    std::string stringRep = "stale";
    std::string hex = "stale";
    EXPECT_EQ(PreviewExpression(row.text, &message, &stringRep, &hex), KOR_OK);
    EXPECT_EQ(message, row.message);
    EXPECT_EQ(stringRep, row.stringRep);
    EXPECT_EQ(hex, row.hex);
  }
}

TEST(Preview, SyntaxErrorClearsTheOtherOutputs) {
  for (const std::string_view text : {"foo(1)", "((1))", "left(\"AB\", 1", "md5()", ""}) {
    SCOPED_TRACE(text);
    std::string message, stringRep = "stale", hex = "stale", bytes = "stale";
    EXPECT_EQ(PreviewExpression(text, &message, &stringRep, &hex, &bytes), KOR_FAIL);
    EXPECT_EQ(message, "[syntax error]");
    EXPECT_TRUE(stringRep.empty());
    EXPECT_TRUE(hex.empty());
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(Preview, RawBytesAndOptionalOutputs) {
  std::string bytes;
  EXPECT_EQ(PreviewExpression("\"A\" & h00 hFF", nullptr, nullptr, nullptr, &bytes), KOR_OK);
  EXPECT_EQ(bytes, std::string("A\0\xFF", 3));
  EXPECT_EQ(PreviewExpression("foo(1)", nullptr, nullptr, nullptr), KOR_FAIL);
}

TEST(Preview, DisplayEscapingIsIdempotent) {
  // Editors escape the message again for display; escaped text must survive that unchanged.
  const std::string once = EscapeForDisplay(std::string("a\\b\r\n\t\x01\x80", 8));
  EXPECT_EQ(once, "a\\b\\r\\n\\t\\x01\\x80");
  EXPECT_EQ(EscapeForDisplay(once), once);
}

}  // namespace
