#include <gtest/gtest.h>

#include <string>

#include "model/document/productdatadocument.h"
#include "model/showrules.h"
#include "product_helpers.h"

using namespace product_test;

namespace {

std::string Str(const std::string& text) { return text; }
std::string Str(int32_t value) { return std::to_string(value); }
std::string Str(KorBool value) { return std::to_string(KorIsTrue(value)); }

// The parts joined by '|'.
template <class First, class... T>
std::string Join(const First& first, const T&... rest) {
  std::string out = Str(first);
  ((out += "|" + Str(rest)), ...);
  return out;
}

// Everything the editors read, in the order they read it, as one text.
class Dump {
 public:
  std::string Of(ProductData_c* root) {
    m_out.clear();
    Line("product", Join(root->GetMake(), root->GetModel(), root->GetXmlnsXsi(),
                         root->GetSchemaLocation(), root->IsCreator(), root->GetCreatorVersion()));
    ShowDataInfo_c* info = root->Info();
    Line("info", Join(info->GetVersion(), info->GetDescription()));
    ShowDataInfoAuthors_c* authors = info->Authors();
    for (int32_t i = 0; i < authors->AuthorCount(); ++i) Line("author", authors->GetAuthor(i));
    Line("group", Str(root->Hardware()->GetGroupIndex()));
    Ports(root->Hardware()->Ports());
    ProductDataProtocols_c* protocols = root->Protocols();
    for (int32_t i = 0; i < protocols->Count(); ++i) {
      ProductDataProtocol_c* protocol = protocols->Item(i);
      Line("protocol", protocol->GetName());
      Ports(protocol->Ports());
      ShowDataVariables_c* variables = protocol->Variables();
      for (int32_t v = 0; v < variables->Count(); ++v) {
        Variable("var", variables->Item(v));
        ShowDataListVariables_c* lvs = variables->Item(v)->ListVariables();
        for (int32_t l = 0; l < lvs->Count(); ++l) Variable("lv", lvs->Item(l));
      }
      ProductDataSetupMessages_c* setup = protocol->SetupMessages();
      for (int32_t m = 0; m < setup->Count(); ++m) Message(setup->Item(m));
      ProductDataCommands_c* commands = protocol->Commands();
      for (int32_t c = 0; c < commands->Count(); ++c) {
        ProductDataCommand_c* command = commands->Item(c);
        Line("command", Join(command->GetName(), command->GetDescription(), command->GetTimeout(),
                             command->GetRetries(), command->IsUnsolicited()));
        Params(command->Params());
        Operations(command->Operations());
        ProductDataMessages_c* messages = command->Messages();
        for (int32_t m = 0; m < messages->Count(); ++m) Message(messages->Item(m));
      }
    }
    return m_out;
  }

 private:
  void Line(const char* what, const std::string& text) { m_out += what + (": " + text) + '\n'; }

  void Variable(const char* what, ShowResourceVariable_c* var) {
    std::string rules;
    if (ShowResourceRules_c* list = var->PeekRules()) {
      for (int32_t r = 0; r < list->Count(); ++r) {
        ShowResourceRule_c* rule = list->Item(r);
        rules += std::string(" ") + rule->GetKeyword();
        if (auto* bounded = dynamic_cast<ShowDataRuleBounded_c*>(rule))
          rules += "[" + Str(bounded->GetMin()) + "," + Str(bounded->GetMax()) + "]";
        if (auto* option = dynamic_cast<ShowDataRuleOption_c*>(rule))
          rules += "[" + option->GetMatch() + "=" + option->GetReplace() + "]";
        if (auto* regexp = dynamic_cast<ShowDataRuleRegexp_c*>(rule))
          rules += "[" + regexp->GetRegexp() + "]";
      }
    }
    Line(what, Join(var->GetName(), var->GetTypeKeyword() + rules, var->GetInit(), var->GetList(),
                    var->IsZero(), var->IsDeviceVar(), var->IsSetup(), var->GetText()));
  }

