#include "foundation/kortime.h"

#include <ctime>

namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 11644473600ull;
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ull;

bool LocalTm(int64_t seconds, std::tm* out) {
  const auto t = static_cast<std::time_t>(seconds);
  return localtime_r(&t, out) != nullptr;
}

}  // namespace

KorStatus KorTime_c::CopyInto(KorObject_c* target) const {
  auto* other = dynamic_cast<KorTime_c*>(target);
  if (other == nullptr || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
  other->m_seconds = m_seconds;
  other->m_bias = m_bias;
  return KOR_OK;
}

std::unique_ptr<KorObject_c> KorTime_c::CreateNew() const { return std::make_unique<KorTime_c>(); }

int32_t KorTime_c::LocalBiasAt(int64_t seconds) {
  std::tm local{};
  if (!LocalTm(seconds, &local)) return 0;
  // tm_gmtoff already includes the daylight offset when daylight time is in force.
  return static_cast<int32_t>(-local.tm_gmtoff / 60);
}

void KorTime_c::SetNow() { SetUnixTime(static_cast<int64_t>(std::time(nullptr))); }

void KorTime_c::SetUnixTime(int64_t seconds) {
  m_seconds = seconds;
  m_bias = LocalBiasAt(seconds);
}

uint64_t KorTime_c::ToFileTime() const {
  if (m_seconds < -static_cast<int64_t>(kFileTimeEpochOffset)) return 0;
  return (static_cast<uint64_t>(m_seconds + static_cast<int64_t>(kFileTimeEpochOffset))) *
         kFileTimeTicksPerSecond;
}

KorStatus KorTime_c::SetFromFileTime(uint64_t fileTime) {
  const uint64_t seconds = fileTime / kFileTimeTicksPerSecond;
  if (seconds < kFileTimeEpochOffset) return KOR_FAIL;
  SetUnixTime(static_cast<int64_t>(seconds - kFileTimeEpochOffset));
  return KOR_OK;
}

KorStatus KorTime_c::GetLocalFields(int32_t* year, int32_t* month, int32_t* day, int32_t* hour,
                                    int32_t* minute, int32_t* second) const {
  std::tm local{};
  if (!LocalTm(m_seconds, &local)) return KOR_FAIL;
  if (year) *year = local.tm_year + 1900;
  if (month) *month = local.tm_mon + 1;
  if (day) *day = local.tm_mday;
  if (hour) *hour = local.tm_hour;
  if (minute) *minute = local.tm_min;
  if (second) *second = local.tm_sec;
  return KOR_OK;
}
