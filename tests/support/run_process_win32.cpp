#include "run_process.h"

#include <windows.h>

#include <cctype>
#include <set>

namespace tavrin::testing {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The environment block for the child: ours with the changes made (names compared
// without regard to case, as Windows does).
std::string EnvironmentBlock(const std::map<std::string, std::string>& env) {
  std::set<std::string> changed;
  std::string block;
  for (const auto& [k, v] : env) {
    changed.insert(Upper(k));
    if (!v.empty()) block += k + "=" + v + '\0';
  }
  char* current = GetEnvironmentStringsA();
  for (const char* e = current; e && *e; e += std::char_traits<char>::length(e) + 1) {
    const std::string entry = e;
    // Entries such as "=C:=C:\x" keep the current folder of each drive.
    const auto eq = entry.find('=', 1);
    if (!changed.count(Upper(entry.substr(0, eq)))) block += entry + '\0';
  }
  FreeEnvironmentStringsA(current);
  block += '\0';
  return block;
}

// A temporary file the child writes to and we read back; removed when closed.
HANDLE OutputFile(SECURITY_ATTRIBUTES& inherit) {
  char folder[MAX_PATH];
  char name[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, "tvo", 0, name);
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string ReadBack(HANDLE file) {
  std::string text;
  if (file == INVALID_HANDLE_VALUE) return text;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(file, buf, sizeof buf, &n, nullptr) && n > 0) text.append(buf, n);
  CloseHandle(file);
  return text;
}

// Every process a test program starts, and what those start, ends with the test program,
// also when a test failed before its own clean-up: they all belong to a job that ends
// its processes when its last handle, this program's, closes.
const HANDLE kTestProcesses = [] {
  const HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job != nullptr) {
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(job, GetCurrentProcess());
  }
  return job;
}();

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env, const std::string& cwd) {
  return RunProcessInGroup(argv, env, {}, cwd);
}

ProcessResult RunProcessInGroup(const std::vector<std::string>& argv,
                                const std::map<std::string, std::string>& env,
                                const std::function<void(unsigned long)>& whileRunning,
                                const std::string& cwd) {
  ProcessResult result;
  if (argv.empty()) return result;
  std::string commandLine =
      argv[0].find(' ') != std::string::npos ? "\"" + argv[0] + "\"" : argv[0];
  for (std::size_t i = 1; i < argv.size(); ++i) commandLine += " " + argv[i];
  std::string environment = EnvironmentBlock(env);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  // Output goes to files, not pipes: a program the tested one leaves running keeps
  // its copies open, and waiting must still end when the tested one ends.
  const HANDLE out = OutputFile(inherit);
  const HANDLE err = OutputFile(inherit);
  const HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                     whileRunning ? CREATE_NEW_PROCESS_GROUP : 0, environment.data(),
                     cwd.empty() ? nullptr : cwd.c_str(), &startup, &process);
  const DWORD why = started ? 0 : GetLastError();
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  DWORD code = 0;
  if (started) {
    if (whileRunning) whileRunning(process.dwProcessId);
    WaitForSingleObject(process.hProcess, INFINITE);
    if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  result.out = ReadBack(out);
  result.err = ReadBack(err);
  if (!started) result.err = "cannot start " + argv[0] + ": error " + std::to_string(why);
  return result;
}

std::string ThisProgramFolder() {
  char buf[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  const std::string path(buf, n < sizeof buf ? n : 0);
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? "." : path.substr(0, cut);
}

// Cross-built tests know the build folder only by its Linux path: they find the programs
// beside themselves.
std::string RecorderPath() { return ThisProgramFolder() + "\\tavrin_test_recorder.exe"; }
std::string TavrinPath() { return ThisProgramFolder() + "\\" + TAVRIN_BINARY_FROM_TESTS; }
std::string SourcePath() { return TAVRIN_SOURCE_PATH; }

}  // namespace tavrin::testing
