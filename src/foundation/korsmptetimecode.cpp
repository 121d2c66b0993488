#include "foundation/korsmptetimecode.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kRateCount = 6;
// Whole frames per second each rate is counted in.
constexpr uint32_t kFramesPerSecond[kRateCount] = {24, 24, 25, 30, 30, 30};
// Exact rates as fractions, for re-expressing a count at another rate.
constexpr uint64_t kRateNumerator[kRateCount] = {24000, 24, 25, 30000, 30000, 30};
constexpr uint64_t kRateDenominator[kRateCount] = {1001, 1, 1, 1001, 1001, 1};

// Drop-frame numbering at 30 frames per second.
constexpr uint64_t kDropFramesPerHour = 108000;
constexpr uint64_t kDropFramesPerTenMinutes = 17982;
constexpr uint64_t kDropFramesPerMinute = 1798;

bool IsSeparator(char c) { return c == '.' || c == ':' || c == ';' || c == ' '; }
bool IsTrailingSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

KorSMPTETimecode_c::KorSMPTETimecode_c() = default;

KorStatus KorSMPTETimecode_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorSMPTETimecode_c*>(target);
  if (other == nullptr || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  other->m_count = m_count;
  other->m_dropFrame = m_dropFrame;
  other->m_rateIndex = m_rateIndex;
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorSMPTETimecode_c::CreateNew() const {
  return std::make_unique<KorSMPTETimecode_c>();
}

uint32_t KorSMPTETimecode_c::GetFrameCount() const { return m_count; }

void KorSMPTETimecode_c::SetFrameCount(uint32_t count) { m_count = count % GetFramesPerDay(); }

uint8_t KorSMPTETimecode_c::GetRateIndex() const { return m_rateIndex; }

uint32_t KorSMPTETimecode_c::GetFramesPerSecond() const { return kFramesPerSecond[m_rateIndex]; }

uint32_t KorSMPTETimecode_c::GetFramesPerDay() const { return GetFramesPerSecond() * 86400u; }

KorStatus KorSMPTETimecode_c::SetRateIndex(uint8_t index) {
  if (index >= kRateCount) return KOR_FAIL;
  if (KorIsTrue(m_dropFrame)) {
    uint32_t h = 0, m = 0, s = 0, f = 0;
    GetFields(&h, &m, &s, &f);
    m_rateIndex = index;
    return SetFromFields(h, m, s, f);
  }
  // Keep the same moment in real time: count / old rate * new rate, rounded.
  const uint8_t old = m_rateIndex;
  const uint64_t num = uint64_t{m_count} * kRateNumerator[index] * kRateDenominator[old];
  const uint64_t den = kRateNumerator[old] * kRateDenominator[index];
  m_rateIndex = index;
  SetFrameCount(static_cast<uint32_t>(((num + den / 2) / den) % GetFramesPerDay()));
  return KOR_OK;
}

KorBool KorSMPTETimecode_c::GetDropFrame() const { return m_dropFrame; }

void KorSMPTETimecode_c::SetDropFrame(KorBool flag) { m_dropFrame = flag; }

KorStatus KorSMPTETimecode_c::SetFromFields(uint32_t hours, uint32_t minutes, uint32_t seconds,
                                            uint32_t frames) {
  const uint64_t day = GetFramesPerDay();
  uint64_t count = 0;
  if (m_rateIndex == KOR_SMPTE_29_97_DROP && KorIsTrue(m_dropFrame)) {
    // Frame numbers 0 and 1 are skipped at every minute not divisible by ten.
    const uint64_t m = minutes;
    count = uint64_t{hours} * kDropFramesPerHour + m * 1800 + uint64_t{seconds} * 30 + frames -
            2 * (m - m / 10);
  } else {
    const uint64_t fps = GetFramesPerSecond();
    count = frames + (seconds + (minutes + uint64_t{hours} * 60) * 60) * fps;
  }
  m_count = static_cast<uint32_t>(count % day);
  return KOR_OK;
}

KorStatus KorSMPTETimecode_c::SetFromText(const char* text, int32_t length) {
  KorStatus status = KOR_OK;
  uint32_t fields[4] = {0, 0, 0, 0};  // frames, seconds, minutes, hours
  if (text == nullptr) {
    status = KOR_FAIL;
    length = 0;
  } else if (length < 0) {
    length = static_cast<int32_t>(std::strlen(text));
  }
  int32_t end = length;
  while (end > 0 && IsTrailingSpace(text[end - 1])) --end;

  int field = 0;
  uint64_t place = 1;
  for (int32_t i = end - 1; i >= 0 && field < 4; --i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      // Digits beyond what a field can hold are ignored rather than overflowing.
      if (place <= 1000000000u) {
        const uint64_t v = fields[field] + static_cast<uint64_t>(c - '0') * place;
        fields[field] = v > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(v);
        place *= 10;
      }
    } else if (IsSeparator(c)) {
      ++field;
      place = 1;
    } else {
      status = KOR_FAIL;
    }
  }
  SetFromFields(fields[3], fields[2], fields[1], fields[0]);
  return status;
}

void KorSMPTETimecode_c::GetFields(uint32_t* hours, uint32_t* minutes, uint32_t* seconds,
                                   uint32_t* frames) const {
  uint64_t h = 0, m = 0, s = 0, f = 0;
  if (m_rateIndex == KOR_SMPTE_29_97_DROP) {
    h = m_count / kDropFramesPerHour;
    const uint64_t r = m_count % kDropFramesPerHour;
    const uint64_t tens = r / kDropFramesPerTenMinutes;
    const uint64_t within = r % kDropFramesPerTenMinutes;
    // Put the skipped frame numbers back to get a plain 30 fps number.
    uint64_t n = r + 18 * tens;
    if (within >= 2) n += 2 * ((within - 2) / kDropFramesPerMinute);
    f = n % 30;
    s = (n / 30) % 60;
    m = n / 1800;
    // Counts past the last numbered frame of an hour carry into the next.
    h += m / 60;
    m %= 60;
  } else {
    const uint64_t fps = GetFramesPerSecond();
    f = m_count % fps;
    s = (m_count / fps) % 60;
    m = (m_count / (fps * 60)) % 60;
    h = m_count / (fps * 3600);
  }
  if (hours) *hours = static_cast<uint32_t>(h);
  if (minutes) *minutes = static_cast<uint32_t>(m);
  if (seconds) *seconds = static_cast<uint32_t>(s);
  if (frames) *frames = static_cast<uint32_t>(f);
}

std::string KorSMPTETimecode_c::ToText() const {
  uint32_t h = 0, m = 0, s = 0, f = 0;
  GetFields(&h, &m, &s, &f);
  char text[48];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%02u", h, m, s, f);
  return text;
}
