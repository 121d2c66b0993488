#include <string>

#include "cli/clicommands.h"
#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"

namespace tarvo::cli {

const char* const kXmlHelp =
    "Usage: tarvo-cli xml [--pretty] [FILE|-]\n"
    "\n"
    "Parses FILE (standard input for '-' or no FILE) with Tarvo's tolerant XML\n"
    "parser and prints the tree the way Tarvo writes product files: one line, no\n"
    "newline added. Input without an XML declaration gets the standard one\n"
    "(<?xml version=\"1.0\" encoding=\"utf-8\" ?>).\n"
    "\n"
    "Options:\n"
    "  --pretty   one node per line, indented with tabs, lines ending in CR LF\n"
    "\n"
    "Exit status: 0 when the input parsed, 1 on a parse error (what was parsed\n"
    "before the error is still printed), 2 when the input cannot be read.\n";

int RunXml(const Arguments& args) {
  if (args.operands.size() > 1) {
    ReportError("xml", "expects at most one FILE (see 'tarvo-cli xml --help')");
    return kExitUsage;
  }
  std::string path = args.operands.empty() ? "-" : args.operands.front();
  auto input = ReadInput(path);
  if (!input) return kExitUsage;

  KorBuffer_c buffer;
  buffer.Attach(reinterpret_cast<const uint8_t*>(input->data()), static_cast<int32_t>(input->size()));
  KorXML_c document;
  int32_t end = document.Parse(&buffer);
  EnsureDeclaration(document);
  if (!WriteStdout(document.ToXML(HasFlag(args, "--pretty")))) {
    ReportError("<stdout>", "cannot write");
    return kExitUsage;
  }
  if (end == KOR_FAIL) {
    ReportError(path == "-" ? "<stdin>" : path, "XML parse error");
    return kExitContent;
  }
  return kExitOk;
}

}  // namespace tarvo::cli
