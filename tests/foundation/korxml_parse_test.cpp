#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "../tablerows.h"
#include "foundation/xml/korxml.h"

namespace {

// Parses text as a document from an exact-size copy (no terminating zero,
// so any read past the end shows up under AddressSanitizer).
struct Parsed {
  KorXML_c doc;
  int32_t result = 0;
  int32_t cursor = 0;
};

std::unique_ptr<Parsed> ParseDoc(const std::string& text, std::string_view rawChildrenOf = {}) {
  auto parsed = std::make_unique<Parsed>();
  std::vector<uint8_t> bytes(text.begin(), text.end());
  KorBuffer_c buffer;
  buffer.Attach(bytes.empty() ? nullptr : bytes.data(), static_cast<int32_t>(bytes.size()));
  parsed->result = parsed->doc.Parse(&buffer, rawChildrenOf);
  parsed->cursor = buffer.GetPosition();
  return parsed;
}

std::string RoundTrip(const std::string& text, int32_t* result = nullptr) {
  auto parsed = ParseDoc(text);
  if (result) *result = parsed->result;
  return parsed->doc.ToXML();
}

TEST(KorXMLParse, TrimmingKeepsNonAsciiTextEnds) {
  // é, a no-break space and a 0x7F byte at the ends are text, not padding.
  const std::string text = "\xC3\xA9 x \xC2\xA0";
  auto p = ParseDoc("<a> \t\r\n" + text + "\r\n\t </a>");
  ASSERT_GE(p->result, 0);
  EXPECT_EQ(p->doc.FindChildElement("a")->TextChild()->GetText(), text);
  EXPECT_EQ(p->doc.ToXML(), "<a>" + text + "</a>");
  auto del = ParseDoc("<a>\x7F</a>");
  EXPECT_EQ(del->doc.ToXML(), "<a>\x7F</a>");
}

TEST(KorXMLParse, Cases) {
  for (const auto& row : ReadRows("xmlparse.tsv", 3)) {
    int32_t result = 0;
    EXPECT_EQ(RoundTrip(row[0], &result), row[1]) << row[0];
    EXPECT_EQ(result >= 0 ? "ok" : "fail", row[2]) << row[0];
    // What the writer produces reads back as the same tree.
    int32_t again = 0;
    EXPECT_EQ(RoundTrip(row[1], &again), row[1]) << row[0];
    EXPECT_GE(again, 0) << row[0];
  }
}

TEST(KorXMLParse, ReturnsPositionAfterConsumedBytes) {
  auto p = ParseDoc("<a/>  ");
  EXPECT_EQ(p->result, 4);
  EXPECT_EQ(p->cursor, 4);
  auto whole = ParseDoc("<a></a>");
  EXPECT_EQ(whole->result, 7);
  auto empty = ParseDoc("");
  EXPECT_EQ(empty->result, 0);
  EXPECT_EQ(empty->doc.ChildCount(), 0u);
}

TEST(KorXMLParse, StartsAtTheBufferCursor) {
  KorBuffer_c buffer;
  buffer.Assign("<x/><y/>");
  buffer.Seek(4);
  KorXML_c doc;
  EXPECT_EQ(doc.Parse(&buffer), 8);
  EXPECT_EQ(doc.ToXML(), "<y/>");
  EXPECT_EQ(doc.Parse(nullptr), KOR_FAIL);
}

TEST(KorXMLParse, ErrorKeepsWhatWasBuilt) {
  auto p = ParseDoc("<a><b x=\"1\"/><c>t</d></a>");
  EXPECT_EQ(p->result, KOR_FAIL);
  EXPECT_EQ(p->doc.ToXML(), "<a><b x=\"1\" /><c>t</c></a>");
  EXPECT_EQ(p->cursor, 19);  // left at the mismatching byte
}

TEST(KorXMLParse, TruncatedConstructs) {
  struct Row {
    const char* input;
    bool ok;
  } rows[] = {
      {"<", false},          {"<a", false},           {"<a ", false},       {"<a b", false},
      {"<a b ", false},      {"<a b=", false},        {"<a b=\"", false},   {"<a b=\"1", false},
      {"<a b=\"1\"", false}, {"<a b=\"1\"/", false},  {"<a b=1", false},    {"<a/", false},
      {"<a>", true},         {"<a>t", true},          {"<a><", false},      {"<a></", false},
      {"<a></a", false},     {"<a></a ", false},      {"<?", false},        {"<?xml", false},
      {"<?xml ", false},     {"<?xml ?", false},      {"<?xml ?>", true},   {"<!", false},
      {"<!--", false},       {"<!-- x", false},       {"<!-- x --", false}, {"<!-- x -->", true},
      {"< ", false},         {"<a b=\"1\\\"", false},
  };
  for (const Row& r : rows) {
    auto p = ParseDoc(r.input);
    if (r.ok) {
      EXPECT_GE(p->result, 0) << r.input;
    } else {
      EXPECT_EQ(p->result, KOR_FAIL) << r.input;
    }
  }
}

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<e>";
  for (int i = 0; i < depth; ++i) text += "</e>";
  return text;
}

TEST(KorXMLParse, NestingDepthIsBounded) {
  auto atLimit = ParseDoc(Nested(KOR_XML_MAX_DEPTH));
  EXPECT_EQ(atLimit->result, static_cast<int32_t>(Nested(KOR_XML_MAX_DEPTH).size()));
  EXPECT_EQ(ParseDoc(Nested(KOR_XML_MAX_DEPTH + 1))->result, KOR_FAIL);
  // Far deeper input fails the same way instead of exhausting the stack.
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<e>";
  auto p = ParseDoc(deep);
  EXPECT_EQ(p->result, KOR_FAIL);
}

