#include "foundation/xml/showxml.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class RecordingHistory_c : public ShowXMLHistory_c {
 public:
  void ForgetNode(const ShowXML_c* node) override { forgotten.insert(node); }
  std::set<const ShowXML_c*> forgotten;
};

class Bound_c : public KorObject_c {
 public:
  explicit Bound_c(int* live) : m_live(live) { ++*m_live; }
  ~Bound_c() override { --*m_live; }

 private:
  int* m_live;
};

TEST(ShowXML, ParsedTreeIsMadeOfShowNodesWithHistoryValues) {
  RecordingHistory_c history;
  ShowXML_c doc;
  doc.SetHistory(&history);
  KorBuffer_c buffer;
  buffer.Assign("<a b=\"1\"><c/></a>");
  ASSERT_GE(doc.Parse(&buffer), 0);
  KorXML_c* a = doc.FindChildElement("a");
  auto* show = dynamic_cast<ShowXML_c*>(a);
  ASSERT_NE(show, nullptr);
  EXPECT_EQ(show->GetHistory(), &history);  // carried by CreateNew
  KorHistoryValue_c* value = show->GetValue();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->ToStdString(), "a");
  EXPECT_EQ(value->TakeSnapshot(), KOR_OK);
  EXPECT_EQ(value->SnapshotCount(), 1u);
  auto* attribute = dynamic_cast<ShowXML_c*>(a->FindAttribute("b"));
  ASSERT_NE(attribute, nullptr);
  EXPECT_NE(dynamic_cast<KorHistoryValue_c*>(attribute->AttributeTextNode()->GetValue()), nullptr);
}

TEST(ShowXML, DestructionTellsTheHistory) {
  RecordingHistory_c history;
  const ShowXML_c* a = nullptr;
  const ShowXML_c* c = nullptr;
  {
    ShowXML_c doc;
    doc.SetHistory(&history);
    KorBuffer_c buffer;
    buffer.Assign("<a><c/></a>");
    doc.Parse(&buffer);
    a = dynamic_cast<const ShowXML_c*>(doc.FindChildElement("a"));
    ASSERT_NE(a, nullptr);
    c = dynamic_cast<const ShowXML_c*>(a->FindChildElement("c"));
    EXPECT_TRUE(history.forgotten.empty());
  }
  EXPECT_EQ(history.forgotten.size(), 3u);
  // Only the addresses are compared; the nodes are gone.
  EXPECT_TRUE(history.forgotten.count(a));
  EXPECT_TRUE(history.forgotten.count(c));
}

TEST(ShowXML, BoundObjectsFollowTheOwnershipSwitch) {
  int live = 0;
  Bound_c kept(&live);
  {
    ShowXML_c node(KOR_XML_ELEMENT);
    EXPECT_EQ(node.GetOwnsBoundObjects(), KOR_FALSE);
    EXPECT_EQ(node.SetBoundObject(0, &kept), KOR_OK);
    EXPECT_EQ(node.GetBoundObject(0), &kept);
    EXPECT_EQ(node.GetBoundObject(1), nullptr);
    EXPECT_EQ(node.GetBoundObject(2), nullptr);
    EXPECT_EQ(node.SetBoundObject(2, &kept), KOR_FAIL);
  }
  EXPECT_EQ(live, 1);
  {
    ShowXML_c node(KOR_XML_ELEMENT);
    node.SetOwnsBoundObjects(KOR_TRUE);
    // The node owns what it is given from here on.
    node.SetBoundObject(0, std::make_unique<Bound_c>(&live).release());
    node.SetBoundObject(1, std::make_unique<Bound_c>(&live).release());
    EXPECT_EQ(live, 3);
    node.SetBoundObject(0, std::make_unique<Bound_c>(&live).release());  // replaced one deleted
    EXPECT_EQ(live, 3);
    node.SetBoundObject(1, nullptr);
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 1);
}

TEST(ShowXML, CopyMakesShowNodesWithoutBoundObjects) {
  int live = 0;
  Bound_c bound(&live);
  ShowXML_c source(KOR_XML_ELEMENT);
  source.SetName("a");
  source.SetAttribute("k", "v");
  source.SetBoundObject(0, &bound);
  auto copy = source.CloneAs<ShowXML_c>();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->ToXML(), "<a k=\"v\" />");
  EXPECT_EQ(copy->GetBoundObject(0), nullptr);
  EXPECT_NE(dynamic_cast<ShowXML_c*>(copy->FindAttribute("k")), nullptr);
}

}  // namespace
