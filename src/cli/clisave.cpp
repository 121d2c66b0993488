#include <QByteArray>
#include <QString>

#include <string>

#include "app/producteditors.h"
#include "cli/clicommands.h"
#include "cli/clieditors.h"
#include "cli/cliproduct.h"

namespace tarvo::cli {

const char* const kSaveHelp =
    "Usage: tarvo-cli save FILE [-o OUT] [--keep-version]\n"
    "\n"
    "Saves FILE exactly as Tarvo's window does after File > Open and File > Save,\n"
    "through the window's own code: FILE is opened as File > Open opens it, every\n"
    "editor page is loaded from it, then the document is cleared, the pages store\n"
    "into it (device information, ports, device variables, setup messages,\n"
    "events), the root attributes are set and the declaration is written. The\n"
    "result is the very bytes the window's Save writes; as there, the device\n"
    "version is raised by 0.1 unless --keep-version is given.\n"
    "\n"
    "A file the window refuses to open is refused with the window's reason. So is\n"
    "a file that is not well-formed XML: the window would open it as far as it\n"
    "parses, and saving that would drop the rest.\n"
    "\n"
    "No display is needed: Qt's offscreen platform is used unless QT_QPA_PLATFORM\n"
    "names another.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT   write to OUT instead of replacing FILE ('-': standard\n"
    "                     output); FILE '-' reads standard input and writes to\n"
    "                     standard output unless -o is given\n"
    "  --keep-version     store the device version as it is\n"
    "\n"
    "FILE (or OUT) is replaced atomically: the bytes go to a temporary file\n"
    "beside it, which is then renamed over it, so a failed save leaves it intact.\n"
    "\n"
    "Exit status: 0 on success, 1 when FILE is refused (nothing is written),\n"
    "2 when FILE cannot be read or OUT cannot be written.\n";

int RunSave(const Arguments& args) {
  if (args.operands.size() != 1) {
    ReportError("save", "expects exactly one FILE (see 'tarvo-cli save --help')");
    return kExitUsage;
  }
  const std::string& path = args.operands.front();
  auto input = ReadInput(path);
  if (!input) return kExitUsage;

  EditorSession session;
  QByteArray saved;
  QString error;
  const QByteArray text(input->data(), static_cast<qsizetype>(input->size()));
  if (!ResaveProductText(text, !HasFlag(args, "--keep-version"), true, &saved, &error)) {
    ReportError(DisplayName(path), error.toStdString());
    return kExitContent;
  }
  const std::string_view bytes(saved.constData(), static_cast<size_t>(saved.size()));
  const std::string out = args.outputGiven ? args.output : path;
  if (out == "-") {
    if (WriteStdout(bytes)) return kExitOk;
    ReportError("<stdout>", "cannot write");
    return kExitUsage;
  }
  return WriteFileAtomically(out, bytes) ? kExitOk : kExitUsage;
}

}  // namespace tarvo::cli
