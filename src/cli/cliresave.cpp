#include <string>

#include "cli/clicommands.h"
#include "cli/cliproduct.h"
#include "foundation/korbuffer.h"

namespace tarvo::cli {

const char* const kResaveHelp =
    "Usage: tarvo-cli resave FILE [-o OUT]\n"
    "\n"
    "Loads FILE ('-' for standard input) as a product file, binds its product\n"
    "element through the data model and writes the document back the way Tarvo's\n"
    "data model writes it: one line, known elements given their canonical tags,\n"
    "missing wrapper elements added, unknown elements, attributes and comments\n"
    "kept. Nothing else is changed (no root attributes are set). Input without\n"
    "an XML declaration gets the standard one.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT   write to OUT instead of standard output; OUT is replaced\n"
    "                     atomically and may be FILE itself\n"
    "\n"
    "Exit status: 0 on success, 1 when FILE is not well-formed (nothing is\n"
    "written), 2 when FILE cannot be read or OUT cannot be written.\n";

int RunResave(const Arguments& args) {
  if (args.operands.size() != 1) {
    ReportError("resave", "expects exactly one FILE (see 'tarvo-cli resave --help')");
    return kExitUsage;
  }
  const std::string& path = args.operands.front();
  LoadedProduct product;
  int status = LoadProduct(path, product);
  if (status != kExitOk) return status;

  EnsureDeclaration(*product.document.GetXMLDocument());
  KorBuffer_c output;
  int32_t written = product.document.SaveXML(&output);
  if (written < 0) {
    ReportError(DisplayName(path), "cannot write the document");
    return kExitContent;
  }
  std::string_view bytes(reinterpret_cast<const char*>(output.Data()), static_cast<size_t>(written));
  if (!args.outputGiven || args.output == "-") {
    if (!WriteStdout(bytes)) {
      ReportError("<stdout>", "cannot write");
      return kExitUsage;
    }
    return kExitOk;
  }
  return WriteFileAtomically(args.output, bytes) ? kExitOk : kExitUsage;
}

}  // namespace tarvo::cli
