#include "toolrunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Output goes through files rather than pipes so a chatty child can never block.
int TempFile(std::string& path) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-cli-test.XXXXXX").string();
  int fd = ::mkstemp(pattern.data());
  path = pattern;
  return fd;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const std::string& input) {
  std::string inPath, outPath, errPath;
  int in = TempFile(inPath), out = TempFile(outPath), err = TempFile(errPath);
  ToolResult result;
  if (in < 0 || out < 0 || err < 0) return result;
  WriteFile(inPath, input);

  std::vector<std::string> words{TARVO_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  }
  ::close(in);
  ::close(out);
  ::close(err);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  std::filesystem::remove(inPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

std::string DataPath(const std::string& name) {
  return std::string(TARVO_TEST_DATA_DIR) + "/" + name;
}

std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-cli-dir.XXXXXX").string();
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}
