#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/korstring.h"
#include "foundation/kortime.h"
#include "foundation/xml/showxml.h"
#include "model/showparam.h"
#include "model/showvariable.h"
#include "modeltesting.h"

using namespace model_test;

TEST(ShowDocument, LoadSnapshotsEveryValueAndLinksEveryNode) {
  ShowDocument_c document;
  LoadText(document, "<?xml?><a x=\"1\">text<b/><!-- c --></a>");
  std::vector<KorXML_c*> pending{document.GetXMLDocument()};
  int nodes = 0;
  while (!pending.empty()) {
    KorXML_c* node = pending.back();
    pending.pop_back();
    auto* show = dynamic_cast<ShowXML_c*>(node);
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->GetHistory(), &document);
    ASSERT_EQ(show->GetValue()->SnapshotCount(), 1u) << node->GetName();
    // The snapshot is of the value as loaded.
    EXPECT_EQ(static_cast<KorValue_c*>(show->GetValue()->Snapshots()->First())->ToStdString(),
              node->GetText());
    ++nodes;
    if (node->PeekChildren())
      for (KorObject_c* child : *node->PeekChildren())
        pending.push_back(static_cast<KorXML_c*>(child));
  }
  EXPECT_GE(nodes, 7);
}

// Save sizes an owned buffer exactly, writes hidden nodes too (and puts the
// switch back) and clears the modified flag; attached bytes take what fits.
TEST(ShowDocument, SaveSizesTheBufferAndWritesHiddenNodes) {
  ShowDocument_c document;
  LoadText(document, "<?xml?><a x=\"1\"><b>text</b></a>");
  At(document, "a/b")->SetFlag(KOR_XML_FLAG_HIDDEN, true);
  EXPECT_EQ(At(document, "a")->ToXML(), "<a x=\"1\" />");
  document.SetModified(KOR_TRUE);
  KorBuffer_c buffer;
  buffer.Assign(std::string(500, '#'));
  int32_t written = document.SaveXML(&buffer);
  EXPECT_EQ(buffer.View(), "<?xml?><a x=\"1\" ><b>text</b></a>");
  EXPECT_EQ(buffer.GetCapacity(), written);
  EXPECT_FALSE(KorXML_c::GetWriteHidden());
  EXPECT_EQ(document.IsModified(), KOR_FALSE);
  EXPECT_EQ(document.SaveXML(nullptr), KOR_FAIL);
  uint8_t bytes[10] = {};
  KorBuffer_c attached;
  ASSERT_EQ(attached.Attach(bytes, sizeof bytes), KOR_OK);
  EXPECT_LE(document.SaveXML(&attached), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 7), "<?xml?>");
}

TEST(ShowDocument, ModifiedFlagHistoryAndSerials) {
  ShowDocument_c document;
  EXPECT_EQ(document.PeekSerial(), 1u);
  EXPECT_EQ(document.GetHistoryLimit(), 1000);
  LoadText(document, "<?xml?><root><item name=\"a\"/></root>");
  ShowResource_c resource;
  resource.SetDocument(&document);
  ASSERT_EQ(resource.Bind(At(document, "root/item")), KOR_OK);
  EXPECT_EQ(resource.GetSerial(), 1u);
  EXPECT_EQ(document.IsModified(), KOR_FALSE);

  document.SetHistoryLimit(2);
  for (const char* name : {"b", "c", "d"}) resource.SetName(name);
  EXPECT_EQ(document.IsModified(), KOR_TRUE);
  EXPECT_EQ(document.HistoryCount(), 2);

  // Loading empties the history and clears the flag, but serials go on.
  LoadText(document, "<?xml?><root><item/></root>");
  EXPECT_EQ(document.HistoryCount(), 0);
  EXPECT_EQ(document.IsModified(), KOR_FALSE);
  ASSERT_EQ(resource.Bind(At(document, "root/item")), KOR_OK);
  EXPECT_EQ(resource.GetSerial(), 2u);
  document.Reset();
  EXPECT_EQ(document.PeekSerial(), 3u);
  for (const char* name : {"version", "encoding"})  // the declaration Reset gives is internal
    EXPECT_TRUE(document.GetXMLDocument()->FindAttribute(name)->HasFlag(KOR_XML_FLAG_INTERNAL));
}

TEST(ShowDocument, CopyIntoCopiesTheTreeDeeply) {
  ShowDocument_c source;
  LoadText(source, "<?xml?><root><item name=\"a\"/></root>");
  source.RootName()->Set("root");
  source.SetHistoryLimit(7);
  source.Timestamp()->SetUnixTime(1000);

  ShowDocument_c target;
  LoadText(target, "<?xml?><old/>");
  ShowResource_c onOld;
  ASSERT_EQ(onOld.Bind(At(target, "old")), KOR_OK);
  ASSERT_EQ(source.CopyInto(&target), KOR_OK);
  EXPECT_FALSE(onOld.IsBound());
  EXPECT_EQ(SaveText(target), SaveText(source));
  EXPECT_EQ(target.GetHistoryLimit(), 7);
  EXPECT_EQ(target.Timestamp()->GetUnixTime(), 1000);

  ShowResource_c item;
  ASSERT_EQ(item.Bind(At(target, "root/item")), KOR_OK);
  item.SetName("changed");
  EXPECT_EQ(At(source, "root/item")->GetAttribute("name"), "a");
  // Nodes of the copy report to the copy.
  EXPECT_EQ(dynamic_cast<ShowXML_c*>(item.GetElement())->GetHistory(), &target);

  std::unique_ptr<ShowDocument_c> clone = source.CloneAs<ShowDocument_c>();
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(SaveText(*clone), SaveText(source));
}
