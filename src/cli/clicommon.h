#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class KorXML_c;

namespace tarvo::cli {

// Exit statuses scripts rely on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitContent = 1;  // the input was read but is wrong (syntax error, parse error)
inline constexpr int kExitUsage = 2;    // bad options, unreadable or unwritable files

// Larger inputs are refused rather than read into memory.
inline constexpr std::uintmax_t kMaxInputBytes = 512u * 1024u * 1024u;

// Writes "tarvo-cli: <subject>: <problem>" as one line on stderr.
void ReportError(std::string_view subject, std::string_view problem);

// Reads a whole file, or standard input for "-". On failure reports the
// problem on stderr and returns nothing.
std::optional<std::string> ReadInput(const std::string& path);

// Replaces `path` with `bytes` through a temporary file in the same folder and
// a rename, so an interrupted or failed write leaves the old file intact.
// On failure reports the problem on stderr and returns false.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Writes bytes to standard output unchanged; false when stdout failed.
bool WriteStdout(std::string_view bytes);

// Command-line words after the command name, split into options and operands.
struct Arguments {
  std::vector<std::string> operands;
  std::vector<std::string> flags;  // "--pretty", "--json", "--help"
  std::string output;              // value of -o / --output, empty when absent
  bool outputGiven = false;
  std::string unknown;             // first option that is not known, empty when all are
  // Options that take a value ("--tcp HOST:PORT" or "--tcp=HOST:PORT"), in
  // the order given; an option may repeat.
  std::vector<std::pair<std::string, std::string>> values;
};

// Splits argv[first..] into operands and the options listed in `knownFlags`;
// "-o FILE" is recognised when `takesOutput` is set. "--" ends the options,
// and "-" alone is an operand (standard input).
// valueOptions: the options that take a value.
Arguments ParseArguments(int argc, char** argv, int first, const std::vector<std::string>& knownFlags,
                         bool takesOutput, const std::vector<std::string>& valueOptions = {});

bool HasFlag(const Arguments& args, std::string_view flag);
// The values given for option, in order.
std::vector<std::string> OptionValues(const Arguments& args, std::string_view option);

// A document node without a name is skipped by the writer, so text parsed
// without a declaration would print nothing: give it the standard one.
void EnsureDeclaration(KorXML_c& document);

}  // namespace tarvo::cli
