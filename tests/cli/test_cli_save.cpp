#include <gtest/gtest.h>

#include <filesystem>

#include "toolrunner.h"

namespace {

// A file the window refuses, or whose save would lose what follows a parse
// error, is refused and the output is left as it was.
TEST(CliSave, RefusesWhatTheWindowRefuses) {
  const std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  const std::string out = dir + "/out.prd";
  struct Row {
    std::string input;
    int status;
    std::string problem;
  } rows[] = {
      {DataPath("check/not-openable.prd"), 1,
       "This file was edited in a text editor and cannot be opened by Tarvo Tool. Open/Edit the file "
       "in a text or XML editor instead.\n"},
      {DataPath("truncated.prd"), 1, "not well-formed XML: a save would drop what follows the error\n"},
      {DataPath("check/missing.prd"), 2, "No such file or directory\n"},
  };
  for (const Row& row : rows) {
    WriteFile(out, "old contents");
    ToolResult r = RunTool({"save", row.input, "-o", out});
    EXPECT_EQ(r.status, row.status) << row.input;
    EXPECT_EQ(r.err, "tarvo-cli: " + row.input + ": " + row.problem);
    EXPECT_EQ(ReadFile(out), "old contents") << row.input;
  }
  std::filesystem::remove_all(dir);
}

// FILE itself is replaced; the version goes up by 0.1 unless kept, and a
// saved file saves to the same bytes again.
TEST(CliSave, ReplacesTheFileAndRaisesTheVersion) {
  const std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  const std::string file = dir + "/driver.prd";
  WriteFile(file, ReadFile(DataPath("check/clean.prd")));
  ToolResult raised = RunTool({"save", file});
  EXPECT_EQ(raised.status, 0) << raised.err;
  const std::string once = ReadFile(file);
  EXPECT_NE(once.find("<version>1.1</version>"), std::string::npos) << once;
  ToolResult kept = RunTool({"save", "--keep-version", file, "-o", "-"});
  EXPECT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(kept.out, once);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1u) << "no temporary file is left beside it";
  std::filesystem::remove_all(dir);
}

// The window round trip's golden file: save writes what the window's Save
// writes, and check finds nothing in that.
TEST(CliSave, GivesTheWindowsGoldenBytes) {
  const std::string golden = std::string(TARVO_APP_TEST_DATA_DIR) + "/roundtrip/";
  ToolResult r = RunTool({"save", golden + "projector.prd", "-o", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ReadFile(golden + "projector.saved.prd"));
  ToolResult check = RunTool({"check", golden + "projector.saved.prd"});
  EXPECT_EQ(check.status, 0) << check.out;
}

// stored.prd holds what an open and save once changed: texts that differ
// from their substrings (kept as stored, saved as manual edits), values of
// spaces, unnamed locals, quoted brackets in a formula, a variable named
// like a parameter, xor( in quoted text, a reply numbered without its
// device variable's row. Its save is golden and saves again
// unchanged; check lists the kept messages that still differ.
TEST(CliSave, KeepsWhatTheControllerReads) {
  const std::string golden = std::string(TARVO_APP_TEST_DATA_DIR) + "/roundtrip/";
  ToolResult r = RunTool({"save", "--keep-version", golden + "stored.prd", "-o", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ReadFile(golden + "stored.saved.prd"));
  ToolResult again = RunTool({"save", "--keep-version", "-", "-o", "-"}, r.out);
  EXPECT_EQ(again.out, r.out);
  ToolResult check = RunTool({"check", "-"}, ReadFile(golden + "stored.prd"));
  EXPECT_EQ(check.status, 1) << check.err;
  EXPECT_EQ(check.out, ReadFile(golden + "stored.check.txt"));
  EXPECT_EQ(RunTool({"check", golden + "stored.saved.prd"}).status, 0);
}

}  // namespace
