#include "expr/exprfunctions.h"

#include <openssl/evp.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "expr/exprbytes.h"
#include "foundation/korsmptetimecode.h"

namespace {

using K = ExprKind;

constexpr std::array<ExprFunctionInfo, kExprFunctionCount> kFunctions = {{
    {"byte", K::kByte},
    {"word", K::kWord},
    {"length", K::kLength},
    {"pad", K::kPad},
    {"right", K::kRight},
    {"left", K::kLeft},
    {"mid", K::kMid},
    {"checksum", K::kChecksum},
    {"bytechecksum", K::kByteChecksum},
    {"kornetchecksum", K::kKorNetChecksum},
    {"printf", K::kSprintf},
    {"sprintf", K::kSprintf},
    {"bitand", K::kBitAnd},
    {"bitor", K::kBitOr},
    {"bitxor", K::kBitXor},
    {"compl", K::kCompl},
    {"hours", K::kHours},
    {"minutes", K::kMinutes},
    {"seconds", K::kSeconds},
    {"frames", K::kFrames},
    {"totalframes", K::kTotalFrames},
    {"mod", K::kMod},
    {"msb", K::kMsb},
    {"lsb", K::kByte},
    {"if", K::kIf},
    {"getbyte", K::kGetByte},
    {"md5", K::kMd5},
    {"atoi", K::kAtoi},
    {"htoi", K::kHtoi},
    {"modbusinputs", K::kModbusInputs},
    {"modbusoutputs", K::kModbusOutputs},
    {"modbusainputs", K::kModbusAInputs},
    {"modbusainputs_advantech", K::kModbusAInputsAdvantech},
    {"modbusaoutputs", K::kModbusAOutputs},
    {"getmodbusoutputs", K::kGetModbusOutputs},
    {"getmodbusaoutputs", K::kGetModbusAOutputs},
    {"bcc", K::kBcc},
    {"bitinputs", K::kBitInputs},
    {"BER", K::kBer},
    {"btoi", K::kBtoi},
    {"ltoi", K::kLtoi},
    {"replace", K::kReplace},
    {"wordstore", K::kWordStore},
    {"bytestore", K::kByteStore},
    {"dcsanimation1", K::kDcsAnimation1},
    {"dcsanimation2", K::kDcsAnimation2},
    {"dcsanimationout", K::kDcsAnimationOut},
    {"ethernetip_readtagserviceresponse", K::kEthernetIpReadTagServiceResponse},
    {"ethernetip_readtagservice", K::kEthernetIpReadTagService},
    {"ethernetip_writetagservice", K::kEthernetIpWriteTagService},
    {"ethernetip_rmwtagservice", K::kEthernetIpRmwTagService},
    {"ethernetip_opensession", K::kEthernetIpOpenSession},
    {"ethernetip_msps", K::kEthernetIpMsps},
    {"ethernetip_mspsresponse", K::kEthernetIpMspsResponse},
    {"ethernetip_closesession", K::kEthernetIpCloseSession},
    {"scanlist", K::kScanList},
    {"printlist", K::kPrintList},
    {"dcspingresponse", K::kDcsPingResponse},
    {"dcsVariableInfoResponse", K::kDcsVariableInfoResponse},
    {"dcsVariableControlResponse", K::kDcsVariableControlResponse},
    {"setat", K::kSetAt},
    {"getat", K::kGetAt},
}};

constexpr std::array<ExprOperatorInfo, kExprOperatorCount> kOperators = {{
    {"!", "logical not", K::kCompl},
    {"*", "multiply", K::kMultiply},
    {"/", "divide", K::kDivide},
    {"-", "subtract", K::kSubtract},
    {"+", "add", K::kAdd},
    {"&", "concatenate", K::kConcatenate},
    {"<<", "shift left", K::kShiftLeft},
    {">>", "shift right", K::kShiftRight},
    {"<", "less than", K::kLess},
    {">", "greater than", K::kGreater},
    {"=", "equals", K::kEquals},
    {"<=", "less than or equals", K::kLessOrEqual},
    {">=", "greater than or equals", K::kGreaterOrEqual},
}};

// Functions that grow a result from a count never make more than this.
constexpr int64_t kCountLimit = 65535;
constexpr size_t kBerLimit = 255;
constexpr size_t kReplaceLimit = 255;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

uint32_t ByteSum(std::string_view bytes) {
  uint32_t sum = 0;
  for (const char c : bytes) sum += static_cast<unsigned char>(c);
  return sum;
}

// The window [start, start + count) of bytes, clipped to what is there.
std::string Window(const std::string& bytes, int64_t start, int64_t count) {
  const int64_t size = static_cast<int64_t>(bytes.size());
  const int64_t from = std::clamp<int64_t>(start, 0, size);
  const int64_t to = std::clamp<int64_t>(start + std::max<int64_t>(count, 0), 0, size);
  if (to <= from) return std::string();
  return bytes.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

void EvaluateSubstring(ExprNode& node) {
  const std::string bytes = node.EvaluateOperand(0).ToBytes();
  const int64_t size = static_cast<int64_t>(bytes.size());
  const int64_t count = node.EvaluateOperand(1).ToInteger();
  switch (node.GetKind()) {
    case K::kLeft:
      node.Value().SetBytes(Window(bytes, 0, count));
      break;
    case K::kRight:
      node.Value().SetBytes(Window(bytes, size - std::clamp<int64_t>(count, 0, size), count));
      break;
    default: {
      const int64_t length = node.EvaluateOperand(2).ToInteger();
      node.Value().SetBytes(Window(bytes, count, length));
      break;
    }
  }
}

void EvaluateTimecodeField(ExprNode& node) {
  KorSMPTETimecode_c timecode;
  node.EvaluateOperand(0).ToTimecode(&timecode);
  uint32_t fields[4] = {0, 0, 0, 0};
  timecode.GetFields(&fields[0], &fields[1], &fields[2], &fields[3]);
  switch (node.GetKind()) {
    case K::kHours: node.Value().SetInteger(static_cast<int32_t>(fields[0])); break;
    case K::kMinutes: node.Value().SetInteger(static_cast<int32_t>(fields[1])); break;
    case K::kSeconds: node.Value().SetInteger(static_cast<int32_t>(fields[2])); break;
    case K::kFrames: node.Value().SetInteger(static_cast<int32_t>(fields[3])); break;
    default: node.Value().SetInteger(static_cast<int32_t>(timecode.GetFrameCount())); break;
  }
}

void EvaluateBitwise(ExprNode& node) {
  auto result = static_cast<uint32_t>(node.EvaluateOperand(0).ToInteger());
  for (size_t i = 1; i < node.Count(); ++i) {
    const auto operand = static_cast<uint32_t>(node.EvaluateOperand(i).ToInteger());
    node.ReleaseOperand(i);
    switch (node.GetKind()) {
      case K::kBitAnd: result &= operand; break;
      case K::kBitOr: result |= operand; break;
      default: result ^= operand; break;
    }
  }
  node.Value().SetInteger(static_cast<int32_t>(result));
}

void EvaluateMod(ExprNode& node) {
  const ExprValue& a = node.EvaluateOperand(0);
  const ExprValue& b = node.EvaluateOperand(1);
  if (a.IsDecimalKind() || b.IsDecimalKind()) {
    node.Value().SetDecimal(a.ToDecimal());
    return;
  }
  const int32_t dividend = a.ToInteger();
  const int32_t divisor = b.ToInteger();
  if (divisor == 0) {
    node.Value().SetInteger(dividend);
  } else if (divisor == -1) {
    node.Value().SetInteger(0);  // also covers the minimum integer, whose quotient overflows
  } else {
    node.Value().SetInteger(dividend % divisor);
  }
}

void EvaluateKorNetChecksum(ExprNode& node) {
  const std::string& bytes = node.EvaluateOperand(0).ToBytes();
  const uint32_t sum = ByteSum(bytes);
  if (sum < 250) {
    node.Value().SetInteger(static_cast<int32_t>(sum));
  } else {
    node.Value().SetBytes(KorNetChecksumBytes(bytes));
  }
}

void EvaluateMd5(ExprNode& node) {
  const std::string& bytes = node.EvaluateOperand(0).ToBytes();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) return;
  node.Value().SetBytes(std::string(reinterpret_cast<const char*>(digest), length));
}

// Hex digits up to the first other byte, at most 8; leading spaces skipped.
int32_t ReadHex(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  uint32_t value = 0;
  for (int digits = 0; digits < 8 && i < text.size() && HexDigitValue(text[i]) >= 0; ++digits, ++i) {
    value = value * 16u + static_cast<uint32_t>(HexDigitValue(text[i]));
  }
  return static_cast<int32_t>(value);
}

void EvaluateBer(ExprNode& node) {
  const std::string& text = node.EvaluateOperand(0).ToBytes();
  std::vector<uint64_t> components;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    const std::string_view piece = std::string_view(text).substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    uint64_t value = 0;
    for (size_t i = 0; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
      value = value * 10u + static_cast<uint64_t>(piece[i] - '0');
    }
    components.push_back(value);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (components.size() < 2) {
    node.Value().SetBytes(std::string());
    return;
  }
  std::string out;
  out.push_back(static_cast<char>((components[0] * 40 + components[1]) & 0xFF));
  for (size_t i = 2; i < components.size() && out.size() < kBerLimit; ++i) {
    uint64_t value = components[i];
    char groups[10];
    int count = 0;
    do {
      groups[count++] = static_cast<char>(value & 0x7F);
      value >>= 7;
    } while (value != 0 && count < 10);
    for (int g = count - 1; g >= 0; --g) {
      out.push_back(static_cast<char>(groups[g] | (g > 0 ? 0x80 : 0)));
    }
  }
  if (out.size() > kBerLimit) out.resize(kBerLimit);
  node.Value().SetBytes(std::move(out));
}

void EvaluateEndian(ExprNode& node) {
  const std::string& bytes = node.EvaluateOperand(0).ToBytes();
  const int64_t wanted = node.EvaluateOperand(1).ToInteger();
  const size_t count = static_cast<size_t>(std::clamp<int64_t>(wanted, 0, static_cast<int64_t>(bytes.size())));
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]));
    if (node.GetKind() == K::kBtoi) {
      value = (value << 8) | byte;
    } else if (i < 4) {
      value |= byte << (8 * i);
    }
  }
  node.Value().SetInteger(static_cast<int32_t>(value));
}

