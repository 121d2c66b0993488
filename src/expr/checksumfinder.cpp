#include "expr/checksumfinder.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

#include "expr/exprbytes.h"
#include "expr/exprcontext.h"
#include "expr/exprfunctions.h"
#include "expr/exprnode.h"
#include "expr/exprparser.h"

namespace {

using F = ChecksumFunction;
using T = ChecksumTransform;
using O = ChecksumOutput;

constexpr char kUpper[] = "0123456789ABCDEF";
constexpr char kLower[] = "0123456789abcdef";

// One way of turning covered bytes into check bytes: everything of a
// candidate but its range.
struct Variant {
  F function;
  T transform;
  int bytes;
  bool bigEndian;
  O output;
};

std::vector<Variant> AllVariants() {
  std::vector<Variant> out;
  const O outputs[] = {O::kBinary, O::kHexUpper, O::kHexLower, O::kDecimal};
  const T transforms[] = {T::kNone, T::kComplement, T::kTwosComplement};
  // A sum kept to one byte is bytechecksum; it is listed under that name.
  for (const F function : {F::kByteChecksum, F::kBcc}) {
    for (const T transform : transforms)
      for (const O output : outputs) out.push_back({function, transform, 1, true, output});
  }
  for (const int bytes : {2, 4}) {
    for (const T transform : transforms) {
      for (const O output : outputs) {
        out.push_back({F::kChecksum, transform, bytes, true, output});
        if (output == O::kBinary) out.push_back({F::kChecksum, transform, bytes, false, output});
      }
    }
  }
  // kornetchecksum is a byte string from 250 on; only its raw bytes make sense.
  out.push_back({F::kKorNetChecksum, T::kNone, 1, true, O::kBinary});
  return out;
}

Variant VariantOf(const ChecksumCandidate& c) { return {c.function, c.transform, c.bytes, c.bigEndian, c.output}; }

uint32_t Mask(int bytes) { return bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1u; }

// The function's value over covered, transformed and kept to its bytes.
uint32_t ValueOf(const Variant& v, std::string_view covered) {
  uint32_t value = 0;
  switch (v.function) {
    case F::kByteChecksum: value = ByteChecksumOf(covered); break;
    case F::kBcc: value = BccOf(covered); break;
    default: value = ChecksumOf(covered); break;
  }
  if (v.transform == T::kComplement) value = ~value;
  if (v.transform == T::kTwosComplement) value = ~value + 1u;
  return value & Mask(v.bytes);
}

std::string CheckBytes(const Variant& v, std::string_view covered) {
  if (v.function == F::kKorNetChecksum) return KorNetChecksumBytes(covered);
  const uint32_t value = ValueOf(v, covered);
  std::string out;
  switch (v.output) {
    case O::kBinary:
      for (int i = 0; i < v.bytes; ++i) {
        const int shift = 8 * (v.bigEndian ? v.bytes - 1 - i : i);
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
      }
      break;
    case O::kHexUpper:
    case O::kHexLower: {
      const char* digits = v.output == O::kHexUpper ? kUpper : kLower;
      for (int i = 2 * v.bytes - 1; i >= 0; --i) out.push_back(digits[(value >> (4 * i)) & 0x0F]);
      break;
    }
    case O::kDecimal:
      out = std::to_string(value);
      break;
  }
  return out;
}

std::string CoveredExpression(int from, int to) {
  const std::string length = "length(frame) - " + std::to_string(from - to);
  if (from == 0) return "left(frame, " + length + ")";
  return "mid(frame, " + std::to_string(from) + ", " + length + ")";
}

std::string ValueExpression(const Variant& v, const std::string& covered) {
  const std::string call = std::string(ChecksumFunctionName(v.function)) + "(" + covered + ")";
  const std::string mask = std::to_string(Mask(v.bytes));
  std::string value;
  switch (v.transform) {
    case T::kNone: value = call; break;
    case T::kComplement: value = "compl(" + call + ")"; break;
    case T::kTwosComplement: value = "compl(" + call + ") + 1"; break;
  }
  // bytechecksum and bcc are one byte already; a 4-byte value needs no mask.
  const bool masked = v.bytes < 4 && (v.function == F::kChecksum || v.transform != T::kNone);
  return masked ? "bitand(" + value + ", " + mask + ")" : value;
}

std::string Expression(const Variant& v, int from, int to) {
  const std::string covered = CoveredExpression(from, to);
  if (v.function == F::kKorNetChecksum) return "sprintf(\"%p\", kornetchecksum(" + covered + "))";
  const std::string value = ValueExpression(v, covered);
  const std::string width = std::to_string(2 * v.bytes);
  switch (v.output) {
    case O::kHexUpper: return "sprintf(\"%0" + width + "X\", " + value + ")";
    case O::kHexLower: return "sprintf(\"%0" + width + "x\", " + value + ")";
    case O::kDecimal: return "sprintf(\"%u\", " + value + ")";
    case O::kBinary: break;
  }
  if (v.bytes == 1 || !v.bigEndian) return "sprintf(\"%" + std::to_string(v.bytes) + "p\", " + value + ")";
  // %p writes the least significant byte first; big endian goes byte by byte.
  std::string format, args;
  for (int i = v.bytes - 1; i >= 0; --i) {
    format += "%1p";
    // >> binds looser than + and is not parenthesised: a parenthesised argument does not parse.
    args += ", " + value + (i > 0 ? " >> " + std::to_string(8 * i) : std::string());
  }
  return "sprintf(\"" + format + "\"" + args + ")";
}

int Assumptions(const Variant& v, int from, int trailer) {
  return (from > 0) + (trailer > 0) + (v.transform != T::kNone) + (v.output != O::kBinary) +
         (v.output == O::kBinary && v.bytes > 1 && !v.bigEndian) + (v.function == F::kKorNetChecksum);
}

// Common CRCs, bit by bit (speed does not matter here).
struct Crc {
  const char* name;
  int width;
  uint32_t poly;
  uint32_t init;
  bool reflected;
  uint32_t xorOut;
  bool littleEndian;  // how it is usually sent
};

constexpr Crc kCrcs[] = {
    {"CRC-8", 8, 0x07, 0x00, false, 0x00, false},
    {"CRC-16/MODBUS", 16, 0xA001, 0xFFFF, true, 0x0000, true},
    {"CRC-16/CCITT-FALSE", 16, 0x1021, 0xFFFF, false, 0x0000, false},
    {"CRC-16/XMODEM", 16, 0x1021, 0x0000, false, 0x0000, false},
    {"CRC-32", 32, 0xEDB88320u, 0xFFFFFFFFu, true, 0xFFFFFFFFu, true},
};

std::string CrcBytes(const Crc& crc, std::string_view data) {
  uint32_t reg = crc.init;
  const uint32_t top = 1u << (crc.width - 1);
  for (const char c : data) {
    const auto byte = static_cast<uint8_t>(c);
    if (crc.reflected) {
      reg ^= byte;
      for (int b = 0; b < 8; ++b) reg = (reg & 1u) ? (reg >> 1) ^ crc.poly : reg >> 1;
    } else {
      reg ^= static_cast<uint32_t>(byte) << (crc.width - 8);
      for (int b = 0; b < 8; ++b) reg = (reg & top) ? (reg << 1) ^ crc.poly : reg << 1;
    }
    reg &= Mask(crc.width / 8);
  }
  reg ^= crc.xorOut;
  std::string out;
  const int bytes = crc.width / 8;
  for (int i = 0; i < bytes; ++i) {
    const int shift = 8 * (crc.littleEndian ? i : bytes - 1 - i);
    out.push_back(static_cast<char>((reg >> shift) & 0xFF));
  }
  return out;
}

std::vector<std::string> FindCrcs(const std::vector<std::string>& frames) {
  std::vector<std::string> found;
  const int n0 = static_cast<int>(frames[0].size());
  for (const Crc& crc : kCrcs) {
    const int length = crc.width / 8;
    bool fitted = false;
    for (int from = 0; from < n0 && !fitted; ++from) {
      for (int end = from + 1; end + length <= n0 && !fitted; ++end) {
        const int to = end - n0;
        fitted = std::all_of(frames.begin(), frames.end(), [&](const std::string& frame) {
          const int size = static_cast<int>(frame.size());
          const int stop = size + to;
          if (stop <= from || stop + length > size) return false;
          return frame.compare(static_cast<size_t>(stop), length, CrcBytes(crc, std::string_view(frame).substr(from, stop - from))) == 0;
        });
        if (fitted) {
          found.push_back(std::string(crc.name) + " (from " + std::to_string(from) + ", to " + std::to_string(to) +
                          ", at " + std::to_string(to) + (length == 1 ? "" : crc.littleEndian ? ", little endian" : ", big endian") + ")");
        }
      }
    }
  }
  return found;
}

}  // namespace

