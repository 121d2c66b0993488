#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base_helpers.h"
#include "model/showrules.h"
#include "model/showvariable.h"

using namespace base_test;

namespace {

// The device variables of the fixture's protocol, bound.
struct VariablesFixture {
  ShowDocument_c document;
  ShowDataVariables_c variables;

  VariablesFixture() {
    LoadText(document, ReadFixture("base_variables.prd"));
    variables.SetDocument(&document);
    variables.Bind(At(document, "product/protocols/protocol"));
  }
  ShowDataVariable_c* Named(const char* name) { return variables.FindByName(name); }
};

std::string RuleTags(ShowResourceVariable_c* variable) {
  ShowResourceRules_c* rules = variable->PeekRules();
  return rules ? ChildTags(rules->GetElement()) : "<no rules>";
}

}  // namespace

TEST(RuleKeywords, TableAndLookups) {
  const std::vector<std::string> expected = {
      "none",     "integer", "string",  "bool",    "timecode", "lcdstring", "datetime",
      "variable", "output",  "input",   "sequence", "percent", "label",     "decimal",
      "button",   "option",  "device",  "aoutput", "ainput"};
  for (int32_t code = 0; code <= SHOW_RULE_LAST; ++code) {
    EXPECT_EQ(ShowRuleKeyword(code), expected[static_cast<size_t>(code)]);
    EXPECT_EQ(ShowRuleTypeCode(expected[static_cast<size_t>(code)]), code);
  }
  EXPECT_EQ(ShowRuleTypeCode("DeCiMaL"), SHOW_RULE_DECIMAL);
  EXPECT_EQ(ShowRuleTypeCode("float"), SHOW_RULE_NONE);
  EXPECT_EQ(ShowRuleTypeCode(""), SHOW_RULE_NONE);
  EXPECT_STREQ(ShowRuleKeyword(19), "none");
  EXPECT_STREQ(ShowRuleKeyword(-1), "none");
}

TEST(ShowDataVariables, ReadFromAFileInOrder) {
  VariablesFixture f;
  ASSERT_EQ(f.variables.Count(), 4);
  std::vector<std::string> names;
  for (ShowDataVariable_c* v = f.variables.First(); v; v = f.variables.Next())
    names.push_back(v->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"Power", "Input", "Level", "Bare"}));
  // The upper-case VAR was normalised; the unknown element stays.
  EXPECT_EQ(ChildTags(At(f.document, "product/protocols/protocol/variables")),
            "var var extra var var");

  EXPECT_EQ(f.Named("power")->IsSetup(), KOR_TRUE);
  EXPECT_EQ(f.Named("Input")->GetList(), 4);
}

TEST(ShowDataVariables, TypeComesFromTheFirstRecognisedRule) {
  VariablesFixture f;
  struct Row {
    const char* variable;
    const char* keyword;
    int32_t code;
  };
  const Row rows[] = {
      {"Power", "bool", SHOW_RULE_BOOL},
      {"Input", "option", SHOW_RULE_OPTION},  // the unknown <foo/> does not count
      {"Level", "decimal", SHOW_RULE_DECIMAL},
      {"Bare", "none", SHOW_RULE_NONE},
  };
  for (const Row& row : rows) {
    ShowDataVariable_c* variable = f.Named(row.variable);
    ASSERT_NE(variable, nullptr) << row.variable;
    EXPECT_EQ(variable->GetTypeKeyword(), row.keyword) << row.variable;
    EXPECT_EQ(variable->GetTypeCode(), row.code) << row.variable;
  }
  EXPECT_EQ(f.Named("Input")->PeekRules()->Count(), 2);
}

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

TEST(ShowResourceVariable, AttributesAndDescription) {
  ShowDocument_c document;
  LoadText(document, "<?xml?><v/>");
  ShowResourceVariable_c variable;
  ASSERT_EQ(variable.Bind(At(document, "v")), KOR_OK);
  variable.SetName("Volume");
  variable.SetInit("10");
  variable.SetList(3);
  variable.SetZero(true);
  variable.SetDeviceVar(true);
  variable.SetSetup(false);
  variable.SetText("Master volume");
  EXPECT_EQ(SaveText(document),
            "<?xml?><resource name=\"Volume\" init=\"10\" list=\"3\" "
            "zero=\"true\" device_var=\"true\" >Master volume</resource>");
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
  VariablesFixture f;
  ShowDataVariable_c* input = f.Named("Input");
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

TEST(ShowDataVariable, EveryVarGetsAnLvsElement) {
  VariablesFixture f;
  for (ShowDataVariable_c* v = f.variables.First(); v; v = f.variables.Next()) {
    SCOPED_TRACE(v->GetName());
    ASSERT_NE(v->ListVariables(), nullptr);
    EXPECT_EQ(v->ListVariables()->GetElement()->GetParent(), v->GetElement());
  }
  EXPECT_EQ(ChildTags(f.Named("Power")->GetElement()), "rules lvs");
  EXPECT_EQ(ChildTags(f.Named("Bare")->GetElement()), "rules lvs");

  ShowDataVariable_c* fresh = f.variables.Item(f.variables.Count(), true);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(ChildTags(fresh->GetElement()), "lvs");
  ShowDataListVariable_c* entry = fresh->ListVariables()->Item(1, true);
  ASSERT_NE(entry, nullptr);
  fresh->SetZero(true);
  EXPECT_EQ(entry->IsZero(), KOR_TRUE);
  EXPECT_NE(SaveText(f.document).find("<var zero=\"true\" ><lvs><lv/><lv/></lvs></var>"),
            std::string::npos)
      << SaveText(f.document);
}

TEST(ShowDataVariable, UnknownContentSurvivesLoadAndSave) {
  VariablesFixture f;
  for (ShowDataVariable_c* v = f.variables.First(); v; v = f.variables.Next()) {
    v->GetName();
    v->GetInit();
    v->GetTypeKeyword();
  }
  std::string saved = SaveText(f.document);
  for (const char* kept : {"<!-- kept: a comment the model does not name -->",
                           "colour=\"blue\"", "<foo/>", "<note>skip me</note>",
                           "<extra keep=\"me\" />", "<version>2.1</version>"}) {
    EXPECT_NE(saved.find(kept), std::string::npos) << kept << "\n" << saved;
  }
}
