#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "../tablerows.h"
#include "toolrunner.h"

namespace {

TEST(CliCheck, OneLinePerProblemKind) {
  for (const auto& row : ReadRows("check/problems.tsv", 3)) {
    const std::string path = DataPath("check/" + row[0]);
    ToolResult r = RunTool({"check", path});
    EXPECT_EQ(r.status, std::stoi(row[1])) << row[0] << ": " << r.err;
    EXPECT_EQ(r.out, row[2].empty() ? "" : path + ": " + row[2] + "\n") << row[0];
    EXPECT_EQ(r.err, "") << row[0];
  }
}

TEST(CliCheck, JsonNamesTheKind) {
  ToolResult r = RunTool({"check", "--json", "-"}, ReadFile(DataPath("check/example-limits.prd")));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, ReadFile(DataPath("check/example-limits.json")));
  ToolResult clean = RunTool({"check", "--json", DataPath("check/clean.prd")});
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(clean.out, "[]\n");
}

// Problems of several pages in one file come in page order, each naming its
// place; the exit status is that of any problem.
TEST(CliCheck, SeveralPagesInPageOrder) {
  ToolResult r = RunTool({"check", "-"}, ReadFile(DataPath("check/several-problems.prd")));
  EXPECT_EQ(r.status, 1) << r.err;
  std::string expected;
  std::istringstream lines(ReadFile(DataPath("check/several-problems.txt")));
  for (std::string line; std::getline(lines, line);) expected += "<stdin>: " + line + "\n";
  EXPECT_EQ(r.out, expected);
}

// A file that cannot be read or parsed gives one error line and exit 2; the
// files after it are still checked.
TEST(CliCheck, UnreadableFilesGiveOneLineEach) {
  std::mt19937 random(17);
  std::string noise(4096, '\0');
  for (char& byte : noise) byte = static_cast<char>(random());
  const std::string missing = DataPath("check/missing.prd");
  ToolResult r = RunTool({"check", "-", missing, DataPath("truncated.prd"), DataPath("notproduct.xml"),
                          DataPath("check/duplicate-name.prd")},
                         noise);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("tarvo-cli: <stdin>: not well-formed XML", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("\ntarvo-cli: " + missing + ": No such file"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(DataPath("notproduct.xml") + ": no product element\n"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 4) << r.err;
  EXPECT_EQ(r.out, DataPath("check/duplicate-name.prd") + ": event 'power' (row 2): has the name of row 1\n");
}

}  // namespace
