#include <gtest/gtest.h>

#include <string>

#include "model/showrules.h"
#include "model/showvariable.h"
#include "modeltesting.h"

using namespace model_test;

namespace {

// The first text child of node, empty or not.
KorXML_c* FirstText(const KorXML_c* node) {
  if (!node || !node->PeekChildren()) return nullptr;
  for (KorObject_c* object : *node->PeekChildren())
    if (static_cast<KorXML_c*>(object)->GetType() == KOR_XML_TEXT)
      return static_cast<KorXML_c*>(object);
  return nullptr;
}

std::string RuleTags(ShowResourceVariable_c* variable) {
  ShowResourceRules_c* rules = variable->PeekRules();
  return rules ? ChildTags(rules->GetElement()) : "<no rules>";
}

}  // namespace

TEST(ShowResourceVariable, SetTypeReplacesEveryRule) {
  struct Row {
    const char* keyword;
    const char* tags;  // under rules afterwards
    const char* type;
  };
  const Row rows[] = {
      {"Decimal", "decimal", "decimal"},
      {"float", "", "none"},
      {"none", "", "none"},
      {"OPTION", "option", "option"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keyword);
    ShowDocument_c document;
    LoadText(document,
             "<?xml?><v><rules><integer min=\"1\"/><wobble/><option match=\"a\"/></rules></v>");
    ShowResourceVariable_c variable;
    variable.SetDocument(&document);
    ASSERT_EQ(variable.Bind(At(document, "v")), KOR_OK);
    ASSERT_EQ(variable.GetTypeKeyword(), "integer");
    EXPECT_EQ(variable.SetTypeKeyword(row.keyword), KOR_OK);
    // Only rule elements go: an unknown child of rules is not a rule.
    std::string expected = std::string("wobble") + (*row.tags ? " " : "") + row.tags;
    EXPECT_EQ(RuleTags(&variable), expected);
    EXPECT_EQ(variable.GetTypeKeyword(), row.type);
    EXPECT_EQ(document.IsModified(), KOR_TRUE);
  }
}

TEST(ShowResourceVariable, TypeCodesOutsideTheTableAddNoRule) {
  ShowDocument_c document;
  LoadText(document, "<?xml?><v/>");
  ShowResourceVariable_c variable;
  ASSERT_EQ(variable.Bind(At(document, "v")), KOR_OK);
  EXPECT_EQ(variable.GetTypeCode(), SHOW_RULE_NONE);
  EXPECT_EQ(variable.PeekRules(), nullptr);
  EXPECT_EQ(ChildTags(variable.GetElement()), "") << "reading the type must not add rules";

  EXPECT_EQ(variable.SetTypeCode(SHOW_RULE_AINPUT), KOR_OK);
  EXPECT_EQ(RuleTags(&variable), "ainput");
  EXPECT_EQ(variable.SetTypeCode(19), KOR_OK);
  EXPECT_EQ(RuleTags(&variable), "");
  EXPECT_EQ(variable.SetTypeCode(-4), KOR_OK);
  EXPECT_EQ(variable.GetTypeKeyword(), "none");
  EXPECT_EQ(variable.Rules()->AddRule(0), nullptr);
  EXPECT_EQ(variable.Rules()->AddRule(19), nullptr);
}

TEST(ShowResourceVariable, FindOwnerCoversTextAndRules) {
  ShowDocument_c document;
  LoadText(document, "<?xml?><v name=\"x\"><rules><string regexp=\"a\"/></rules></v>");
  ShowResourceVariable_c variable;
  ASSERT_EQ(variable.Bind(At(document, "v")), KOR_OK);
  EXPECT_EQ(variable.FindOwner(At(document, "resource")), &variable);
  EXPECT_EQ(FirstText(variable.GetElement()), nullptr);
  // Asking about another node creates the (empty) text node, which belongs
  // to the variable.
  EXPECT_EQ(variable.FindOwner(At(document, "resource/rules")), variable.PeekRules());
  ASSERT_NE(FirstText(variable.GetElement()), nullptr);
  EXPECT_EQ(variable.FindOwner(FirstText(variable.GetElement())), &variable);
  KorXML_c* rule = At(document, "resource/rules/string");
  EXPECT_EQ(variable.FindOwner(rule->FindAttribute("regexp")), variable.FirstRule());
}

TEST(ShowDataVariable, ListEntriesAndTheirZeroFlag) {
  LoadedProduct p(ReadFixture("product_unknown.prd"));
  ShowDataVariable_c* input = p.Protocol()->Variables()->FindByName("input");
  ShowDataListVariables_c* lvs = input->ListVariables();
  ASSERT_NE(lvs, nullptr);
  EXPECT_EQ(lvs->GetOwnerVariable(), input);
  ASSERT_EQ(lvs->Count(), 2);
  EXPECT_EQ(lvs->Item(1)->GetName(), "In2");
  EXPECT_EQ(ChildTags(lvs->GetElement()), "lv note lv");

  // An lv reports zero as its var does, whatever it holds itself.
  ShowDataListVariable_c* entry = lvs->Item(0);
  EXPECT_EQ(entry->GetOwnerVariable(), input);
  EXPECT_EQ(entry->IsZero(), KOR_TRUE);
  input->SetZero(false);
  entry->SetZero(true);
  EXPECT_EQ(entry->IsZero(), KOR_FALSE);

  // A free-standing lv uses its own flag.
  ShowDataListVariable_c loose;
  ASSERT_EQ(loose.Bind(entry->GetElement()), KOR_OK);
  EXPECT_EQ(loose.IsZero(), KOR_TRUE);
}
