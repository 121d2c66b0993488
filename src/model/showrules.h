#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/showresource.h"
#include "model/showvariable.h"

// A compiled rule expression (PCRE2, 8-bit, dot matches newline).
class ShowRuleRegex_c;
struct ShowRuleRegexDeleter {
  void operator()(ShowRuleRegex_c* regex) const;
};
using ShowRuleRegexPtr = std::unique_ptr<ShowRuleRegex_c, ShowRuleRegexDeleter>;
// Null when pattern is empty or does not compile.
ShowRuleRegexPtr ShowCompileRuleRegex(std::string_view pattern);
// Whether the first match of regex in value covers the whole value.
bool ShowRuleRegexMatchesWhole(const ShowRuleRegex_c* regex, std::string_view value);

// Base of the typed rules: a child of `rules` whose tag is the rule type
// keyword. Validate tells whether a value text suits the type; Store writes a
// valid value into another resource as `ty` (type code), `vt` (the value)
// and, by type, `ix` (integer), `dx` (decimal), `bx` (boolean), `ax`
// (analog channel name), `rp` (option replacement) or `lb` (label).
class ShowResourceRule_c : public ShowResource_c {
 public:
  explicit ShowResourceRule_c(int32_t typeCode = SHOW_RULE_NONE);

  SHOW_DECLARE_CREATE_NEW(ShowResourceRule_c)
  // The resource binding, then the tag becomes the type keyword.
  KorStatus Bind(KorXML_c* element) override;

  int32_t GetTypeCode() const { return m_typeCode; }
  const char* GetKeyword() const { return ShowRuleKeyword(m_typeCode); }

  // KOR_OK when value is acceptable for this type. The base accepts nothing.
  virtual KorStatus Validate(std::string_view value);
  // Validates value and writes it into target's element. KOR_FAIL (target
  // untouched) when value is invalid or target unbound.
  virtual KorStatus Store(ShowXMLInterface_c* target, std::string_view value);

 protected:
  // The type-specific attributes of Store (value already validated).
  virtual KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value);

 private:
  int32_t m_typeCode;
};

// A new rule object of the class for code; null for a code outside 1..18.
std::unique_ptr<ShowResourceRule_c> ShowCreateRule(int32_t code);

// `min` and `max` bounds, created with -2147483647 and 2147483647 when
// first read or written.
class ShowDataRuleBounded_c : public ShowResourceRule_c {
 public:
  explicit ShowDataRuleBounded_c(int32_t typeCode) : ShowResourceRule_c(typeCode) {}

  int32_t GetMin(KorStatus* status = nullptr) { return GetIntAttr("min", status, kMinText); }
  KorStatus SetMin(int32_t value) { return SetIntAttr("min", value, kMinText); }
  int32_t GetMax(KorStatus* status = nullptr) { return GetIntAttr("max", status, kMaxText); }
  KorStatus SetMax(int32_t value) { return SetIntAttr("max", value, kMaxText); }

  static constexpr const char* kMinText = "-2147483647";
  static constexpr const char* kMaxText = "2147483647";
};

// A whole number within min..max (both included).
class ShowDataRuleInteger_c : public ShowDataRuleBounded_c {
 public:
  ShowDataRuleInteger_c() : ShowDataRuleBounded_c(SHOW_RULE_INTEGER) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleInteger_c)
  KorStatus Validate(std::string_view value) override;

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

// A number (fraction allowed) within the integer bounds min..max.
class ShowDataRuleDecimal_c : public ShowDataRuleBounded_c {
 public:
  ShowDataRuleDecimal_c() : ShowDataRuleBounded_c(SHOW_RULE_DECIMAL) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleDecimal_c)
  KorStatus Validate(std::string_view value) override;

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

// Rules with a `regexp` attribute, compiled when bound and when set.
class ShowDataRuleRegexp_c : public ShowResourceRule_c {
 public:
  explicit ShowDataRuleRegexp_c(int32_t typeCode);
  ~ShowDataRuleRegexp_c() override;

  KorStatus Bind(KorXML_c* element) override;
  std::string GetRegexp(KorStatus* status = nullptr) { return GetStringAttr("regexp", status); }
  // Stores the expression and compiles it again.
  KorStatus SetRegexp(std::string_view pattern);
  // Whether the current expression compiled.
  bool HasCompiledRegexp() const { return m_regex != nullptr; }

 protected:
  void Unbind() override;
  // KOR_OK when the expression is empty, or compiled and matching the whole
  // value; KOR_FAIL for an expression that did not compile.
  KorStatus MatchRegexp(std::string_view value);

 private:
  void Compile();

  ShowRuleRegexPtr m_regex;
};

// Any text when `regexp` is empty; otherwise a text the expression matches
// as a whole.
class ShowDataRuleString_c : public ShowDataRuleRegexp_c {
 public:
  ShowDataRuleString_c() : ShowDataRuleRegexp_c(SHOW_RULE_STRING) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleString_c)
  KorStatus Validate(std::string_view value) override;
};