void EvaluateReplace(ExprNode& node) {
  const std::string source = node.EvaluateOperand(0).ToBytes();
  const std::string find = node.EvaluateOperand(1).ToBytes();
  const std::string& replacement = node.EvaluateOperand(2).ToBytes();
  std::string out;
  if (find.empty()) {
    out = source.substr(0, std::min(source.size(), kReplaceLimit));
  } else {
    size_t i = 0;
    while (i < source.size() && out.size() < kReplaceLimit) {
      if (source.compare(i, find.size(), find) == 0) {
        out += replacement;
        i += find.size();
      } else {
        out.push_back(source[i++]);
      }
    }
    if (out.size() > kReplaceLimit) out.resize(kReplaceLimit);
  }
  node.Value().SetBytes(std::move(out));
}

void EvaluatePad(ExprNode& node) {
  const std::string& fill = node.EvaluateOperand(0).ToBytes();
  const char byte = fill.empty() ? '\0' : fill[0];
  const int64_t count = std::clamp<int64_t>(node.EvaluateOperand(1).ToInteger(), 0, kCountLimit);
  node.Value().SetBytes(std::string(static_cast<size_t>(count), byte));
}

void EvaluateGetByte(ExprNode& node) {
  const int32_t value = node.EvaluateOperand(0).ToInteger();
  const int32_t index = node.EvaluateOperand(1).ToInteger();
  if (index <= 1) {
    node.Value().SetInteger(value & 0xFF);
    return;
  }
  // Past the fourth byte only sign bits remain.
  const int64_t shift = std::min<int64_t>(8 * (int64_t{index} - 1), 31);
  node.Value().SetInteger((value >> shift) & 0xFF);
}

}  // namespace

