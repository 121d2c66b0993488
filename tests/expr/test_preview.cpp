#include <gtest/gtest.h>

#include "expr/preview.h"
#include "exprtesting.h"

namespace {

TEST(Preview, ThreeOutputs) {
  for (const auto& row : ReadRows("preview.tsv", 4)) {
    SCOPED_TRACE(row[0]);
    std::string message = "stale", stringRep = "stale", hex = "stale";
    EXPECT_EQ(PreviewExpression(row[0], &message, &stringRep, &hex), KOR_OK);
    EXPECT_EQ(message, row[1]);
    EXPECT_EQ(stringRep, row[2]);
    EXPECT_EQ(hex, row[3]);
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
