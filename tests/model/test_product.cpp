#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"
#include "model/showvariable.h"
#include "modeltesting.h"
#include "prdgenerator.h"

using namespace model_test;

namespace {

// ---------------------------------------------------------------------------
// The document and its root

TEST(ProductDocument, RootIsMadeOnceAndLivesUntilLoadOrReset) {
  ProductDataDocument_c document;
  EXPECT_EQ(document.PeekProductData(), nullptr);
  ProductData_c* root = document.ProductData();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(document.ProductData(), root);
  LoadText(document, "<product make=\"A\" />");
  EXPECT_EQ(document.PeekProductData(), nullptr);
  EXPECT_EQ(document.ProductData()->GetMake(), "A");
  document.Reset();
  EXPECT_EQ(document.PeekProductData(), nullptr);
  EXPECT_EQ(document.ProductData()->GetMake(), "");
  document.DiscardDataObjects();
  EXPECT_EQ(document.PeekProductData(), nullptr);
}

TEST(ProductDocument, FileWithoutCreatorIsRecognised) {
  const std::pair<const char*, bool> rows[] = {
      {"<product creator=\"true\" />", true},
      {"<product creator=\"YES\" />", true},
      {"<product creator=\"false\" />", false},
      {"<product creator=\"\" />", false},
      {"<product />", false},
      {"<other creator=\"true\" />", false},
      {"", false},
      {"   ", false},    // an empty buffer still gives a product
      {nullptr, false},  // no buffer at all
  };
  for (const auto& [text, creator] : rows) {
    ProductDataDocument_c document;
    LoadText(document, "<product creator=\"true\" />");
    // Nothing to read is no error; no buffer is.
    const int32_t result = text ? LoadText(document, text) : document.LoadXML(nullptr);
    if (!text || !*text) {
      EXPECT_EQ(result, text ? 0 : KOR_FAIL);
    }
    ASSERT_NE(document.ProductData(), nullptr) << (text ? text : "no buffer");
    EXPECT_EQ(KorIsTrue(document.ProductData()->IsCreator()), creator)
        << (text ? text : "no buffer");
  }
}

TEST(ProductDocument, ParseErrorStillBindsWhatWasRead) {
  ProductDataDocument_c document;
  EXPECT_EQ(LoadText(document, "<product make=\"Half\" ><info><version>4</version></info></wrong>"),
            KOR_FAIL);
  ASSERT_NE(document.ProductData(), nullptr);
  EXPECT_EQ(document.ProductData()->GetMake(), "Half");
  EXPECT_EQ(document.ProductData()->Info()->GetVersion(), "4");
}

// Views that the document does not own (an editor's own objects) and the
// ones it watches must not be left pointing at the freed tree by any of the
// operations that replace it.
TEST(ProductDocument, ViewsAreUnboundWhenTheTreeIsReplaced) {
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
    ShowDataVariables_c variables;
    variables.SetDocument(document.get());
    ASSERT_EQ(variables.Bind(root->FirstProtocol()->GetElement()), KOR_OK);
    ShowDataVariable_c* input = variables.FindByName("Inputs");
    ShowDataListVariable_c* entry = input->ListVariables()->Item(0);
    ShowResourceRule_c* rule = input->FirstRule();
    ShowXMLInterface_c top;
    ASSERT_EQ(top.Bind(document->GetXMLDocument()), KOR_OK);
    top.GetChildText("product");
    if (how == Replace::Load) LoadText(*document, "<product/>");
    if (how == Replace::Reset) document->Reset();
    if (how == Replace::Destroy) document.reset();
    EXPECT_FALSE(hardware.IsBound());
    EXPECT_EQ(hardware.Ports(), nullptr);
    EXPECT_EQ(hardware.GetGroupIndex(), PRODUCT_GROUP_CUSTOM);
    EXPECT_FALSE(command.IsBound());
    EXPECT_EQ(command.GetDocument(), how == Replace::Destroy ? nullptr : document.get());
    EXPECT_EQ(command.Messages(), nullptr);
    EXPECT_EQ(command.GetName(), "");
    EXPECT_EQ(command.SetDescription("x"), KOR_FAIL);
    EXPECT_FALSE(authors.IsBound());
    EXPECT_EQ(authors.AuthorCount(), 0);
    EXPECT_EQ(authors.GetAuthor(0), "");
    EXPECT_EQ(variables.Count(), 0);
    EXPECT_FALSE(input->IsBound() || entry->IsBound() || rule->IsBound());
    EXPECT_EQ(rule->Validate("x"), KOR_FAIL);
    EXPECT_EQ(entry->IsZero(), KOR_FALSE);
    if (how == Replace::Destroy) continue;
    // The view of the document node stays; what it read is forgotten.
    EXPECT_TRUE(top.IsBound());
    EXPECT_EQ(document->WatchedObjectCount(), 1u);
    EXPECT_EQ(top.GetChildText("product"), "");
  }
}

