#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../tablerows.h"
#include "model/showrules.h"
#include "modeltesting.h"

using namespace model_test;

namespace {

// A rule of one type bound to a fresh element of its own document, plus a
// target resource for Store.
struct RuleFixture {
  ShowDocument_c document;
  std::unique_ptr<ShowResourceRule_c> rule;
  ShowResource_c target;

  explicit RuleFixture(int32_t code, const std::string& attributes = "") {
    LoadText(document, "<?xml?><root><rule " + attributes + "/><target/></root>");
    rule = ShowCreateRule(code);
    rule->SetDocument(&document);
    rule->Bind(At(document, "root/rule"));
    target.Bind(At(document, "root/target"));
  }
  KorXML_c* RuleElement() { return rule->GetElement(); }
};

}  // namespace

TEST(Rules, ValidateByType) {
  for (const auto& row : ReadRows("validate.tsv", 4)) {
    RuleFixture f(ShowRuleTypeCode(row[0]), row[1]);
    EXPECT_EQ(f.rule->Validate(row[2]), row[3] == "ok" ? KOR_OK : KOR_FAIL)
        << row[0] << " [" << row[1] << "] \"" << row[2] << '"';
  }
  RuleFixture dot(SHOW_RULE_STRING, "regexp=\"a.b\"");
  EXPECT_EQ(dot.rule->Validate("a\nb"), KOR_OK) << "a dot matches a line end";
}

TEST(Rules, NameRulesAcceptAnyNonEmptyText) {
  for (int32_t code :
       {SHOW_RULE_VARIABLE, SHOW_RULE_OUTPUT, SHOW_RULE_INPUT, SHOW_RULE_SEQUENCE, SHOW_RULE_LABEL,
        SHOW_RULE_BUTTON, SHOW_RULE_DEVICE, SHOW_RULE_AOUTPUT, SHOW_RULE_AINPUT}) {
    RuleFixture f(code);
    EXPECT_EQ(f.rule->Validate("Main.Level[2]"), KOR_OK) << ShowRuleKeyword(code);
    EXPECT_EQ(f.rule->Validate(""), KOR_FAIL) << ShowRuleKeyword(code);
  }
}

TEST(Rules, BoundsAreCreatedWithTheirDefaults) {
  RuleFixture f(SHOW_RULE_INTEGER);
  auto* integer = dynamic_cast<ShowDataRuleInteger_c*>(f.rule.get());
  ASSERT_NE(integer, nullptr);
  EXPECT_EQ(f.RuleElement()->FindAttribute("min"), nullptr);
  EXPECT_EQ(integer->GetMin(), -2147483647);
  EXPECT_EQ(f.RuleElement()->GetAttribute("min"), "-2147483647");
  EXPECT_EQ(f.RuleElement()->FindAttribute("max"), nullptr);
  EXPECT_EQ(integer->SetMax(10), KOR_OK);
  EXPECT_EQ(integer->GetMax(), 10);
  EXPECT_EQ(f.document.IsModified(), KOR_TRUE);

  RuleFixture d(SHOW_RULE_DECIMAL);
  d.rule->Validate("1.5");  // validation reads (and so creates) both bounds
  EXPECT_EQ(d.RuleElement()->GetAttribute("min"), "-2147483647");
  EXPECT_EQ(d.RuleElement()->GetAttribute("max"), "2147483647");
  EXPECT_EQ(d.document.IsModified(), KOR_FALSE) << "creating a default is not an edit";
}

