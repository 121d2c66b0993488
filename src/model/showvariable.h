#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/showresource.h"

class ShowResourceRules_c;
class ShowResourceRule_c;
class ShowDataListVariables_c;

// Rule type codes: the index of the keyword in the rule table; 0 is "none".
inline constexpr int32_t SHOW_RULE_NONE = 0;
inline constexpr int32_t SHOW_RULE_INTEGER = 1;
inline constexpr int32_t SHOW_RULE_STRING = 2;
inline constexpr int32_t SHOW_RULE_BOOL = 3;
inline constexpr int32_t SHOW_RULE_TIMECODE = 4;
inline constexpr int32_t SHOW_RULE_LCDSTRING = 5;
inline constexpr int32_t SHOW_RULE_DATETIME = 6;
inline constexpr int32_t SHOW_RULE_VARIABLE = 7;
inline constexpr int32_t SHOW_RULE_OUTPUT = 8;
inline constexpr int32_t SHOW_RULE_INPUT = 9;
inline constexpr int32_t SHOW_RULE_SEQUENCE = 10;
inline constexpr int32_t SHOW_RULE_PERCENT = 11;
inline constexpr int32_t SHOW_RULE_LABEL = 12;
inline constexpr int32_t SHOW_RULE_DECIMAL = 13;
inline constexpr int32_t SHOW_RULE_BUTTON = 14;
inline constexpr int32_t SHOW_RULE_OPTION = 15;
inline constexpr int32_t SHOW_RULE_DEVICE = 16;
inline constexpr int32_t SHOW_RULE_AOUTPUT = 17;
inline constexpr int32_t SHOW_RULE_AINPUT = 18;
inline constexpr int32_t SHOW_RULE_LAST = SHOW_RULE_AINPUT;

// Keyword of a rule type code ("none" for 0 and for codes outside 0..18).
const char* ShowRuleKeyword(int32_t code);
// Type code of a keyword, ignoring ASCII case; 0 when it is not one.
int32_t ShowRuleTypeCode(std::string_view keyword);

// A typed value resource: `init`, `list`, `zero`, `device_var`, `setup`
// attributes, the element text as description, and typed rules under
// `rules`. The type is the tag of the first rule.
class ShowResourceVariable_c : public ShowResource_c {
 public:
  ShowResourceVariable_c();
  ~ShowResourceVariable_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowResourceVariable_c)
  void SetChangeTracking(KorBool flag) override;
  // The resource binding, then the rule list when a `rules` child exists.
  KorStatus Bind(KorXML_c* element) override;
  // Also answers for the element's text node (created empty when missing)
  // and for nodes of its rules.
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  std::string GetInit(KorStatus* status = nullptr) { return GetStringAttr("init", status); }
  KorStatus SetInit(std::string_view value) { return SetStringAttr("init", value); }
  int32_t GetList(KorStatus* status = nullptr) { return GetIntAttr("list", status); }
  KorStatus SetList(int32_t size) { return SetIntAttr("list", size); }
  virtual KorBool IsZero() { return GetBoolAttr("zero"); }
  KorStatus SetZero(bool flag) { return SetBoolAttr("zero", flag); }
  KorBool IsDeviceVar() { return GetBoolAttr("device_var"); }
  KorStatus SetDeviceVar(bool flag) { return SetBoolAttr("device_var", flag); }
  KorBool IsSetup() { return GetBoolAttr("setup"); }
  KorStatus SetSetup(bool flag) { return SetBoolAttr("setup", flag); }

  // The rule list, created (with its `rules` element) on first call; null
  // when unbound.
  ShowResourceRules_c* Rules();
  // The rule list if one exists; never creates it.
  ShowResourceRules_c* PeekRules() const { return m_rules.get(); }

  // Type code / keyword of the first rule; 0 / "none" without rules.
  int32_t GetTypeCode();
  std::string GetTypeKeyword();
  // Removes every rule, then appends one rule of the given type (none for
  // code 0, for a code outside 0..18 or an unknown keyword).
  KorStatus SetTypeCode(int32_t code);
  KorStatus SetTypeKeyword(std::string_view keyword);
  // The first rule, or null.
  ShowResourceRule_c* FirstRule();

 protected:
  void Unbind() override;

 private:
  std::unique_ptr<ShowResourceRules_c> m_rules;
};

// A list of variables (base of parameter and device variable lists).
class ShowResourceVariables_c : public ShowTypedResources_c<ShowResourceVariable_c> {
 public:
  ShowResourceVariables_c() = default;
  ShowResourceVariables_c(const char* wrapperTag, const char* itemTag)
      : ShowTypedResources_c(wrapperTag, itemTag) {}
  SHOW_DECLARE_CREATE_NEW(ShowResourceVariables_c)
};

// Bases of ports and port lists; they add nothing to the file.
class ShowResourceIO_c : public ShowResourceVariable_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ShowResourceIO_c)
};

class ShowResourceIOs_c : public ShowTypedResources_c<ShowResourceIO_c> {
 public:
  ShowResourceIOs_c() = default;
  ShowResourceIOs_c(const char* wrapperTag, const char* itemTag)
      : ShowTypedResources_c(wrapperTag, itemTag) {}
  SHOW_DECLARE_CREATE_NEW(ShowResourceIOs_c)
};

// A device variable of a protocol (`var`). Every bind creates and binds its
// list entries (`lvs`, created when missing).
class ShowDataVariable_c : public ShowResourceVariable_c {
 public:
  ShowDataVariable_c();
  ~ShowDataVariable_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowDataVariable_c)
  void SetChangeTracking(KorBool flag) override;
  KorStatus Bind(KorXML_c* element) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  ShowDataListVariables_c* ListVariables() const { return m_lvs.get(); }

 protected:
  void Unbind() override;

 private:
  std::unique_ptr<ShowDataListVariables_c> m_lvs;
};

// The device variables of a protocol: wrapper `variables`, items `var`.
class ShowDataVariables_c
    : public ShowTypedResources_c<ShowDataVariable_c, ShowResourceVariables_c> {
 public:
  ShowDataVariables_c();
  SHOW_DECLARE_CREATE_NEW(ShowDataVariables_c)
};

// One entry of a list variable (`lv`); its zero-indexed flag is the owning
// `var`'s.
class ShowDataListVariable_c : public ShowResourceVariable_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ShowDataListVariable_c)
  KorStatus Bind(KorXML_c* element) override;
  // The owning variable's flag; the own attribute when the entry has no
  // owning variable.
  KorBool IsZero() override;
  // The variable whose `lvs` list holds this entry, or null.
  ShowDataVariable_c* GetOwnerVariable() const;
};

// The entries of a list variable: wrapper `lvs`, items `lv`.
class ShowDataListVariables_c
    : public ShowTypedResources_c<ShowDataListVariable_c, ShowResourceVariables_c> {
 public:
  ShowDataListVariables_c();
  explicit ShowDataListVariables_c(ShowDataVariable_c* owner);
  SHOW_DECLARE_CREATE_NEW(ShowDataListVariables_c)
  KorStatus CopyInto(KorObject_c* target) const override;

  // Not owned.
  ShowDataVariable_c* GetOwnerVariable() const { return m_owner; }
  void SetOwnerVariable(ShowDataVariable_c* owner) { m_owner = owner; }

 private:
  ShowDataVariable_c* m_owner = nullptr;
};
