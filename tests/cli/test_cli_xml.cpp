#include <gtest/gtest.h>

#include "toolrunner.h"

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";

struct XmlCase {
  const char* name;
  const char* input;
  const char* output;  // null: not checked
  int status;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const XmlCase& c, std::ostream* os) { *os << c.name; }

class CliXml : public ::testing::TestWithParam<XmlCase> {};

TEST_P(CliXml, WritesCompactForm) {
  const XmlCase& c = GetParam();
  ToolResult r = RunTool({"xml", "-"}, c.input);
  EXPECT_EQ(r.status, c.status) << r.err;
  if (c.output) {
    EXPECT_EQ(r.out, c.output);
  }
  EXPECT_EQ(r.err.empty(), c.status == 0) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliXml,
    ::testing::Values(
        XmlCase{"declaration_kept", "<?xml version=\"1.0\"?>\n<a  b='1'>\n  <c/>\n</a>\n",
                "<?xml version=\"1.0\" ?><a b=\"&apos;1&apos;\" ><c/></a>", 0},
        XmlCase{"declaration_added", "<a>x &amp; y</a>",
                "<?xml version=\"1.0\" encoding=\"utf-8\" ?><a>x &amp; y</a>", 0},
        XmlCase{"comment_and_order", "<a>t<!--  note --><b/></a>",
                "<?xml version=\"1.0\" encoding=\"utf-8\" ?><a><!-- note --><b/>t</a>", 0},
        XmlCase{"mismatched_close_is_error", "<a><b></c></a>",
                "<?xml version=\"1.0\" encoding=\"utf-8\" ?><a><b/></a>", 1},
        XmlCase{"truncated_tag_is_error", "<a><b x=\"1", nullptr, 1}),
    [](const auto& info) { return std::string(info.param.name); });

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

TEST(CliXmlFile, BinaryAndDeepInputNeverCrash) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  ToolResult r = RunTool({"xml", "-"}, binary);
  EXPECT_TRUE(r.status == 0 || r.status == 1) << r.err;

  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  ToolResult d = RunTool({"xml", "-"}, deep);
  EXPECT_EQ(d.status, 1) << d.err;
}

}  // namespace
