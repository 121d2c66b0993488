#include "foundation/korobject.h"

#include <gtest/gtest.h>

namespace {

// A derived class whose copy can be made to fail, to check Clone's contract.
class Probe_c : public KorObject_c {
 public:
  int payload = 0;
  bool refuseCopy = false;
  KorStatus CopyInto(KorObject_c* target) const override {
    auto* other = dynamic_cast<Probe_c*>(target);
    if (refuseCopy || other == nullptr || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
    other->payload = payload;
    return KOR_OK;
  }
  std::unique_ptr<KorObject_c> CreateNew() const override { return std::make_unique<Probe_c>(); }
};

TEST(KorObject, BooleanCodes) {
  EXPECT_TRUE(KorIsTrue(KOR_TRUE));
  EXPECT_FALSE(KorIsTrue(KOR_FALSE));
  EXPECT_FALSE(KorIsTrue(1));  // only the true code counts as true
  EXPECT_EQ(KorFromBool(true), KOR_TRUE);
  EXPECT_EQ(KorFromBool(false), KOR_FALSE);
  EXPECT_EQ(static_cast<uint8_t>(KOR_FAIL), 254);
  EXPECT_EQ(static_cast<uint8_t>(KOR_FALSE), 253);
}

TEST(KorObject, FailedCopyGivesNoClone) {
  Probe_c probe;
  probe.refuseCopy = true;
  EXPECT_EQ(probe.Clone(), nullptr);
}

}  // namespace
