#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base_helpers.h"
#include "model/showparam.h"

using namespace base_test;

namespace {

struct ParamsFixture {
  ShowDocument_c document;
  ProductDataParams_c params;

  ParamsFixture(const std::string& text, const char* owner) {
    LoadText(document, text);
    params.SetDocument(&document);
    EXPECT_EQ(params.Bind(At(document, owner)), KOR_OK);
  }
};

// What the parameter editor writes for one row (the order it uses).
struct EditorRow {
  const char* type;
  const char* min;  // "" when the field is empty
  const char* max;
  const char* regexp;
  std::vector<std::pair<std::string, std::string>> options;
};

void WriteParam(ProductDataParam_c* param, const EditorRow& row) {
  param->SetName(std::string("P-") + row.type);
  param->SetDescription("about");
  param->SetExample("7");
  int32_t code = ShowRuleTypeCode(row.type);
  if (code == SHOW_RULE_INTEGER || code == SHOW_RULE_DECIMAL) {
    param->Rules()->AddRule(code);
    int32_t value = 0;
    if (*row.min && ShowParseInt(row.min, &value) == KOR_OK) param->SetMin(value);
    if (*row.max && ShowParseInt(row.max, &value) == KOR_OK) param->SetMax(value);
  } else if (code == SHOW_RULE_STRING) {
    param->Rules()->AddRule(code);
    if (*row.regexp) param->SetRegexp(row.regexp);
  } else if (code == SHOW_RULE_OPTION) {
    for (const auto& [match, replace] : row.options) param->AddOption(match, replace);
  } else {
    param->SetTypeKeyword(row.type);
  }
}

}  // namespace

TEST(ProductDataParams, ReadFromAFile) {
  ParamsFixture f(ReadFixture("base_params.prd"), "product/protocols/protocol/commands/command");
  ASSERT_EQ(f.params.Count(), 4);
  ProductDataParam_c* level = f.params.Item(0);
  EXPECT_EQ(level->GetKind(), SHOW_KIND_PARAM);
  EXPECT_EQ(f.params.GetKind(), SHOW_KIND_PARAMS);
  EXPECT_EQ(level->GetTypeKeyword(), "integer");
  EXPECT_EQ(level->GetMin(), 0);
  EXPECT_EQ(level->GetMax(), 100);

  ProductDataParam_c* input = f.params.Item(1);
  EXPECT_EQ(input->GetTypeKeyword(), "option");
  ASSERT_EQ(input->OptionCount(), 3);
  std::string match, replace;
  EXPECT_EQ(input->GetOption(1, &match, &replace), KOR_OK);
  EXPECT_EQ(match, "VGA");
  EXPECT_EQ(replace, "2");
  EXPECT_EQ(input->GetOption(2, &match, &replace), KOR_OK);
  EXPECT_EQ(match, "DVI");
  EXPECT_EQ(replace, "") << "an option without replace reads empty";
  EXPECT_EQ(input->GetOption(3, &match, &replace), KOR_FAIL);
  EXPECT_EQ(match, "");

  ProductDataParam_c* label = f.params.Item(2);
  EXPECT_EQ(label->GetRegexp(), "[A-Z]+");
  EXPECT_EQ(label->FirstRule()->Validate("ABC"), KOR_OK);
  EXPECT_EQ(label->FirstRule()->Validate("AbC"), KOR_FAIL);

  ProductDataParam_c* free = f.params.Item(3);
  EXPECT_EQ(free->GetTypeKeyword(), "none");
  KorStatus status = KOR_OK;
  EXPECT_EQ(free->GetMin(&status), 0);
  EXPECT_EQ(status, KOR_FAIL);
  EXPECT_EQ(free->GetRegexp(&status), "");
  EXPECT_EQ(status, KOR_FAIL);
  EXPECT_EQ(free->OptionCount(), 0);

  // Names used in a message resolve whatever their case.
  int32_t index = -1;
  EXPECT_EQ(f.params.FindByName("INPUT", &index), input);
  EXPECT_EQ(index, 1);
  EXPECT_NE(SaveText(f.document).find("<comment-like>unknown</comment-like>"), std::string::npos);
}

TEST(ProductDataParams, WrittenAsTheEditorDoes) {
  const EditorRow rows[] = {
      {"integer", "", "", "", {}},
      {"decimal", "1", "9", "", {}},
      {"string", "", "", "[0-9]+", {}},
      {"option", "", "", "", {{"On", "1"}, {"Off", ""}, {"Toggle", "T"}}},
      {"percent", "", "", "", {}},
      {"none", "", "", "", {}},
  };
  ParamsFixture f("<?xml?><product><command/></product>", "product/command");
  ASSERT_EQ(f.params.Count(), 0);
  for (size_t i = 0; i < std::size(rows); ++i)
    WriteParam(f.params.Item(static_cast<int32_t>(i), true), rows[i]);

  std::string saved = SaveText(f.document);
  const char* expected =
      "<params>"
      "<param name=\"P-integer\" description=\"about\" example=\"7\" ><rules><integer/></rules>"
      "</param>"
      "<param name=\"P-decimal\" description=\"about\" example=\"7\" ><rules>"
      "<decimal min=\"1\" max=\"9\" /></rules></param>"
      "<param name=\"P-string\" description=\"about\" example=\"7\" ><rules>"
      "<string regexp=\"[0-9]+\" /></rules></param>"
      "<param name=\"P-option\" description=\"about\" example=\"7\" ><rules>"
      "<option match=\"On\" replace=\"1\" /><option match=\"Off\" replace=\"\" />"
      "<option match=\"Toggle\" replace=\"T\" /></rules></param>"
      "<param name=\"P-percent\" description=\"about\" example=\"7\" ><rules><percent/></rules>"
      "</param>"
      "<param name=\"P-none\" description=\"about\" example=\"7\" ><rules/></param>"
      "</params>";
  EXPECT_NE(saved.find(expected), std::string::npos) << saved;

  // Read back through fresh objects, as the editor loads.
  ProductDataParams_c again;
  ASSERT_EQ(again.Bind(f.params.GetElement()->GetParent()), KOR_OK);
  ASSERT_EQ(again.Count(), 6);
  EXPECT_EQ(again.Item(0)->GetTypeKeyword(), "integer");
  // Reading the bounds of a rule saved without them creates the defaults.
  EXPECT_EQ(again.Item(0)->GetMin(), -2147483647);
  EXPECT_EQ(again.Item(0)->GetMax(), 2147483647);
  EXPECT_EQ(again.Item(1)->GetMax(), 9);
  EXPECT_EQ(again.Item(3)->OptionCount(), 3);
}

TEST(ShowDataParam, BoundsNeedABoundedFirstRule) {
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
