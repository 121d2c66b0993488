#include <gtest/gtest.h>

#include <string>

#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"
#include "model/showrules.h"
#include "modeltesting.h"

using namespace model_test;

namespace {

std::string Str(const std::string& text) { return text; }
std::string Str(int32_t value) { return std::to_string(value); }
std::string Str(KorBool value) { return std::to_string(KorIsTrue(value)); }

// The parts joined by '|'. Callers list them in braces, which fixes the
// order of the reads (function arguments have none): reading creates
// missing attributes, so the order shows in the saved bytes.
std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (&part != parts.begin()) out += '|';
    out += part;
  }
  return out;
}

// Everything the editors read, in the order they read it, as one text.
class Dump {
 public:
  std::string Of(ProductData_c* root) {
    m_out.clear();
    Line("product", Join({Str(root->GetMake()), Str(root->GetModel()), Str(root->GetXmlnsXsi()),
                          Str(root->GetSchemaLocation()), Str(root->IsCreator()),
                          Str(root->GetCreatorVersion())}));
    ShowDataInfo_c* info = root->Info();
    Line("info", Join({Str(info->GetVersion()), Str(info->GetDescription())}));
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
        Line("command", Join({Str(command->GetName()), Str(command->GetDescription()),
                              Str(command->GetTimeout()), Str(command->GetRetries()),
                              Str(command->IsUnsolicited())}));
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
        if (auto* bounded = dynamic_cast<ShowDataRuleBounded_c*>(rule)) {
          const std::string min = Str(bounded->GetMin());
          rules += "[" + min + "," + Str(bounded->GetMax()) + "]";
        }
        if (auto* option = dynamic_cast<ShowDataRuleOption_c*>(rule)) {
          const std::string match = option->GetMatch();
          rules += "[" + match + "=" + option->GetReplace() + "]";
        }
        if (auto* regexp = dynamic_cast<ShowDataRuleRegexp_c*>(rule))
          rules += "[" + regexp->GetRegexp() + "]";
      }
    }
    Line(what, Join({Str(var->GetName()), Str(var->GetTypeKeyword() + rules), Str(var->GetInit()),
                     Str(var->GetList()), Str(var->IsZero()), Str(var->IsDeviceVar()),
                     Str(var->IsSetup()), Str(var->GetText())}));
  }

  void Ports(ProductDataPorts_c* ports) {
    for (int32_t i = 0; i < ports->Count(); ++i) {
      ProductDataPort_c* port = ports->Item(i);
      Line("port", Join({Str(port->GetName()), Str(port->GetType())}));
      ProductDataPortOptions_c* options = port->PortOptions();
      for (int32_t o = 0; o < options->Count(); ++o) {
        ProductDataPortOption_c* option = options->Item(o);
        Line("option",
             Join({Str(option->GetBaud()), Str(option->GetBits()), Str(option->GetParity()),
                   Str(option->GetStopBits()), Str(option->GetEType()), Str(option->GetIPAddress()),
                   Str(option->GetEPort()), Str(option->GetESPort())}));
      }
    }
  }

  void Params(ProductDataParams_c* params) {
    for (int32_t i = 0; i < params->Count(); ++i) {
      Variable("param", params->Item(i));
      Line("param+",
           Join({Str(params->Item(i)->GetDescription()), Str(params->Item(i)->GetExample())}));
    }
  }

  void Operations(ProductDataOperations_c* operations) {
    for (int32_t i = 0; i < operations->Count(); ++i) {
      Variable("operation", operations->Item(i));
      Line("result", operations->Item(i)->GetResult());
    }
  }

  void Message(ProductDataMessage_c* message) {
    Line("message",
         Join({Str(message->GetName()), Str(message->GetFormat()), Str(message->GetRegexpFormat()),
               Str(message->IsIncoming()), Str(message->IsManual()), Str(message->GetText())}));
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

// What the editors write for a new file, in the order they write it.
void WriteNewProduct(ProductDataDocument_c& document) {
  document.Reset();
  ProductData_c* root = document.ProductData();
  root->SetMake("Acme");
  root->SetModel("PJ & 9");
  ShowDataInfo_c* info = root->Info();
  info->SetVersion("2.0");  // set before any read: no default is left behind
  info->SetDescription("");
  info->Authors()->SetAuthor(2, "Lin");  // the missing ones are created empty
  info->Authors()->SetAuthor(0, "Kim");
  root->Hardware()->SetGroup("Projector");

  ProductDataProtocol_c* protocol = root->FirstProtocol();
  protocol->SetName("Acme TCP");
  ProductDataPort_c* port = protocol->Ports()->Item(0, true);
  port->SetName("Net");
  port->SetType(PRODUCT_PORT_ETHERNET);
  ProductDataPortOption_c* option = port->PortOptions()->Item(0, true);
  option->SetBaud("115200");
  option->SetBits("8");
  option->SetParity("even");
  option->SetStopBits("2");
  option->SetEType("tcp/telnet");
  option->SetIPAddress("10.0.0.7");
  option->SetEPort(23);
  option->SetESPort(0);
  ProductDataSetupMessages_c* setup = protocol->SetupMessages();
  setup->Item(0, true)->SetFormat("\"HELLO\"");
  setup->Item(1, true)->SetIncoming(true);
  setup->Item(1)->SetRegexpFormat("OK");

  ProductDataCommand_c* command = protocol->Commands()->Item(0, true);
  command->SetName("Volume");
  command->SetUnsolicited(true);
  command->SetUnsolicited(false);  // written as "false", not removed
  command->SetDescription("Sets <the> level");
  ProductDataParams_c* params = command->Params();
  const char* types[] = {"integer", "decimal", "string", "option", "percent", "none"};
  for (int32_t i = 0; i < 6; ++i) {
    ProductDataParam_c* param = params->Item(i, true);
    param->SetName(std::string("P-") + types[i]);
    param->SetDescription("about");
    param->SetExample("7");
    if (i != 3) param->SetTypeKeyword(types[i]);  // options make their own rules
  }
  params->Item(1)->SetMin(1);
  params->Item(1)->SetMax(9);
  params->Item(2)->SetRegexp("[0-9]+");
  params->Item(3)->AddOption("On", "1");
  params->Item(3)->AddOption("Off", "");  // an empty replace is still written

  ProductDataMessage_c* out = command->Messages()->Item(0, true);
  out->SetName("Out");
  out->SetFormat("\"VOL %d\\r\", P-integer");
  const char* pieces[][2] = {
      {"constant1", "\"VOL \""}, {"parameter2", "P-integer"}, {"constant3", "\"\\r\""}};
  for (int32_t i = 0; i < 3; ++i) {
    ProductDataSubstring_c* piece = out->Substrings()->Item(i, true);
    piece->SetName(pieces[i][0]);
    piece->SetDeviceVar(false);  // false removes: nothing is written
    piece->SetResult(pieces[i][1]);
  }
  ProductDataMessage_c* in = command->Messages()->Item(1, true);
  in->SetName("In");
  in->SetIncoming(true);
  in->SetManual(true);
  in->SetIncoming(false);  // removed, and written again after manual
  in->SetIncoming(true);
  in->SetRegexpFormat("VOL=([0-9]+)");
  in->SetText("VOL=5");
  ProductDataOperation_c* operation = in->Operations()->Item(0, true);
  operation->SetName("Level");
  operation->SetResult("x*2");
  operation->SetDeviceVar(true);

  ShowDataVariable_c* variable = protocol->Variables()->Item(0, true);
  variable->SetName("Volume");
  variable->SetInit("10");
  variable->SetList(2);
  variable->SetZero(true);
  variable->SetDeviceVar(true);
  variable->SetSetup(false);
  variable->SetTypeKeyword("integer");
  variable->SetText("Master volume");
  variable->ListVariables()->Item(1, true);
  root->StampCreator();
}

// Each golden file is read through every accessor the editors use; the
// saved bytes and the values read are compared with files beside it.
TEST(ProductFormat, GoldenFilesLoadReadAndSave) {
  struct Row {
    const char* file;
    const char* saved;   // the bytes saved straight after loading
    const char* values;  // every field as read
  } rows[] = {
      {"product_full.prd", "product_full.prd", "product_full.values"},
      // Tags in any case, renamed items, stray elements, text and comments.
      {"product_unknown.prd", "product_unknown_saved.prd", "product_unknown.values"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    LoadedProduct p(ReadFixture(row.file));
    ASSERT_NE(p.root, nullptr);
    EXPECT_EQ(SaveText(p.document), ReadFixture(row.saved));
    const std::string values = Dump().Of(p.root);
    EXPECT_EQ(values, ReadFixture(row.values));
    // Reading added the attributes it looked up (empty), which changes no value.
    const std::string saved = SaveText(p.document);
    LoadedProduct again(saved);
    EXPECT_EQ(Dump().Of(again.root), values);
    EXPECT_EQ(SaveText(again.document), saved);
  }
}

// Edits after a full read keep everything the model does not name.
TEST(ProductFormat, EditingAHandWrittenFileKeepsUnknownContent) {
  LoadedProduct p(ReadFixture("product_unknown.prd"));
  Dump().Of(p.root);
  p.root->SetMake("Acme Audio");
  p.root->StampCreator();
  p.root->SetCreator(false);  // removes creator, keeps creator_ver
  p.root->Hardware()->SetGroup("audio");
  p.root->Info()->Authors()->SetAuthor(1, "Kim Lee");
  ProductDataProtocol_c* protocol = p.Protocol();
  protocol->Commands()->Item(0)->SetTimeout(250);
  protocol->Commands()->Item(0)->Messages()->Item(1)->SetIncoming(false);
  ShowDataVariables_c* variables = protocol->Variables();
  variables->FindByName("Input")->SetTypeKeyword("Decimal");  // unknown <foo/> stays
  variables->FindByName("Gain")->SetSetup(false);
  variables->FindByName("Bare")->SetSetup(true);
  EXPECT_EQ(SaveText(p.document), ReadFixture("product_unknown_edited.prd"));
}

TEST(ProductFormat, NewFileAsTheEditorsWriteIt) {
  ProductDataDocument_c document;
  WriteNewProduct(document);
  const std::string saved = SaveText(document);
  EXPECT_EQ(saved, ReadFixture("product_new.prd"));
  // Read back through fresh objects, as the editors load it.
  LoadedProduct again(saved);
  EXPECT_EQ(Dump().Of(again.root), ReadFixture("product_new.values"));
}

// An empty document gets the skeleton the editors need when its root binds.
TEST(ProductFormat, EmptyDocumentGetsTheSkeleton) {
  LoadedProduct p("");
  EXPECT_EQ(SaveText(p.document),
            "<product><info><authors/></info><hardware><ports/></hardware><protocols/></product>");
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

}  // namespace
