#include <gtest/gtest.h>

#include <string>

#include "model/productdatacommand.h"
#include "model/productdatamessage.h"
#include "product_helpers.h"

using namespace product_test;

namespace {

std::string InProtocol(std::string_view lists) {
  return "<product><protocols><protocol>" + std::string(lists) +
         "</protocol></protocols></product>";
}

TEST(ProductCommand, UnsolicitedIsWrittenBothWaysIncomingFalseIsRemoved) {
  LoadedProduct p("<product/>");
  ProductDataCommand_c* command = p.root->FirstProtocol()->Commands()->Item(0, true);
  ASSERT_NE(command, nullptr);
  command->SetName("Ev");
  command->SetUnsolicited(true);
  EXPECT_EQ(Xml(command->GetElement()), "<command name=\"Ev\" unsolicited=\"true\" />");
  command->SetUnsolicited(false);
  EXPECT_EQ(Xml(command->GetElement()), "<command name=\"Ev\" unsolicited=\"false\" />");
  EXPECT_FALSE(KorIsTrue(command->IsUnsolicited()));

  ProductDataMessage_c* message = command->Messages()->Item(0, true);
  ASSERT_NE(message, nullptr);
  message->SetIncoming(true);
  message->SetManual(true);
  EXPECT_EQ(Xml(message->GetElement()), "<message incoming=\"true\" manual=\"true\" />");
  message->SetIncoming(false);
  EXPECT_EQ(Xml(message->GetElement()), "<message manual=\"true\" />");
  EXPECT_FALSE(KorIsTrue(message->IsIncoming()));
  EXPECT_TRUE(KorIsTrue(message->IsManual()));
  message->SetIncoming(true);
  EXPECT_EQ(Xml(message->GetElement()), "<message manual=\"true\" incoming=\"true\" />");
}

TEST(ProductCommand, ListsAreMadeOnFirstAccessAndKept) {
  LoadedProduct p(InProtocol("<commands><command name=\"A\" /></commands>"));
  ProductDataCommand_c* command = p.Protocol()->Commands()->Item(0);
  EXPECT_EQ(ChildTags(command->GetElement()), "");
  ProductDataMessages_c* messages = command->Messages();
  EXPECT_EQ(command->Messages(), messages);
  EXPECT_EQ(Xml(command->GetElement()), "<command name=\"A\" ><messages/></command>");
  ASSERT_NE(command->Params(), nullptr);
  ASSERT_NE(command->Operations(), nullptr);
  EXPECT_EQ(ChildTags(command->GetElement()), "messages params operations");
  EXPECT_EQ(command->GetDescription(), "");
  EXPECT_EQ(ChildTags(command->GetElement()), "messages params operations description");
}

TEST(ProductCommand, CommandsTakeEveryChildAndRenameIt) {
  LoadedProduct p(
      InProtocol("<commands><event name=\"Old\" /><!-- kept --><command name=\"New\" />"
                 "</commands>"));
  ProductDataCommands_c* commands = p.Protocol()->Commands();
  ASSERT_EQ(commands->Count(), 2);
  EXPECT_EQ(commands->Item(0)->GetName(), "Old");
  EXPECT_EQ(Xml(p.Node("product/protocols/protocol/commands")),
            "<commands><!-- kept --><command name=\"Old\" /><command name=\"New\" /></commands>");
}

TEST(ProductCommand, DescriptionBelongsToTheCommand) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ProductDataCommand_c* lamp = p.Protocol()->Commands()->Item(0);
  KorXML_c* description = ShowXMLInterface_c::FindChildElement(lamp->GetElement(), "description");
  ASSERT_NE(description, nullptr);
  EXPECT_EQ(lamp->FindOwner(description), lamp);
  EXPECT_EQ(lamp->FindOwner(description->TextChild()), lamp);
  // Nodes of a list answer with the object bound to them.
  ProductDataMessage_c* incoming = lamp->Messages()->Item(1);
  KorXML_c* regexp = incoming->GetElement()->FindAttribute("regexp_format");
  EXPECT_EQ(lamp->FindOwner(regexp), incoming);
}

TEST(ProductMessage, OtherChildrenOfMessagesAreKeptButNotCounted) {
  LoadedProduct p(
      InProtocol("<commands><command><messages><note>n</note><message name=\"M\" />"
                 "<MESSAGE name=\"N\" /></messages></command></commands>"));
  ProductDataMessages_c* messages = p.Protocol()->Commands()->Item(0)->Messages();
  ASSERT_EQ(messages->Count(), 2);
  EXPECT_EQ(messages->Item(1)->GetName(), "N");
  EXPECT_EQ(Xml(messages->GetElement()),
            "<messages><note>n</note><message name=\"M\" /><message name=\"N\" /></messages>");
}

