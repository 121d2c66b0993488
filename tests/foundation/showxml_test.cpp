#include "foundation/xml/showxml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RecordingHistory_c : public ShowXMLHistory_c {
 public:
  void ForgetNode(const ShowXML_c*) override {}
  bool SnapshotNewNodes() const override { return loading; }
  bool loading = false;
};

class Bound_c : public KorObject_c {
 public:
  explicit Bound_c(int* live) : m_live(live) { ++*m_live; }
  ~Bound_c() override { --*m_live; }

 private:
  int* m_live;
};

TEST(ShowXML, ValueObjectMadeOnFirstUseHoldsTheText) {
  struct Row {
    const char* text;
    uint8_t type;
    bool empty;
  };
  const Row rows[] = {
      {"12", KOR_TYPE_UNSIGNED, false}, {"-3.5", KOR_TYPE_DECIMAL, false},
      {"on", KOR_TYPE_STRING, false},   {"   ", KOR_TYPE_EMPTY, true},
      {"", KOR_TYPE_EMPTY, true},       {" x ", KOR_TYPE_STRING, false},
  };
  for (const Row& row : rows) {
    ShowXML_c node(KOR_XML_TEXT);
    node.SetText(row.text);
    EXPECT_FALSE(node.HasValueObject()) << row.text;
    EXPECT_EQ(node.IsValueEmpty(), row.empty) << row.text;
    const std::string before = node.GetText();
    KorHistoryValue_c* value = node.GetValue();
    EXPECT_EQ(value->GetType(), row.type) << row.text;
    EXPECT_EQ(node.GetText(), before) << row.text;
    EXPECT_EQ(node.IsValueEmpty(), row.empty) << row.text;
    // From now on the text goes through the value object.
    node.SetText("7");
    EXPECT_EQ(value->ToInteger(), 7) << row.text;
  }
}

// A snapshot asked for before the value object exists holds the text as it
// was then, even when the text is changed before anyone looks.
TEST(ShowXML, OwedSnapshotHoldsTheTextAsItWas) {
  RecordingHistory_c history;
  ShowXML_c doc;
  doc.SetHistory(&history);
  KorBuffer_c buffer;
  buffer.Assign("<a b=\"loaded\"/><c/>");
  history.loading = true;
  ASSERT_GE(doc.Parse(&buffer), 0);
  history.loading = false;
  // Made after loading: owes nothing.
  KorXML_c* later = doc.FindChildElement("c")->AppendNew(KOR_XML_TEXT, "new");
  EXPECT_EQ(static_cast<ShowXML_c*>(later)->GetValue()->SnapshotCount(), 0u);
  KorXML_c* text = doc.FindChildElement("a")->FindAttribute("b")->AttributeTextNode();
  ASSERT_FALSE(text->HasValueObject());

  text->SetText("edited");
  auto* value = static_cast<ShowXML_c*>(text)->GetValue();
  EXPECT_EQ(value->ToStdString(), "edited");
  ASSERT_EQ(value->SnapshotCount(), 1u);
  EXPECT_EQ(static_cast<KorValue_c*>(value->Snapshots()->First())->ToStdString(), "loaded");
}

// A copy is made of history nodes carrying the texts and typed values, and
// none of the source's bound objects.
TEST(ShowXML, CopyCarriesTextAndValuesButNoBoundObjects) {
  int live = 0;
  Bound_c bound(&live);
  ShowXML_c source(KOR_XML_ELEMENT);
  source.SetName("item");
  source.SetAttribute("k", "v");
  source.SetBoundObject(0, &bound);
  source.AppendNew(KOR_XML_TEXT, "plain");
  source.AppendNew(KOR_XML_TEXT)->GetValue()->SetDecimal(2.5);
  ShowXML_c copy;
  ASSERT_EQ(source.CopyInto(&copy), KOR_OK);
  EXPECT_EQ(copy.ToXML(), source.ToXML());
  EXPECT_EQ(copy.GetBoundObject(0), nullptr);
  EXPECT_NE(dynamic_cast<ShowXML_c*>(copy.FindAttribute("k")), nullptr);
  EXPECT_EQ(copy.ChildAt(1)->GetText(), "plain");
  EXPECT_EQ(copy.ChildAt(2)->GetValue()->GetType(), KOR_TYPE_DECIMAL);
  EXPECT_EQ(copy.ChildAt(2)->GetValue()->ToDecimal(), 2.5);
}

}  // namespace
