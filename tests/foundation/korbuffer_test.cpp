#include "foundation/korbuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(KorBuffer, ResizeKeepsBytesAndClampsLength) {
  KorBuffer_c buf;
  ASSERT_EQ(buf.Assign("abcdef"), KOR_OK);
  EXPECT_EQ(buf.GetCapacity(), 6);
  EXPECT_EQ(buf.GetLength(), 6);
  buf.Seek(2);
  ASSERT_EQ(buf.Resize(4), KOR_OK);
  EXPECT_EQ(buf.GetPosition(), 0);
  EXPECT_EQ(buf.View(), "abcd");
  EXPECT_EQ(buf.Data()[4], 0);  // owned storage ends with a zero byte
  ASSERT_EQ(buf.Resize(10), KOR_OK);
  EXPECT_EQ(buf.GetLength(), 4);  // min(new size, old length)
  EXPECT_EQ(buf.View(), "abcd");
  ASSERT_EQ(buf.Resize(0), KOR_OK);
  EXPECT_EQ(buf.GetCapacity(), 0);
  EXPECT_EQ(buf.Data(), nullptr);
  EXPECT_EQ(buf.View(), "");
}

TEST(KorBuffer, SetLengthAndSeek) {
  KorBuffer_c buf;
  buf.Resize(8);
  EXPECT_EQ(buf.GetLength(), 0);
  EXPECT_EQ(buf.SetLength(20), KOR_OK);
  EXPECT_EQ(buf.GetLength(), 8);
  EXPECT_EQ(buf.SetLength(3), KOR_OK);
  EXPECT_EQ(buf.GetLength(), 3);
  EXPECT_EQ(buf.SetLength(-1), KOR_OK);
  EXPECT_EQ(buf.GetLength(), 3);
  EXPECT_EQ(buf.Seek(2), KOR_OK);
  EXPECT_EQ(buf.GetRemaining(), 1);
  EXPECT_EQ(buf.Seek(5), KOR_FAIL);
  EXPECT_EQ(buf.GetPosition(), 3);
  EXPECT_EQ(buf.Seek(-1), KOR_FAIL);
  EXPECT_EQ(buf.GetPosition(), 0);
}

TEST(KorBuffer, ReadAndWriteNeverGrow) {
  KorBuffer_c buf;
  ASSERT_EQ(buf.SizeForWriting(5), KOR_OK);
  EXPECT_EQ(buf.Write("hello world", 11), 5);
  EXPECT_EQ(buf.Write("x", 1), 0);
  EXPECT_EQ(buf.View(), "hello");
  buf.Seek(1);
  char out[8] = {};
  EXPECT_EQ(buf.Read(out, 8), 4);
  EXPECT_STREQ(out, "ello");
  EXPECT_EQ(buf.Read(out, 1), 0);
  EXPECT_EQ(buf.Read(nullptr, 1), KOR_FAIL);
  EXPECT_EQ(buf.Write(nullptr, 1), KOR_FAIL);
  EXPECT_EQ(buf.Read(out, -1), KOR_FAIL);
}

TEST(KorBuffer, AttachUsesExternalBytes) {
  uint8_t bytes[] = {'a', 'b', 'c'};
  KorBuffer_c buf;
  ASSERT_EQ(buf.Attach(bytes, 3), KOR_OK);
  EXPECT_EQ(buf.IsOwned(), KOR_FALSE);
  EXPECT_EQ(buf.Data(), bytes);
  EXPECT_EQ(buf.Write("X", 1), 1);
  EXPECT_EQ(bytes[0], 'X');
  EXPECT_EQ(buf.Attach(bytes, 3), KOR_FAIL);  // already has bytes

  const uint8_t fixed[] = {'q'};
  KorBuffer_c ro;
  ASSERT_EQ(ro.Attach(fixed, 1), KOR_OK);
  EXPECT_TRUE(ro.IsReadOnly());
  EXPECT_EQ(ro.Write("z", 1), 0);
  EXPECT_EQ(ro.SetFromBytes("z", 1), KOR_FAIL);
  EXPECT_EQ(ro.MutableData(), nullptr);
  EXPECT_EQ(ro.View(), "q");
  // Resizing turns the attached bytes into an owned copy.
  ASSERT_EQ(ro.Resize(2), KOR_OK);
  EXPECT_EQ(ro.IsOwned(), KOR_TRUE);
  EXPECT_FALSE(ro.IsReadOnly());
  EXPECT_NE(ro.Data(), fixed);
  EXPECT_EQ(ro.View(), "q");
}

// Assigning from its own bytes is safe; a copy is deep and keeps the position.
TEST(KorBuffer, AssignFromOwnBytesAndCopy) {
  KorBuffer_c buf;
  buf.Assign("abcdef");
  ASSERT_EQ(buf.Assign(reinterpret_cast<const char*>(buf.Data()) + 2, 3), KOR_OK);
  EXPECT_EQ(buf.View(), "cde");
  buf.Seek(1);
  KorBuffer_c copy;
  ASSERT_EQ(buf.CopyInto(&copy), KOR_OK);
  EXPECT_EQ(copy.View(), "cde");
  EXPECT_EQ(copy.GetPosition(), 1);
  EXPECT_NE(copy.Data(), buf.Data());
}

}  // namespace