// A display text: the fixed syntax ([0-9]*["].+["]|[c][l][r]|[,])+ must
// match the whole value, and so must `regexp` when set.
class ShowDataRuleLCDString_c : public ShowDataRuleRegexp_c {
 public:
  ShowDataRuleLCDString_c() : ShowDataRuleRegexp_c(SHOW_RULE_LCDSTRING) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleLCDString_c)
  KorStatus Validate(std::string_view value) override;

  static constexpr const char* kSyntax = "([0-9]*[\"].+[\"]|[c][l][r]|[,])+";
};

// A boolean word of any style.
class ShowDataRuleBool_c : public ShowResourceRule_c {
 public:
  ShowDataRuleBool_c() : ShowResourceRule_c(SHOW_RULE_BOOL) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleBool_c)
  KorStatus Validate(std::string_view value) override;

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

// A non-empty text that reads as an SMPTE timecode without stray bytes.
class ShowDataRuleTimecode_c : public ShowResourceRule_c {
 public:
  ShowDataRuleTimecode_c() : ShowResourceRule_c(SHOW_RULE_TIMECODE) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleTimecode_c)
  KorStatus Validate(std::string_view value) override;

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

// "mm/dd/YYYY HH:MM:SS" with fixed widths; each separator may be any one
// character; the fields must form a valid date and time; text beyond is
// ignored.
class ShowDataRuleDateTime_c : public ShowResourceRule_c {
 public:
  ShowDataRuleDateTime_c() : ShowResourceRule_c(SHOW_RULE_DATETIME) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleDateTime_c)
  KorStatus Validate(std::string_view value) override;
};

// At least two characters ending in "%" whose number lies in 0..100.
class ShowDataRulePercent_c : public ShowResourceRule_c {
 public:
  ShowDataRulePercent_c() : ShowResourceRule_c(SHOW_RULE_PERCENT) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRulePercent_c)
  KorStatus Validate(std::string_view value) override;

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

// One option: a non-empty text equal to `match` (ASCII case ignored), sent
// as `replace`.
class ShowDataRuleOption_c : public ShowResourceRule_c {
 public:
  ShowDataRuleOption_c() : ShowResourceRule_c(SHOW_RULE_OPTION) {}
  SHOW_DECLARE_CREATE_NEW(ShowDataRuleOption_c)
  KorStatus Validate(std::string_view value) override;

  std::string GetMatch(KorStatus* status = nullptr) { return GetStringAttr("match", status); }
  KorStatus SetMatch(std::string_view text) { return SetStringAttr("match", text); }
  std::string GetReplace(KorStatus* status = nullptr) { return GetStringAttr("replace", status); }
  KorStatus SetReplace(std::string_view text) { return SetStringAttr("replace", text); }

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

// Rules naming objects of the show controller (variables, labels, outputs,
// inputs, sequences, buttons, devices, analog channels). The controller's
// object model is not part of this program, so any non-empty text passes.
class ShowDataRuleName_c : public ShowResourceRule_c {
 public:
  explicit ShowDataRuleName_c(int32_t typeCode) : ShowResourceRule_c(typeCode) {}
  KorStatus Validate(std::string_view value) override;

 protected:
  KorStatus StoreExtra(ShowXMLInterface_c* target, std::string_view value) override;
};

#define SHOW_DECLARE_NAME_RULE(Class, code)                 \
  class Class : public ShowDataRuleName_c {                 \
   public:                                                  \
    Class() : ShowDataRuleName_c(code) {}                   \
    SHOW_DECLARE_CREATE_NEW(Class)                          \
  };

SHOW_DECLARE_NAME_RULE(ShowDataRuleVariable_c, SHOW_RULE_VARIABLE)
SHOW_DECLARE_NAME_RULE(ShowDataRuleOutput_c, SHOW_RULE_OUTPUT)
SHOW_DECLARE_NAME_RULE(ShowDataRuleInput_c, SHOW_RULE_INPUT)
SHOW_DECLARE_NAME_RULE(ShowDataRuleSequence_c, SHOW_RULE_SEQUENCE)
SHOW_DECLARE_NAME_RULE(ShowDataRuleLabel_c, SHOW_RULE_LABEL)
SHOW_DECLARE_NAME_RULE(ShowDataRuleButton_c, SHOW_RULE_BUTTON)
SHOW_DECLARE_NAME_RULE(ShowDataRuleDevice_c, SHOW_RULE_DEVICE)
SHOW_DECLARE_NAME_RULE(ShowDataRuleAOutput_c, SHOW_RULE_AOUTPUT)
SHOW_DECLARE_NAME_RULE(ShowDataRuleAInput_c, SHOW_RULE_AINPUT)

#undef SHOW_DECLARE_NAME_RULE

// The rules of a variable: wrapper `rules`, any child element offered; the
// factory makes the rule class named by the child's tag (ASCII case
// ignored) and skips other children.
class ShowResourceRules_c : public ShowTypedResources_c<ShowResourceRule_c> {
 public:
  ShowResourceRules_c();
  SHOW_DECLARE_CREATE_NEW(ShowResourceRules_c)
  std::unique_ptr<ShowResource_c> CreateItem(KorXML_c* element) override;

  // Appends a rule element of type code at the end of `rules` and binds its
  // rule; null (nothing added) for a code outside 1..18 or when unbound.
  ShowResourceRule_c* AddRule(int32_t code);
};
