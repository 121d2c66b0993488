#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finds which of the language's checksum functions produces the check bytes
// of sample frames. A candidate covers frame[from : size + to] and its check
// bytes start right after, at size + at (at == to); anything after them is a
// trailer of the same length in every frame.
enum class ChecksumFunction { kByteChecksum, kBcc, kChecksum, kKorNetChecksum };
enum class ChecksumTransform { kNone, kComplement, kTwosComplement };
enum class ChecksumOutput { kBinary, kHexUpper, kHexLower, kDecimal };

struct ChecksumCandidate {
  ChecksumFunction function = ChecksumFunction::kByteChecksum;
  ChecksumTransform transform = ChecksumTransform::kNone;
  int bytes = 1;             // the value is kept to 1, 2 or 4 bytes
  bool bigEndian = true;     // binary output of 2 or 4 bytes only
  ChecksumOutput output = ChecksumOutput::kBinary;
  int from = 0;              // first covered byte, counted from the start
  int to = -1;               // end of the covered bytes, negative from the end
  int at = -1;               // start of the check bytes, negative from the end
  int assumptions = 0;       // how much beyond "binary sum right after the data"
  // The check bytes in the language, over the frame named `frame`; checked
  // against every frame by evaluating it.
  std::string expression;
};

struct ChecksumSearch {
  std::vector<ChecksumCandidate> candidates;  // best first
  // When no candidate fits: the common CRCs that do ("CRC-16/MODBUS
  // over bytes 1..-3, little endian"), for a message that the language
  // has no CRC function.
  std::vector<std::string> crcs;
};

// Frames shorter than 2 bytes or fewer than 2 frames give nothing.
ChecksumSearch FindChecksums(const std::vector<std::string>& frames);

std::string_view ChecksumFunctionName(ChecksumFunction function);    // "bytechecksum"
std::string_view ChecksumTransformName(ChecksumTransform transform);  // "twos-complement"
std::string_view ChecksumOutputName(ChecksumOutput output);          // "hex-upper"

// The check bytes candidate gives for frame (computed directly, not
// through the expression); empty when the frame is too short.
std::string CandidateCheckBytes(const ChecksumCandidate& candidate, std::string_view frame);
// Evaluates the candidate's expression over frame, as the show controller would.
std::string EvaluateCandidate(const ChecksumCandidate& candidate, std::string_view frame);
