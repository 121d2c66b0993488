#include "model/showrules.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <charconv>
#include <string>

#include "foundation/korsmptetimecode.h"
#include "foundation/korstring.h"
#include "foundation/korvalue.h"
#include "foundation/xml/korxml.h"

// ---------------------------------------------------------------------------
// Compiled expressions

class ShowRuleRegex_c {
 public:
  explicit ShowRuleRegex_c(pcre2_code* code) : m_code(code) {}
  ~ShowRuleRegex_c() { pcre2_code_free(m_code); }
  ShowRuleRegex_c(const ShowRuleRegex_c&) = delete;
  ShowRuleRegex_c& operator=(const ShowRuleRegex_c&) = delete;

  bool MatchesWhole(std::string_view value) const {
    pcre2_match_data* match = pcre2_match_data_create_from_pattern(m_code, nullptr);
    if (!match) return false;
    int rc = pcre2_match(m_code, reinterpret_cast<PCRE2_SPTR>(value.data()), value.size(), 0, 0,
                         match, nullptr);
    bool whole = false;
    if (rc > 0) {
      const PCRE2_SIZE* span = pcre2_get_ovector_pointer(match);
      whole = span[0] == 0 && span[1] == value.size();
    }
    pcre2_match_data_free(match);
    return whole;
  }

 private:
  pcre2_code* m_code;
};

void ShowRuleRegexDeleter::operator()(ShowRuleRegex_c* regex) const { delete regex; }

ShowRuleRegexPtr ShowCompileRuleRegex(std::string_view pattern) {
  if (pattern.empty()) return nullptr;
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_DOTALL, &error, &offset, nullptr);
  if (!code) return nullptr;
  return ShowRuleRegexPtr(new ShowRuleRegex_c(code));
}

bool ShowRuleRegexMatchesWhole(const ShowRuleRegex_c* regex, std::string_view value) {
  return regex && regex->MatchesWhole(value);
}

namespace {

// Optional "-", digits, optional "." and digits; at least one digit.
bool ParseDecimal(std::string_view text, double* value) {
  if (text.empty()) return false;
  size_t i = text.front() == '-' ? 1 : 0;
  size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value, std::chars_format::fixed);
  return result.ec == std::errc() && result.ptr == end;
}

// Optional "-" and digits only, within 64 bits.
bool ParseWhole(std::string_view text, int64_t* value) {
  if (text.empty() || text == "-") return false;
  for (size_t i = text.front() == '-' ? 1 : 0; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *value);
  return result.ec == std::errc() && result.ptr == end;
}

