#include "foundation/korstring.h"

#include <gtest/gtest.h>

namespace {

TEST(KorString, SetVariants) {
  KorString_c s;
  ASSERT_EQ(s.Set("hello\0world", -1), KOR_OK);  // -1 stops at the zero byte
  EXPECT_EQ(s.View(), "hello");
  ASSERT_EQ(s.Set("hello\0world", 11), KOR_OK);  // embedded zero kept
  EXPECT_EQ(s.Length(), 11);
  EXPECT_EQ(s.CStr()[11], '\0');
  EXPECT_EQ(s.Set(nullptr, 3), KOR_FAIL);
  EXPECT_EQ(s.Set(nullptr, -1), KOR_OK);
  EXPECT_EQ(s.Length(), 0);
  KorString_c t("abc");
  s.Set(t);
  EXPECT_EQ(s.View(), "abc");
  s.Set(s.CStr() + 1, 2);  // from its own bytes
  EXPECT_EQ(s.View(), "bc");
}

TEST(KorString, Compare) {
  KorString_c word("Event");
  struct Row {
    const char* other;
    bool ignoreCase;
    int32_t count;
    int32_t expected;
  } rows[] = {
      {"Event", false, -1, 0},  {"EVENT", false, -1, 1},   {"EVENT", true, -1, 0},
      {"event", true, -1, 0},   {"Events", false, -1, -1}, {"Even", false, -1, 1},
      {"Evening", false, 4, 0}, {"Evening", false, 5, 1},  {"EVXX", true, 2, 0},
      {"F", false, -1, -1},     {"", false, -1, 1},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(word.Compare(r.other, -1, r.ignoreCase, r.count), r.expected)
        << r.other << " ignoreCase=" << r.ignoreCase << " count=" << r.count;
  }
  EXPECT_EQ(word.Compare(static_cast<const char*>(nullptr)), KOR_FAIL);
  EXPECT_EQ(word.Compare(static_cast<const KorString_c*>(nullptr)), KOR_FAIL);
  KorString_c caps("EVENT");
  EXPECT_EQ(word.Compare(&caps, true), 0);
  EXPECT_NE(word.Compare(&caps, false), 0);
  // Bytes above 0x7F compare as unsigned and are not folded.
  KorString_c high("\xC3\xA9");
  EXPECT_EQ(high.Compare("\xC3\x89", -1, true), 1);
  EXPECT_EQ(high.Compare("a", -1), 1);
}

TEST(KorString, FindAndCount) {
  KorString_c s("abcABCabc");
  EXPECT_EQ(s.Find("abc"), 0);
  EXPECT_EQ(s.Find("abc", -1, 1), 6);
  EXPECT_EQ(s.Find("ABC", -1, 0, true), 0);
  EXPECT_EQ(s.Find("ABC", -1, 4, true), 6);
  EXPECT_EQ(s.Find("abd"), KOR_FAIL);
  EXPECT_EQ(s.Find("abc", -1, 7), KOR_FAIL);
  EXPECT_EQ(s.Find("abc", -1, 100), KOR_FAIL);
  EXPECT_EQ(s.Find(nullptr), KOR_FAIL);
  EXPECT_EQ(s.CountOf("abc"), 2);
  EXPECT_EQ(s.CountOf("abc", -1, true), 3);
  KorString_c aaa("aaaa");
  EXPECT_EQ(aaa.CountOf("aa"), 2);  // non-overlapping
  EXPECT_EQ(aaa.CountOf(""), 0);
}

TEST(KorString, MidAndRight) {
  KorString_c s("abcdef");
  KorString_c out;
  struct Row {
    int32_t start, length;
    const char* expected;
  } rows[] = {
      {1, 3, "bcd"},  {2, 0, "cdef"}, {2, -5, "cdef"}, {-2, 0, "ef"}, {-2, 1, "e"},
      {-10, 2, "ab"}, {4, 10, "ef"},  {6, 1, ""},      {9, 1, ""},
  };
  for (const Row& r : rows) {
    ASSERT_EQ(s.Mid(&out, r.start, r.length), KOR_OK);
    EXPECT_EQ(out.View(), r.expected) << r.start << "," << r.length;
  }
  s.Right(&out, 4);
  EXPECT_EQ(out.View(), "ef");
  EXPECT_EQ(s.Mid(nullptr, 0, 1), KOR_FAIL);
  s.Mid(&s, 1, 2);  // into itself
  EXPECT_EQ(s.View(), "bc");
}

}  // namespace
