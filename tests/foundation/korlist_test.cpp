#include "foundation/korlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An item that counts live instances so ownership can be observed.
class Counted_c : public KorObject_c {
 public:
  static int live;
  int id = 0;
  bool refuseCopy = false;
  explicit Counted_c(int i = 0) : id(i) { ++live; }
  ~Counted_c() override { --live; }
  KorStatus CopyInto(KorObject_c* target) const override {
    auto* other = dynamic_cast<Counted_c*>(target);
    if (refuseCopy || !other || KorObject_c::CopyInto(target) != KOR_OK) return KOR_FAIL;
    other->id = id;
    return KOR_OK;
  }
  std::unique_ptr<KorObject_c> CreateNew() const override { return std::make_unique<Counted_c>(); }
};
int Counted_c::live = 0;

int IdOf(KorObject_c* o) { return o ? static_cast<Counted_c*>(o)->id : -1; }

std::vector<int> Ids(const KorList_c& list) {
  std::vector<int> out;
  for (KorObject_c* o : list) out.push_back(IdOf(o));
  return out;
}

void Fill(KorList_c& list, std::initializer_list<int> ids) {
  for (int id : ids) list.Append(std::make_unique<Counted_c>(id));
}

TEST(KorList, InsertGoesAfterTheCursorAndMovesIt) {
  KorList_c list;
  EXPECT_EQ(list.Index(), KOR_FAIL);
  ASSERT_EQ(list.Insert(std::make_unique<Counted_c>(1)), KOR_OK);  // the only node is current
  EXPECT_EQ(IdOf(list.Current()), 1);
  EXPECT_EQ(list.Index(), 0);
  Fill(list, {2, 3});
  list.GoTo(0);
  list.Insert(std::make_unique<Counted_c>(9));
  EXPECT_EQ(Ids(list), (std::vector<int>{1, 9, 2, 3}));
  EXPECT_EQ(list.Index(), 1);
  list.InsertBefore(std::make_unique<Counted_c>(8));
  EXPECT_EQ(Ids(list), (std::vector<int>{1, 8, 9, 2, 3}));
  EXPECT_EQ(list.Index(), 1);
  EXPECT_EQ(list.Insert(static_cast<KorObject_c*>(nullptr)), KOR_FAIL);
}

TEST(KorList, RemoveMovesTheCursorToTheNextOrThePrevious) {
  Counted_c::live = 0;
  {
    KorList_c list;
    Fill(list, {1, 2, 3});
    list.GoTo(1);
    ASSERT_EQ(list.RemoveCurrent(), KOR_OK);  // the next
    EXPECT_EQ(IdOf(list.Current()), 3);
    ASSERT_EQ(list.RemoveCurrent(), KOR_OK);  // no next: the previous
    EXPECT_EQ(IdOf(list.Current()), 1);
    EXPECT_EQ(Counted_c::live, 1);
    ASSERT_EQ(list.RemoveCurrent(), KOR_OK);  // the only node: no cursor
    EXPECT_EQ(list.Index(), KOR_FAIL);
    EXPECT_EQ(list.RemoveCurrent(), KOR_FAIL);
    Fill(list, {1, 2, 3});
    list.GoTo(1);
    list.RemoveCurrentPreferPrevious();
    EXPECT_EQ(IdOf(list.Current()), 1);
    list.RemoveCurrentPreferPrevious();  // no previous: the next
    EXPECT_EQ(IdOf(list.Current()), 3);
  }
  EXPECT_EQ(Counted_c::live, 0);
}

TEST(KorList, OwnershipDecidesWhetherItemsDie) {
  Counted_c::live = 0;
  Counted_c a(1), b(2);
  {
    KorList_c borrowed(KOR_FALSE);
    borrowed.Append(&a);
    borrowed.Append(&b);
    borrowed.First();
    borrowed.RemoveCurrent();
    borrowed.Clear();
    borrowed.Append(&a);  // destroying the list leaves it alive too
    // A unique_ptr handed to a list that would not own it is refused.
    EXPECT_EQ(borrowed.Append(std::make_unique<Counted_c>(6)), KOR_FAIL);
  }
  EXPECT_EQ(Counted_c::live, 2);
  {
    KorList_c owning;
    Fill(owning, {3, 4});
    owning.Clear();
    EXPECT_EQ(Counted_c::live, 2);
    EXPECT_EQ(owning.Current(), nullptr);
    Fill(owning, {5});
  }
  EXPECT_EQ(Counted_c::live, 2);
}

TEST(KorList, WalkingAndIndexes) {
  KorList_c list;
  Fill(list, {10, 11, 12, 13, 14});
  EXPECT_EQ(IdOf(list.First()), 10);
  EXPECT_EQ(list.Previous(), nullptr);  // stays on the first
  EXPECT_EQ(IdOf(list.Current()), 10);
  EXPECT_EQ(IdOf(list.Next()), 11);
  EXPECT_EQ(IdOf(list.Last()), 14);
  EXPECT_EQ(list.Next(), nullptr);
  EXPECT_EQ(IdOf(list.Previous()), 13);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(IdOf(list.GoTo(i)), 10 + i);
    EXPECT_EQ(list.Index(), i);
  }
  EXPECT_EQ(list.GoTo(5), nullptr);
  EXPECT_EQ(list.GoTo(-1), nullptr);
  EXPECT_EQ(list.Index(), 4);
  list.GoTo(1);
  EXPECT_EQ(IdOf(list.Item(3, true)), 13);
  EXPECT_EQ(list.Index(), 1);  // restored
  EXPECT_EQ(IdOf(list.Item(3)), 13);
  EXPECT_EQ(list.Index(), 3);
  KorObject_c* twelve = list.Item(2);
  list.First();
  EXPECT_EQ(list.Find(twelve), 2);
  EXPECT_EQ(list.Index(), 2);
  Counted_c stranger;
  EXPECT_EQ(list.Find(&stranger), KOR_FAIL);
  EXPECT_EQ(list.Index(), 2);
}

TEST(KorList, CopyIntoClonesInOrderAndOwnsTheClones) {
  Counted_c::live = 0;
  Counted_c a(1);
  {
    KorList_c borrowed(KOR_FALSE);
    borrowed.Append(&a);
    Fill(borrowed, {});
    KorList_c target;
    Fill(target, {7});
    ASSERT_EQ(borrowed.CopyInto(&target), KOR_OK);
    EXPECT_EQ(Ids(target), (std::vector<int>{1}));
    EXPECT_NE(target.Item(0, true), &a);
    EXPECT_EQ(target.GetOwnership(), KOR_TRUE);
    EXPECT_EQ(Counted_c::live, 2);
  }
  EXPECT_EQ(Counted_c::live, 1);  // the clone went with the target, the original stays

  KorList_c source;
  Fill(source, {1, 2});
  static_cast<Counted_c*>(source.Last())->refuseCopy = true;
  KorList_c target;
  EXPECT_EQ(source.CopyInto(&target), KOR_FAIL) << "a failed clone fails the copy";
  EXPECT_EQ(source.CopyInto(&source), KOR_FAIL);
  KorObject_c plain;
  EXPECT_EQ(source.CopyInto(&plain), KOR_FAIL);
}

}  // namespace