std::string_view ChecksumFunctionName(ChecksumFunction function) {
  switch (function) {
    case F::kByteChecksum: return "bytechecksum";
    case F::kBcc: return "bcc";
    case F::kChecksum: return "checksum";
    case F::kKorNetChecksum: return "kornetchecksum";
  }
  return {};
}

std::string_view ChecksumTransformName(ChecksumTransform transform) {
  switch (transform) {
    case T::kNone: return "none";
    case T::kComplement: return "complement";
    case T::kTwosComplement: return "twos-complement";
  }
  return {};
}

std::string_view ChecksumOutputName(ChecksumOutput output) {
  switch (output) {
    case O::kBinary: return "binary";
    case O::kHexUpper: return "hex-upper";
    case O::kHexLower: return "hex-lower";
    case O::kDecimal: return "decimal";
  }
  return {};
}

std::string CandidateCheckBytes(const ChecksumCandidate& candidate, std::string_view frame) {
  const int size = static_cast<int>(frame.size());
  const int end = size + candidate.to;
  if (candidate.from < 0 || end <= candidate.from) return std::string();
  return CheckBytes(VariantOf(candidate), frame.substr(candidate.from, end - candidate.from));
}

std::string EvaluateCandidate(const ChecksumCandidate& candidate, std::string_view frame) {
  ExprContext context;
  context.tables[ExprContext::kBytesTable] = ExprContext::Entries{{"frame", WriteByteNotation(frame), false}};
  ExprNode root(&context);
  ExprParser parser(candidate.expression, &context);
  if (parser.Parse(&root) != KOR_OK) return std::string();
  return root.Evaluate().ToBytes();
}