TEST(ProductDocument, CopyCarriesTheTreeButNotTheRoot) {
  ProductDataDocument_c document;
  LoadText(document, ReadFixture("product_full.prd"));
  ASSERT_NE(document.ProductData(), nullptr);
  ProductDataDocument_c copy;
  ASSERT_EQ(document.CopyInto(&copy), KOR_OK);
  EXPECT_EQ(copy.PeekProductData(), nullptr);
  EXPECT_EQ(copy.ProductData()->GetMake(), "Brightline");
  copy.ProductData()->SetMake("Changed");
  EXPECT_EQ(document.ProductData()->GetMake(), "Brightline");
  EXPECT_EQ(SaveText(document), ReadFixture("product_full.prd"));
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

// ---------------------------------------------------------------------------
// Authors

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

TEST(ProductAuthors, RemovedOrAddedBehindTheViewsBack) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ShowDataInfoAuthors_c* authors = p.root->Info()->Authors();
  KorXML_c* wrapper = p.Node("product/info/authors");
  ASSERT_EQ(wrapper->RemoveChild(p.Node("product/info/authors/author")), KOR_OK);
  ASSERT_EQ(authors->AuthorCount(), 1);
  EXPECT_EQ(authors->GetAuthor(0), "Grace Hopper");
  // Another view adds an author; a rebind reads the list again.
  ShowDataInfoAuthors_c other;
  ASSERT_EQ(other.Bind(p.Node("product/info")), KOR_OK);
  ASSERT_EQ(other.SetAuthor(2, "Third"), KOR_OK);
  ASSERT_EQ(authors->Rebind(), KOR_OK);
  EXPECT_EQ(authors->AuthorCount(), 3);
  EXPECT_EQ(authors->GetAuthor(1), "");
  EXPECT_EQ(authors->GetAuthor(2), "Third");
  EXPECT_EQ(authors->GetElement(), wrapper);
}

// ---------------------------------------------------------------------------
// Hardware, ports and protocols

std::string WithWords(const std::string& group, const std::string& type) {
  return "<product><hardware group=\"" + group + "\" /><protocols><protocol><ports><port type=\"" +
         type + "\" /></ports></protocol></protocols></product>";
}

TEST(ProductHardware, GroupAndPortTypeWordsReadByIndexIgnoringCase) {
  const std::pair<const char*, int32_t> groups[] = {
      {"custom", 0},    {"audio", 1}, {"CONTROL", 2}, {"Display", 3}, {"lighting", 4},
      {"projector", 5}, {"video", 6}, {"speaker", 0}, {"", 0}};
  for (const auto& [word, index] : groups) {
    LoadedProduct p(WithWords(word, "serial"));
    EXPECT_EQ(p.root->Hardware()->GetGroupIndex(), index) << word;
    EXPECT_EQ(p.root->Hardware()->GetGroup(), word);
  }
  const std::pair<const char*, int32_t> types[] = {
      {"null", 0},   {"programmer", 1}, {"serial", 2}, {"SERIAL", 2},   {"Ethernet", 3},
      {"dmx512", 4}, {"midi", 5},       {"usb", 6},    {"firewire", 0}, {"", 0}};
  for (const auto& [word, index] : types) {
    LoadedProduct p(WithWords("audio", word));
    EXPECT_EQ(p.Protocol()->Ports()->Item(0)->GetType(), index) << word;
  }
}

