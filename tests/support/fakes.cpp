#include "fakes.h"

#include <algorithm>

namespace tavrin::testing {

int ScriptedToolkit::MsgBox(const std::string& text, int style, const std::string& caption) {
  boxes.push_back({text, style, caption});
  if (answers.empty()) return UnattendedAnswer(style);
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

int32_t RecordingShell::ShellExecute(const ShellRequest& request) {
  shellStarts.push_back(request);
  calls.push_back("shell:" + request.file);
  if (results.empty()) return kShellSuccess;
  const int32_t r = results.front();
  results.pop_front();
  return r;
}

int32_t RecordingShell::ShellAndWait(const WaitedStart& start) {
  waitedStarts.push_back(start);
  calls.push_back("wait:" + start.program);
  if (results.empty()) return kWaitEnded;
  const int32_t r = results.front();
  results.pop_front();
  return r;
}

std::string RecordingShell::RuntimeErrorText(int32_t code) {
  return "runtime error " + std::to_string(code);
}

bool ScriptedFileDialogs::Show(const FileDialogRequest& request, std::string& chosen) {
  requests.push_back(request);
  if (answers.empty()) return false;
  const Answer answer = answers.front();
  answers.pop_front();
  if (answer.ok) chosen = answer.path;
  return answer.ok;
}

std::string FakeSystemInfo::FileTypeDescription(const std::string& path) {
  if (std::find(missing.begin(), missing.end(), path) != missing.end()) return "";
  return description;
}

}  // namespace tavrin::testing
