#include "expr/preview.h"

#include "expr/bytenotation.h"
#include "expr/exprnode.h"
#include "expr/exprparser.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Outside quoted runs each h becomes \x, so the text reads like the escapes
// inside them. A backslash inside a run escapes the next character, so an
// escaped quote does not end the run.
std::string ShowHexPrefixes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '\\' && i + 1 < text.size()) {
      out.push_back(c);
      out.push_back(text[++i]);
    } else if (c == '"') {
      quoted = !quoted;
      out.push_back(c);
    } else if (!quoted && c == 'h') {
      out += "\\x";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string EscapeForDisplay(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\t') {
      out += "\\t";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte < 0x20 || byte >= 0x7F) {
      out += "\\x";
      out.push_back(kHexDigits[byte >> 4]);
      out.push_back(kHexDigits[byte & 0x0F]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

KorStatus PreviewExpression(std::string_view text, std::string* message, std::string* stringRep,
                            std::string* hexRep, std::string* bytes) {
  ExprNode root;
  ExprParser parser(text);
  if (parser.Parse(&root) != KOR_OK) {
    if (message != nullptr) message->assign(kPreviewSyntaxError);
    if (stringRep != nullptr) stringRep->clear();
    if (hexRep != nullptr) hexRep->clear();
    if (bytes != nullptr) bytes->clear();
    return KOR_FAIL;
  }
  const ExprValue& value = root.Evaluate();
  const std::string& raw = value.ToBytes();
  if (message != nullptr) *message = EscapeForDisplay(raw);
  if (stringRep != nullptr) *stringRep = ShowHexPrefixes(value.ToText());
  // The hex form puts a space before every byte.
  if (hexRep != nullptr) *hexRep = raw.empty() ? std::string() : ' ' + WriteHexPairs(raw);
  if (bytes != nullptr) *bytes = raw;
  return KOR_OK;
}
