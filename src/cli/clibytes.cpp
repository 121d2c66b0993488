#include <string>
#include <vector>

#include "cli/clicommands.h"
#include "cli/clijson.h"
#include "expr/bytenotation.h"
#include "expr/checksumfinder.h"

namespace tarvo::cli {

const char* const kBytesHelp =
    "Usage: tarvo-cli bytes TEXT...\n"
    "\n"
    "Reads each TEXT the way Tarvo's byte fields and terminal do and prints two\n"
    "lines: its bytes as uppercase hex pairs, then the same bytes in Tarvo's\n"
    "escape text.\n"
    "\n"
    "A TEXT made only of two-digit hex bytes is a hex list: each byte may be\n"
    "written 0D, 0x0D, $0D, 0Dh or \\x0D, separated by spaces, commas or colons,\n"
    "or by nothing between bytes with a prefix or suffix (02 50 57, 0x02,0x50,\n"
    "$02$50, 02:50:57). Any other TEXT is taken as typed, with the escapes\n"
    "\\r \\n \\t \\\\ \\\" \\xHH and ASCII control names in angle brackets (<STX>,\n"
    "<CR>, <LF>, <ESC>, <NUL> ... <DEL>, any case).\n"
    "\n"
    "Example:\n"
    "  tarvo-cli bytes '<STX>PWR ON<CR>' '$02 $50'\n"
    "\n"
    "Exit status: 0 when every TEXT was read, 1 when one is not valid (an\n"
    "unknown control name, an unknown escape, \\x without two hex digits).\n";

const char* const kFindChecksumHelp =
    "Usage: tarvo-cli find-checksum [--json] FRAME...\n"
    "\n"
    "Finds which checksum function of the show controller's language produces\n"
    "the check bytes of two or more sample frames, each FRAME one argument in\n"
    "any notation 'tarvo-cli bytes' reads.\n"
    "\n"
    "Tried: checksum (the byte sum kept to 1, 2 or 4 bytes, big or little\n"
    "endian), bytechecksum, bcc and kornetchecksum, each as is, complemented or\n"
    "as its two's complement; sent as binary bytes, as hex digits (upper or\n"
    "lower case) or as decimal text; over every range of covered bytes, with the\n"
    "check bytes right after them and any trailer of the same length after those.\n"
    "A sum kept to one byte is bytechecksum and is listed under that name.\n"
    "\n"
    "The candidates are printed best first (fewest assumptions: no skipped\n"
    "header, no trailer, no transform, binary, big endian), one per line as the\n"
    "expression that sends the check bytes, over the frame named 'frame'. Each\n"
    "expression has been evaluated on every frame. With --json an array of\n"
    "objects is printed with the fields function, transform, bytes (1, 2, 4),\n"
    "endian (big, little), output (binary, hex-upper, hex-lower, decimal), from\n"
    "(first covered byte from the start), to (end of the covered bytes as a\n"
    "negative index from the end, as in a slice), at (start of the check bytes,\n"
    "negative from the end) and expression.\n"
    "\n"
    "When nothing fits, the common CRCs are tried (CRC-8, CRC-16/MODBUS,\n"
    "CRC-16/CCITT-FALSE, CRC-16/XMODEM, CRC-32) and one that fits is named; the\n"
    "language has no CRC function.\n"
    "\n"
    "Example:\n"
    "  tarvo-cli find-checksum '02 50 57 31 A2 03' '02 50 57 30 A1 03'\n"
    "\n"
    "Exit status: 0 when at least one candidate fits every frame, 1 when none\n"
    "does, 2 for unusable input (fewer than two frames, a frame shorter than two\n"
    "bytes or not valid).\n";

namespace {

// The text's bytes, or a message on stderr naming the position and problem.
bool ReadArgument(const std::string& text, std::string* bytes) {
  const TypedBytes typed = ReadTypedBytes(text);
  if (!typed.ok) {
    ReportError(text, "at " + std::to_string(typed.errorPos) + ": " + typed.error);
    return false;
  }
  *bytes = typed.bytes;
  return true;
}

// Text output lists this many; --json lists all.
constexpr size_t kShownCandidates = 20;

}  // namespace

int RunBytes(const Arguments& args) {
  if (args.operands.empty()) {
    ReportError("bytes", "no TEXT given (see 'tarvo-cli bytes --help')");
    return kExitUsage;
  }
  std::string out;
  int status = kExitOk;
  for (const std::string& text : args.operands) {
    std::string bytes;
    if (!ReadArgument(text, &bytes)) {
      status = kExitContent;
      continue;
    }
    out += WriteHexPairs(bytes) + '\n' + WriteEscapedBytes(bytes) + '\n';
  }
  if (!WriteStdout(out)) {
    ReportError("<stdout>", "cannot write");
    return kExitUsage;
  }
  return status;
}

int RunFindChecksum(const Arguments& args) {
  std::vector<std::string> frames;
  for (const std::string& text : args.operands) {
    std::string bytes;
    if (!ReadArgument(text, &bytes)) return kExitUsage;
    if (bytes.size() < 2) {
      ReportError(text, "a frame needs at least two bytes");
      return kExitUsage;
    }
    frames.push_back(std::move(bytes));
  }
  if (frames.size() < 2) {
    ReportError("find-checksum", "give two or more frames (see 'tarvo-cli find-checksum --help')");
    return kExitUsage;
  }
  const ChecksumSearch search = FindChecksums(frames);
  std::string out;
  if (HasFlag(args, "--json")) {
    JsonWriter json;
    json.BeginArray();
    for (const ChecksumCandidate& c : search.candidates) {
      json.BeginObject();
      json.Key("function");
      json.String(ChecksumFunctionName(c.function));
      json.Key("transform");
      json.String(ChecksumTransformName(c.transform));
      json.Key("bytes");
      json.Integer(c.bytes);
      json.Key("endian");
      json.String(c.bigEndian ? "big" : "little");
      json.Key("output");
      json.String(ChecksumOutputName(c.output));
      json.Key("from");
      json.Integer(c.from);
      json.Key("to");
      json.Integer(c.to);
      json.Key("at");
      json.Integer(c.at);
      json.Key("expression");
      json.String(c.expression);
      json.EndObject();
    }
    json.EndArray();
    out = json.Text();
  } else {
    for (size_t i = 0; i < search.candidates.size() && i < kShownCandidates; ++i) out += search.candidates[i].expression + '\n';
    if (search.candidates.size() > kShownCandidates)
      out += "(" + std::to_string(search.candidates.size() - kShownCandidates) + " more; --json lists all)\n";
  }
  if (!WriteStdout(out)) {
    ReportError("<stdout>", "cannot write");
    return kExitUsage;
  }
  if (!search.candidates.empty()) return kExitOk;
  std::string message = "no checksum function of the language fits";
  if (!search.crcs.empty()) message += "; " + search.crcs.front() + " fits, but the language has no CRC function";
  ReportError("find-checksum", message);
  return kExitContent;
}

}  // namespace tarvo::cli
