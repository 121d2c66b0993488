#include "model/showparam.h"

ShowDataParam_c::ShowDataParam_c() { SetKind(SHOW_KIND_PARAM); }

KorStatus ShowDataParam_c::Bind(KorXML_c* element) {
  KorStatus status = ShowResourceVariable_c::Bind(element);
  if (!GetElement()) return KOR_FAIL;
  SetTag("param");
  return status;
}

ShowDataRuleBounded_c* ShowDataParam_c::BoundedRule() {
  return dynamic_cast<ShowDataRuleBounded_c*>(FirstRule());
}

ShowDataRuleRegexp_c* ShowDataParam_c::RegexpRule() {
  return dynamic_cast<ShowDataRuleRegexp_c*>(FirstRule());
}

int32_t ShowDataParam_c::GetMin(KorStatus* status) {
  if (ShowDataRuleBounded_c* rule = BoundedRule()) return rule->GetMin(status);
  if (status) *status = KOR_FAIL;
  return 0;
}

int32_t ShowDataParam_c::GetMax(KorStatus* status) {
  if (ShowDataRuleBounded_c* rule = BoundedRule()) return rule->GetMax(status);
  if (status) *status = KOR_FAIL;
  return 0;
}

KorStatus ShowDataParam_c::SetMin(int32_t value) {
  ShowDataRuleBounded_c* rule = BoundedRule();
  return rule ? rule->SetMin(value) : KOR_FAIL;
}

KorStatus ShowDataParam_c::SetMax(int32_t value) {
  ShowDataRuleBounded_c* rule = BoundedRule();
  return rule ? rule->SetMax(value) : KOR_FAIL;
}

std::string ShowDataParam_c::GetRegexp(KorStatus* status) {
  if (ShowDataRuleRegexp_c* rule = RegexpRule()) return rule->GetRegexp(status);
  if (status) *status = KOR_FAIL;
  return {};
}

KorStatus ShowDataParam_c::SetRegexp(std::string_view pattern) {
  ShowDataRuleRegexp_c* rule = RegexpRule();
  return rule ? rule->SetRegexp(pattern) : KOR_FAIL;
}

ShowDataRuleOption_c* ShowDataParam_c::AddOption(std::string_view match, std::string_view replace) {
  ShowResourceRules_c* rules = Rules();
  if (!rules) return nullptr;
  auto* option = static_cast<ShowDataRuleOption_c*>(rules->AddRule(SHOW_RULE_OPTION));
  if (!option) return nullptr;
  option->SetMatch(match);
  option->SetReplace(replace);
  return option;
}

int32_t ShowDataParam_c::OptionCount() {
  ShowResourceRules_c* rules = PeekRules();
  if (!rules) return 0;
  int32_t count = 0;
  for (int32_t i = 0, n = rules->Count(); i < n; ++i)
    if (rules->Item(i)->GetTypeCode() == SHOW_RULE_OPTION) ++count;
  return count;
}

KorStatus ShowDataParam_c::GetOption(int32_t index, std::string* match, std::string* replace) {
  if (match) match->clear();
  if (replace) replace->clear();
  ShowResourceRules_c* rules = PeekRules();
  if (!rules || index < 0) return KOR_FAIL;
  for (int32_t i = 0, n = rules->Count(); i < n; ++i) {
    auto* option = dynamic_cast<ShowDataRuleOption_c*>(rules->Item(i));
    if (!option || index-- > 0) continue;
    if (match) *match = option->GetMatch();
    if (replace) *replace = option->GetReplace();
    return KOR_OK;
  }
  return KOR_FAIL;
}

ShowDataParams_c::ShowDataParams_c() : ShowTypedResources_c("params", "param") {
  SetKind(SHOW_KIND_PARAMS);
}
