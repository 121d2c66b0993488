#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/showresource.h"
#include "model/showrules.h"
#include "model/showvariable.h"

// A parameter (`param`): a typed value whose rules give its type and
// constraints. A parameter of type option has one `option` rule per option.
class ShowDataParam_c : public ShowResourceVariable_c {
 public:
  ShowDataParam_c();
  SHOW_DECLARE_CREATE_NEW(ShowDataParam_c)
  KorStatus Bind(KorXML_c* element) override;

  // Bounds of the first rule when it is `integer` or `decimal` (reading
  // creates them with their defaults); 0 and KOR_FAIL otherwise.
  int32_t GetMin(KorStatus* status = nullptr);
  int32_t GetMax(KorStatus* status = nullptr);
  KorStatus SetMin(int32_t value);
  KorStatus SetMax(int32_t value);
  // Expression of the first rule when it is `string` or `lcdstring`.
  std::string GetRegexp(KorStatus* status = nullptr);
  KorStatus SetRegexp(std::string_view pattern);

  // Appends an `option` rule with match and replace; null when unbound.
  ShowDataRuleOption_c* AddOption(std::string_view match, std::string_view replace);
  // Number of `option` rules, in rule order.
  int32_t OptionCount();
  // The index-th `option` rule's texts; KOR_FAIL (outputs cleared) when
  // there is no such option.
  KorStatus GetOption(int32_t index, std::string* match, std::string* replace);

 private:
  ShowDataRuleBounded_c* BoundedRule();
  ShowDataRuleRegexp_c* RegexpRule();
};

// Parameters: wrapper `params`, items `param`.
class ShowDataParams_c : public ShowTypedResources_c<ShowDataParam_c, ShowResourceVariables_c> {
 public:
  ShowDataParams_c();
  SHOW_DECLARE_CREATE_NEW(ShowDataParams_c)
};

// A parameter of a command or message, with a `description` attribute and
// an `example` value.
class ProductDataParam_c : public ShowDataParam_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ProductDataParam_c)
  std::string GetDescription(KorStatus* status = nullptr) {
    return GetStringAttr("description", status);
  }
  KorStatus SetDescription(std::string_view text) { return SetStringAttr("description", text); }
  std::string GetExample(KorStatus* status = nullptr) { return GetStringAttr("example", status); }
  KorStatus SetExample(std::string_view text) { return SetStringAttr("example", text); }
};

// The parameters of a command or a message.
class ProductDataParams_c : public ShowTypedResources_c<ProductDataParam_c, ShowDataParams_c> {
 public:
  SHOW_DECLARE_CREATE_NEW(ProductDataParams_c)
};
