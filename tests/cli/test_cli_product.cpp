#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "../tablerows.h"
#include "toolrunner.h"

namespace {

TEST(CliInfo, SummarisesProductFile) {
  ToolResult r = RunTool({"info", DataPath("projector.prd")});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string file = DataPath("projector.prd");
  EXPECT_EQ(r.out, "file: " + file + "\n" + ReadFile(DataPath("projector.txt")));
}

// several.prd holds control bytes, quotes, backslashes and invalid UTF-8 in
// its texts, ports with some settings or none, and events with several
// messages in each direction: the first of each is the one reported.
TEST(CliInfo, JsonGolden) {
  ToolResult r = RunTool({"info", "--json", "-"}, ReadFile(DataPath("several.prd")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ReadFile(DataPath("several.json")));
  ToolResult text = RunTool({"info", DataPath("several.prd")});
  EXPECT_NE(
      text.out.find("events: 3\n  Both\n    out: O1\n    in:  I1\n  In only\n    in:  X\n  None\n"),
      std::string::npos)
      << text.out;
}

TEST(CliInfo, HandWrittenFileIsNormalisedButReportedAsNotCreatedByTarvo) {
  ToolResult r = RunTool({"info", DataPath("handwritten.prd")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("creator: true"), std::string::npos) << "\"yes\" reads as true";
  EXPECT_NE(r.out.find("events: 1\n  Play\n    out: \"PLAY\\r\"\n"), std::string::npos) << r.out;
}

TEST(CliInfo, RefusesWhatIsNotAProductFile) {
  struct Row {
    std::string path;
    int status;
    std::string problem;
  } rows[] = {
      {DataPath("notproduct.xml"), 1, "no product element"},
      {DataPath("truncated.prd"), 1, "not well-formed XML"},
      {DataPath("missing.prd"), 2, "No such file or directory"},
  };
  for (const Row& row : rows) {
    ToolResult r = RunTool({"info", row.path});
    EXPECT_EQ(r.status, row.status) << row.path;
    EXPECT_EQ(r.out, "") << row.path;
    EXPECT_EQ(r.err.rfind("tarvo-cli: " + row.path + ": " + row.problem, 0), 0u) << r.err;
  }
}

TEST(CliResave, NormalisesTagsAndKeepsUnknownContent) {
  ToolResult r = RunTool({"resave", DataPath("handwritten.prd")});
  EXPECT_EQ(r.status, 0) << r.err;
  // The event element becomes a command, missing wrappers are added, the
  // unknown element and the comment stay, and no root attribute is added.
  EXPECT_NE(r.out.find("<command name=\"Play\" >"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("<extra keep=\"1\" >unknown</extra>"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("<!-- hand edited -->"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("<setup_messages/>"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("creator_ver"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.rfind("<?xml version=\"1.0\" ?>", 0), 0u) << r.out;
}

TEST(CliResave, OutputIsStableUnderASecondResave) {
  ToolResult first = RunTool({"resave", DataPath("projector.prd")});
  ASSERT_EQ(first.status, 0) << first.err;
  ToolResult second = RunTool({"resave", "-"}, first.out);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, first.out);
}

TEST(CliResave, AddsDeclarationWhenMissing) {
  ToolResult r = RunTool({"resave", "-"}, "<product make=\"M\"/>");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<?xml version=\"1.0\" encoding=\"utf-8\" ?><product make=\"M\" >", 0), 0u)
      << r.out;
}

TEST(CliResave, WritesOutputFileAtomically) {
  std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  std::string out = dir + "/out.prd";
  WriteFile(out, "old contents");

  const std::string expected = RunTool({"resave", DataPath("projector.prd")}).out;
  for (const std::vector<std::string>& option :
       {std::vector<std::string>{"-o", out}, {"--output", out}, {"--output=" + out}}) {
    WriteFile(out, "old contents");
    std::vector<std::string> args{"resave", DataPath("projector.prd")};
    args.insert(args.end(), option.begin(), option.end());
    ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(out), expected) << option[0];
  }

  // A file that does not parse leaves the old output untouched.
  WriteFile(out, "old contents");
  ToolResult bad = RunTool({"resave", DataPath("truncated.prd"), "-o", out});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(ReadFile(out), "old contents");

  // Replacing the input itself works, and no temporary file is left behind.
  std::string self = dir + "/self.prd";
  WriteFile(self, ReadFile(DataPath("handwritten.prd")));
  EXPECT_EQ(RunTool({"resave", self, "-o", self}).status, 0);
  EXPECT_NE(ReadFile(self).find("<command name=\"Play\" >"), std::string::npos);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 2u);

  ToolResult unwritable =
      RunTool({"resave", DataPath("projector.prd"), "-o", dir + "/no/such/dir/x.prd"});
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_EQ(unwritable.err.rfind("tarvo-cli: " + dir + "/no/such/dir/x.prd: ", 0), 0u)
      << unwritable.err;
  std::filesystem::remove_all(dir);
}

TEST(CliUsage, HelpAndUsageErrors) {
  for (const auto& row : ReadRows("usage.tsv", 4)) {
    std::vector<std::string> args;
    for (size_t at = 0; at < row[0].size();) {
      const size_t space = std::min(row[0].find(' ', at), row[0].size());
      args.push_back(row[0].substr(at, space - at));
      at = space + 1;
    }
    ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, std::stoi(row[1])) << row[0];
    EXPECT_EQ(r.out.rfind(row[2], 0), 0u) << row[0] << ": " << r.out;
    EXPECT_EQ(r.err.rfind(row[3], 0), 0u) << row[0] << ": " << r.err;
  }
}

}  // namespace