TEST(KorXMLParse, ManyDuplicateAttributesStayLinear) {
  std::string text = "<a";
  for (int i = 0; i < 20000; ++i) text += " x=\"" + std::to_string(i) + "\"";
  text += " y=\"1\"/>";
  auto p = ParseDoc(text);
  ASSERT_GE(p->result, 0);
  EXPECT_EQ(p->doc.ToXML(), "<a x=\"19999\" y=\"1\" />");
}

TEST(KorXMLParse, ElementNodeParsesItsOwnTag) {
  KorBuffer_c buffer;
  buffer.Assign("  <item id=\"3\">x</item>rest");
  KorXML_c element(KOR_XML_ELEMENT);
  EXPECT_EQ(element.Parse(&buffer), 23);
  EXPECT_EQ(element.ToXML(), "<item id=\"3\" >x</item>");
  KorXML_c text(KOR_XML_TEXT);
  buffer.Seek(0);
  EXPECT_EQ(text.Parse(&buffer), KOR_FAIL);
}

// Names, values and text of every length around the scanner's sixteen-byte
// steps, with an entity at each place, read from exact-size bytes that also
// end inside the value.
TEST(KorXMLParse, ScansEveryLengthAndEntityPlace) {
  for (size_t length = 0; length <= 40; ++length) {
    for (size_t at = 0; at <= length; ++at) {
      std::string raw(length, 'v');
      std::string decoded = raw;
      if (at < length) {
        raw.replace(at, 1, "&lt;");
        decoded[at] = '<';
      }
      const std::string name = "n" + raw;
      std::string closing = name;  // in other case, entity kept
      std::replace(closing.begin(), closing.end(), 'v', 'V');
      const std::string input =
          "<" + name + " " + name + "=\"" + raw + "\">" + raw + "</" + closing + ">";
      auto p = ParseDoc(input);
      ASSERT_EQ(p->result, static_cast<int32_t>(input.size())) << input;
      KorXML_c* e = p->doc.FindChildElement("n" + decoded);
      ASSERT_NE(e, nullptr) << input;
      EXPECT_EQ(e->GetAttribute("n" + decoded), decoded) << input;
      EXPECT_EQ(length == 0 ? "" : e->TextChild()->GetText(), decoded) << input;

      for (const std::string& cut : {"<e a=\"" + raw, "<e a=" + raw}) {
        auto q = ParseDoc(cut);
        EXPECT_EQ(q->result, KOR_FAIL) << cut;
        EXPECT_EQ(q->cursor, static_cast<int32_t>(cut.size())) << cut;
        EXPECT_EQ(q->doc.FindChildElement("e")->GetAttribute("a"), decoded) << cut;
      }
    }
  }
}

// Kept children are written as read, the rest as the writer writes it.
TEST(KorXMLParse, ChildrenKeptAsText) {
  const std::pair<std::string, std::string> rows[] = {
      {"<p><Commands><c a=\"1\"><m>x &amp; y</m></c>< c\t/>t<!-- n --></Commands><o><c />"
       "</o><COMMANDS><x></x ></COMMANDS></p>",
       "<p><Commands><c a=\"1\"><m>x &amp; y</m></c>< c\t/><!-- n -->t</Commands><o><c/></o>"
       "<COMMANDS><x></x ></COMMANDS></p>"},
      // A malformed child stays a tree; an error stays where it was.
      {"<p><commands><c /><c a=\"1\"><m></c></commands></p>",
       "<p><commands><c /><c a=\"1\" ><m/></c></commands></p>"},
      {"<commands>\r\n<c>\r\n</c>\r\n<a ><commands><b /></commands></a></command>",
       "<commands><c>\r\n</c><a ><commands><b /></commands></a></commands>"},
      {"<p a=\"1\" ><commands><c n=\"&lt;\" ><d>1</d></c><c/></commands></p>", ""},
  };
  for (const auto& [input, written] : rows) {
    auto plain = ParseDoc(input);
    auto kept = ParseDoc(input, "commands");
    EXPECT_EQ(kept->result, plain->result) << input;
    EXPECT_EQ(kept->cursor, plain->cursor) << input;
    EXPECT_EQ(kept->doc.ToXML(), written.empty() ? input : written) << input;
  }
}

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
    auto p = ParseDoc(row.input);
    KorXML_c* r = p->doc.FindChildElement("r");
    ASSERT_NE(r, nullptr) << row.input;
    EXPECT_EQ(r->GetAttribute("a"), row.a) << row.input;
  }
}

TEST(XmlEscapedQuote, ClosesBeforeALongAttributeName) {
  const std::string name(300, 'n');
  const std::string written = "<r a=\"x\\\" " + name + "=\"1\" />";
  EXPECT_EQ(RoundTrip("<r a=x\\ " + name + "=\"1\"/>"), written);
  EXPECT_EQ(RoundTrip(written), written);
}

TEST(XmlEscapedQuote, LongRunsOfEscapedQuotesStayLinear) {
  std::string input = "<r a=\"";
  for (int i = 0; i < 200000; ++i) input += "\\\" \\\"x";
  input += "\"/>";
  EXPECT_GE(ParseDoc(input)->result, 0);
}

}  // namespace