TEST(ProductHardware, SettersRefuseWhatIsNotInTheirTable) {
  LoadedProduct p(WithWords("audio", "serial"));
  ProductDataHardware_c* hardware = p.root->Hardware();
  p.document.SetModified(KOR_FALSE);
  EXPECT_EQ(hardware->SetGroup("Projector"), KOR_OK);
  EXPECT_EQ(hardware->GetGroupIndex(), PRODUCT_GROUP_PROJECTOR);
  EXPECT_TRUE(KorIsTrue(p.document.IsModified()));
  p.document.SetModified(KOR_FALSE);
  for (const char* bad : {"speaker", "", "projectors", "video "}) {
    EXPECT_EQ(hardware->SetGroup(bad), KOR_FAIL) << bad;
    EXPECT_EQ(hardware->GetGroup(), "Projector");
  }
  EXPECT_FALSE(KorIsTrue(p.document.IsModified()));

  ProductDataPort_c* port = p.Protocol()->Ports()->Item(0);
  for (int32_t index = 0; index < PRODUCT_PORT_TYPE_COUNT; ++index) {
    ASSERT_EQ(port->SetType(index), KOR_OK);
    EXPECT_EQ(port->GetType(), index);
  }
  EXPECT_EQ(port->SetType(-1), KOR_FAIL);
  EXPECT_EQ(port->SetType(PRODUCT_PORT_TYPE_COUNT), KOR_FAIL);
  EXPECT_EQ(port->GetElement()->GetAttribute("type"), "usb");
}

TEST(ProductProtocol, FindOwnerReachesObjectsInsideTheLists) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ProductDataProtocol_c* protocol = p.Protocol();
  ProductDataPortOption_c* option = protocol->Ports()->Item(1)->PortOptions()->Item(0);
  KorXML_c* eport = option->GetElement()->FindAttribute("eport");
  ASSERT_NE(eport, nullptr);
  EXPECT_EQ(protocol->FindOwner(eport), option);
  EXPECT_EQ(p.root->FindOwner(eport), option);
  EXPECT_EQ(p.root->FindOwner(protocol->GetElement()), protocol);
  KorXML_c* group = p.Node("product/hardware")->FindAttribute("group");
  EXPECT_EQ(p.root->FindOwner(group), p.root->Hardware());
  EXPECT_EQ(protocol->FindOwner(group), nullptr);

  ProductDataCommand_c* lamp = protocol->Commands()->Item(0);
  KorXML_c* description = ShowXMLInterface_c::FindChildElement(lamp->GetElement(), "description");
  EXPECT_EQ(lamp->FindOwner(description), lamp);
  EXPECT_EQ(lamp->FindOwner(description->TextChild()), lamp);
  ProductDataMessage_c* incoming = lamp->Messages()->Item(1);
  EXPECT_EQ(lamp->FindOwner(incoming->GetElement()->FindAttribute("regexp_format")), incoming);
}

// Child lists are made when first asked for, in the order asked, and kept.
TEST(ProductProtocol, ListsAreMadeOnFirstAccess) {
  LoadedProduct p(
      "<product><protocols><protocol><ports><port type=\"serial\" /></ports><commands>"
      "<command name=\"A\" /></commands></protocol></protocols></product>");
  ProductDataPort_c* port = p.Protocol()->Ports()->Item(0);
  EXPECT_EQ(ChildTags(port->GetElement()), "");
  ProductDataPortOptions_c* options = port->PortOptions();
  EXPECT_EQ(port->PortOptions(), options);
  EXPECT_EQ(ChildTags(port->GetElement()), "port_options");

  ProductDataCommand_c* command = p.Protocol()->Commands()->Item(0);
  EXPECT_EQ(ChildTags(command->GetElement()), "");
  ProductDataMessages_c* messages = command->Messages();
  EXPECT_EQ(command->Messages(), messages);
  command->Params();
  command->Operations();
  command->GetDescription();
  EXPECT_EQ(ChildTags(command->GetElement()), "messages params operations description");
  EXPECT_EQ(p.root->FirstProtocol(), p.Protocol());
  EXPECT_EQ(p.root->Protocols()->Count(), 1);
}