std::string DecimalText(double value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

// ---------------------------------------------------------------------------
// ShowResourceRule_c

ShowResourceRule_c::ShowResourceRule_c(int32_t typeCode) : m_typeCode(typeCode) {
  SetKind(static_cast<uint32_t>(typeCode >= 0 ? typeCode : 0));
}

KorStatus ShowResourceRule_c::Bind(KorXML_c* element) {
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  if (m_typeCode >= 1 && m_typeCode <= SHOW_RULE_LAST) SetTag(ShowRuleKeyword(m_typeCode));
  return KOR_OK;
}

KorStatus ShowResourceRule_c::Validate(std::string_view) { return KOR_FAIL; }

KorStatus ShowResourceRule_c::Store(ShowXMLInterface_c* target, std::string_view value) {
  if (!target || !target->IsBound() || Validate(value) != KOR_OK) return KOR_FAIL;
  if (target->SetIntAttr("ty", m_typeCode) != KOR_OK) return KOR_FAIL;
  if (target->SetStringAttr("vt", value) != KOR_OK) return KOR_FAIL;
  return StoreExtra(target, value);
}

KorStatus ShowResourceRule_c::StoreExtra(ShowXMLInterface_c*, std::string_view) { return KOR_OK; }

std::unique_ptr<ShowResourceRule_c> ShowCreateRule(int32_t code) {
  switch (code) {
    case SHOW_RULE_INTEGER: return std::make_unique<ShowDataRuleInteger_c>();
    case SHOW_RULE_STRING: return std::make_unique<ShowDataRuleString_c>();
    case SHOW_RULE_BOOL: return std::make_unique<ShowDataRuleBool_c>();
    case SHOW_RULE_TIMECODE: return std::make_unique<ShowDataRuleTimecode_c>();
    case SHOW_RULE_LCDSTRING: return std::make_unique<ShowDataRuleLCDString_c>();
    case SHOW_RULE_DATETIME: return std::make_unique<ShowDataRuleDateTime_c>();
    case SHOW_RULE_VARIABLE: return std::make_unique<ShowDataRuleVariable_c>();
    case SHOW_RULE_OUTPUT: return std::make_unique<ShowDataRuleOutput_c>();
    case SHOW_RULE_INPUT: return std::make_unique<ShowDataRuleInput_c>();
    case SHOW_RULE_SEQUENCE: return std::make_unique<ShowDataRuleSequence_c>();
    case SHOW_RULE_PERCENT: return std::make_unique<ShowDataRulePercent_c>();
    case SHOW_RULE_LABEL: return std::make_unique<ShowDataRuleLabel_c>();
    case SHOW_RULE_DECIMAL: return std::make_unique<ShowDataRuleDecimal_c>();
    case SHOW_RULE_BUTTON: return std::make_unique<ShowDataRuleButton_c>();
    case SHOW_RULE_OPTION: return std::make_unique<ShowDataRuleOption_c>();
    case SHOW_RULE_DEVICE: return std::make_unique<ShowDataRuleDevice_c>();
    case SHOW_RULE_AOUTPUT: return std::make_unique<ShowDataRuleAOutput_c>();
    case SHOW_RULE_AINPUT: return std::make_unique<ShowDataRuleAInput_c>();
    default: return nullptr;
  }
}

// ---------------------------------------------------------------------------
// Bounded rules

// A number passes a rule with bounds when min <= number <= max. `max` is read
// first so that both attributes are created in the order the file keeps.
namespace {
template <class Rule, class Number>
KorStatus WithinBounds(Rule& rule, Number number) {
  KorStatus maxStatus = KOR_FAIL;
  KorStatus minStatus = KOR_FAIL;
  const Number max = rule.GetMax(&maxStatus);
  const Number min = rule.GetMin(&minStatus);
  if (maxStatus != KOR_OK || minStatus != KOR_OK) return KOR_FAIL;
  return min <= number && number <= max ? KOR_OK : KOR_FAIL;
}
}  // namespace

KorStatus ShowDataRuleInteger_c::Validate(std::string_view value) {
  int64_t number = 0;
  if (!ParseWhole(value, &number)) return KOR_FAIL;
  return WithinBounds(*this, number);
}

KorStatus ShowDataRuleInteger_c::StoreExtra(ShowXMLInterface_c* target, std::string_view value) {
  int64_t number = 0;
  ParseWhole(value, &number);
  return target->SetIntAttr("ix", static_cast<int32_t>(number));
}

KorStatus ShowDataRuleDecimal_c::Validate(std::string_view value) {
  double number = 0;
  if (!ParseDecimal(value, &number)) return KOR_FAIL;
  return WithinBounds(*this, number);
}

KorStatus ShowDataRuleDecimal_c::StoreExtra(ShowXMLInterface_c* target, std::string_view value) {
  double number = 0;
  ParseDecimal(value, &number);
  return target->SetStringAttr("dx", DecimalText(number));
}

// ---------------------------------------------------------------------------
// Expression rules

ShowDataRuleRegexp_c::ShowDataRuleRegexp_c(int32_t typeCode) : ShowResourceRule_c(typeCode) {}
ShowDataRuleRegexp_c::~ShowDataRuleRegexp_c() = default;

KorStatus ShowDataRuleRegexp_c::Bind(KorXML_c* element) {
  m_regex.reset();
  if (ShowResourceRule_c::Bind(element) != KOR_OK) return KOR_FAIL;
  Compile();
  return KOR_OK;
}

void ShowDataRuleRegexp_c::Unbind() {
  ShowResourceRule_c::Unbind();
  m_regex.reset();
}

void ShowDataRuleRegexp_c::Compile() {
  m_regex.reset();
  if (!GetElement()) return;
  // Read without creating: binding a rule must not add `regexp` to it.
  std::string pattern = GetElement()->GetAttribute("regexp");
  m_regex = ShowCompileRuleRegex(pattern);
}

KorStatus ShowDataRuleRegexp_c::SetRegexp(std::string_view pattern) {
  KorStatus status = SetStringAttr("regexp", pattern);
  if (status == KOR_OK) Compile();
  return status;
}

KorStatus ShowDataRuleRegexp_c::MatchRegexp(std::string_view value) {
  if (!GetElement()) return KOR_FAIL;
  if (GetElement()->GetAttribute("regexp").empty()) return KOR_OK;
  return ShowRuleRegexMatchesWhole(m_regex.get(), value) ? KOR_OK : KOR_FAIL;
}

KorStatus ShowDataRuleString_c::Validate(std::string_view value) { return MatchRegexp(value); }

KorStatus ShowDataRuleLCDString_c::Validate(std::string_view value) {
  static const ShowRuleRegexPtr syntax = ShowCompileRuleRegex(kSyntax);
  if (!ShowRuleRegexMatchesWhole(syntax.get(), value)) return KOR_FAIL;
  return MatchRegexp(value);
}

// ---------------------------------------------------------------------------
// Value rules

KorStatus ShowDataRuleBool_c::Validate(std::string_view value) {
  bool flag = false;
  return KorParseBoolean(value, &flag) == KOR_OK ? KOR_OK : KOR_FAIL;
}

KorStatus ShowDataRuleBool_c::StoreExtra(ShowXMLInterface_c* target, std::string_view value) {
  bool flag = false;
  KorParseBoolean(value, &flag);
  return target->SetStringAttr("bx", flag ? "true" : "false");
}

KorStatus ShowDataRuleTimecode_c::Validate(std::string_view value) {
  bool digit = false;
  for (char c : value) digit = digit || (c >= '0' && c <= '9');
  if (!digit) return KOR_FAIL;
  KorSMPTETimecode_c timecode;
  return timecode.SetFromText(value.data(), static_cast<int32_t>(value.size()));
}

KorStatus ShowDataRuleTimecode_c::StoreExtra(ShowXMLInterface_c* target, std::string_view value) {
  KorSMPTETimecode_c timecode;
  timecode.SetFromText(value.data(), static_cast<int32_t>(value.size()));
  return target->SetStringAttr("ix", std::to_string(timecode.GetFrameCount()));
}

KorStatus ShowDataRuleDateTime_c::Validate(std::string_view value) {
  // "m/d/Y H:i:s": each letter a fixed-width number, each other character
  // of the format skips exactly one character of the text.
  static constexpr std::string_view kFormat = "m/d/Y H:i:s";
  int32_t fields[6] = {};  // month, day, year, hour, minute, second
  size_t at = 0;
  for (char f : kFormat) {
    int field = -1;
    size_t width = 2;
    switch (f) {
      case 'm': field = 0; break;
      case 'd': field = 1; break;
      case 'Y': field = 2; width = 4; break;
      case 'H': field = 3; break;
      case 'i': field = 4; break;
      case 's': field = 5; break;
      default: width = 1; break;
    }
    if (at + width > value.size()) return KOR_FAIL;
    if (field >= 0) {
      int32_t number = 0;
      for (size_t k = 0; k < width; ++k) {
        char c = value[at + k];
        if (c < '0' || c > '9') return KOR_FAIL;
        number = number * 10 + (c - '0');
      }
      fields[field] = number;
    }
    at += width;
  }
  const int32_t month = fields[0], day = fields[1], year = fields[2];
  if (month < 1 || month > 12 || day < 1) return KOR_FAIL;
  static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  int32_t days = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day > days) return KOR_FAIL;
  if (fields[3] > 23 || fields[4] > 59 || fields[5] > 59) return KOR_FAIL;
  return KOR_OK;
}

