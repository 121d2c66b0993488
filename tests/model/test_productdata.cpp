#include <gtest/gtest.h>

#include <string>

#include "model/productdata.h"
#include "product_helpers.h"

using namespace product_test;

namespace {

TEST(ProductData, BindingAnEmptyDocumentCreatesTheSkeleton) {
  ProductDataDocument_c document;
  ProductData_c* root = document.ProductData();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Xml(At(document, "product")),
            "<product><info><authors/></info><hardware><ports/></hardware><protocols/></product>");
  EXPECT_EQ(root->Info()->GetKind(), SHOW_KIND_INFO);
  EXPECT_EQ(root->Info()->Authors()->GetKind(), SHOW_KIND_INFO_AUTHORS);
}

TEST(ProductData, OnlyADocumentNodeCanBeTheRoot) {
  LoadedProduct p("<product make=\"A\" />");
  ProductData_c other;
  EXPECT_EQ(other.Bind(p.Node("product")), KOR_FAIL);
  EXPECT_FALSE(other.IsBound());
  EXPECT_EQ(other.Info(), nullptr);
  EXPECT_EQ(other.Bind(nullptr), KOR_FAIL);
  EXPECT_EQ(other.StampCreator(), KOR_FAIL);

  // A failed bind of a bound root also drops its children.
  ASSERT_EQ(other.Bind(p.document.GetXMLDocument()), KOR_OK);
  ASSERT_NE(other.Info(), nullptr);
  EXPECT_EQ(other.Bind(p.Node("product/info")), KOR_FAIL);
  EXPECT_EQ(other.Info(), nullptr);
  EXPECT_EQ(other.Protocols(), nullptr);
}

TEST(ProductData, StampCreatorWritesTheFourAttributesInOrder) {
  ProductDataDocument_c document;
  document.Reset();
  ProductData_c* root = document.ProductData();
  root->SetMake("M");
  root->SetModel("N");
  EXPECT_FALSE(KorIsTrue(root->IsCreator()));
  ASSERT_EQ(root->StampCreator(), KOR_OK);
  EXPECT_TRUE(KorIsTrue(root->IsCreator()));
  std::string product = Xml(At(document, "product"));
  EXPECT_EQ(product.substr(0, product.find('>') + 1),
            "<product make=\"M\" model=\"N\" "
            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
            "xsi:noNamespaceSchemaLocation=\"shell.xsd\" creator=\"true\" creator_ver=\"2\" >");
  root->SetCreator(false);
  EXPECT_FALSE(KorIsTrue(root->IsCreator()));
  product = Xml(At(document, "product"));
  EXPECT_EQ(product.find(" creator="), std::string::npos) << product;
  EXPECT_NE(product.find(" creator_ver=\"2\""), std::string::npos) << product;
}

TEST(ProductInfo, VersionIsCreatedWithOneDotZeroDescriptionEmpty) {
  LoadedProduct p("<product><info><authors/></info></product>");
  ShowDataInfo_c* info = p.root->Info();
  EXPECT_EQ(Xml(p.Node("product/info")), "<info><authors/></info>");
  EXPECT_EQ(info->GetVersion(), "1.0");
  EXPECT_EQ(info->GetDescription(), "");
  EXPECT_EQ(Xml(p.Node("product/info")),
            "<info><authors/><version>1.0</version><description/></info>");
  info->SetDescription("Mixer & more");
  info->SetVersion("2.0");
  EXPECT_EQ(Xml(p.Node("product/info")),
            "<info><authors/><version>2.0</version><description>Mixer &amp; more</description>"
            "</info>");
}

TEST(ProductInfo, SettingTheVersionFirstDoesNotKeepTheDefault) {
  LoadedProduct p("<product/>");
  ASSERT_EQ(p.root->Info()->SetVersion("7"), KOR_OK);
  EXPECT_EQ(Xml(p.Node("product/info/version")), "<version>7</version>");
}

TEST(ProductAuthors, SetAuthorCreatesTheMissingOnesEmpty) {
  LoadedProduct p("<product/>");
  ShowDataInfoAuthors_c* authors = p.root->Info()->Authors();
  EXPECT_EQ(authors->AuthorCount(), 0);
  ASSERT_EQ(authors->SetAuthor(2, "Lin"), KOR_OK);
  EXPECT_EQ(authors->AuthorCount(), 3);
  EXPECT_EQ(Xml(p.Node("product/info/authors")),
            "<authors><author/><author/><author>Lin</author></authors>");
  ASSERT_EQ(authors->SetAuthor(0, "Kim"), KOR_OK);
  EXPECT_EQ(authors->AuthorCount(), 3);
}

