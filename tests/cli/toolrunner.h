#pragma once

#include <string>
#include <vector>

// Runs the built tarvo-cli as a separate process, the way scripts do.
struct ToolResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

ToolResult RunTool(const std::vector<std::string>& args, const std::string& input = "");

// A fixture file under tests/cli/data.
std::string DataPath(const std::string& name);

// A fresh, empty folder for files a test writes; removed by the test.
std::string MakeTempDir();

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