  void Ports(ProductDataPorts_c* ports) {
    for (int32_t i = 0; i < ports->Count(); ++i) {
      ProductDataPort_c* port = ports->Item(i);
      Line("port", Join(port->GetName(), port->GetType()));
      ProductDataPortOptions_c* options = port->PortOptions();
      for (int32_t o = 0; o < options->Count(); ++o) {
        ProductDataPortOption_c* option = options->Item(o);
        Line("option", Join(option->GetBaud(), option->GetBits(), option->GetParity(),
                            option->GetStopBits(), option->GetEType(), option->GetIPAddress(),
                            option->GetEPort(), option->GetESPort()));
      }
    }
  }

  void Params(ProductDataParams_c* params) {
    for (int32_t i = 0; i < params->Count(); ++i) {
      Variable("param", params->Item(i));
      Line("param+", Join(params->Item(i)->GetDescription(), params->Item(i)->GetExample()));
    }
  }

  void Operations(ProductDataOperations_c* operations) {
    for (int32_t i = 0; i < operations->Count(); ++i) {
      Variable("operation", operations->Item(i));
      Line("result", operations->Item(i)->GetResult());
    }
  }

  void Message(ProductDataMessage_c* message) {
    Line("message", Join(message->GetName(), message->GetFormat(), message->GetRegexpFormat(),
                         message->IsIncoming(), message->IsManual(), message->GetText()));
    Params(message->Params());
    ProductDataSubstrings_c* pieces = message->Substrings();
    for (int32_t i = 0; i < pieces->Count(); ++i) {
      Variable("substring", pieces->Item(i));
      Line("result", pieces->Item(i)->GetResult());
    }
    Operations(message->Operations());
  }

