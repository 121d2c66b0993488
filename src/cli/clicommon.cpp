#include "cli/clicommon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "foundation/xml/korxml.h"

namespace tarvo::cli {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

// Reads everything from an open descriptor, refusing more than kMaxInputBytes.
std::optional<std::string> ReadAll(int fd, const std::string& subject) {
  std::string bytes;
  char chunk[64 * 1024];
  for (;;) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      ReportError(subject, ErrnoText(errno));
      return std::nullopt;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<size_t>(got) > kMaxInputBytes) {
      ReportError(subject, "input is larger than " + std::to_string(kMaxInputBytes >> 20) + " MiB");
      return std::nullopt;
    }
    bytes.append(chunk, static_cast<size_t>(got));
  }
  return bytes;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  return true;
}

}  // namespace

void ReportError(std::string_view subject, std::string_view problem) {
  std::string line = "tarvo-cli: ";
  line.append(subject);
  line.append(": ");
  // One line only, whatever the problem text holds.
  for (char c : problem) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  std::fflush(stdout);
  (void)WriteAll(STDERR_FILENO, line);
}

std::optional<std::string> ReadInput(const std::string& path) {
  if (path == "-") return ReadAll(STDIN_FILENO, "<stdin>");
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    ReportError(path, ErrnoText(errno));
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    ReportError(path, "is a directory");
    return std::nullopt;
  }
  auto bytes = ReadAll(fd, path);
  ::close(fd);
  return bytes;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    ReportError(path, "cannot create a temporary file beside it: " + ErrnoText(errno));
    return false;
  }
  // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) {
    (void)::fchmod(fd, old.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::fchmod(fd, 0666 & ~mask);
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int error = errno;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(name.data(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(name.data());
    ReportError(path, "cannot write: " + ErrnoText(error));
  }
  return ok;
}

bool WriteStdout(std::string_view bytes) {
  std::fflush(stdout);
  return WriteAll(STDOUT_FILENO, bytes);
}

Arguments ParseArguments(int argc, char** argv, int first, const std::vector<std::string>& knownFlags,
                         bool takesOutput, const std::vector<std::string>& valueOptions) {
  Arguments args;
  const auto takesValue = [&](const std::string& word) {
    return std::find(valueOptions.begin(), valueOptions.end(), word) != valueOptions.end();
  };
  bool optionsEnded = false;
  for (int i = first; i < argc; ++i) {
    std::string word = argv[i];
    if (optionsEnded || word == "-" || word.empty() || word[0] != '-') {
      args.operands.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (takesOutput && (word == "-o" || word == "--output")) {
      if (i + 1 >= argc) {
        if (args.unknown.empty()) args.unknown = word + " needs a file name";
        continue;
      }
      args.output = argv[++i];
      args.outputGiven = true;
    } else if (takesOutput && word.rfind("--output=", 0) == 0) {
      args.output = word.substr(9);
      args.outputGiven = true;
    } else if (takesValue(word)) {
      if (i + 1 >= argc) {
        if (args.unknown.empty()) args.unknown = word + " needs a value";
        continue;
      }
      args.values.emplace_back(word, argv[++i]);
    } else if (word.find('=') != std::string::npos && takesValue(word.substr(0, word.find('=')))) {
      args.values.emplace_back(word.substr(0, word.find('=')), word.substr(word.find('=') + 1));
    } else if (word == "-h" || word == "--help" ||
               std::find(knownFlags.begin(), knownFlags.end(), word) != knownFlags.end()) {
      args.flags.push_back(word == "-h" ? "--help" : word);
    } else if (args.unknown.empty()) {
      args.unknown = "unknown option " + word;
    }
  }
  return args;
}

bool HasFlag(const Arguments& args, std::string_view flag) {
  return std::find(args.flags.begin(), args.flags.end(), flag) != args.flags.end();
}

std::vector<std::string> OptionValues(const Arguments& args, std::string_view option) {
  std::vector<std::string> found;
  for (const auto& [name, value] : args.values)
    if (name == option) found.push_back(value);
  return found;
}

void EnsureDeclaration(KorXML_c& document) {
  if (!document.IsValueEmpty()) return;
  document.SetName("xml");
  document.SetAttribute("version", "1.0");
  document.SetAttribute("encoding", "utf-8");
}

}  // namespace tarvo::cli
