#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

// The rows of a table in the test program's data folder: one row a line, fields split at
// tabs (kept exactly, spaces included); a last field starting "# " is a
// comment, and blank lines and lines starting with '#' are skipped.
inline std::vector<std::vector<std::string>> ReadRows(const std::string& name, size_t fields) {
  std::ifstream in(std::string(TARVO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> row(1);
    for (const char c : line) {
      if (c == '\t')
        row.emplace_back();
      else
        row.back().push_back(c);
    }
    if (row.size() > fields && row.back().rfind("# ", 0) == 0) row.pop_back();
    EXPECT_EQ(row.size(), fields) << name << ": " << line;
    if (row.size() == fields) rows.push_back(std::move(row));
  }
  EXPECT_FALSE(rows.empty()) << name;
  return rows;
}
