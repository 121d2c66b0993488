#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/xml/korxml.h"

namespace {

std::unique_ptr<KorXML_c> Parse(const std::string& text) {
  auto doc = std::make_unique<KorXML_c>();
  KorBuffer_c buffer;
  buffer.Assign(text);
  EXPECT_GE(doc->Parse(&buffer), 0) << text;
  return doc;
}

TEST(KorXMLNode, FindAttribute) {
  auto doc = Parse("<a Name=\"x\" other=\"y\"><name>child</name></a>");
  KorXML_c* a = doc->FindChildElement("A");
  ASSERT_NE(a, nullptr);
  KorXML_c* name = a->FindAttribute("NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->GetType(), KOR_XML_ATTRIBUTE);
  EXPECT_EQ(name->AttributeTextNode()->GetText(), "x");
  EXPECT_EQ(a->FindAttribute("missing"), nullptr);
  name->SetFlag(KOR_XML_FLAG_INTERNAL, true);
  EXPECT_EQ(a->FindAttribute("name"), name);  // internal nodes included
  std::string value;
  EXPECT_EQ(a->GetAttribute("other", &value), KOR_OK);
  EXPECT_EQ(value, "y");
  EXPECT_EQ(a->GetAttribute("none", &value), KOR_FAIL);
  EXPECT_EQ(value, "");
  // Only elements and documents have attributes.
  EXPECT_EQ(name->FindAttribute("name"), nullptr);
}

TEST(KorXMLNode, FindOrCreateAttributeAppendsAtTheEnd) {
  auto doc = Parse("<a x=\"1\"><b/></a>");
  KorXML_c* a = doc->FindChildElement("a");
  KorXML_c* made = a->FindOrCreateAttribute("y");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(a->ChildAt(2), made);
  EXPECT_EQ(made->GetParent(), a);
  ASSERT_EQ(made->ChildCount(), 1u);
  EXPECT_EQ(made->ChildAt(0)->GetType(), KOR_XML_TEXT);
  EXPECT_EQ(made->ChildAt(0)->GetText(), "");
  EXPECT_EQ(a->FindOrCreateAttribute("Y"), made);
  EXPECT_EQ(a->FindOrCreateAttribute("X"), a->ChildAt(0));
  EXPECT_EQ(a->FindOrCreateAttribute(""), nullptr);
  a->SetAttribute("y", "2");
  EXPECT_EQ(doc->ToXML(), "<a x=\"1\" y=\"2\" ><b/></a>");
}

TEST(KorXMLNode, NthChildSkipsEmptyValues) {
  auto doc = Parse("<a>t<b/><c/></a>");
  KorXML_c* a = doc->FindChildElement("a");
  a->AppendNew(KOR_XML_ELEMENT);  // unnamed: not counted
  a->AppendNew(KOR_XML_ELEMENT, "d");
  EXPECT_EQ(a->NthChild(KOR_XML_ELEMENT, 0)->GetName(), "b");
  EXPECT_EQ(a->NthChild(KOR_XML_ELEMENT, 2)->GetName(), "d");
  EXPECT_EQ(a->NthChild(KOR_XML_ELEMENT, 3), nullptr);
  EXPECT_EQ(a->NthChild(0, 0)->GetType(), KOR_XML_TEXT);
  EXPECT_EQ(a->NthChild(0, -1), nullptr);
  EXPECT_EQ(a->TextChild()->GetText(), "t");
}

TEST(KorXMLNode, InsertDetachAndRemove) {
  auto doc = Parse("<a><b/><d/></a>");
  KorXML_c* a = doc->FindChildElement("a");
  KorXML_c* b = a->FindChildElement("b");
  KorXML_c* d = a->FindChildElement("d");
  auto c = std::make_unique<KorXML_c>(KOR_XML_ELEMENT);
  c->SetName("c");
  KorXML_c* inserted = a->InsertAfter(b, std::move(c));
  ASSERT_NE(inserted, nullptr);
  EXPECT_EQ(inserted->GetParent(), a);
  auto z = std::make_unique<KorXML_c>(KOR_XML_ELEMENT);
  z->SetName("z");
  a->InsertBefore(b, std::move(z));
  EXPECT_EQ(doc->ToXML(), "<a><z/><b/><c/><d/></a>");
  EXPECT_EQ(a->InsertAfter(doc.get(), std::make_unique<KorXML_c>()), nullptr);

  std::unique_ptr<KorXML_c> detached = d->Detach();
  EXPECT_EQ(detached.get(), d);
  EXPECT_EQ(d->GetParent(), nullptr);
  EXPECT_EQ(d->Detach(), nullptr);
  EXPECT_EQ(doc->ToXML(), "<a><z/><b/><c/></a>");
  EXPECT_EQ(a->RemoveChild(b), KOR_OK);
  EXPECT_EQ(a->RemoveChild(d), KOR_FAIL);  // not a child any more
  EXPECT_EQ(doc->ToXML(), "<a><z/><c/></a>");
}

// Texts short enough to be held in the node and longer ones, replaced by
// other lengths and by a part of themselves.
TEST(KorXMLNode, TextOfAnyLengthReplacedByAPartOfItself) {
  const size_t lengths[] = {1, 4, 8, 9, 16, 17, 20, 21, 24, 25, 600};
  for (size_t first : lengths) {
    for (size_t second : lengths) {
      KorXML_c node(KOR_XML_ELEMENT);
      std::string text;
      for (size_t i = 0; i < first; ++i) text += static_cast<char>('a' + i % 26);
      node.SetName(text);
      EXPECT_EQ(node.GetName(), text);
      const std::string_view own = node.ValueView();
      const size_t from = first / 3;
      node.SetName(own.substr(from));
      EXPECT_EQ(node.GetName(), text.substr(from)) << first;
      const std::string other(second, 'z');
      node.SetName(other);
      EXPECT_EQ(node.GetName(), other) << first << " " << second;
      EXPECT_EQ(node.CloneAs<KorXML_c>()->GetName(), other);
    }
  }
}

TEST(KorXMLNode, DeepCopyIsIndependent) {
  auto doc = Parse("<a k=\"v\"><b>t</b><!-- c --></a>");
  KorXML_c* a = doc->FindChildElement("a");
  a->SetFlag(KOR_XML_FLAG_OMIT_EMPTY, true);
  auto copy = a->CloneAs<KorXML_c>();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->ToXML(), a->ToXML());
  EXPECT_EQ(copy->GetFlags(), KOR_XML_FLAG_OMIT_EMPTY);
  EXPECT_EQ(copy->GetParent(), nullptr);
  EXPECT_EQ(copy->FindChildElement("b")->GetParent(), copy.get());
  copy->SetAttribute("k", "changed");
  copy->FindChildElement("b")->TextChild()->SetText("u");
  EXPECT_EQ(a->ToXML(), "<a k=\"v\" ><!-- c --><b>t</b></a>");
  // Copying replaces what the target held.
  KorXML_c target(KOR_XML_TEXT);
  target.SetText("old");
  target.AppendNew(KOR_XML_ELEMENT, "junk");
  ASSERT_EQ(a->CopyInto(&target), KOR_OK);
  EXPECT_EQ(target.ToXML(), a->ToXML());
  // Never into its own subtree, itself, or what is no node.
  EXPECT_EQ(a->CopyInto(a->FindChildElement("b")), KOR_FAIL);
  EXPECT_EQ(a->CopyInto(a), KOR_FAIL);
  KorObject_c plain;
  EXPECT_EQ(a->CopyInto(&plain), KOR_FAIL);
}

}  // namespace