uint32_t ChecksumOf(std::string_view bytes) { return ByteSum(bytes); }

uint32_t ByteChecksumOf(std::string_view bytes) { return ByteSum(bytes) & 0xFF; }

uint32_t BccOf(std::string_view bytes) {
  unsigned char x = 0;
  for (const char c : bytes) x ^= static_cast<unsigned char>(c);
  return x;
}

std::string KorNetChecksumBytes(std::string_view bytes) {
  const uint32_t sum = ByteSum(bytes);
  if (sum < 250) return std::string(1, static_cast<char>(sum));
  if (sum < 65536) return std::string{'\xFF', static_cast<char>(sum >> 8), static_cast<char>(sum & 0xFF)};
  return std::string{'\xFE', static_cast<char>((sum >> 16) & 0xFF), static_cast<char>((sum >> 8) & 0xFF),
                     static_cast<char>(sum & 0xFF)};
}

const std::array<ExprFunctionInfo, kExprFunctionCount>& ExprFunctionTable() { return kFunctions; }

const std::array<ExprOperatorInfo, kExprOperatorCount>& ExprOperatorTable() { return kOperators; }

int FindExprFunction(std::string_view name) {
  for (size_t i = 0; i < kFunctions.size(); ++i) {
    const std::string_view candidate = kFunctions[i].name;
    if (candidate.size() != name.size()) continue;
    bool equal = true;
    for (size_t j = 0; j < name.size() && equal; ++j) equal = LowerAscii(candidate[j]) == LowerAscii(name[j]);
    if (equal) return static_cast<int>(i);
  }
  return kExprNoFunction;
}

