// tarvo-cli: the product-file core of Tarvo for scripts and CI pipelines.
#include <cstring>
#include <string>
#include <vector>

#include "cli/clicommands.h"
#include "cli/clicommon.h"

namespace {

using namespace tarvo::cli;

const char* const kToolHelp =
    "Usage: tarvo-cli <command> [options] [arguments]\n"
    "\n"
    "Works on show-control product files (.prd) and message expressions without\n"
    "the Tarvo window.\n"
    "\n"
    "Commands:\n"
    "  eval [EXPR ...]         preview what each message expression sends\n"
    "  xml [FILE|-]            parse XML and print it in compact (or --pretty) form\n"
    "  resave FILE [-o OUT]    load and save a product file through the data model\n"
    "  info FILE [--json]      summarise a product file\n"
    "  bytes TEXT...           read bytes typed in any notation (hex list, escapes,\n"
    "                          <CR>-style names) and print them as hex and escapes\n"
    "  find-checksum [--json] FRAME...\n"
    "                          find the checksum function, range and output that\n"
    "                          produce the check bytes of sample frames\n"
#ifdef TARVO_CLI_EDITORS
    "  save FILE [-o OUT] [--keep-version]\n"
    "                          open and save a product file exactly as the Tarvo\n"
    "                          window does: the bytes its Save writes\n"
    "  check FILE... [--json]  report the problems a driver has, one per line\n"
    "  test FILE (--tcp HOST:PORT | --udp HOST:PORT | --serial DEV)\n"
    "       [--event NAME [--param K=V]...] [--keep-going] [--json]\n"
    "                          run a driver against a device: setup and login, then\n"
    "                          events, each reply checked within its timeout\n"
    "  simulate FILE (--tcp HOST:PORT | --udp HOST:PORT | --pty)\n"
    "       [--count N] [--seconds S] [--lenient]\n"
    "                          play the device a driver talks to, answering each\n"
    "                          request with its example reply\n"
#endif
    "\n"
    "Run 'tarvo-cli <command> --help' for the details of a command.\n"
    "\n"
    "Exit status: 0 on success, 1 when the input has a syntax or parse error\n"
#ifdef TARVO_CLI_EDITORS
    "(save: the file is refused; check: problems were found; test: a reply did\n"
    "not match or did not come),\n"
#else
    "\n"
#endif
    "2 for usage errors and files that cannot be read or written"
#ifdef TARVO_CLI_EDITORS
    " (test: also a\ndevice that cannot be reached)"
#endif
    ".\n"
    "Errors are reported on stderr as 'tarvo-cli: <file>: <problem>'.\n";

struct Command {
  const char* name;
  int (*run)(const Arguments&);
  const char* help;
  std::vector<std::string> flags;
  bool takesOutput;
  std::vector<std::string> valueOptions = {};
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    WriteStdout(kToolHelp);
    return kExitUsage;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    WriteStdout(kToolHelp);
    return kExitOk;
  }

  const Command commands[] = {
      {"eval", RunEval, kEvalHelp, {}, false},
      {"xml", RunXml, kXmlHelp, {"--pretty"}, false},
      {"resave", RunResave, kResaveHelp, {}, true},
      {"info", RunInfo, kInfoHelp, {"--json"}, false},
      {"bytes", RunBytes, kBytesHelp, {}, false},
      {"find-checksum", RunFindChecksum, kFindChecksumHelp, {"--json"}, false},
#ifdef TARVO_CLI_EDITORS
      {"save", RunSave, kSaveHelp, {"--keep-version"}, true},
      {"check", RunCheck, kCheckHelp, {"--json"}, false},
      {"test", RunTest, kTestHelp, {"--json", "--keep-going"}, false, {"--tcp", "--udp", "--serial", "--event", "--param"}},
      {"simulate", RunSimulate, kSimulateHelp, {"--pty", "--lenient"}, false, {"--tcp", "--udp", "--count", "--seconds"}},
#endif
  };
  for (const Command& command : commands) {
    if (name != command.name) continue;
    if (name == "eval" || name == "bytes") {
      // Expressions such as "-5" look like options: only a leading --help is one.
      Arguments args;
      int first = 2;
      if (argc > 2 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0)) {
        WriteStdout(command.help);
        return kExitOk;
      }
      if (argc > 2 && std::strcmp(argv[2], "--") == 0) first = 3;
      for (int i = first; i < argc; ++i) args.operands.emplace_back(argv[i]);
      return command.run(args);
    }
    Arguments args = ParseArguments(argc, argv, 2, command.flags, command.takesOutput, command.valueOptions);
    if (HasFlag(args, "--help")) {
      WriteStdout(command.help);
      return kExitOk;
    }
    if (!args.unknown.empty()) {
      ReportError(name, args.unknown + " (see 'tarvo-cli " + name + " --help')");
      return kExitUsage;
    }
    return command.run(args);
  }
  ReportError(name, "unknown command (see 'tarvo-cli --help')");
  return kExitUsage;
}
