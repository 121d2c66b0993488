#include <string>

#include "cli/clicommands.h"
#include "expr/preview.h"

namespace tarvo::cli {

const char* const kEvalHelp =
    "Usage: tarvo-cli eval [EXPR ...]\n"
    "\n"
    "Previews message expressions the way Tarvo's outgoing message editor does,\n"
    "evaluating them like the show controller. For every EXPR (or, with none,\n"
    "every line of standard input) three lines are printed:\n"
    "  1. the message as sent, with control and non-ASCII bytes shown as escapes\n"
    "  2. its string representation (byte notation, for example \"AB\\r\"h01)\n"
    "  3. its bytes in hexadecimal, each preceded by a space (\" 41 42 0D 01\")\n"
    "An expression that does not parse prints \"[syntax error]\" and two empty lines.\n"
    "Put -- before an expression that starts with '-'.\n"
    "\n"
    "Example:\n"
    "  tarvo-cli eval 'sprintf(\"PLAY %d\\r\", 12)'\n"
    "\n"
    "Exit status: 0 when every expression parsed, 1 when any had a syntax error,\n"
    "2 when standard input cannot be read.\n";

namespace {

// Evaluates one expression and prints its three lines; false on a syntax error.
bool PrintPreview(std::string_view expression, std::string& out) {
  std::string message, stringRep, hexRep;
  KorStatus status = PreviewExpression(expression, &message, &stringRep, &hexRep);
  out += message;
  out += '\n';
  out += stringRep;
  out += '\n';
  out += hexRep;
  out += '\n';
  return status == KOR_OK;
}

}  // namespace

int RunEval(const Arguments& args) {
  bool allParsed = true;
  std::string out;
  auto flush = [&out]() {
    bool ok = WriteStdout(out);
    out.clear();
    return ok;
  };
  if (!args.operands.empty()) {
    for (const std::string& expression : args.operands) allParsed &= PrintPreview(expression, out);
  } else {
    auto input = ReadInput("-");
    if (!input) return kExitUsage;
    std::string_view rest = *input;
    while (!rest.empty()) {
      size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      allParsed &= PrintPreview(line, out);
      if (out.size() > (1u << 20) && !flush()) break;
    }
  }
  if (!flush()) {
    ReportError("<stdout>", "cannot write");
    return kExitUsage;
  }
  return allParsed ? kExitOk : kExitContent;
}

}  // namespace tarvo::cli
