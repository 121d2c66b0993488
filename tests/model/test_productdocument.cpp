#include <gtest/gtest.h>

#include <string>

#include "foundation/korstring.h"
#include "model/document/productdatadocument.h"
#include "product_helpers.h"

using namespace product_test;

namespace {

TEST(ProductDocument, IdentifiesItselfAsAProductFile) {
  ProductDataDocument_c document;
  EXPECT_EQ(document.GetKind(), PRODUCT_DOCUMENT_KIND);
  EXPECT_EQ(document.Extension()->ToStdString(), "prd");
  EXPECT_EQ(document.RootName()->ToStdString(), "product");
  EXPECT_EQ(document.PeekProductData(), nullptr);

  std::unique_ptr<KorObject_c> made = document.CreateNew();
  auto* fresh = dynamic_cast<ProductDataDocument_c*>(made.get());
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Extension()->ToStdString(), "prd");
}

TEST(ProductDocument, RootIsMadeOnceAndLivesUntilLoadOrReset) {
  ProductDataDocument_c document;
  ProductData_c* root = document.ProductData();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(document.ProductData(), root);
  EXPECT_EQ(document.PeekProductData(), root);

  LoadText(document, "<product make=\"A\" />");
  EXPECT_EQ(document.PeekProductData(), nullptr);
  ProductData_c* loaded = document.ProductData();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetMake(), "A");

  document.Reset();
  EXPECT_EQ(document.PeekProductData(), nullptr);
  ASSERT_NE(document.ProductData(), nullptr);
  EXPECT_EQ(document.ProductData()->GetMake(), "");

  document.DiscardDataObjects();
  EXPECT_EQ(document.PeekProductData(), nullptr);
}

TEST(ProductDocument, NoBufferGivesAProductWithoutCreator) {
  ProductDataDocument_c document;
  LoadText(document, "<product creator=\"true\" />");
  document.LoadXML(nullptr);
  ASSERT_NE(document.ProductData(), nullptr);
  EXPECT_FALSE(KorIsTrue(document.ProductData()->IsCreator()));
}

TEST(ProductDocument, FileWithoutCreatorIsRecognised) {
  struct Row {
    const char* text;
    bool creator;
  } rows[] = {
      {"<product creator=\"true\" />", true},
      {"<product creator=\"YES\" />", true},
      {"<product creator=\"false\" />", false},
      {"<product creator=\"\" />", false},
      {"<product />", false},
      {"<other creator=\"true\" />", false},
      {"", false},
      {"   ", false},  // an empty buffer still gives a product
  };
  for (const Row& row : rows) {
    ProductDataDocument_c document;
    LoadText(document, row.text);
    ASSERT_NE(document.ProductData(), nullptr) << row.text;
    EXPECT_EQ(KorIsTrue(document.ProductData()->IsCreator()), row.creator) << row.text;
  }
}

TEST(ProductDocument, ParseErrorStillBindsWhatWasRead) {
  ProductDataDocument_c document;
  int32_t result =
      LoadText(document, "<product make=\"Half\" ><info><version>4</version></info></wrong>");
  EXPECT_EQ(result, KOR_FAIL);
  ProductData_c* root = document.ProductData();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetMake(), "Half");
  EXPECT_EQ(root->Info()->GetVersion(), "4");
}

// Views that the document does not own (an editor's own objects) must not be
// left pointing at the freed tree by any of the operations that replace it.
TEST(ProductDocument, ForeignViewsAreUnboundWhenTheTreeIsReplaced) {
  enum class Replace { Load, Reset, Destroy };
  for (Replace how : {Replace::Load, Replace::Reset, Replace::Destroy}) {
    auto document = std::make_unique<ProductDataDocument_c>();
    LoadText(*document, ReadFixture("product_full.prd"));
    ProductData_c* root = document->ProductData();

    ProductDataHardware_c hardware;
    hardware.SetDocument(document.get());
    ASSERT_EQ(hardware.Bind(root->GetElement()), KOR_OK);
    ProductDataCommand_c command;
    command.SetDocument(document.get());
    ASSERT_EQ(command.Bind(root->FirstProtocol()->Commands()->Item(0)->GetElement()), KOR_OK);
    ASSERT_NE(command.Messages()->Item(1)->Params(), nullptr);
    ShowDataInfoAuthors_c authors;
    ASSERT_EQ(authors.Bind(root->Info()->GetElement()), KOR_OK);
    ASSERT_EQ(authors.AuthorCount(), 2);

    switch (how) {
      case Replace::Load:
        LoadText(*document, "<product/>");
        break;
      case Replace::Reset:
        document->Reset();
        break;
      case Replace::Destroy:
        document.reset();
        break;
    }
    EXPECT_FALSE(hardware.IsBound());
    EXPECT_EQ(hardware.Ports(), nullptr);
    EXPECT_EQ(hardware.GetGroupIndex(), PRODUCT_GROUP_CUSTOM);
    EXPECT_FALSE(command.IsBound());
    EXPECT_EQ(command.Messages(), nullptr);
    EXPECT_EQ(command.GetName(), "");
    EXPECT_EQ(command.SetDescription("x"), KOR_FAIL);
    EXPECT_FALSE(authors.IsBound());
    EXPECT_EQ(authors.AuthorCount(), 0);
    EXPECT_EQ(authors.GetAuthor(0), "");
  }
}

TEST(ProductDocument, CopyCarriesTheTreeButNotTheRoot) {
  ProductDataDocument_c document;
  LoadText(document, ReadFixture("product_full.prd"));
  ASSERT_NE(document.ProductData(), nullptr);
  ProductDataDocument_c copy;
  ASSERT_EQ(document.CopyInto(&copy), KOR_OK);
  EXPECT_EQ(copy.PeekProductData(), nullptr);
  ASSERT_NE(copy.ProductData(), nullptr);
  EXPECT_EQ(copy.ProductData()->GetMake(), "Brightline");
  copy.ProductData()->SetMake("Changed");
  EXPECT_EQ(document.ProductData()->GetMake(), "Brightline");
  EXPECT_EQ(SaveText(document), ReadFixture("product_full.prd"));
}

}  // namespace
