#include <gtest/gtest.h>

#include <tuple>

#include "toolrunner.h"

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";

// Input on stdin -> the compact form (null: not checked) and the status;
// the parse error is said on stderr after printing what was parsed.
TEST(CliXml, WritesCompactForm) {
  const std::string declaration(kDeclaration);
  const std::tuple<const char*, const char*, int> rows[] = {
      {"<?xml version=\"1.0\"?>\n<a  b='1'>\n  <c/>\n</a>\n",
       "<?xml version=\"1.0\" ?><a b=\"&apos;1&apos;\" ><c/></a>", 0},
      {"<a>x &amp; y</a>", "<a>x &amp; y</a>", 0},
      {"<a>t<!--  note --><b/></a>", "<a><!-- note --><b/>t</a>", 0},
      {"<a><b></c></a>", "<a><b/></a>", 1},
      {"<a><b x=\"1", nullptr, 1},
  };
  for (const auto& [input, output, status] : rows) {
    ToolResult r = RunTool({"xml", "-"}, input);
    EXPECT_EQ(r.status, status) << input << r.err;
    const std::string expected = output && output[1] != '?' ? declaration + output
                                 : output                   ? output
                                                            : "";
    if (output) {
      EXPECT_EQ(r.out, expected) << input;
    }
    EXPECT_EQ(r.err.empty(), status == 0) << input << r.err;
  }
}

TEST(CliXmlFile, PrettyFormUsesTabsAndCrLf) {
  ToolResult r = RunTool({"xml", "--pretty", "-"}, "<a><b/></a>");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, std::string(kDeclaration) + "\r\n<a>\r\n\t<b/>\r\n</a>\r\n");
}

TEST(CliXmlFile, ReadsFileOperand) {
  ToolResult r = RunTool({"xml", DataPath("projector.prd")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind(kDeclaration, 0), 0u);
  EXPECT_NE(r.out.find("<port_option baud=\"9600\" bits=\"8\" parity=\"n\" stop_bits=\"1\" />"),
            std::string::npos);
}

TEST(CliXmlFile, ErrorsNameTheFile) {
  ToolResult missing = RunTool({"xml", "/nonexistent/file.prd"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "tarvo-cli: /nonexistent/file.prd: No such file or directory\n");

  ToolResult folder = RunTool({"xml", "/"});
  EXPECT_EQ(folder.status, 2);
  EXPECT_EQ(folder.err, "tarvo-cli: /: is a directory\n");

  ToolResult option = RunTool({"xml", "--bogus"});
  EXPECT_EQ(option.status, 2);
  EXPECT_EQ(option.err.rfind("tarvo-cli: xml: unknown option --bogus", 0), 0u) << option.err;
}

// Binary input is the fuzz target's; nesting far past the limit is refused.
TEST(CliXmlFile, DeepInputIsRefused) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  ToolResult d = RunTool({"xml", "-"}, deep);
  EXPECT_EQ(d.status, 1) << d.err;
}

}  // namespace
