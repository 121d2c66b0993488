#include "toolrunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A fresh temporary file for the child's stream; output goes through files
// rather than pipes so a chatty child can never block.
std::string TempPath(const char* kind) {
  std::string pattern = (std::filesystem::temp_directory_path() / kind).string() + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd >= 0) ::close(fd);
  return pattern;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args, const std::string& input) {
  const std::string paths[] = {TempPath("tarvo-cli-in"), TempPath("tarvo-cli-out"),
                               TempPath("tarvo-cli-err")};
  WriteFile(paths[0], input);
  std::vector<std::string> words{TARVO_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  ToolResult result;
  const pid_t child = ::fork();
  if (child == 0) {
    const int flags[] = {O_RDONLY, O_WRONLY | O_TRUNC, O_WRONLY | O_TRUNC};
    for (int stream = 0; stream < 3; ++stream)
      ::dup2(::open(paths[stream].c_str(), flags[stream]), stream);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
    result.status = WEXITSTATUS(status);
  result.out = ReadFile(paths[1]);
  result.err = ReadFile(paths[2]);
  for (const std::string& path : paths) std::filesystem::remove(path);
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
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