ChecksumSearch FindChecksums(const std::vector<std::string>& frames) {
  ChecksumSearch search;
  if (frames.size() < 2) return search;
  for (const std::string& frame : frames)
    if (frame.size() < 2) return search;

  const std::string& first = frames[0];
  const int n0 = static_cast<int>(first.size());
  const std::vector<Variant> variants = AllVariants();
  for (int from = 0; from < n0; ++from) {
    for (int end = from + 1; end < n0; ++end) {
      const std::string_view covered = std::string_view(first).substr(from, end - from);
      for (const Variant& v : variants) {
        const std::string check = CheckBytes(v, covered);
        if (end + static_cast<int>(check.size()) > n0 || first.compare(end, check.size(), check) != 0) continue;
        ChecksumCandidate c;
        c.function = v.function;
        c.transform = v.transform;
        c.bytes = v.bytes;
        c.bigEndian = v.bigEndian;
        c.output = v.output;
        c.from = from;
        c.to = end - n0;
        c.at = c.to;
        const int trailer = n0 - end - static_cast<int>(check.size());
        const bool all = std::all_of(frames.begin() + 1, frames.end(), [&](const std::string& frame) {
          const std::string other = CandidateCheckBytes(c, frame);
          const int stop = static_cast<int>(frame.size()) + c.to;
          return !other.empty() && static_cast<int>(frame.size()) - stop - static_cast<int>(other.size()) == trailer &&
                 frame.compare(static_cast<size_t>(stop), other.size(), other) == 0;
        });
        if (!all) continue;
        c.assumptions = Assumptions(v, from, trailer);
        c.expression = Expression(v, c.from, c.to);
        search.candidates.push_back(std::move(c));
      }
    }
  }
  std::stable_sort(search.candidates.begin(), search.candidates.end(),
                   [](const ChecksumCandidate& a, const ChecksumCandidate& b) {
                     return std::make_tuple(a.assumptions, a.from, -a.to, static_cast<int>(a.function), a.bytes) <
                            std::make_tuple(b.assumptions, b.from, -b.to, static_cast<int>(b.function), b.bytes);
                   });
  // Every listed expression sends exactly the check bytes of every frame.
  std::vector<ChecksumCandidate> verified;
  for (ChecksumCandidate& c : search.candidates) {
    const bool ok = std::all_of(frames.begin(), frames.end(), [&](const std::string& frame) {
      const std::string expected = CandidateCheckBytes(c, frame);
      return !expected.empty() && EvaluateCandidate(c, frame) == expected;
    });
    if (ok) verified.push_back(std::move(c));
  }
  search.candidates = std::move(verified);
  if (search.candidates.empty()) search.crcs = FindCrcs(frames);
  return search;
}
