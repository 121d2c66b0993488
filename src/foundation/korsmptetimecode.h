#pragma once

#include <cstdint>
#include <string>

#include "foundation/korobject.h"

// Frame-rate indexes of KorSMPTETimecode_c.
inline constexpr uint8_t KOR_SMPTE_23_976 = 0;
inline constexpr uint8_t KOR_SMPTE_24 = 1;
inline constexpr uint8_t KOR_SMPTE_25 = 2;
inline constexpr uint8_t KOR_SMPTE_29_97 = 3;
inline constexpr uint8_t KOR_SMPTE_29_97_DROP = 4;
inline constexpr uint8_t KOR_SMPTE_30 = 5;

// A timecode kept as a frame count since midnight at one of six rates.
class KorSMPTETimecode_c : public KorObject_c {
 public:
  KorSMPTETimecode_c();  // count 0, drop-frame switch KOR_TRUE, rate index 5

  KorStatus CopyInto(KorObject_c* target) const override;
  std::unique_ptr<KorObject_c> CreateNew() const override;

  uint32_t GetFrameCount() const;
  // Taken modulo one day of frames.
  void SetFrameCount(uint32_t count);

  uint8_t GetRateIndex() const;
  // 0..5. With the drop-frame switch true the displayed fields are kept and
  // the count recomputed at the new rate; otherwise the old count is
  // re-expressed at the new rate. KOR_FAIL (nothing changed) for an index > 5.
  KorStatus SetRateIndex(uint8_t index);

  KorBool GetDropFrame() const;
  void SetDropFrame(KorBool flag);

  // Whole frames per second the rate is counted in (24 for 23.976, 30 for 29.97).
  uint32_t GetFramesPerSecond() const;
  // Frames in one day at the current rate.
  uint32_t GetFramesPerDay() const;

  // Drop-frame numbering only at index 4 with the switch true. The count is
  // taken modulo one day. KOR_OK always (out-of-range fields simply wrap).
  KorStatus SetFromFields(uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t frames);

  // "HH:MM:SS.FF" or shorter forms, read from the end; separators ". : ;" and
  // space. length -1: up to the first zero byte. KOR_FAIL on a stray byte,
  // the count is still computed.
  KorStatus SetFromText(const char* text, int32_t length);

  // Index 4 always uses drop-frame numbering here, whatever the switch.
  void GetFields(uint32_t* hours, uint32_t* minutes, uint32_t* seconds, uint32_t* frames) const;

  std::string ToText() const;  // "HH:MM:SS.FF"

 private:
  uint32_t m_count = 0;
  KorBool m_dropFrame = KOR_TRUE;
  uint8_t m_rateIndex = KOR_SMPTE_30;
};
