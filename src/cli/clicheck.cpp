#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

#include "app/producteditors.h"
#include "cli/clicommands.h"
#include "cli/clieditors.h"
#include "cli/clijson.h"
#include "cli/cliproduct.h"
#include "foundation/korbuffer.h"
#include "foundation/xml/showxml.h"
#include "model/document/productdatadocument.h"

namespace tarvo::cli {

const char* const kCheckHelp =
    "Usage: tarvo-cli check [--json] FILE...\n"
    "\n"
    "Checks product files the way a driver author would before shipping them,\n"
    "with the editors' own previews and matches: each FILE ('-' for standard\n"
    "input) is loaded into Tarvo's editor pages as File > Open loads it, and\n"
    "every problem is printed on one line as\n"
    "\n"
    "  FILE: <where>: <problem>\n"
    "\n"
    "where <where> names the event, setup message, variable or port by name and\n"
    "row (rows count from 1, as listed in the window). The checks:\n"
    "  outgoing-syntax     an outgoing message or substring that does not parse\n"
    "  outgoing-empty      an outgoing message that previews to no bytes (example\n"
    "                      values of the parameters, initial values of the\n"
    "                      variables, as the outgoing editor previews it)\n"
    "  unknown-name        a substring, argument or operation naming a parameter,\n"
    "                      variable or local that does not exist\n"
    "  incoming-regexp     an incoming regular expression that does not compile\n"
    "  incoming-mismatch   a stored example its expression does not match as a\n"
    "                      whole (the incoming editor's \"Not a Match!\")\n"
    "  incoming-unchecked  an example too costly to match within the editor's\n"
    "                      time budget\n"
    "  duplicate-name      an event, parameter or variable named like an earlier\n"
    "                      one (ignoring case)\n"
    "  empty-name          an event, parameter or variable without a name\n"
    "  example-limits      a parameter example its limits, options or expression\n"
    "                      refuse\n"
    "  missing-port        a port the protocol uses that the hardware lacks\n"
    "  text-arithmetic     + - * / applied to text (a quoted string, a string\n"
    "                      parameter or variable, md5, sprintf, mid...): the\n"
    "                      language adds numbers, & joins text\n"
    "  not-a-number        a limit, example or initial value of an integer or\n"
    "                      decimal parameter or variable that is no number\n"
    "  stored-differs      a message whose stored text its substrings do not\n"
    "                      make: it opens as a manual edit, kept as stored\n"
    "  not-openable        a file Tarvo's window refuses to open (its creator\n"
    "                      attribute does not read as true)\n"
    "\n"
    "No display is needed: Qt's offscreen platform is used unless QT_QPA_PLATFORM\n"
    "names another.\n"
    "\n"
    "Options:\n"
    "  --json   print one JSON array instead of lines, one object per problem:\n"
    "           { \"file\", \"kind\", \"location\", \"message\" }\n"
    "\n"
    "Exit status: 0 when every FILE is clean, 1 when problems were found, 2 when\n"
    "a FILE cannot be read or is not a well-formed product file (reported on\n"
    "stderr; the other files are still checked).\n";

namespace {

struct FileProblems {
  std::string file;
  QList<CheckProblem> problems;
};

// Loads path into the editor pages and checks them; kExitUsage (reported)
// when it is not a readable, well-formed product file.
int CheckFile(const std::string& path, FileProblems& result) {
  result.file = DisplayName(path);
  auto input = ReadInput(path);
  if (!input) return kExitUsage;
  ProductDataDocument_c document;
  KorBuffer_c buffer;
  buffer.Attach(reinterpret_cast<const uint8_t*>(input->data()), static_cast<int32_t>(input->size()));
  if (input->empty() || document.LoadXML(&buffer) == KOR_FAIL) {
    ReportError(result.file, input->empty() ? std::string("empty file")
                                            : "not well-formed XML (parse error near byte " +
                                                  std::to_string(buffer.GetPosition()) + ")");
    return kExitUsage;
  }
  if (!document.GetXMLDocument()->FindChildElement("product")) {
    ReportError(result.file, "no product element");
    return kExitUsage;
  }
  ProductData_c* product = document.ProductData();
  if (!product) {
    ReportError(result.file, "the product element cannot be bound");
    return kExitUsage;
  }
  result.problems = CheckProductPages(product);
  return kExitOk;
}

}  // namespace

int RunCheck(const Arguments& args) {
  if (args.operands.empty()) {
    ReportError("check", "expects at least one FILE (see 'tarvo-cli check --help')");
    return kExitUsage;
  }
  const bool json = HasFlag(args, "--json");
  EditorSession session;
  int status = kExitOk;
  JsonWriter writer;
  if (json) writer.BeginArray();
  for (const std::string& path : args.operands) {
    FileProblems found;
    if (CheckFile(path, found) != kExitOk) {
      status = kExitUsage;
      continue;
    }
    if (!found.problems.isEmpty() && status == kExitOk) status = kExitContent;
    const QString file = QString::fromStdString(found.file);
    std::string lines;
    for (const CheckProblem& problem : found.problems) {
      if (json) {
        writer.BeginObject();
        writer.Key("file");
        writer.String(found.file);
        writer.Key("kind");
        writer.String(CheckKindName(problem.kind).toStdString());
        writer.Key("location");
        writer.String(problem.location.toStdString());
        writer.Key("message");
        writer.String(problem.message.toStdString());
        writer.EndObject();
      } else {
        lines += CheckProblemLine(file, problem).toStdString();
        lines += '\n';
      }
    }
    if (!lines.empty() && !WriteStdout(lines)) {
      ReportError("<stdout>", "cannot write");
      return kExitUsage;
    }
  }
  if (json) {
    writer.EndArray();
    if (!WriteStdout(writer.Text())) {
      ReportError("<stdout>", "cannot write");
      return kExitUsage;
    }
  }
  return status;
}

}  // namespace tarvo::cli