TEST(Rules, ExpressionIsCompiledOnBindAndOnSet) {
  RuleFixture f(SHOW_RULE_STRING);
  auto* rule = dynamic_cast<ShowDataRuleString_c*>(f.rule.get());
  ASSERT_NE(rule, nullptr);
  EXPECT_FALSE(rule->HasCompiledRegexp());
  EXPECT_EQ(f.RuleElement()->FindAttribute("regexp"), nullptr) << "binding adds no regexp";

  ASSERT_EQ(rule->SetRegexp("[a-z]+"), KOR_OK);
  EXPECT_TRUE(rule->HasCompiledRegexp());
  EXPECT_EQ(rule->Validate("abc"), KOR_OK);
  ASSERT_EQ(rule->SetRegexp("[0-9]+"), KOR_OK);
  EXPECT_EQ(rule->Validate("abc"), KOR_FAIL);
  EXPECT_EQ(rule->Validate("123"), KOR_OK);
  ASSERT_EQ(rule->SetRegexp("[0-9"), KOR_OK);
  EXPECT_FALSE(rule->HasCompiledRegexp());
  EXPECT_EQ(rule->GetRegexp(), "[0-9");
  EXPECT_EQ(rule->Validate("1"), KOR_FAIL);
  ASSERT_EQ(rule->SetRegexp(""), KOR_OK);
  EXPECT_EQ(rule->Validate("anything"), KOR_OK);

  // A rebind compiles what the element holds.
  f.RuleElement()->SetAttribute("regexp", "x+");
  ASSERT_EQ(rule->Rebind(), KOR_OK);
  EXPECT_EQ(rule->Validate("xxx"), KOR_OK);
  EXPECT_EQ(rule->Validate("y"), KOR_FAIL);
}

TEST(Rules, StoreWritesTheValueIntoTheTarget) {
  for (const auto& row : ReadRows("store.tsv", 5)) {
    SCOPED_TRACE(row[0]);
    const int32_t code = ShowRuleTypeCode(row[0]);
    RuleFixture f(code, row[1]);
    ASSERT_EQ(f.rule->Store(&f.target, row[2]), KOR_OK);
    KorXML_c* target = f.target.GetElement();
    EXPECT_EQ(target->GetAttribute("ty"), std::to_string(code));
    EXPECT_EQ(target->GetAttribute("vt"), row[2]);
    if (!row[3].empty()) {
      EXPECT_EQ(target->GetAttribute(row[3]), row[4]);
    }
  }
}

TEST(Rules, StoreRefusesInvalidValuesAndUnboundTargets) {
  RuleFixture f(SHOW_RULE_INTEGER, "min=\"0\" max=\"9\"");
  EXPECT_EQ(f.rule->Store(&f.target, "10"), KOR_FAIL);
  EXPECT_EQ(f.target.GetElement()->FindAttribute("ty"), nullptr);
  EXPECT_EQ(f.target.GetElement()->FindAttribute("vt"), nullptr);
  ShowResource_c unbound;
  EXPECT_EQ(f.rule->Store(&unbound, "5"), KOR_FAIL);
  EXPECT_EQ(f.rule->Store(nullptr, "5"), KOR_FAIL);
}

TEST(Rules, FactoryRefusesCodesOutsideTheTable) {
  EXPECT_EQ(ShowCreateRule(0), nullptr);
  EXPECT_EQ(ShowCreateRule(19), nullptr);
}

TEST(ShowResourceRules, BindsKnownTagsInAnyCaseAndSkipsOthers) {
  ShowDocument_c document;
  LoadText(document,
           "<?xml?><v><rules><INTEGER max=\"5\"/><colour/><String regexp=\"a+\"/>"
           "<!-- x --><option match=\"m\"/></rules></v>");
  ShowResourceRules_c rules;
  rules.SetDocument(&document);
  ASSERT_EQ(rules.Bind(At(document, "v")), KOR_OK);
  ASSERT_EQ(rules.Count(), 3);
  EXPECT_EQ(rules.Item(0)->GetTypeCode(), SHOW_RULE_INTEGER);
  EXPECT_EQ(rules.Item(1)->GetTypeCode(), SHOW_RULE_STRING);
  EXPECT_EQ(rules.Item(2)->GetTypeCode(), SHOW_RULE_OPTION);
  EXPECT_EQ(ChildTags(rules.GetElement()), "integer colour string option");
  EXPECT_EQ(rules.Item(1)->Validate("aaa"), KOR_OK);

  ShowResourceRule_c* added = rules.AddRule(SHOW_RULE_PERCENT);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->GetTypeCode(), SHOW_RULE_PERCENT);
  EXPECT_EQ(rules.Count(), 4);
  EXPECT_EQ(ChildTags(rules.GetElement()), "integer colour string option percent");
  EXPECT_EQ(document.IsModified(), KOR_TRUE);
  // A plain append has no rule type to make.
  EXPECT_EQ(rules.Append(), nullptr);
  EXPECT_EQ(ChildTags(rules.GetElement()), "integer colour string option percent");
}
