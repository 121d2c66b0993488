#include <gtest/gtest.h>

#include <string>

#include "foundation/xml/korxml.h"

namespace {

// <?xml version="1.0" encoding="utf-8" ?><product make="A" ...>
std::unique_ptr<KorXML_c> SampleDocument() {
  auto doc = std::make_unique<KorXML_c>();
  doc->SetName("xml");
  doc->SetAttribute("version", "1.0")->SetFlag(KOR_XML_FLAG_INTERNAL, true);
  doc->SetAttribute("encoding", "utf-8")->SetFlag(KOR_XML_FLAG_INTERNAL, true);
  KorXML_c* product = doc->AppendNew(KOR_XML_ELEMENT, "product");
  product->SetAttribute("make", "A&B");
  KorXML_c* events = product->AppendNew(KOR_XML_ELEMENT, "events");
  events->AppendNew(KOR_XML_COMMENT, "c<1>");
  KorXML_c* event = events->AppendNew(KOR_XML_ELEMENT, "event");
  event->SetAttribute("name", "Play \"now\"");
  event->AppendNew(KOR_XML_TEXT, "it's");
  product->AppendNew(KOR_XML_ELEMENT, "empty");
  return doc;
}

TEST(KorXMLWrite, CompactExactBytes) {
  auto doc = SampleDocument();
  EXPECT_EQ(doc->ToXML(),
            "<?xml version=\"1.0\" encoding=\"utf-8\" ?>"
            "<product make=\"A&amp;B\" ><events><!-- c&lt;1&gt; -->"
            "<event name=\"Play &quot;now&quot;\" >it&apos;s</event></events><empty/></product>");
}

TEST(KorXMLWrite, PrettyExactBytes) {
  auto doc = SampleDocument();
  EXPECT_EQ(doc->ToXML(true),
            "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n"
            "<product make=\"A&amp;B\" >\r\n"
            "\t<events>\r\n"
            "\t\t<!-- c&lt;1&gt; -->\r\n"
            "\t\t<event name=\"Play &quot;now&quot;\" >it&apos;s</event>\r\n"
            "\t</events>\r\n"
            "\t<empty/>\r\n"
            "</product>\r\n");
}

// The writer's edges on one element built node by node.
TEST(KorXMLWrite, EdgeForms) {
  KorXML_c doc;
  doc.SetName("xml");
  EXPECT_EQ(doc.ToXML(), "<?xml?>");
  doc.SetAttribute("version", "1.0");
  EXPECT_EQ(doc.ToXML(), "<?xml version=\"1.0\" ?>");

  KorXML_c a(KOR_XML_ELEMENT);
  a.SetName("a");
  // Empty values are skipped: no name, only spaces, an unnamed attribute.
  a.AppendNew(KOR_XML_ELEMENT);
  a.AppendNew(KOR_XML_ELEMENT, "   ");
  a.AppendNew(KOR_XML_TEXT, "  ");
  a.AppendNew(KOR_XML_COMMENT, "");
  a.AppendNew(KOR_XML_ATTRIBUTE)->AppendNew(KOR_XML_TEXT, "v");
  a.SetAttribute("flag", "true")->SetName("");  // how a false boolean attribute is removed
  EXPECT_EQ(a.ToXML(), "<a/>");
  EXPECT_EQ(a.FindAttribute("flag"), nullptr);
  // Raw text is not escaped; groups come in a fixed order; a bare attribute is empty.
  a.AppendNew(KOR_XML_ATTRIBUTE, "bare");
  a.AppendNew(KOR_XML_TEXT, "t1");
  a.AppendNew(KOR_XML_ELEMENT, "e");
  a.AppendNew(KOR_XML_COMMENT, "c");
  a.AppendNew(KOR_XML_RAW, "<raw&>");
  a.AppendNew(KOR_XML_TEXT, "t2");
  EXPECT_EQ(a.ToXML(), "<a bare=\"\" ><raw&><!-- c --><e/>t1t2</a>");
  KorXML_c noName(KOR_XML_ELEMENT);
  noName.GetValue()->SetText("");  // set without detection: still empty
  EXPECT_TRUE(noName.IsValueEmpty());
  EXPECT_EQ(noName.ToXML(), "");
}

TEST(KorXMLWrite, HiddenNodesNeedTheSwitch) {
  KorXML_c a(KOR_XML_ELEMENT);
  a.SetName("a");
  a.SetAttribute("h", "1")->SetFlag(KOR_XML_FLAG_HIDDEN, true);
  a.AppendNew(KOR_XML_ELEMENT, "b")->SetFlag(KOR_XML_FLAG_HIDDEN, true);
  EXPECT_EQ(a.ToXML(), "<a/>");
  KorXML_c::SetWriteHidden(true);
  EXPECT_TRUE(KorXML_c::GetWriteHidden());
  EXPECT_EQ(a.ToXML(), "<a h=\"1\" ><b/></a>");
  EXPECT_EQ(a.Measure(), 18);
  KorXML_c::SetWriteHidden(false);
  EXPECT_EQ(a.ToXML(), "<a/>");
}

TEST(KorXMLWrite, OmitWhenEmpty) {
  KorXML_c a(KOR_XML_ELEMENT);
  a.SetName("a");
  KorXML_c* b = a.AppendNew(KOR_XML_ELEMENT, "b");
  b->SetFlag(KOR_XML_FLAG_OMIT_EMPTY, true);
  KorXML_c* c = b->AppendNew(KOR_XML_ELEMENT, "c");
  c->SetAttribute("x", "");
  EXPECT_EQ(a.ToXML(), "<a/>");
  c->SetAttribute("x", "1");  // text below, in an attribute value
  EXPECT_EQ(a.ToXML(), "<a><b><c x=\"1\" /></b></a>");
  c->SetAttribute("x", "");
  c->AppendNew(KOR_XML_TEXT, "t");
  EXPECT_EQ(a.ToXML(), "<a><b><c x=\"\" >t</c></b></a>");
}

TEST(KorXMLWrite, MeasureMatchesWrite) {
  auto doc = SampleDocument();
  for (bool pretty : {false, true}) {
    for (int32_t depth : {0, 3}) {
      KorStringWriter_c w;
      const int32_t written = doc->Write(&w, depth, pretty);
      EXPECT_EQ(written, static_cast<int32_t>(w.Text().size()));
      EXPECT_EQ(doc->Measure(depth, pretty), written) << pretty << depth;
    }
  }
  EXPECT_EQ(doc->Write(nullptr), KOR_FAIL);
}

TEST(KorXMLEntities, DecodeAndEncode) {
  EXPECT_EQ(KorXMLDecode("&amp;&lt;&gt;&apos;&quot;"), "&<>'\"");
  EXPECT_EQ(KorXMLDecode("&amp;amp; &Amp; &#38; &x & &lt"), "&amp; &Amp; &#38; &x & &lt");
  EXPECT_EQ(KorXMLEncode("a&b<c>d'e\"f\xC3\xA9"), "a&amp;b&lt;c&gt;d&apos;e&quot;f\xC3\xA9");
  EXPECT_EQ(KorXMLDecode(KorXMLEncode("&lt; \"x\" &")), "&lt; \"x\" &");
  // Into a string that held a longer text; entities cut by the end pass.
  std::string out = "previous longer text";
  for (const char* cut : {"&", "&a", "&am", "&amp", "&q", "&quot", "&apos"}) {
    KorXMLDecode(std::string("x&gt;") + cut, &out);
    EXPECT_EQ(out, std::string("x>") + cut);
  }
}

}  // namespace
