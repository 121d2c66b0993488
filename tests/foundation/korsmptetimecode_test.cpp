#include "foundation/korsmptetimecode.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

struct Fields {
  uint32_t h, m, s, f;
};

Fields FieldsOf(const KorSMPTETimecode_c& tc) {
  Fields out{};
  tc.GetFields(&out.h, &out.m, &out.s, &out.f);
  return out;
}

// Plain numbering: a second at each rate, fields both ways, one day wraps.
TEST(KorSMPTETimecode, NonDropNumbering) {
  const uint32_t perSecond[] = {24, 24, 25, 30, 30, 30};
  for (uint8_t index = 0; index < 6; ++index) {
    KorSMPTETimecode_c tc;
    ASSERT_EQ(tc.SetRateIndex(index), KOR_OK);
    tc.SetFromFields(0, 0, 1, 0);
    EXPECT_EQ(tc.GetFrameCount(), perSecond[index]) << "rate index " << int(index);
  }
  KorSMPTETimecode_c tc;
  tc.SetRateIndex(KOR_SMPTE_25);
  tc.SetFromFields(1, 2, 3, 4);
  EXPECT_EQ(tc.GetFrameCount(), 4u + (3 + (2 + 60u) * 60) * 25);
  Fields f = FieldsOf(tc);
  EXPECT_EQ(std::tie(f.h, f.m, f.s, f.f), std::make_tuple(1u, 2u, 3u, 4u));
  EXPECT_EQ(tc.ToText(), "01:02:03.04");
  tc.SetFrameCount(25u * 86400 + 7);
  EXPECT_EQ(tc.GetFrameCount(), 7u);
  tc.SetFromFields(25, 0, 0, 0);
  EXPECT_EQ(tc.ToText(), "01:00:00.00");
}

TEST(KorSMPTETimecode, DropFrameNumbering) {
  KorSMPTETimecode_c tc;
  ASSERT_EQ(tc.SetRateIndex(KOR_SMPTE_29_97_DROP), KOR_OK);
  struct Row {
    uint32_t h, m, s, f, count;
  } rows[] = {
      {0, 0, 59, 29, 1799},  // last frame before the first drop
      {0, 1, 0, 2, 1800},    // frames 0 and 1 of minute 1 are skipped
      {0, 2, 0, 2, 3598},
      {0, 10, 0, 0, 17982},  // minute 10 keeps its frames 0 and 1
      {0, 10, 0, 1, 17983},
      {0, 11, 0, 2, 17982 + 1800},
      {1, 0, 0, 0, 108000},  // hours count 108000 frames each
      {2, 59, 59, 29, 2 * 108000 + 107891},
  };
  for (const Row& r : rows) {
    tc.SetFromFields(r.h, r.m, r.s, r.f);
    EXPECT_EQ(tc.GetFrameCount(), r.count) << r.h << ":" << r.m << ":" << r.s << "." << r.f;
    Fields f = FieldsOf(tc);
    EXPECT_EQ(std::tie(f.h, f.m, f.s, f.f), std::tie(r.h, r.m, r.s, r.f)) << r.count;
  }
}

TEST(KorSMPTETimecode, DropSwitchOnlyConsultedWhenSettingFields) {
  KorSMPTETimecode_c tc;
  tc.SetDropFrame(KOR_FALSE);
  tc.SetRateIndex(KOR_SMPTE_29_97_DROP);
  tc.SetFromFields(0, 1, 0, 2);
  EXPECT_EQ(tc.GetFrameCount(), 1802u);  // plain 30 fps arithmetic
  // Reading back still uses drop-frame numbering at index 4.
  EXPECT_EQ(tc.ToText(), "00:01:00.04");
}

TEST(KorSMPTETimecode, FromText) {
  struct Row {
    const char* text;
    KorStatus status;
    const char* written;
  } rows[] = {
      {"1:02:03.04", KOR_OK, "01:02:03.04"},
      {"3:04", KOR_OK, "00:00:03.04"},
      {"3.04", KOR_OK, "00:00:03.04"},
      {"01;02;03;04", KOR_OK, "01:02:03.04"},
      {"1 2 3 4", KOR_OK, "01:02:03.04"},
      {"1:02:03.04 \t\r\n", KOR_OK, "01:02:03.04"},
      {"1::04", KOR_OK, "00:01:00.04"},         // two separators in a row leave seconds at 0
      {"9:1:02:03.04", KOR_OK, "01:02:03.04"},  // scanning stops after the fourth separator
      {"", KOR_OK, "00:00:00.00"},
      {"1:0x:03.04", KOR_FAIL, "01:00:03.04"},  // stray byte: failure, fields still read
      {"25:00:00.00", KOR_OK, "01:00:00.00"},   // whole days dropped
  };
  for (const Row& r : rows) {
    KorSMPTETimecode_c tc;
    EXPECT_EQ(tc.SetFromText(r.text, -1), r.status) << r.text;
    EXPECT_EQ(tc.ToText(), r.written) << r.text;
  }
}

TEST(KorSMPTETimecode, FromTextRespectsLength) {
  KorSMPTETimecode_c tc;
  const char text[] = {'1', ':', '0', '2', '9', '9'};  // no zero byte
  EXPECT_EQ(tc.SetFromText(text, 4), KOR_OK);
  EXPECT_EQ(tc.ToText(), "00:00:01.02");
  EXPECT_EQ(tc.SetFromText(nullptr, 5), KOR_FAIL);
  EXPECT_EQ(tc.GetFrameCount(), 0u);
}

TEST(KorSMPTETimecode, FromTextHugeFieldsDoNotOverflow) {
  KorSMPTETimecode_c tc;
  EXPECT_EQ(tc.SetFromText("99999999999999999999:99999999999999:9999999999.99999999999", -1),
            KOR_OK);
  EXPECT_LT(tc.GetFrameCount(), tc.GetFramesPerDay());
}

// With the switch true a rate change keeps the fields, otherwise the time.
TEST(KorSMPTETimecode, RateChange) {
  KorSMPTETimecode_c tc;  // switch true, 30 fps
  tc.SetFromFields(0, 0, 10, 5);
  ASSERT_EQ(tc.SetRateIndex(KOR_SMPTE_25), KOR_OK);
  EXPECT_EQ(tc.ToText(), "00:00:10.05");
  EXPECT_EQ(tc.GetFrameCount(), 255u);
  KorSMPTETimecode_c off;
  off.SetDropFrame(KOR_FALSE);
  off.SetFromFields(0, 0, 10, 0);  // 300 frames at 30 fps
  ASSERT_EQ(off.SetRateIndex(KOR_SMPTE_25), KOR_OK);
  EXPECT_EQ(off.GetFrameCount(), 250u);
  EXPECT_EQ(off.ToText(), "00:00:10.00");
  EXPECT_EQ(off.SetRateIndex(6), KOR_FAIL);
  EXPECT_EQ(off.GetFrameCount(), 250u);
}

}  // namespace
