#include "standin/DynArray.h"

#include <gtest/gtest.h>

#include "standin/StandInErrors.h"

namespace standin {
namespace {

std::string Whole(DynArray& array) {
  std::string whole = "<unread>";
  EXPECT_EQ(array.GetValue(whole), maj::kOk);
  return whole;
}

std::int32_t Count(DynArray& array) {
  std::int32_t count = -1;
  EXPECT_EQ(array.DCount(count), maj::kOk);
  return count;
}

TEST(DynArray, FieldsFromOneWithEmptyFieldsUpToTheLastWritten) {
  DynArray array;
  EXPECT_EQ(Count(array), 0);
  EXPECT_EQ(Whole(array), "");

  std::string field = "<unread>";
  EXPECT_EQ(array.GetField(7, field), maj::kOk);
  EXPECT_EQ(field, "");        // never written
  EXPECT_EQ(Count(array), 0);  // reading writes nothing

  ASSERT_EQ(array.PutField(3, "C"), maj::kOk);  // past the end: fields 1 and 2 appear
  EXPECT_EQ(Count(array), 3);
  EXPECT_EQ(Whole(array),
            "\x1E\x1E"
            "C");
  ASSERT_EQ(array.PutField(1, "A"), maj::kOk);
  EXPECT_EQ(Count(array), 3);
  EXPECT_EQ(Whole(array),
            "A\x1E\x1E"
            "C");
  ASSERT_EQ(array.PutField(5, ""), maj::kOk);  // an empty field written still counts
  EXPECT_EQ(Count(array), 5);
  EXPECT_EQ(Whole(array),
            "A\x1E\x1E"
            "C\x1E\x1E");
  EXPECT_EQ(array.GetField(3, field), maj::kOk);
  EXPECT_EQ(field, "C");

  ASSERT_EQ(array.PutField(32767, "last"), maj::kOk);  // the largest 16-bit index
  EXPECT_EQ(Count(array), 32767);
}

TEST(DynArray, WholeValuePutReplacesTheContent) {
  DynArray array;
  ASSERT_EQ(array.PutField(4, "x"), maj::kOk);
  ASSERT_EQ(array.PutValue("P\x1EQUI"), maj::kOk);
  EXPECT_EQ(Count(array), 2);
  std::string field;
  ASSERT_EQ(array.GetField(2, field), maj::kOk);
  EXPECT_EQ(field, "QUI");
  ASSERT_EQ(array.GetField(4, field), maj::kOk);
  EXPECT_EQ(field, "");  // the old field 4 is gone

  ASSERT_EQ(array.PutValue(""), maj::kOk);
  EXPECT_EQ(Count(array), 0);
  EXPECT_EQ(Whole(array), "");

  ASSERT_EQ(array.PutValue("\x1E"), maj::kOk);  // two empty fields
  EXPECT_EQ(Count(array), 2);
  ASSERT_EQ(array.PutValue("Base é : mise à jour."), maj::kOk);
  EXPECT_EQ(Count(array), 1);
  EXPECT_EQ(Whole(array), "Base é : mise à jour.");
}

TEST(DynArray, IndexBelowOneFailsAndChangesNothing) {
  DynArray array({"a", "b"});
  std::string field = "kept";
  for (const std::int16_t index : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{-32768}}) {
    EXPECT_EQ(array.GetField(index, field), kBadIndex);
    EXPECT_EQ(field, "kept");
    EXPECT_EQ(array.PutField(index, "z"), kBadIndex);
  }
  EXPECT_EQ(Whole(array),
            "a\x1E"
            "b");
}

}  // namespace
}  // namespace standin
