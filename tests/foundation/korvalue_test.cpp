#include "foundation/korvalue.h"

#include <gtest/gtest.h>

#include <string>

#include "../tablerows.h"

namespace {

const char* TypeName(uint8_t type) {
  switch (type) {
    case KOR_TYPE_EMPTY:
      return "empty";
    case KOR_TYPE_STRING:
      return "string";
    case KOR_TYPE_DECIMAL:
      return "decimal";
    case KOR_TYPE_SIGNED:
      return "signed";
    case KOR_TYPE_UNSIGNED:
      return "unsigned";
    default:
      return "other";
  }
}

// Texts as read from a file: the type detected and what they read as.
TEST(KorValue, TextsDetectedAndConverted) {
  for (const auto& row : ReadRows("textvalues.tsv", 6)) {
    SCOPED_TRACE('"' + row[0] + '"');
    EXPECT_STREQ(TypeName(KorValue_c::DetectType(row[0].c_str(), -1)), row[1].c_str());
    KorValue_c integer, decimal;
    integer.SetText(row[0], true);
    decimal.SetText(row[0], true);
    EXPECT_STREQ(TypeName(integer.GetType()), row[1].c_str());
    KorStatus status = 0;
    EXPECT_EQ(integer.ToInteger(&status), std::stoi(row[2]));
    EXPECT_EQ(status == KOR_OK ? "ok" : "fail", row[3]);
    EXPECT_DOUBLE_EQ(decimal.ToDecimal(&status), std::stod(row[4]));
    EXPECT_EQ(status == KOR_OK ? "ok" : "fail", row[5]);
  }
  EXPECT_EQ(KorValue_c::DetectType("\t1", -1), KOR_TYPE_STRING) << "a tab is not a space";
  KorValue_c plain;
  plain.SetText("12");
  EXPECT_EQ(plain.GetType(), KOR_TYPE_STRING);  // no detection asked
}

// A value set through one setter and read as every type, at the edges of
// what 32 bits carry.
TEST(KorValue, ConversionsBetweenTypes) {
  struct Row {
    const char* label;
    void (*set)(KorValue_c&);
    int32_t integer;
    KorStatus integerStatus;
    double decimal;
    KorStatus decimalStatus;
    std::string_view text;
  } rows[] = {
      {"signed min", [](KorValue_c& v) { v.SetInteger(INT32_MIN); }, INT32_MIN, KOR_OK,
       -2147483648.0, KOR_OK, "-2147483648"},
      {"signed max", [](KorValue_c& v) { v.SetInteger(INT32_MAX); }, INT32_MAX, KOR_OK,
       2147483647.0, KOR_OK, "2147483647"},
      {"unsigned max", [](KorValue_c& v) { v.SetUnsigned(UINT32_MAX); }, -1, KOR_OK, 4294967295.0,
       KOR_OK, "4294967295"},
      {"unsigned top bit", [](KorValue_c& v) { v.SetUnsigned(0x80000000u); }, INT32_MIN, KOR_OK,
       2147483648.0, KOR_OK, "2147483648"},
      {"true", [](KorValue_c& v) { v.SetBoolean(true); }, 1, KOR_OK, 1.0, KOR_OK, "true"},
      {"false", [](KorValue_c& v) { v.SetBoolean(false); }, 0, KOR_OK, 0.0, KOR_OK, "false"},
      {"decimal above max", [](KorValue_c& v) { v.SetDecimal(2147483648.0); }, INT32_MAX, KOR_OK,
       2147483648.0, KOR_OK, "2147483648.00"},
      {"decimal below min", [](KorValue_c& v) { v.SetDecimal(-2147483649.0); }, INT32_MIN, KOR_OK,
       -2147483649.0, KOR_OK, "-2147483649.00"},
      {"decimal -0.5", [](KorValue_c& v) { v.SetDecimal(-0.5); }, 0, KOR_OK, -0.5, KOR_OK, "-0.50"},
      // Bytes read as an integer big-endian from their first four.
      {"bytes", [](KorValue_c& v) { v.SetBytes("\x01\x02\x03\x04\x05", 5); }, 0x01020304, KOR_OK,
       0.0, KOR_FAIL, "\x01\x02\x03\x04\x05"},
      {"bytes FF", [](KorValue_c& v) { v.SetBytes("\xFF\xFF\xFF\xFF", 4); }, -1, KOR_OK, 0.0,
       KOR_FAIL, "\xFF\xFF\xFF\xFF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.label);
    KorValue_c v;
    r.set(v);
    KorStatus status = 0;
    EXPECT_EQ(v.ToInteger(&status), r.integer);
    EXPECT_EQ(status, r.integerStatus);
    EXPECT_DOUBLE_EQ(v.ToDecimal(&status), r.decimal);
    EXPECT_EQ(status, r.decimalStatus);
    EXPECT_EQ(v.ToString().View(), r.text);
    EXPECT_EQ(v.ToBytes().View(), r.text);
  }
}

TEST(KorValue, DecimalToString) {
  struct Row {
    double value;
    uint8_t precision;
    const char* text;
  } rows[] = {
      {1.5, 2, "1.50"},        {-1.5, 2, "-1.50"}, {1.005, 2, "1.01"},
      {2.345, 2, "2.35"},      {0.125, 2, "0.13"}, {-0.125, 2, "-0.13"},
      {-0.001, 2, "0.00"},     {7.0, 0, "7"},      {1.23456789, 9, "1.234567890"},
      {123456.5, 0, "123457"}, {0.0, 3, "0.000"},
  };
  for (const Row& r : rows) {
    KorValue_c v;
    v.SetPrecision(r.precision);
    v.SetDecimal(r.value);
    EXPECT_EQ(v.ToString().View(), r.text) << r.value << " p" << int(r.precision);
  }
  KorValue_c v;
  v.SetPrecision(20);
  EXPECT_EQ(v.GetPrecision(), 9);
}

TEST(KorValue, DecimalToIntegerRules) {
  struct Row {
    double value;
    uint8_t rule;
    int32_t expected;
  } rows[] = {
      {2.4, 1, 3},   {-2.4, 1, -3}, {2.6, 2, 2}, {-2.6, 2, -2}, {2.5, 3, 3},
      {-2.5, 3, -3}, {2.4, 3, 2},   {2.9, 0, 2}, {-2.9, 7, -2}, {1e20, 0, INT32_MAX},
  };
  for (const Row& r : rows) {
    KorValue_c v;
    v.SetWholeNumberRule(r.rule);
    v.SetDecimal(r.value);
    EXPECT_EQ(v.ToInteger(), r.expected) << r.value << " rule " << int(r.rule);
  }
}

TEST(KorValue, ConversionsAreCachedUntilTheNextSet) {
  KorValue_c v;
  v.SetInteger(5);
  EXPECT_EQ(v.ToString().View(), "5");
  v.SetInteger(6);
  EXPECT_EQ(v.ToString().View(), "6");
  v.SetText("7", true);
  EXPECT_EQ(v.ToInteger(), 7);
  v.SetDecimal(8.25);
  EXPECT_EQ(v.ToInteger(), 8);
  EXPECT_EQ(v.ToString().View(), "8.25");  // the cached integer does not shadow the decimal
  v.SetText("1.5", true);
  EXPECT_EQ(v.ToInteger(), 1);
  EXPECT_EQ(v.ToDecimal(), 1.5);
}

TEST(KorValue, ClearTo) {
  KorValue_c v;
  v.SetText("abc");
  v.ClearTo(KOR_TYPE_EMPTY);
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_EQ(v.ToString().View(), "");
  KorStatus st = KOR_FAIL;
  EXPECT_EQ(v.ToInteger(&st), 0);
  EXPECT_EQ(st, KOR_OK);
  v.ClearTo(KOR_TYPE_SIGNED);  // nothing valid: the integer read resets to empty
  EXPECT_EQ(v.ToInteger(&st), 0);
  EXPECT_EQ(st, KOR_FAIL);
  EXPECT_TRUE(v.IsEmpty());
}

// Boolean words parse in every style or in one given style, whole text only.
TEST(KorValue, BooleanWords) {
  bool b = false;
  EXPECT_EQ(KorParseBoolean("TRUE", &b), KOR_OK);
  EXPECT_TRUE(b);
  EXPECT_EQ(KorParseBoolean("0", &b), KOR_OK);
  EXPECT_FALSE(b);
  EXPECT_EQ(KorParseBoolean("yes", &b, KOR_BOOL_STYLE_ON_OFF), KOR_FAIL);
  EXPECT_EQ(KorParseBoolean("Off", &b, KOR_BOOL_STYLE_ON_OFF), KOR_OK);
  EXPECT_EQ(KorParseBoolean("true ", &b), KOR_FAIL);  // the whole text must match
  EXPECT_EQ(KorParseBoolean("", &b), KOR_FAIL);
  KorValue_c v;
  v.SetText("No");
  EXPECT_EQ(v.ToBoolean(&b), KOR_OK);
  EXPECT_FALSE(b);
}

std::string SnapshotTexts(const KorHistoryValue_c& v) {
  std::string out;
  if (!v.Snapshots()) return out;
  for (KorObject_c* o : *v.Snapshots()) {
    out += static_cast<KorValue_c*>(o)->ToStdString();
    out += ',';
  }
  return out;
}

// A snapshot goes after the cursor, dropping what lay beyond it; the limit
// keeps the newest; a clone carries them.
TEST(KorHistoryValue, SnapshotsLimitAndClone) {
  KorHistoryValue_c v;
  EXPECT_EQ(v.GetHistoryLimit(), -1);
  for (const char* t : {"a", "b", "c", "d"}) {
    v.SetText(t);
    v.TakeSnapshot();
  }
  v.SetHistoryLimit(2);
  EXPECT_EQ(SnapshotTexts(v), "c,d,");
  v.SetText("e");
  v.TakeSnapshot();
  EXPECT_EQ(SnapshotTexts(v), "d,e,");
  v.Snapshots()->GoTo(0);  // stepped back to the first state
  v.SetText("x");
  v.TakeSnapshot();
  EXPECT_EQ(SnapshotTexts(v), "d,x,");
  v.SetText("y");
  auto copy = v.CloneAs<KorHistoryValue_c>();
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->ToStdString(), "y");
  EXPECT_EQ(copy->GetHistoryLimit(), 2);
  EXPECT_EQ(SnapshotTexts(*copy), "d,x,");
  KorValue_c plain;
  EXPECT_EQ(v.CopyInto(&plain), KOR_FAIL);
  v.SetHistoryLimit(0);
  EXPECT_EQ(v.Snapshots(), nullptr);
  v.TakeSnapshot();
  EXPECT_EQ(v.SnapshotCount(), 0u);
}

// Snapshots are stored when the value is about to change: every way of
// changing it must leave the snapshot holding the state it was taken in.
TEST(KorHistoryValue, SnapshotKeepsTheStateItWasTakenIn) {
  struct Row {
    const char* name;
    void (*change)(KorHistoryValue_c&);
  } rows[] = {
      {"text", [](KorHistoryValue_c& v) { v.SetText("other"); }},
      {"integer", [](KorHistoryValue_c& v) { v.SetInteger(7); }},
      {"decimal", [](KorHistoryValue_c& v) { v.SetDecimal(1.5); }},
      {"bytes", [](KorHistoryValue_c& v) { v.SetBytes("xy", 2); }},
      {"clear", [](KorHistoryValue_c& v) { v.ClearTo(KOR_TYPE_EMPTY); }},
      {"precision", [](KorHistoryValue_c& v) { v.SetPrecision(5); }},
      {"signedness", [](KorHistoryValue_c& v) { v.SetSigned(KOR_FALSE); }},
      {"copy",
       [](KorHistoryValue_c& v) {
         KorValue_c other;
         other.SetText("copied");
         other.CopyInto(&v);
       }},
      {"read as boolean", [](KorHistoryValue_c& v) { (void)v.ToInteger(); }},
  };
  for (const Row& row : rows) {
    KorHistoryValue_c v;
    v.SetText("Yes");
    v.TakeSnapshot();
    row.change(v);
    ASSERT_EQ(v.SnapshotCount(), 1u) << row.name;
    auto* first = static_cast<KorValue_c*>(v.Snapshots()->Item(0, true));
    EXPECT_EQ(first->GetType(), KOR_TYPE_STRING) << row.name;
    EXPECT_EQ(first->ToStdString(), "Yes") << row.name;
    EXPECT_EQ(first->GetPrecision(), 2) << row.name;
    EXPECT_EQ(first->GetSigned(), KOR_TRUE) << row.name;
  }
}

}  // namespace