KorStatus ShowDataRulePercent_c::Validate(std::string_view value) {
  if (value.size() < 2 || value.back() != '%') return KOR_FAIL;
  double number = 0;
  if (!ParseDecimal(value.substr(0, value.size() - 1), &number)) return KOR_FAIL;
  double fraction = number / 100.0;
  return fraction >= 0.0 && fraction <= 1.0 ? KOR_OK : KOR_FAIL;
}

KorStatus ShowDataRulePercent_c::StoreExtra(ShowXMLInterface_c* target, std::string_view value) {
  double number = 0;
  ParseDecimal(value.substr(0, value.size() - 1), &number);
  return target->SetStringAttr("dx", DecimalText(number / 100.0));
}

KorStatus ShowDataRuleOption_c::Validate(std::string_view value) {
  if (value.empty()) return KOR_FAIL;
  KorStatus status = KOR_FAIL;
  std::string match = GetMatch(&status);
  if (status != KOR_OK) return KOR_FAIL;
  return KorString_c::EqualsIgnoreCase(value, match) ? KOR_OK : KOR_FAIL;
}

KorStatus ShowDataRuleOption_c::StoreExtra(ShowXMLInterface_c* target, std::string_view) {
  return target->SetStringAttr("rp", GetReplace());
}

KorStatus ShowDataRuleName_c::Validate(std::string_view value) {
  return value.empty() ? KOR_FAIL : KOR_OK;
}

KorStatus ShowDataRuleName_c::StoreExtra(ShowXMLInterface_c* target, std::string_view value) {
  switch (GetTypeCode()) {
    case SHOW_RULE_LABEL: return target->SetStringAttr("lb", value);
    case SHOW_RULE_AOUTPUT:
    case SHOW_RULE_AINPUT: return target->SetStringAttr("ax", value);
    default: return KOR_OK;
  }
}

// ---------------------------------------------------------------------------
// ShowResourceRules_c

ShowResourceRules_c::ShowResourceRules_c() : ShowTypedResources_c("rules", "") {}

std::unique_ptr<ShowResource_c> ShowResourceRules_c::CreateItem(KorXML_c* element) {
  if (!element) return nullptr;
  return ShowCreateRule(ShowRuleTypeCode(element->GetName()));
}

ShowResourceRule_c* ShowResourceRules_c::AddRule(int32_t code) {
  if (code < 1 || code > SHOW_RULE_LAST) return nullptr;
  return static_cast<ShowResourceRule_c*>(AppendTagged(ShowRuleKeyword(code), true, false));
}
