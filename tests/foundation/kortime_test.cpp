#include "foundation/kortime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Runs a check under a given TZ and restores the previous one.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    if (m_had) m_old = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (m_had) {
      setenv("TZ", m_old.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool m_had = false;
  std::string m_old;
};

constexpr int64_t kJan2024 = 1704067200;  // 2024-01-01 00:00:00 UTC
constexpr int64_t kJul2024 = 1719792000;  // 2024-07-01 00:00:00 UTC

TEST(KorTime, BiasFollowsTheZoneAndDaylight) {
  // POSIX zone strings need no zone database: UTC+1 standard, +2 in summer.
  ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  KorTime_c t;
  t.SetUnixTime(kJan2024);
  EXPECT_EQ(t.GetBias(), -60);
  t.SetUnixTime(kJul2024);
  EXPECT_EQ(t.GetBias(), -120);  // daylight included
  int32_t y, mo, d, h, mi, s;
  ASSERT_EQ(t.GetLocalFields(&y, &mo, &d, &h, &mi, &s), KOR_OK);
  EXPECT_EQ(y, 2024);
  EXPECT_EQ(mo, 7);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 2);
}

TEST(KorTime, BiasWestOfGreenwichIsPositive) {
  ScopedTimeZone zone("EST5");
  EXPECT_EQ(KorTime_c::LocalBiasAt(kJan2024), 300);
}

TEST(KorTime, FileTimeRoundTrip) {
  KorTime_c t;
  t.SetUnixTime(0);
  EXPECT_EQ(t.ToFileTime(), 116444736000000000ull);
  ASSERT_EQ(t.SetFromFileTime(116444736000000000ull + 10000000ull * kJan2024), KOR_OK);
  EXPECT_EQ(t.GetUnixTime(), kJan2024);
  EXPECT_EQ(t.SetFromFileTime(5), KOR_FAIL);
  EXPECT_EQ(t.GetUnixTime(), kJan2024);
}

}  // namespace