// Removing an item through its list leaves no other view of it bound.
TEST(ProductProtocol, RemovingThroughAListLeavesNoDanglingView) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ProductDataPorts_c* ports = p.Protocol()->Ports();
  ProductDataPort_c port;
  port.SetDocument(&p.document);
  ASSERT_EQ(port.Bind(ports->Item(0)->GetElement()), KOR_OK);
  ASSERT_NE(port.PortOptions(), nullptr);
  ProductDataMessages_c* messages = p.Protocol()->Commands()->Item(0)->Messages();
  ProductDataMessage_c message;
  message.SetDocument(&p.document);
  ASSERT_EQ(message.Bind(messages->Item(0)->GetElement()), KOR_OK);
  ASSERT_EQ(message.Substrings()->Count(), 2);
  // A second list over the same parameters, a view inside one and one outside.
  ProductDataParams_c* params = p.Protocol()->Commands()->Item(0)->Params();
  ProductDataParams_c second;
  ASSERT_EQ(second.Bind(p.Protocol()->Commands()->Item(0)->GetElement()), KOR_OK);
  ShowResourceRules_c* rules = second.Item(0)->Rules();
  ShowResource_c outside;
  ASSERT_EQ(outside.Bind(second.Item(0)->GetElement()), KOR_OK);

  ASSERT_NE(ports->First(), nullptr);
  ASSERT_EQ(ports->RemoveCurrent(), KOR_OK);
  ASSERT_NE(messages->First(), nullptr);
  ASSERT_EQ(messages->RemoveCurrent(), KOR_OK);
  ASSERT_NE(params->First(), nullptr);
  ASSERT_EQ(params->RemoveCurrent(), KOR_OK);

  EXPECT_EQ(ports->Count(), 1);
  EXPECT_EQ(ports->Item(0)->GetName(), "Ethernet");
  EXPECT_EQ(ChildTags(p.Node("product/protocols/protocol/ports")), "port");
  EXPECT_FALSE(port.IsBound());
  EXPECT_EQ(port.PortOptions(), nullptr);
  EXPECT_EQ(port.GetType(), PRODUCT_PORT_NULL);
  EXPECT_EQ(messages->Count(), 1);
  EXPECT_EQ(messages->Item(0)->GetName(), "Incoming");
  EXPECT_FALSE(message.IsBound());
  EXPECT_EQ(message.Substrings(), nullptr);
  EXPECT_EQ(message.GetFormat(), "");
  EXPECT_EQ(message.SetFormat("x"), KOR_FAIL);
  EXPECT_FALSE(rules->IsBound() || outside.IsBound());
  EXPECT_EQ(rules->AddRule(SHOW_RULE_BOOL), nullptr);
  EXPECT_EQ(second.Count(), 1);
  EXPECT_EQ(second.Item(0)->GetName(), "Mode");
}

// ---------------------------------------------------------------------------
// Parameters

TEST(ProductDataParams, ReadsReportWhatIsMissing) {
  LoadedProduct p(ReadFixture("product_unknown.prd"));
  ProductDataParams_c* params = p.Protocol()->Commands()->Item(0)->Params();
  ASSERT_EQ(params->Count(), 3);
  int32_t index = -1;
  ProductDataParam_c* input = params->FindByName("INPUT", &index);
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(index, 1);
  std::string match, replace = "stale";
  EXPECT_EQ(input->GetOption(1, &match, &replace), KOR_OK);
  EXPECT_EQ(match, "DVI");
  EXPECT_EQ(replace, "") << "an option without replace reads empty";
  EXPECT_EQ(input->GetOption(2, &match, &replace), KOR_FAIL);
  EXPECT_EQ(match, "");
  ProductDataParam_c* free = params->Item(2);
  KorStatus status = KOR_OK;
  EXPECT_EQ(free->GetMin(&status), 0);
  EXPECT_EQ(status, KOR_FAIL);
  status = KOR_OK;
  EXPECT_EQ(free->GetRegexp(&status), "");
  EXPECT_EQ(status, KOR_FAIL);
  EXPECT_EQ(free->OptionCount(), 0);
}

