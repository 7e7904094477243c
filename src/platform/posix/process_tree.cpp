#include "platform/posix/process_tree.h"

#include "platform/posix/posix_shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace tavrin::posix {
namespace {

// The process's parent, group and session from /proc/PID/stat; false when it has ended.
struct ProcessLinks {
  int64_t parent = 0, group = 0, session = 0;
};
bool ReadLinks(int64_t pid, ProcessLinks& links) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return false;
  char state = 0;
  long long parent = 0, group = 0, session = 0;
  if (std::sscanf(stat.c_str() + close + 1, " %c %lld %lld %lld", &state, &parent, &group,
                  &session) != 4) {
    return false;
  }
  links = {parent, group, session};
  return true;
}

// Where a link of /proc points; "" when it cannot be read.
std::string LinkTarget(const std::string& link) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < target.size()) return target.substr(0, n);
    target.resize(target.size() * 2);
  }
}

std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return "";
  std::string out = real;
  std::free(real);
  return out;
}

constexpr std::string_view kDeleted = " (deleted)";

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

ProcessFacts ReadProcess(int64_t pid) {
  ProcessFacts facts;
  const std::string folder = "/proc/" + std::to_string(pid);
  struct stat status {};
  if (pid <= 0 || ::stat(folder.c_str(), &status) != 0) {
    facts.problem = "it has ended";
    return facts;
  }
  if (status.st_uid != ::getuid()) {
    facts.problem = "it is another user's program";
    return facts;
  }
  facts.exe = LinkTarget(folder + "/exe");
  std::ifstream in(folder + "/cmdline", std::ios::binary);
  const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (facts.exe.empty() || line.empty()) {
    facts.problem = "its program cannot be read";
    return facts;
  }
  // A program file removed since it started is named so by the link; one replaced (an
  // update) starts again as the file now there.
  struct stat file {};
  if (EndsWith(facts.exe, kDeleted) && ::stat(facts.exe.c_str(), &file) != 0) {
    facts.exe.resize(facts.exe.size() - kDeleted.size());
    if (::access(facts.exe.c_str(), X_OK) != 0) {
      facts.problem = "its program file was deleted";
      return facts;
    }
  }
  // Each argument ends with a NUL; an empty one is two NULs in a row.
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = line.find('\0', start);
    if (end == std::string::npos) end = line.size();
    words.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  const std::string& first = words.front();
  facts.program =
      !first.empty() && first.front() == '/' && RealPath(first) == facts.exe ? first : facts.exe;
  facts.args.assign(words.begin() + 1, words.end());
  facts.workDir = LinkTarget(folder + "/cwd");
  if (EndsWith(facts.workDir, kDeleted)) facts.workDir.clear();
  return facts;
}

bool RunsThisProgram(const ProcessFacts& facts) {
  static const std::string self = LinkTarget("/proc/self/exe");
  return !facts.exe.empty() && facts.exe == self;
}

bool ReadStartOf(OpenWindow& window) {
  ProcessFacts facts = ReadProcess(window.pid);
  if (RunsThisProgram(facts)) return false;
  window.note = std::move(facts.problem);
  window.program = std::move(facts.program);
  window.params = QuoteParams(facts.args);
  window.workDir = std::move(facts.workDir);
  return true;
}

bool BelongsToStart(int64_t owner, int64_t pid) {
  constexpr int kDeepest = 64;
  ProcessLinks links;
  if (owner == pid) return true;
  if (pid <= 1 || !ReadLinks(owner, links)) return false;
  if (links.group == pid || links.session == pid) return true;
  for (int depth = 0; depth < kDeepest && links.parent > 1; ++depth) {
    if (links.parent == pid) return true;
    if (!ReadLinks(links.parent, links)) return false;
  }
  return false;
}

}  // namespace tavrin::posix
