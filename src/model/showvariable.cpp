#include "model/showvariable.h"

#include <array>

#include "foundation/korstring.h"
#include "foundation/xml/korxml.h"
#include "model/showrules.h"

namespace {

constexpr std::array<const char*, SHOW_RULE_LAST + 1> kRuleKeywords = {
    "none",    "integer", "string", "bool",  "timecode", "lcdstring", "datetime",
    "variable", "output", "input",  "sequence", "percent", "label",   "decimal",
    "button",  "option",  "device", "aoutput", "ainput"};

}  // namespace

const char* ShowRuleKeyword(int32_t code) {
  if (code < 0 || code > SHOW_RULE_LAST) return kRuleKeywords[0];
  return kRuleKeywords[static_cast<size_t>(code)];
}

int32_t ShowRuleTypeCode(std::string_view keyword) {
  for (size_t i = 0; i < kRuleKeywords.size(); ++i)
    if (KorString_c::EqualsIgnoreCase(keyword, kRuleKeywords[i])) return static_cast<int32_t>(i);
  return SHOW_RULE_NONE;
}

// ---------------------------------------------------------------------------
// ShowResourceVariable_c

ShowResourceVariable_c::ShowResourceVariable_c() = default;
ShowResourceVariable_c::~ShowResourceVariable_c() = default;

void ShowResourceVariable_c::SetChangeTracking(KorBool flag) {
  ShowResource_c::SetChangeTracking(flag);
  if (m_rules) m_rules->SetChangeTracking(flag);
}

void ShowResourceVariable_c::Unbind() {
  ShowResource_c::Unbind();
}

KorStatus ShowResourceVariable_c::Bind(KorXML_c* element) {
  m_rules.reset();
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  if (!FindChildElement(element, "rules")) return KOR_OK;
  auto rules = std::make_unique<ShowResourceRules_c>();
  Adopt(rules.get());
  KorStatus status = rules->Bind(element);
  // The rules read before a failing one stay usable.
  m_rules = std::move(rules);
  return status;
}

ShowXMLInterface_c* ShowResourceVariable_c::FindOwner(const KorXML_c* node) {
  if (!node || !GetElement()) return nullptr;
  if (ShowXMLInterface_c* owner = ShowResource_c::FindOwner(node)) return owner;
  KorStatus status = KOR_FAIL;
  GetText(&status);  // the description's text node, created when missing
  if (node->GetType() == KOR_XML_TEXT && node->GetParent() == GetElement()) return this;
  return m_rules ? m_rules->FindOwner(node) : nullptr;
}

ShowResourceRules_c* ShowResourceVariable_c::Rules() {
  if (m_rules) return m_rules.get();
  if (!GetElement()) return nullptr;
  auto rules = std::make_unique<ShowResourceRules_c>();
  Adopt(rules.get());
  if (rules->Bind(GetElement()) != KOR_OK) return nullptr;
  m_rules = std::move(rules);
  return m_rules.get();
}

ShowResourceRule_c* ShowResourceVariable_c::FirstRule() {
  return m_rules ? m_rules->Item(0) : nullptr;
}

int32_t ShowResourceVariable_c::GetTypeCode() {
  ShowResourceRule_c* rule = FirstRule();
  return rule ? rule->GetTypeCode() : SHOW_RULE_NONE;
}

std::string ShowResourceVariable_c::GetTypeKeyword() { return ShowRuleKeyword(GetTypeCode()); }

KorStatus ShowResourceVariable_c::SetTypeCode(int32_t code) {
  ShowResourceRules_c* rules = Rules();
  if (!rules) return KOR_FAIL;
  while (rules->First()) {
    if (rules->RemoveCurrent() != KOR_OK) return KOR_FAIL;
  }
  if (code < 1 || code > SHOW_RULE_LAST) return KOR_OK;
  return rules->AddRule(code) ? KOR_OK : KOR_FAIL;
}

KorStatus ShowResourceVariable_c::SetTypeKeyword(std::string_view keyword) {
  return SetTypeCode(ShowRuleTypeCode(keyword));
}

// ---------------------------------------------------------------------------
// ShowDataVariable_c and its lists

ShowDataVariable_c::ShowDataVariable_c() { SetKind(SHOW_KIND_VARIABLE); }
ShowDataVariable_c::~ShowDataVariable_c() = default;

void ShowDataVariable_c::SetChangeTracking(KorBool flag) {
  ShowResourceVariable_c::SetChangeTracking(flag);
  if (m_lvs) m_lvs->SetChangeTracking(flag);
}

void ShowDataVariable_c::Unbind() { ShowResourceVariable_c::Unbind(); }

KorStatus ShowDataVariable_c::Bind(KorXML_c* element) {
  m_lvs.reset();
  KorStatus status = ShowResourceVariable_c::Bind(element);
  if (!GetElement()) return KOR_FAIL;
  SetTag("var");
  if (status != KOR_OK) return status;
  auto lvs = std::make_unique<ShowDataListVariables_c>(this);
  Adopt(lvs.get());
  status = lvs->Bind(element);
  m_lvs = std::move(lvs);
  return status;
}

ShowXMLInterface_c* ShowDataVariable_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowResourceVariable_c::FindOwner(node)) return owner;
  return m_lvs && node ? m_lvs->FindOwner(node) : nullptr;
}

ShowDataVariables_c::ShowDataVariables_c() : ShowTypedResources_c("variables", "var") {
  SetKind(SHOW_KIND_VARIABLES);
}

KorStatus ShowDataListVariable_c::Bind(KorXML_c* element) {
  KorStatus status = ShowResourceVariable_c::Bind(element);
  if (!GetElement()) return KOR_FAIL;
  SetTag("lv");
  return status;
}

ShowDataVariable_c* ShowDataListVariable_c::GetOwnerVariable() const {
  auto* list = dynamic_cast<ShowDataListVariables_c*>(GetOwnerList());
  return list ? list->GetOwnerVariable() : nullptr;
}

KorBool ShowDataListVariable_c::IsZero() {
  if (ShowDataVariable_c* owner = GetOwnerVariable()) return owner->IsZero();
  return ShowResourceVariable_c::IsZero();
}

ShowDataListVariables_c::ShowDataListVariables_c() : ShowTypedResources_c("lvs", "lv") {}

ShowDataListVariables_c::ShowDataListVariables_c(ShowDataVariable_c* owner)
    : ShowTypedResources_c("lvs", "lv"), m_owner(owner) {}

KorStatus ShowDataListVariables_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<ShowDataListVariables_c*>(target);
  if (!other) return KOR_FAIL;
  other->m_owner = m_owner;
  return ShowTypedResources_c::CopyInto(target);
}