TEST(ProductDataParams, BoundsNeedABoundedFirstRule) {
  ShowDocument_c document;
  LoadText(document, "<?xml?><param><rules><string/><integer/></rules></param>");
  ShowDataParam_c param;
  ASSERT_EQ(param.Bind(At(document, "param")), KOR_OK);
  EXPECT_EQ(param.SetMin(3), KOR_FAIL);
  EXPECT_EQ(param.SetRegexp("a"), KOR_OK);
  param.SetTypeCode(SHOW_RULE_DECIMAL);
  EXPECT_EQ(param.SetMin(3), KOR_OK);
  EXPECT_EQ(param.GetMin(), 3);
  EXPECT_EQ(param.SetRegexp("a"), KOR_FAIL);
  ShowDataParam_c unbound;
  EXPECT_EQ(unbound.AddOption("a", "b"), nullptr);
  EXPECT_EQ(unbound.OptionCount(), 0);
}

// What a reader sees: name, list counts, then the element as written.
std::string Reading(ProductDataCommand_c& c) {
  const int32_t counts = c.Params()->Count() * 1000 + c.Messages()->Count();
  return c.GetName() + std::to_string(counts) + c.GetElement()->ToXML();
}

// Loaded as trees, as text, or as trees half put back as text: the same reads.
TEST(ProductCommands, KeptAsTextReadAsBound) {
  const std::string generated = GeneratePrd({});
  const size_t cut = generated.find("<command", generated.size() / 2) + 30;
  for (const std::string& file : {generated, ReadFixture("product_unknown.prd"),
                                  ReadFixture("product_full.prd"), generated.substr(0, cut)}) {
    std::vector<std::string> read[3];
    for (int way = 0; way < 3; ++way) {
      ProductDataDocument_c document;
      KorBuffer_c buffer;
      buffer.Assign(file);
      document.LoadXML(&buffer, way == 1 ? ProductCommandsAs::Text : ProductCommandsAs::Trees);
      ProductDataCommands_c* commands = document.ProductData()->FirstProtocol()->Commands();
      for (int32_t i = commands->Count() - 1; way == 2 && i >= 0; i -= 2) {
        KorXML_c* element = commands->Item(i)->GetElement();
        commands->GetElement()
            ->InsertBefore(element, std::make_unique<KorXML_c>(KOR_XML_RAW))
            ->SetText(element->ToXML());
        commands->GetElement()->RemoveChild(element);
      }
      const int32_t count = CommandCount(*commands);
      EXPECT_EQ(count > commands->Count(), way > 0);
      TakeEachCommand(*commands, [&](ProductDataCommand_c& command, std::string_view text) {
        read[way].push_back(Reading(command));
        EXPECT_EQ(text.empty() ? read[way].back() : Reading(*CommandFromText(text)),
                  read[way].back());
      });
      EXPECT_EQ(static_cast<int32_t>(read[way].size()), count);
      EXPECT_EQ(CommandCount(*commands), 0);
    }
    EXPECT_EQ(read[1], read[0]);
    EXPECT_EQ(read[2], read[0]);
  }
  for (const char* text : {"", "t", "<a/><b/>", "<a></b>", "<!-- c -->", "<?xml a=\"1\"?><a/>"})
    EXPECT_EQ(CommandFromText(text), nullptr) << text;
  EXPECT_EQ(CommandFromText("<a name=\"x\"/>")->GetElement()->GetParent()->ToXML(),
            "<commands><command name=\"x\" /></commands>");
}

}  // namespace
