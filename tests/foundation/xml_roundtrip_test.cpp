#include <gtest/gtest.h>

#include <string>

#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"

namespace {

struct Parsed {
  int32_t end;
  std::string written;
  KorXML_c document;
};

void ParseInto(Parsed& p, const std::string& text) {
  KorBuffer_c buffer;
  buffer.Attach(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
  p.end = p.document.Parse(&buffer);
  p.written = p.document.ToXML();
}

// What the writer produces must read back as the same tree: the second write
// equals the first.
struct RoundTripCase {
  const char* name;
  const char* input;
  const char* written;
};

class XmlRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(XmlRoundTrip, SecondWriteEqualsFirst) {
  const RoundTripCase& c = GetParam();
  Parsed first, second;
  ParseInto(first, c.input);
  EXPECT_EQ(first.written, c.written);
  ParseInto(second, first.written);
  EXPECT_NE(second.end, KOR_FAIL);
  EXPECT_EQ(second.written, first.written);
}

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlRoundTrip,
    ::testing::Values(
        RoundTripCase{"entity_in_element_name", "<a><b&amp;c>t</b&amp;c>tail</a>",
                      "<a><b&amp;c>t</b&amp;c>tail</a>"},
        RoundTripCase{"unclosed_name_needing_escape", "<a>1<b<><d", "<a><b&lt;><d/></b&lt;>1</a>"},
        RoundTripCase{"value_ending_in_backslash", "<r a=x\\ b=\"2\">t</r>",
                      "<r a=\"x\\\" b=\"2\" >t</r>"},
        RoundTripCase{"last_value_ending_in_backslash", "<r a=x\\>t</r>", "<r a=\"x\\\" >t</r>"},
        RoundTripCase{"unquoted_value_runs_to_the_tag_end", "<r a=x\\/>", "<r a=\"x\\/\" />"},
        RoundTripCase{"regexp_ending_in_backslashes", "<m regexp_format=C:\\\\ incoming=\"true\"/>",
                      "<m regexp_format=\"C:\\\\\" incoming=\"true\" />"}),
    [](const auto& info) { return std::string(info.param.name); });

// A quote after a backslash still stays in the value wherever the tag cannot
// end there.
TEST(XmlEscapedQuote, StaysInValueUnlessTheTagEnds) {
  struct Row {
    const char* input;
    const char* a;
  } rows[] = {
      {"<r a=\"say \\\"hi\\\"!\" b=\"1\"/>", "say \\\"hi\\\"!"},
      {"<r a=\"x\\\" y\" b=\"1\"/>", "x\\\" y"},
      {"<r a=\"x\\\"/y\"/>", "x\\\"/y"},
      {"<r a=\"x\\\" />", "x\\"},
      {"<r a=\"x\\\" b =\"1\"/>", "x\\"},
  };
  for (const Row& row : rows) {
    Parsed p;
    ParseInto(p, row.input);
    KorXML_c* r = p.document.FindChildElement("r");
    ASSERT_NE(r, nullptr) << row.input;
    EXPECT_EQ(r->GetAttribute("a"), row.a) << row.input;
  }
}

TEST(XmlEscapedQuote, ClosesBeforeALongAttributeName) {
  const std::string name(300, 'n');
  Parsed first, second;
  ParseInto(first, "<r a=x\\ " + name + "=\"1\"/>");
  EXPECT_EQ(first.written, "<r a=\"x\\\" " + name + "=\"1\" />");
  ParseInto(second, first.written);
  EXPECT_EQ(second.written, first.written);
}

TEST(XmlClosingTag, DecodedNameMustMatch) {
  Parsed mismatch;
  ParseInto(mismatch, "<a><b&amp;c>t</b&amp;d></a>");
  EXPECT_EQ(mismatch.end, KOR_FAIL);
  Parsed caseless;
  ParseInto(caseless, "<a><B&amp;C>t</b&amp;c >x</a>");
  EXPECT_NE(caseless.end, KOR_FAIL);
  EXPECT_EQ(caseless.written, "<a><B&amp;C>t</B&amp;C>x</a>");
}

TEST(XmlEscapedQuote, LongRunsOfEscapedQuotesStayLinear) {
  std::string input = "<r a=\"";
  for (int i = 0; i < 200000; ++i) input += "\\\" \\\"x";
  input += "\"/>";
  Parsed p;
  ParseInto(p, input);
  EXPECT_NE(p.end, KOR_FAIL);
}

}  // namespace
