#pragma once

#include <cstdint>

#include "foundation/korobject.h"

// A time stamp (seconds since 1970-01-01 UTC) with the local time zone's
// bias in minutes as the C library reports it, daylight time included.
// The bias is what is added to local time to reach UTC (positive west of
// Greenwich): -tm_gmtoff / 60.
class KorTime_c : public KorObject_c {
 public:
  KorTime_c() = default;

  KorStatus CopyInto(KorObject_c* target) const override;
  std::unique_ptr<KorObject_c> CreateNew() const override;

  // Takes the current time and the bias in force now.
  void SetNow();
  // Sets the stamp and the bias in force at that moment.
  void SetUnixTime(int64_t seconds);
  int64_t GetUnixTime() const { return m_seconds; }
  int32_t GetBias() const { return m_bias; }
  void SetBias(int32_t minutes) { m_bias = minutes; }

  // 100-nanosecond intervals since 1601-01-01 UTC.
  uint64_t ToFileTime() const;
  // KOR_FAIL (unchanged) for a file time before 1970 it cannot hold.
  KorStatus SetFromFileTime(uint64_t fileTime);

  // Local calendar fields of the stamp; KOR_FAIL when the C library cannot convert.
  KorStatus GetLocalFields(int32_t* year, int32_t* month, int32_t* day, int32_t* hour,
                           int32_t* minute, int32_t* second) const;

  // Bias in force at the given moment (minutes, daylight included).
  static int32_t LocalBiasAt(int64_t seconds);

 private:
  int64_t m_seconds = 0;
  int32_t m_bias = 0;
};