  std::string m_out;
};

TEST(ProductFormat, FullFileSurvivesLoadBindAndSaveByteForByte) {
  const std::string file = ReadFixture("product_full.prd");
  ASSERT_FALSE(file.empty());
  LoadedProduct p(file);
  ASSERT_NE(p.root, nullptr);
  EXPECT_EQ(SaveText(p.document), file);
}

// Every value of the full fixture as the editors read it (a golden file).
TEST(ProductFormat, ReadingEveryFieldKeepsTheValues) {
  const std::string file = ReadFixture("product_full.prd");
  LoadedProduct p(file);
  const std::string values = Dump().Of(p.root);
  EXPECT_EQ(values, ReadFixture("product_full.values"));

  // Reading adds the attributes it looked up (empty), which changes no value.
  const std::string saved = SaveText(p.document);
  LoadedProduct again(saved);
  EXPECT_EQ(Dump().Of(again.root), values);
  EXPECT_EQ(SaveText(again.document), saved);
}

TEST(ProductFormat, UnknownContentIsKeptWithoutReset) {
  LoadedProduct p(ReadFixture("product_unknown.prd"));
  ASSERT_NE(p.root, nullptr);
  const std::string expected = ReadFixture("product_unknown_saved.prd");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(SaveText(p.document), expected);

  // The normalised form is stable.
  LoadedProduct again(expected);
  EXPECT_EQ(SaveText(again.document), expected);
  EXPECT_EQ(again.Protocol()->Commands()->Count(), 2);
  EXPECT_EQ(again.Protocol()->Commands()->Item(0)->Messages()->Count(), 1);
}

TEST(ProductFormat, ReadingThroughTheModelKeepsUnknownContent) {
  LoadedProduct p(ReadFixture("product_unknown.prd"));
  Dump().Of(p.root);
  p.root->SetMake("Acme Audio");
  const std::string saved = SaveText(p.document);
  for (const char* kept :
       {"vendor_id=\"77\"", "<!-- hand-written sample -->", "<!-- trailing comment -->",
        "<website url=\"https://example.org/mixer\" />",
        "<notes lang=\"en\" >Keep &lt;this&gt; note</notes>", "<!-- one protocol only -->",
        "revision=\"B\"", "colour=\"red\"", "<gui x=\"10\" y=\"20\" ><dock side=\"left\" /></gui>",
        "<annotation>not a message</annotation>", "trailing text in commands</commands>",
        "min=\"-2147483647\"", "max=\"2147483647\"", "make=\"Acme Audio\""})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept << "\n" << saved;
}

TEST(ProductFormat, SavePathStoresOnlyWhatTheEditorsHold) {
  ProductDataDocument_c document;
  LoadText(document, ReadFixture("product_unknown.prd"));
  std::string make = document.ProductData()->GetMake();
  std::string author = document.ProductData()->Info()->Authors()->GetAuthor(0);

  document.Reset();
  ProductData_c* root = document.ProductData();
  root->SetMake(make);
  root->SetModel("Mixer 8");
  root->Info()->Authors()->SetAuthor(0, author);
  root->Info()->SetVersion("3.0");
  root->Info()->SetDescription("");
  ProductDataProtocol_c* protocol = root->FirstProtocol();
  protocol->SetName("Mixer");
  root->StampCreator();
  EXPECT_EQ(SaveText(document),
            std::string(kDeclaration) +
                "<product make=\"Acme\" model=\"Mixer 8\" "
                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                "xsi:noNamespaceSchemaLocation=\"shell.xsd\" creator=\"true\" creator_ver=\"2\" >"
                "<info><authors><author>Jo</author></authors><version>3.0</version><description/>"
                "</info><hardware><ports/></hardware><protocols><protocol name=\"Mixer\" ><ports/>"
                "<setup_messages/><commands/><variables/></protocol></protocols></product>");
}

TEST(ProductFormat, TwoProductElementsBindTheFirst) {
  LoadedProduct p("<product make=\"First\" /><product make=\"Second\" />");
  EXPECT_EQ(p.root->GetMake(), "First");
  EXPECT_EQ(SaveText(p.document),
            "<product make=\"First\" ><info><authors/></info><hardware><ports/></hardware>"
            "<protocols/></product><product make=\"Second\" />");
}

TEST(ProductFormat, CapitalisedProductIsTheProductElement) {
  LoadedProduct p("<PRODUCT make=\"Loud\" ><Info><VERSION>5</VERSION></Info></PRODUCT>");
  EXPECT_EQ(p.root->GetMake(), "Loud");
  EXPECT_EQ(p.root->Info()->GetVersion(), "5");
  EXPECT_EQ(ChildTags(p.document.GetXMLDocument()), "product");
  EXPECT_EQ(SaveText(p.document),
            "<product make=\"Loud\" ><info><VERSION>5</VERSION><authors/></info>"
            "<hardware><ports/></hardware><protocols/></product>");
}

// Every look-up by tag is among one element's direct children: a deeper
// search would both be slow on large files and bind the wrong element.
TEST(ProductFormat, LookUpsStayAmongDirectChildren) {
  LoadedProduct p(
      "<wrapper><product make=\"Nested\" /></wrapper>"
      "<product make=\"Top\" ><extra><info><version>9</version></info><hardware group=\"video\" />"
      "<protocols><protocol name=\"Deep\" /></protocols></extra><protocols><protocol><extra>"
      "<commands><command name=\"Deep\" /></commands></extra><commands><command><messages>"
      "<message><description>deep</description></message></messages></command></commands>"
      "</protocol></protocols></product>");
  EXPECT_EQ(p.root->GetMake(), "Top");
  EXPECT_EQ(p.root->Info()->GetVersion(), "1.0");
  EXPECT_EQ(p.root->Hardware()->GetGroupIndex(), PRODUCT_GROUP_CUSTOM);
  ASSERT_EQ(p.root->Protocols()->Count(), 1);
  ProductDataCommands_c* commands = p.Protocol()->Commands();
  ASSERT_EQ(commands->Count(), 1);
  ProductDataCommand_c* command = commands->Item(0);
  EXPECT_EQ(command->GetName(), "");
  EXPECT_EQ(command->GetDescription(), "");
  EXPECT_EQ(ChildTags(p.Node("product")), "extra protocols info hardware");
  EXPECT_EQ(ChildTags(command->GetElement()), "messages description");
}

// Thousands of events, each with parameters, messages, substrings and
// operations: loading and reading every field must not rescan the tree per
// item (every look-up is among one element's direct children).
TEST(ProductFormat, LargeFileReadsEveryEventThroughTheModel) {
  constexpr int kEvents = 2000;
  std::string text = std::string(kDeclaration) +
                     "<product make=\"Big\" model=\"Many\" creator=\"true\" creator_ver=\"2\" >"
                     "<info><authors><author>Gen</author></authors><version>1.0</version>"
                     "<description>generated</description></info>"
                     "<hardware group=\"control\" ><ports/></hardware>"
                     "<protocols><protocol name=\"Bulk\" ><ports/><setup_messages/><commands>";
  for (int i = 0; i < kEvents; ++i) {
    std::string n = std::to_string(i);
    text +=
        "<command name=\"Event" + n + "\" timeout=\"" + n + "\" retries=\"1\" " +
        "unsolicited=\"false\" ><description>Event number " + n + "</description>" +
        "<params><param name=\"P" + n + "\" description=\"d\" example=\"" + n +
        "\" ><rules><integer min=\"0\" max=\"" + n + "\" /></rules></param></params>" +
        "<operations/><messages><message name=\"Out\" format=\"&quot;E" + n +
        "&quot;\" ><params/><substrings><substring name=\"constant1\" result=\"&quot;E" + n +
        "&quot;\" /></substrings><operations/></message><message name=\"In\" regexp_format=\"R" +
        n + "\" incoming=\"true\" ><params/><substrings/><operations><operation name=\"L" + n +
        "\" result=\"x\" /></operations>R" + n + "</message></messages></command>";
  }
  text += "</commands><variables/></protocol></protocols></product>";

  ProductDataDocument_c document;
  ASSERT_GT(LoadText(document, text), 0);
  ProductData_c* root = document.ProductData();
  ASSERT_NE(root, nullptr);
  ProductDataCommands_c* commands = root->FirstProtocol()->Commands();
  ASSERT_EQ(commands->Count(), kEvents);
  for (int i = 0; i < kEvents; ++i) {
    std::string n = std::to_string(i);
    ProductDataCommand_c* command = commands->Item(i);
    ASSERT_NE(command, nullptr) << i;
    ASSERT_EQ(command->GetName(), "Event" + n);
    ASSERT_EQ(command->GetDescription(), "Event number " + n);
    ASSERT_EQ(command->GetTimeout(), i);
    ProductDataParam_c* param = command->Params()->Item(0);
    ASSERT_NE(param, nullptr) << i;
    ASSERT_EQ(param->GetExample(), n);
    ASSERT_EQ(param->GetMax(), i);
    ProductDataMessages_c* messages = command->Messages();
    ASSERT_EQ(messages->Count(), 2) << i;
    ASSERT_EQ(messages->Item(0)->GetFormat(), "\"E" + n + "\"");
    ASSERT_EQ(messages->Item(0)->Substrings()->Item(0)->GetResult(), "\"E" + n + "\"");
    ASSERT_EQ(messages->Item(1)->GetText(), "R" + n);
    ASSERT_EQ(messages->Item(1)->Operations()->Item(0)->GetName(), "L" + n);
  }
  // Nothing read so far was missing, so nothing was added.
  EXPECT_EQ(SaveText(document), text);

  const std::string values = Dump().Of(root);
  const std::string saved = SaveText(document);
  ProductDataDocument_c again;
  LoadText(again, saved);
  EXPECT_EQ(Dump().Of(again.ProductData()), values);
}

}  // namespace
