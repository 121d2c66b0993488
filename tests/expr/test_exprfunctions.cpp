#include <gtest/gtest.h>

#include "expr/exprfunctions.h"
#include "exprtesting.h"

namespace {

// Expression -> its byte form in hex (integers are 4 bytes, least significant first).
const TextRow kFunctionRows[] = {
    {"checksum(h01 h02 h03)", "06 00 00 00"},
    {"checksum(sprintf(\"\"))", "00 00 00 00"},
    {"checksum(pad(hFF, 300))", "D4 2A 01 00"},
    {"bytechecksum(pad(hFF, 300))", "D4 00 00 00"},
    {"BYTECHECKSUM(\"AB\")", "83 00 00 00"},
    {"kornetchecksum(hF9)", "F9 00 00 00"},
    {"kornetchecksum(hFA)", "FF 00 FA"},
    {"kornetchecksum(h01 hFF)", "FF 01 00"},
    {"kornetchecksum(pad(hFF, 257) & h01)", "FE 01 00 00"},
    {"bcc(h02 h41 h03)", "40 00 00 00"},
    {"bcc(sprintf(\"\"))", "00 00 00 00"},
    {"md5(sprintf(\"\"))", "D4 1D 8C D9 8F 00 B2 04 E9 80 09 98 EC F8 42 7E"},
    {"md5(\"abc\")", "90 01 50 98 3C D2 4F B0 D6 96 3F 7D 28 E1 7F 72"},
    {"msb(4660)", "00 00 00 00"},
    {"msb(65536)", "01 00 00 00"},
    {"msb(0-1)", "01 00 00 00"},
    {"getbyte(1122867, 2)", "22 00 00 00"},
    {"getbyte(1122867, 3)", "11 00 00 00"},
    {"getbyte(1122867, 1)", "33 00 00 00"},
    {"getbyte(1122867, 0)", "33 00 00 00"},
    {"getbyte(1122867, 9)", "00 00 00 00"},
    {"getbyte(0-1, 9)", "FF 00 00 00"},
    {"byte(321)", "41 00 00 00"},
    {"lsb(321)", "41 00 00 00"},
    {"word(70000)", "70 11 00 00"},
    {"compl(0)", "FF FF FF FF"},
    {"bitand(12, 10)", "08 00 00 00"},
    {"bitor(12, 10, 1)", "0F 00 00 00"},
    {"bitxor(1, 3, 4)", "06 00 00 00"},
    {"bitand(5)", "05 00 00 00"},
    {"mod(7,0)", "07 00 00 00"},
    {"mod(0-7,3)", "FF FF FF FF"},
    {"mod(7,0-3)", "01 00 00 00"},
    {"mod(0-2147483647-1,0-1)", "00 00 00 00"},
    {"mod(7.5, 2)", "37 2E 35 30"},  // a decimal operand: the dividend, as a decimal
    {"length(13)", "04 00 00 00"},
    {"length(\"ABC\")", "03 00 00 00"},
    {"length(sprintf(\"\"))", "00 00 00 00"},
    {"length(pad(1, 100000))", "FF FF 00 00"},
    {"pad(42, 3)", "2A 2A 2A"},
    {"pad(h2A, 0-1)", ""},
    {"pad(sprintf(\"\"), 2)", "00 00"},
    {"pad(\"AB\", 2)", "41 41"},
    {"left(h41 h42, 5)", "41 42"},
    {"left(\"AB\", 0-1)", ""},
    {"right(\"ABC\", 2)", "42 43"},
    {"right(\"ABC\", 9)", "41 42 43"},
    {"right(\"ABC\", 0-2)", ""},
    {"mid(\"ABCDE\", 1, 2)", "42 43"},
    {"mid(\"ABC\", 5, 2)", ""},
    {"mid(\"ABC\", 0-1, 2)", "41"},
    {"mid(\"ABC\", 1, 99)", "42 43"},
    {"mid(\"ABC\", 1)", ""},  // a missing count is 0
    {"btoi(h01 h02, 2)", "02 01 00 00"},
    {"ltoi(h01 h02, 2)", "01 02 00 00"},
    {"btoi(h01 h02 h03 h04 h05, 5)", "05 04 03 02"},
    {"ltoi(h01 h02 h03 h04 h05, 5)", "01 02 03 04"},
    {"btoi(h01, 4)", "01 00 00 00"},
    {"btoi(h01 h02, 0)", "00 00 00 00"},
    {"BER(\"1.3.6.1.2.1\")", "2B 06 01 02 01"},
    {"BER(\"1.3.6.1.4.1.311\")", "2B 06 01 04 01 82 37"},
    {"BER(\"1.3.16384\")", "2B 81 80 00"},
    {"BER(\"1\")", ""},
    {"atoi(\"12ab\")", "0C 00 00 00"},
    {"atoi(\"-7\")", "F9 FF FF FF"},
    {"atoi(\"abc\")", "00 00 00 00"},
    {"htoi(\"1aG\")", "1A 00 00 00"},
    {"htoi(\"123456789\")", "78 56 34 12"},  // at most 8 digits
    {"htoi(\"FFFFFFFF\")", "FF FF FF FF"},
    {"htoi(\"xyz\")", "00 00 00 00"},
    {"replace(\"aXbXc\", \"X\", \"--\")", "61 2D 2D 62 2D 2D 63"},
    {"replace(\"aaa\", \"aa\", \"b\")", "62 61"},
    {"replace(\"abc\", sprintf(\"\"), \"x\")", "61 62 63"},
    {"if(1, 10, 20)", "0A 00 00 00"},
    {"if(0, 10, 20)", "14 00 00 00"},
    {"if(0, 10)", ""},
    {"hours(01:02:03.04)", "01 00 00 00"},
    {"minutes(01:02:03.04)", "02 00 00 00"},
    {"seconds(01:02:03.04)", "03 00 00 00"},
    {"frames(01:02:03.04)", "04 00 00 00"},
    {"hours(\"05:00:00.00\")", "05 00 00 00"},
    {"frames(45)", "0F 00 00 00"},  // a number is a frame count
    {"totalframes(00:00:01.00)", "1E 00 00 00"},
    {"modbusinputs(1, 2)", ""},
    {"dcspingresponse(1)", ""},
    {"getat(a, 1)", ""},
};

TEST(ExprFunctions, Rows) {
  for (const TextRow& row : kFunctionRows) {
    SCOPED_TRACE(row.text);
    const Evaluation result = Evaluate(row.text);
    EXPECT_EQ(result.status, KOR_OK);
    EXPECT_EQ(HexOf(result.bytes), row.expected);
  }
}

TEST(ExprFunctions, LongResultsAreCut) {
  EXPECT_EQ(Evaluate("replace(pad(65, 200), \"A\", \"AB\")").bytes.size(), 255u);
  EXPECT_EQ(Evaluate("BER(\"1.2" + std::string(300, '.') + "1\")").bytes.size(), 255u);
}

TEST(ExprFunctions, EveryNameParsesAsACall) {
  for (const ExprFunctionInfo& info : ExprFunctionTable()) {
    SCOPED_TRACE(info.name);
    ExprNode root;
    ASSERT_EQ(ExprParser(std::string(info.name) + "(1, 2)").Parse(&root), KOR_OK);
    EXPECT_EQ(root.GetKind(), info.kind);
    EXPECT_EQ(root.Count(), 2u);
  }
}

// sprintf: expression -> bytes in hex.
const TextRow kSprintfRows[] = {
    {"sprintf(\"PLAY %d\\r\", 12)", "50 4C 41 59 20 31 32 0D"},
    {"printf(\"%d\", 12)", "31 32"},
    {"sprintf(\"%p\", 4660)", "34 12"},
    {"sprintf(\"%4p\", 4660)", "34 12 00 00"},
    {"sprintf(\"%8p\", 4660)", "34 12 00 00"},  // an integer has four bytes only
    {"sprintf(\"%2p\", 1193046)", "56 34"},
    {"sprintf(\"%p\", 0)", "00"},
    {"sprintf(\"%p\", 0-1)", "FF FF FF FF"},
    {"sprintf(\"%p\", h01 h02)", "01 02"},
    {"sprintf(\"%4p\", h01 h02)", "00 00 01 02"},
    {"sprintf(\"%p\", 1.9)", "01"},
    {"sprintf(\"%p\", kornetchecksum(hF9))", "F9"},
    {"sprintf(\"%p\", kornetchecksum(hFA))", "FF 00 FA"},
    {"sprintf(\"%05d\", 0-3)", "30 30 30 2D 33"},
    {"sprintf(\"%5d\", 42)", "20 20 20 34 32"},
    {"sprintf(\"%u\", 0-1)", "34 32 39 34 39 36 37 32 39 35"},
    {"sprintf(\"%x%X\", 171, 171)", "61 62 41 42"},
    {"sprintf(\"%04X\", 255)", "30 30 46 46"},
    {"sprintf(\"%X\", 0-1)", "46 46 46 46 46 46 46 46"},
    {"sprintf(\"%f\", 1.5)", "31 2E 35 30 30 30 30 30"},
    {"sprintf(\"%.2f\", 2)", "32 2E 30 30"},
    {"sprintf(\"%6.1f\", 3.14159)", "20 20 20 33 2E 31"},
    {"sprintf(\"%s\", \"AB\")", "41 42"},
    {"sprintf(\"%4s\", \"AB\")", "20 20 41 42"},
    {"sprintf(\"%s\", 12)", "31 32"},
    {"sprintf(\"%s\", 1.5)", "31 2E 35 30"},
    {"sprintf(\"%s\",abc)", "61 62 63"},
    {"sprintf(\"%d\", \"12\")", "31 32"},
    {"sprintf(\"%d\", h05)", "35"},             // binary: its bytes, least significant first
    {"sprintf(\"%d\", h01 h02)", "35 31 33"},
    {"sprintf(\"%d\", 7.9)", "37"},
    {"sprintf(\"%d\",12ab)", "31 32"},
    {"sprintf(\"%d|%s|%p\")", "30 7C 7C"},       // missing arguments: 0, nothing, nothing
    {"sprintf(\"\\x41\\t\\%\\q\\\\\")", "41 09 25 5C"},
    {"sprintf(\"100\\%\")", "31 30 30 25"},
    {"sprintf(\"50%\")", "35 30 25"},            // no conversion letter: as written
    {"sprintf(\"%%d\", 5)", "25 35"},
    {"sprintf(\"h41 'q'\")", "68 34 31 20 27 71 27"},
    {"sprintf(left(\"A%dB\", 4), 7)", "41 25 64 42"},  // a computed format is its text form
    {"sprintf(ABC)", "42"},                      // first and last characters dropped
    {"sprintf(AB)", ""},
};

TEST(ExprFunctions, SprintfRows) {
  for (const TextRow& row : kSprintfRows) {
    SCOPED_TRACE(row.text);
    const Evaluation result = Evaluate(row.text);
    EXPECT_EQ(result.status, KOR_OK);
    EXPECT_EQ(HexOf(result.bytes), row.expected);
  }
}

TEST(ExprFunctions, SprintfOutputIsCut) {
  EXPECT_EQ(Evaluate("sprintf(\"%s\", pad(65, 2000))").bytes.size(), kSprintfLimit);
  EXPECT_EQ(Evaluate("sprintf(\"%2000d\", 1)").bytes.size(), kSprintfLimit);
  EXPECT_EQ(Evaluate("sprintf(\"%s%s\", pad(65, 1000), pad(66, 1000))").bytes.back(), 'B');
}

}  // namespace
