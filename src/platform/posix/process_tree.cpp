#include "platform/posix/process_tree.h"

#include <cstdio>
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

}  // namespace

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
