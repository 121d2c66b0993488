#include <gtest/gtest.h>

#include "toolrunner.h"

namespace {

// Exit statuses and the first lines of bytes and find-checksum; the
// notations and candidates themselves are tabled in the expression tests.
TEST(CliBytes, OutputAndExitStatus) {
  struct Row {
    std::vector<std::string> args;
    std::string out;
    std::string errStart;
    int status;
  } rows[] = {
      {{"bytes", "<STX>PWR<CR>", "$02 $50"}, "02 50 57 52 0D\n\\x02PWR\\r\n02 50\n\\x02P\n", "", 0},
      // A text starting with a dash is a text, not an option.
      {{"bytes", "-5"}, "2D 35\n-5\n", "", 0},
      {{"bytes", "ok", "<FOO>", "a\\"}, "6F 6B\nok\n", "tarvo-cli: <FOO>: at 0: unknown control name <FOO>\n", 1},
      {{"bytes"}, "", "tarvo-cli: bytes: no TEXT", 2},
      {{"find-checksum", "02 50 57 52 31 2A 03", "02 56 4F 4C 32 35 58 03"},
       "sprintf(\"%1p\", bytechecksum(mid(frame, 1, length(frame) - 3)))\n", "", 0},
      {{"find-checksum", "--json", "01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B"},
       "[]\n", "tarvo-cli: find-checksum: no checksum function of the language fits; CRC-16/MODBUS", 1},
      {{"find-checksum", "02 50 57"}, "", "tarvo-cli: find-checksum: give two or more frames", 2},
      {{"find-checksum", "02 50 57", "01"}, "", "tarvo-cli: 01: a frame needs at least two bytes", 2},
      {{"find-checksum", "02 50", "<BAD>"}, "", "tarvo-cli: <BAD>: at 0: unknown control name", 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const ToolResult r = RunTool(row.args);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_EQ(r.err.substr(0, row.errStart.size()), row.errStart);
  }
}

}  // namespace