TEST(ProductAuthors, MissingAuthorFailsAndCreatesNothing) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ShowDataInfoAuthors_c* authors = p.root->Info()->Authors();
  p.document.SetModified(KOR_FALSE);
  for (int32_t index : {2, 10, -1}) {
    KorStatus status = KOR_OK;
    EXPECT_EQ(authors->GetAuthor(index, &status), "") << index;
    EXPECT_EQ(status, KOR_FAIL) << index;
    EXPECT_EQ(authors->SetAuthor(index, "x", false), KOR_FAIL) << index;
  }
  EXPECT_EQ(authors->AuthorCount(), 2);
  EXPECT_FALSE(KorIsTrue(p.document.IsModified()));
  EXPECT_EQ(authors->SetAuthor(-1, "x", true), KOR_FAIL);

  KorStatus status = KOR_FAIL;
  EXPECT_EQ(authors->GetAuthor(3, &status, true), "");
  EXPECT_EQ(status, KOR_OK);
  EXPECT_EQ(authors->AuthorCount(), 4);
  EXPECT_TRUE(KorIsTrue(p.document.IsModified()));
}

TEST(ProductAuthors, EveryTaggedChildElementIsAnAuthor) {
  LoadedProduct p(
      "<product><info><authors><author>A</author><!-- c --><writer>B</writer>"
      "loose text<author/></authors></info></product>");
  ShowDataInfoAuthors_c* authors = p.root->Info()->Authors();
  ASSERT_EQ(authors->AuthorCount(), 3);
  EXPECT_EQ(authors->GetAuthor(1), "B");
  EXPECT_EQ(authors->GetAuthor(2), "");
}

TEST(ProductAuthors, AnAuthorRemovedFromTheTreeIsForgotten) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ShowDataInfoAuthors_c* authors = p.root->Info()->Authors();
  KorXML_c* wrapper = p.Node("product/info/authors");
  ASSERT_EQ(wrapper->RemoveChild(p.Node("product/info/authors/author")), KOR_OK);
  ASSERT_EQ(authors->AuthorCount(), 1);
  EXPECT_EQ(authors->GetAuthor(0), "Grace Hopper");
  ASSERT_EQ(authors->SetAuthor(1, "New"), KOR_OK);
  EXPECT_EQ(Xml(wrapper), "<authors><author>Grace Hopper</author><author>New</author></authors>");
}

TEST(ProductAuthors, RebindReadsTheAuthorsAgain) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ShowDataInfoAuthors_c* authors = p.root->Info()->Authors();
  // Another view adds an author behind this one's back.
  ShowDataInfoAuthors_c other;
  ASSERT_EQ(other.Bind(p.Node("product/info")), KOR_OK);
  ASSERT_EQ(other.SetAuthor(2, "Third"), KOR_OK);
  ASSERT_EQ(authors->Rebind(), KOR_OK);
  EXPECT_EQ(authors->AuthorCount(), 3);
  EXPECT_EQ(authors->GetAuthor(2), "Third");
  EXPECT_EQ(authors->GetElement(), p.Node("product/info/authors"));
}

TEST(ProductData, GuiOfACommandStaysUnchangedWhileReadAndWritten) {
  LoadedProduct p(ReadFixture("product_unknown.prd"));
  ProductDataCommand_c* mute = p.Protocol()->Commands()->Item(0);
  ASSERT_NE(mute->GUI(), nullptr);
  EXPECT_EQ(mute->Messages()->Count(), 1);
  mute->SetTimeout(250);
  EXPECT_EQ(Xml(ShowXMLInterface_c::FindChildElement(mute->GetElement(), "gui")),
            "<gui x=\"10\" y=\"20\" ><dock side=\"left\" /></gui>");
  EXPECT_EQ(p.Protocol()->Commands()->Item(1)->GUI(), nullptr);
}

TEST(ProductData, ChangeTrackingReachesObjectsMadeLater) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  p.root->SetChangeTracking(KOR_FALSE);
  p.document.SetModified(KOR_FALSE);
  p.root->SetMake("Other");
  p.root->Info()->Authors()->SetAuthor(5, "Late");
  p.Protocol()->Commands()->Item(0)->Messages()->Item(0)->SetFormat("\"X\"");
  p.root->Hardware()->SetGroup("audio");
  EXPECT_FALSE(KorIsTrue(p.document.IsModified()));
  p.root->SetChangeTracking(KOR_TRUE);
  p.Protocol()->Commands()->Item(0)->Messages()->Item(0)->SetFormat("\"Y\"");
  EXPECT_TRUE(KorIsTrue(p.document.IsModified()));
}

}  // namespace