TEST(ProductMessage, SubstringsAndOperationsAcceptOnlyTheirOwnTag) {
  LoadedProduct p(InProtocol(
      "<commands><command><messages><message><substrings><substring name=\"a\" />"
      "<operation name=\"x\" /><SubString name=\"b\" /></substrings><operations><operation "
      "name=\"o\" /><substring name=\"y\" /></operations></message></messages></command>"
      "</commands>"));
  ProductDataMessage_c* message = p.Protocol()->Commands()->Item(0)->Messages()->Item(0);
  ASSERT_EQ(message->Substrings()->Count(), 2);
  EXPECT_EQ(message->Substrings()->Item(1)->GetName(), "b");
  EXPECT_EQ(message->Operations()->Count(), 1);
  EXPECT_EQ(Xml(message->Substrings()->GetElement()),
            "<substrings><substring name=\"a\" /><operation name=\"x\" /><substring name=\"b\" />"
            "</substrings>");
}

TEST(ProductMessage, WritingAnOutgoingMessageRowByRow) {
  LoadedProduct p("<product/>");
  ProductDataCommand_c* command = p.root->FirstProtocol()->Commands()->Item(0, true);
  command->SetName("Volume");
  ProductDataParam_c* param = command->Params()->Item(0, true);
  param->SetName("Level");
  ProductDataMessage_c* message = command->Messages()->Item(0, true);
  message->SetFormat("\"VOL %d\\r\", Level");
  const char* rows[][2] = {
      {"constant1", "\"VOL \""}, {"parameter2", "Level"}, {"constant3", "\"\\r\""}};
  for (int i = 0; i < 3; ++i) {
    ProductDataSubstring_c* piece = message->Substrings()->Item(i, true);
    ASSERT_NE(piece, nullptr);
    piece->SetName(rows[i][0]);
    piece->SetDeviceVar(false);
    piece->SetResult(rows[i][1]);
  }
  command->SetUnsolicited(false);
  EXPECT_EQ(Xml(command->GetElement()),
            "<command name=\"Volume\" unsolicited=\"false\" ><params><param name=\"Level\" />"
            "</params><messages><message format=\"&quot;VOL %d\\r&quot;, Level\" ><substrings>"
            "<substring name=\"constant1\" result=\"&quot;VOL &quot;\" />"
            "<substring name=\"parameter2\" result=\"Level\" />"
            "<substring name=\"constant3\" result=\"&quot;\\r&quot;\" /></substrings></message>"
            "</messages></command>");
}

TEST(ProductSetupMessages, AppendedMessagesKeepTheirOrderAfterReload) {
  ProductDataDocument_c document;
  document.Reset();
  ProductDataSetupMessages_c* setup = document.ProductData()->FirstProtocol()->SetupMessages();
  setup->Item(0, true)->SetFormat("\"HELLO\"");
  ProductDataSetupMessage_c* reply = setup->Item(1, true);
  reply->SetIncoming(true);
  reply->SetRegexpFormat("OK");
  std::string saved = SaveText(document);

  LoadedProduct again(saved);
  ProductDataSetupMessages_c* read = again.Protocol()->SetupMessages();
  ASSERT_EQ(read->Count(), 2);
  EXPECT_EQ(read->Item(0)->GetFormat(), "\"HELLO\"");
  EXPECT_FALSE(KorIsTrue(read->Item(0)->IsIncoming()));
  EXPECT_TRUE(KorIsTrue(read->Item(1)->IsIncoming()));
  EXPECT_EQ(read->Item(1)->GetRegexpFormat(), "OK");
}

TEST(ProductMessage, RemovingAMessageUnbindsEveryViewOfIt) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ProductDataCommand_c* lamp = p.Protocol()->Commands()->Item(0);
  ProductDataMessages_c* messages = lamp->Messages();
  ProductDataMessage_c view;
  view.SetDocument(&p.document);
  ASSERT_EQ(view.Bind(messages->Item(0)->GetElement()), KOR_OK);
  ProductDataSubstrings_c* pieces = view.Substrings();
  ASSERT_NE(pieces, nullptr);
  ASSERT_EQ(pieces->Count(), 2);

  ASSERT_NE(messages->First(), nullptr);
  ASSERT_EQ(messages->RemoveCurrent(), KOR_OK);
  EXPECT_EQ(messages->Count(), 1);
  EXPECT_EQ(messages->Item(0)->GetName(), "Incoming");
  EXPECT_FALSE(view.IsBound());
  EXPECT_EQ(view.Substrings(), nullptr);
  EXPECT_EQ(view.GetFormat(), "");
  EXPECT_EQ(view.SetFormat("x"), KOR_FAIL);
}

}  // namespace