void EvaluateFunction(ExprNode& node) {
  ExprValue& value = node.Value();
  switch (node.GetKind()) {
    case K::kByte:
      value.SetInteger(node.EvaluateOperand(0).ToInteger() & 0xFF);
      break;
    case K::kWord:
      value.SetInteger(node.EvaluateOperand(0).ToInteger() & 0xFFFF);
      break;
    case K::kMsb:
      value.SetInteger((static_cast<uint32_t>(node.EvaluateOperand(0).ToInteger()) & 0xFFFF0000u) != 0 ? 1 : 0);
      break;
    case K::kGetByte:
      EvaluateGetByte(node);
      break;
    case K::kCompl:
      value.SetInteger(~node.EvaluateOperand(0).ToInteger());
      break;
    case K::kBitAnd:
    case K::kBitOr:
    case K::kBitXor:
      EvaluateBitwise(node);
      break;
    case K::kMod:
      EvaluateMod(node);
      break;
    case K::kLength:
      value.SetInteger(static_cast<int32_t>(std::min<size_t>(node.EvaluateOperand(0).ToBytes().size(),
                                                             std::numeric_limits<int32_t>::max())));
      break;
    case K::kPad:
      EvaluatePad(node);
      break;
    case K::kLeft:
    case K::kRight:
    case K::kMid:
      EvaluateSubstring(node);
      break;
    case K::kChecksum:
      value.SetInteger(static_cast<int32_t>(ChecksumOf(node.EvaluateOperand(0).ToBytes())));
      break;
    case K::kByteChecksum:
      value.SetInteger(static_cast<int32_t>(ByteChecksumOf(node.EvaluateOperand(0).ToBytes())));
      break;
    case K::kKorNetChecksum:
      EvaluateKorNetChecksum(node);
      break;
    case K::kBcc:
      value.SetInteger(static_cast<int32_t>(BccOf(node.EvaluateOperand(0).ToBytes())));
      break;
    case K::kMd5:
      EvaluateMd5(node);
      break;
    case K::kBer:
      EvaluateBer(node);
      break;
    case K::kAtoi:
      value.SetInteger(ReadDecimalInteger(node.EvaluateOperand(0).ToBytes()));
      break;
    case K::kHtoi:
      value.SetInteger(ReadHex(node.EvaluateOperand(0).ToBytes()));
      break;
    case K::kBtoi:
    case K::kLtoi:
      EvaluateEndian(node);
      break;
    case K::kReplace:
      EvaluateReplace(node);
      break;
    case K::kIf:
      // Only the chosen branch is evaluated.
      value = node.EvaluateOperand(node.EvaluateOperand(0).ToInteger() != 0 ? 1 : 2);
      break;
    case K::kHours:
    case K::kMinutes:
    case K::kSeconds:
    case K::kFrames:
    case K::kTotalFrames:
      EvaluateTimecodeField(node);
      break;
    case K::kSprintf:
      value.SetBytes(EvaluateSprintf(node));
      break;
    default:
      // List, bit-variable and protocol functions need the show controller's
      // runtime state; evaluated here they leave the value empty.
      break;
  }
}
