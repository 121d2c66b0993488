#include <gtest/gtest.h>

#include <string>

#include "model/productdatahardware.h"
#include "product_helpers.h"

using namespace product_test;

namespace {

constexpr std::string_view kProduct =
    "<product><hardware group=\"%s\" ><ports><port type=\"serial\" /></ports></hardware>"
    "<protocols><protocol name=\"P\" >"
    "<ports><port type=\"%s\" ><port_options><port_option baud=\"9600\" /></port_options>"
    "</port></ports></protocol></protocols></product>";

std::string WithWords(const std::string& group, const std::string& type) {
  std::string text(kProduct);
  text.replace(text.find("%s"), 2, group);
  text.replace(text.find("%s"), 2, type);
  return text;
}

TEST(ProductHardware, GroupWordsReadByIndexIgnoringCase) {
  struct Row {
    const char* stored;
    int32_t index;
  } rows[] = {{"custom", 0},    {"audio", 1}, {"CONTROL", 2}, {"Display", 3}, {"lighting", 4},
              {"projector", 5}, {"video", 6}, {"speaker", 0}, {"", 0}};
  for (const Row& row : rows) {
    LoadedProduct p(WithWords(row.stored, "serial"));
    EXPECT_EQ(p.root->Hardware()->GetGroupIndex(), row.index) << row.stored;
    EXPECT_EQ(p.root->Hardware()->GetGroup(), row.stored);
  }
}

TEST(ProductHardware, SetGroupStoresKnownWordsAsGivenAndRefusesOthers) {
  LoadedProduct p(WithWords("audio", "serial"));
  ProductDataHardware_c* hardware = p.root->Hardware();
  p.document.SetModified(KOR_FALSE);

  EXPECT_EQ(hardware->SetGroup("Projector"), KOR_OK);
  EXPECT_EQ(hardware->GetGroup(), "Projector");
  EXPECT_EQ(hardware->GetGroupIndex(), PRODUCT_GROUP_PROJECTOR);
  EXPECT_TRUE(KorIsTrue(p.document.IsModified()));

  p.document.SetModified(KOR_FALSE);
  for (const char* bad : {"speaker", "", "projectors", "video "}) {
    EXPECT_EQ(hardware->SetGroup(bad), KOR_FAIL) << bad;
    EXPECT_EQ(hardware->GetGroup(), "Projector");
  }
  EXPECT_FALSE(KorIsTrue(p.document.IsModified()));
}

TEST(ProductHardware, BindFindsOrCreatesHardwareAndPorts) {
  LoadedProduct p(
      "<product><HARDWARE group=\"video\" ><port type=\"midi\" /></HARDWARE></product>");
  ProductDataHardware_c* hardware = p.root->Hardware();
  ASSERT_NE(hardware, nullptr);
  EXPECT_EQ(hardware->GetGroupIndex(), PRODUCT_GROUP_VIDEO);
  // The stray port sits beside `ports`, not in it, so it is no port of the list.
  EXPECT_EQ(ChildTags(p.Node("product/hardware")), "port ports");
  EXPECT_EQ(hardware->Ports()->Count(), 0);

  // Rebinding starts again from the product element and finds the same block.
  ASSERT_EQ(hardware->Rebind(), KOR_OK);
  EXPECT_EQ(hardware->GetElement(), p.Node("product/hardware"));
  EXPECT_EQ(ChildTags(p.Node("product")), "hardware info protocols");
}

TEST(ProductPort, TypeKeywordsByIndex) {
  struct Row {
    const char* stored;
    int32_t index;
  } rows[] = {{"null", 0},   {"programmer", 1}, {"serial", 2}, {"SERIAL", 2},   {"Ethernet", 3},
              {"dmx512", 4}, {"midi", 5},       {"usb", 6},    {"firewire", 0}, {"", 0}};
  for (const Row& row : rows) {
    LoadedProduct p(WithWords("audio", row.stored));
    EXPECT_EQ(p.Protocol()->Ports()->Item(0)->GetType(), row.index) << row.stored;
  }
}

TEST(ProductPort, SetTypeWritesTheKeywordAndRefusesOtherIndices) {
  LoadedProduct p(WithWords("audio", "serial"));
  ProductDataPort_c* port = p.Protocol()->Ports()->Item(0);
  for (int32_t index = 0; index < PRODUCT_PORT_TYPE_COUNT; ++index) {
    ASSERT_EQ(port->SetType(index), KOR_OK);
    EXPECT_EQ(port->GetElement()->GetAttribute("type"), ProductPortTypeKeyword(index));
    EXPECT_EQ(port->GetType(), index);
  }
  EXPECT_EQ(port->SetType(-1), KOR_FAIL);
  EXPECT_EQ(port->SetType(7), KOR_FAIL);
  EXPECT_EQ(port->GetElement()->GetAttribute("type"), "usb");
}

TEST(ProductPort, OptionsListIsMadeOnFirstAccess) {
  LoadedProduct p(
      "<product><protocols><protocol><ports><port type=\"serial\" /></ports>"
      "</protocol></protocols></product>");
  ProductDataPort_c* port = p.Protocol()->Ports()->Item(0);
  EXPECT_EQ(ChildTags(port->GetElement()), "");
  ProductDataPortOptions_c* options = port->PortOptions();
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(port->PortOptions(), options);
  EXPECT_EQ(ChildTags(port->GetElement()), "port_options");
  EXPECT_EQ(options->Count(), 0);

}

TEST(ProductPortOption, FieldsAreStoredInTheirAttributes) {
  LoadedProduct p("<product/>");
  ProductDataPort_c* port = p.root->FirstProtocol()->Ports()->Item(0, true);
  ASSERT_NE(port, nullptr);
  ASSERT_EQ(port->SetType(PRODUCT_PORT_ETHERNET), KOR_OK);
  ProductDataPortOption_c* option = port->PortOptions()->Item(0, true);
  ASSERT_NE(option, nullptr);
  option->SetBaud("115200");
  option->SetBits("8");
  option->SetParity("even");
  option->SetStopBits("2");
  option->SetEType("tcp/telnet");
  option->SetIPAddress("10.0.0.7");
  option->SetEPort(23);
  option->SetESPort(0);
  EXPECT_EQ(Xml(port->GetElement()),
            "<port type=\"ethernet\" ><port_options><port_option baud=\"115200\" bits=\"8\" "
            "parity=\"even\" stop_bits=\"2\" etype=\"tcp/telnet\" ip_address=\"10.0.0.7\" "
            "eport=\"23\" esport=\"0\" /></port_options></port>");

}

TEST(ProductProtocol, BindAddsMissingWrappersAfterExistingOnes) {
  LoadedProduct p(
      "<product><protocols><protocol name=\"X\" ><commands><command name=\"A\" />"
      "</commands></protocol></protocols></product>");
  ProductDataProtocol_c* protocol = p.Protocol();
  EXPECT_EQ(ChildTags(protocol->GetElement()), "commands ports setup_messages variables");
  EXPECT_EQ(protocol->Commands()->Count(), 1);
}

TEST(ProductProtocol, EveryChildOfProtocolsIsAProtocol) {
  LoadedProduct p(
      "<product><protocols><driver name=\"A\" /><protocol name=\"B\" /></protocols>"
      "</product>");
  ProductDataProtocols_c* protocols = p.root->Protocols();
  ASSERT_EQ(protocols->Count(), 2);
  EXPECT_EQ(protocols->Item(0)->GetName(), "A");
  EXPECT_EQ(ChildTags(p.Node("product/protocols")), "protocol protocol");
  EXPECT_EQ(ChildTags(protocols->Item(0)->GetElement()), "ports setup_messages commands variables");
}

TEST(ProductProtocol, FirstProtocolIsMadeWhenMissing) {
  LoadedProduct p("<product/>");
  EXPECT_EQ(p.root->Protocols()->Count(), 0);
  ProductDataProtocol_c* first = p.root->FirstProtocol();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(p.root->FirstProtocol(), first);
  EXPECT_EQ(p.root->Protocols()->Count(), 1);
  EXPECT_EQ(Xml(p.Node("product/protocols")),
            "<protocols><protocol><ports/><setup_messages/><commands/><variables/></protocol>"
            "</protocols>");
}

TEST(ProductProtocol, FindOwnerReachesObjectsInsideTheLists) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ProductDataProtocol_c* protocol = p.Protocol();
  ProductDataPort_c* port = protocol->Ports()->Item(1);
  ProductDataPortOption_c* option = port->PortOptions()->Item(0);
  KorXML_c* eport = option->GetElement()->FindAttribute("eport");
  ASSERT_NE(eport, nullptr);
  EXPECT_EQ(protocol->FindOwner(eport), option);
  EXPECT_EQ(p.root->FindOwner(eport), option);
  EXPECT_EQ(p.root->FindOwner(protocol->GetElement()), protocol);
  KorXML_c* group = p.Node("product/hardware")->FindAttribute("group");
  EXPECT_EQ(p.root->FindOwner(group), p.root->Hardware());
  EXPECT_EQ(protocol->FindOwner(group), nullptr);
}

TEST(ProductProtocol, RemovingAPortThroughItsListLeavesNoDanglingView) {
  LoadedProduct p(ReadFixture("product_full.prd"));
  ProductDataPorts_c* ports = p.Protocol()->Ports();
  ASSERT_EQ(ports->Count(), 2);
  // A second view of the first port, with its option list made.
  ProductDataPort_c view;
  view.SetDocument(&p.document);
  ASSERT_EQ(view.Bind(ports->Item(0)->GetElement()), KOR_OK);
  ASSERT_NE(view.PortOptions(), nullptr);

  ASSERT_NE(ports->First(), nullptr);
  ASSERT_EQ(ports->RemoveCurrent(), KOR_OK);
  EXPECT_EQ(ports->Count(), 1);
  EXPECT_EQ(ports->Item(0)->GetName(), "Ethernet");
  EXPECT_FALSE(view.IsBound());
  EXPECT_EQ(view.PortOptions(), nullptr);
  EXPECT_EQ(view.GetType(), PRODUCT_PORT_NULL);
  EXPECT_EQ(ChildTags(p.Node("product/protocols/protocol/ports")), "port");
}

}  // namespace
