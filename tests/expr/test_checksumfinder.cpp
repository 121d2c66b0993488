#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/bytenotation.h"
#include "expr/checksumfinder.h"
#include "exprtesting.h"

namespace {

using F = ChecksumFunction;
using T = ChecksumTransform;
using O = ChecksumOutput;

TEST(TypedBytes, Notations) {
  for (const auto& row : ReadRows("typedbytes.tsv", 3)) {
    SCOPED_TRACE(row[0]);
    const TypedBytes typed = ReadTypedBytes(row[0]);
    EXPECT_EQ(typed.ok ? WriteHexPairs(typed.bytes) : "error " + std::to_string(typed.errorPos), row[1]);
    EXPECT_EQ(typed.hexList ? "hex" : "text", row[2]);
    if (typed.ok) {
      // The escape text reads back to the same bytes.
      EXPECT_EQ(ReadTypedBytes(WriteEscapedBytes(typed.bytes)).bytes, typed.bytes);
    } else {
      EXPECT_FALSE(typed.error.empty());
    }
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(ReadTypedBytes(WriteEscapedBytes(all)).bytes, all);
}

// The check bytes computed here from the definitions, not from the finder.
std::string Reference(F function, T transform, int bytes, bool big, O output, const std::string& data) {
  uint32_t sum = 0, x = 0;
  for (const unsigned char c : data) {
    sum += c;
    x ^= c;
  }
  if (function == F::kKorNetChecksum) {
    if (sum < 250) return std::string(1, static_cast<char>(sum));
    return std::string{'\xFF', static_cast<char>(sum / 256), static_cast<char>(sum % 256)};
  }
  uint64_t value = function == F::kBcc ? x : sum;
  const uint64_t modulus = uint64_t{1} << (8 * bytes);
  value %= modulus;
  if (transform == T::kComplement) value = modulus - 1 - value;
  if (transform == T::kTwosComplement) value = (modulus - value) % modulus;
  char text[16];
  switch (output) {
    case O::kHexUpper: std::snprintf(text, sizeof text, "%0*llX", 2 * bytes, static_cast<unsigned long long>(value)); return text;
    case O::kHexLower: std::snprintf(text, sizeof text, "%0*llx", 2 * bytes, static_cast<unsigned long long>(value)); return text;
    case O::kDecimal: return std::to_string(value);
    case O::kBinary: break;
  }
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * (big ? bytes - 1 - i : i))));
  return out;
}

struct FinderRow {
  F function;
  T transform;
  int bytes;
  bool big;
  O output;
  std::string header, trailer;
};

TEST(ChecksumFinder, FindsEachFunctionTransformOutputAndRange) {
  const std::vector<FinderRow> rows = {
      {F::kByteChecksum, T::kNone, 1, true, O::kBinary, "", ""},
      {F::kByteChecksum, T::kComplement, 1, true, O::kBinary, "\x02", "\x03"},
      {F::kByteChecksum, T::kTwosComplement, 1, true, O::kHexUpper, "\x02", "\r"},
      {F::kBcc, T::kNone, 1, true, O::kBinary, "\x02", "\x03"},
      {F::kBcc, T::kComplement, 1, true, O::kHexLower, "", "\r\n"},
      {F::kBcc, T::kTwosComplement, 1, true, O::kBinary, "\xAA\x55", ""},
      {F::kChecksum, T::kNone, 2, true, O::kBinary, "\x02", "\x03"},
      {F::kChecksum, T::kNone, 2, false, O::kBinary, "", ""},
      {F::kChecksum, T::kComplement, 4, false, O::kBinary, "\x7E", ""},
      {F::kChecksum, T::kTwosComplement, 4, true, O::kBinary, "", "\x03"},
      {F::kChecksum, T::kNone, 2, true, O::kHexUpper, ":", "\r\n"},
      {F::kChecksum, T::kTwosComplement, 2, true, O::kHexLower, "", ""},
      {F::kChecksum, T::kNone, 4, true, O::kDecimal, "", "\r"},
      {F::kKorNetChecksum, T::kNone, 1, true, O::kBinary, "\x02", ""},
  };
  // Payloads whose sums all need three digits and exceed 250.
  const std::vector<std::string> payloads = {"PWR ON", "VOL 042", "INPUT 3", "MUTE OFF"};
  for (const FinderRow& row : rows) {
    std::vector<std::string> frames;
    for (const std::string& payload : payloads) {
      const std::string data = row.header.substr(row.header.empty() ? 0 : 1) + payload;
      frames.push_back(row.header.substr(0, row.header.empty() ? 0 : 1) + data +
                       Reference(row.function, row.transform, row.bytes, row.big, row.output, data) + row.trailer);
    }
    SCOPED_TRACE(std::string(ChecksumFunctionName(row.function)) + " " + std::string(ChecksumTransformName(row.transform)) +
                 " " + std::string(ChecksumOutputName(row.output)) + " " + std::to_string(row.bytes) + WriteHexPairs(frames[0]));
    const ChecksumSearch search = FindChecksums(frames);
    ASSERT_FALSE(search.candidates.empty());
    bool found = false;
    for (const ChecksumCandidate& c : search.candidates) {
      found |= c.function == row.function && c.transform == row.transform && c.bytes == row.bytes &&
               (c.bigEndian == row.big || row.output != O::kBinary || row.bytes == 1) && c.output == row.output &&
               c.from == (row.header.empty() ? 0 : 1) && c.at == c.to;
      for (const std::string& frame : frames) {
        const size_t at = frame.size() + static_cast<size_t>(static_cast<int64_t>(c.at));
        EXPECT_EQ(EvaluateCandidate(c, frame), frame.substr(at, CandidateCheckBytes(c, frame).size())) << c.expression;
      }
    }
    EXPECT_TRUE(found) << search.candidates.front().expression;
  }
}

TEST(ChecksumFinder, RanksPlainSumFirstAndNamesCrcWhenNothingFits) {
  std::vector<std::string> frames;
  for (const std::string payload : {"PWR1", "VOL25", "INP3"})
    frames.push_back("\x02" + payload + Reference(F::kByteChecksum, T::kNone, 1, true, O::kBinary, payload) + "\x03");
  const ChecksumSearch search = FindChecksums(frames);
  ASSERT_FALSE(search.candidates.empty());
  EXPECT_EQ(search.candidates.front().expression, "sprintf(\"%1p\", bytechecksum(mid(frame, 1, length(frame) - 3)))");
  EXPECT_EQ(search.candidates.front().to, -2);

  // Modbus requests with their CRC, low byte first.
  const ChecksumSearch crc = FindChecksums({ReadTypedBytes("01 03 00 00 00 0A C5 CD").bytes,
                                            ReadTypedBytes("01 06 00 01 00 03 98 0B").bytes,
                                            ReadTypedBytes("02 03 00 10 00 01 85 FC").bytes});
  EXPECT_TRUE(crc.candidates.empty());
  ASSERT_FALSE(crc.crcs.empty());
  EXPECT_EQ(crc.crcs.front(), "CRC-16/MODBUS (from 0, to -2, at -2, little endian)");

  EXPECT_TRUE(FindChecksums({frames[0]}).candidates.empty());
  EXPECT_TRUE(FindChecksums({frames[0], "A"}).candidates.empty());
}

}  // namespace
