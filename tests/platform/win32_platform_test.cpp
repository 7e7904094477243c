// The Win32 platform on real files, programs and messages: the file system, starting
// programs and waiting for them, program information and the event pump.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <sddl.h>
#undef DeleteFile
#undef ShellExecute

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"
#include "run_process.h"
#include "temp_dir.h"
#include "win32_user.h"

namespace tavrin::win32 {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::ReadRecording;
using testing::TempDir;
using testing::ThisProgramFolder;
using testing::WriteFile;
using Args = std::vector<std::string>;

WaitedStart Waited(std::string program, std::string params, std::string folder) {
  WaitedStart start;
  start.program = std::move(program);
  start.params = std::move(params);
  start.folder = std::move(folder);
  return start;
}

// A window of this thread for messages alone (no display needed), whose messages go to
// `proc`.
HWND MessageWindow(WNDPROC proc, const char* className) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  return CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                         nullptr);
}

class Win32Test : public ::testing::Test {
 protected:
  void SetUp() override { _putenv_s("TAVRIN_RECORD", record.c_str()); }
  // The folder can only be removed again once its files may be written. The launcher's
  // own folder (and drive) never moves.
  void TearDown() override {
    for (const auto& path : readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    _putenv_s("TAVRIN_RECORD", "");
    _putenv_s("TAVRIN_HOME", "");
    EXPECT_EQ(fs::current_path(), before);
  }
  std::string ReadOnly(const std::string& name, const std::string& text) {
    WriteFile(dir.file(name), text);
    SetFileAttributesA(dir.file(name).c_str(), FILE_ATTRIBUTE_READONLY);
    readOnly.push_back(dir.file(name));
    return dir.file(name);
  }
  // A copy of the stand-in program at `path`, its folders created.
  std::string Recorder(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(testing::RecorderPath(), path, fs::copy_options::overwrite_existing);
    return path;
  }

  TempDir dir;
  std::string record = dir.file("record.log");
  fs::path before = fs::current_path();
  std::vector<std::string> readOnly;
  Win32FileSystem files;
  Win32Shell shell;
  Win32SystemInfo system;
};

// Two temporary files for one target are apart, and neither is taken for a collection;
// a read-only target is not replaced.
TEST_F(Win32Test, TemporaryFilesListingAndDeleting) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, "old");
  std::string temp;
  std::string other;
  auto out = files.CreateTempBeside(target, temp);
  auto second = files.CreateTempBeside(target, other);
  ASSERT_TRUE(out && second);
  EXPECT_EQ(fs::path(temp).parent_path(), dir.path());
  EXPECT_NE(temp, other);
  EXPECT_TRUE(out->Write("first\r\n") && out->Flush() && out->Close());
  EXPECT_FALSE(out->Write("x"));  // closed
  EXPECT_FALSE(out->Close());
  EXPECT_EQ(files.ListFiles(dir.str(), ".tavrin"), std::vector<std::string>{"c.tavrin"});
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_TRUE(files.Rename(temp, target));
  EXPECT_EQ(ReadFile(target), "first\r\n");
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(second->Close());
  EXPECT_FALSE(files.Rename(other, ReadOnly("kept.tavrin", "old")));
  EXPECT_EQ(ReadFile(dir.file("kept.tavrin")), "old");
  EXPECT_TRUE(files.Remove(other));
  EXPECT_FALSE(files.Remove(other));
  EXPECT_EQ(files.CreateTempBeside(dir.file("missing\\c.tavrin"), temp), nullptr);
  EXPECT_EQ(files.WriteTarget(target), target);
  // Listing gives the files with the extension in any case.
  for (const char* name : {"a.tavrin", "B.TAVRIN", "c.tavrin.bak", "d.txt"}) {
    WriteFile(dir.file(name), "");
  }
  fs::create_directory(dir.file("folder.tavrin"));
  auto listed = files.ListFiles(dir.str() + "\\", ".tavrin");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"B.TAVRIN", "a.tavrin", "c.tavrin", "kept.tavrin"}));
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
  // A read-only or locked file is permission denied, a folder an access error.
  WriteFile(dir.file("a.tavrin"), "x");
  EXPECT_EQ(files.DeleteFile(dir.file("a.tavrin")), 0);
  EXPECT_FALSE(fs::exists(dir.file("a.tavrin")));
  EXPECT_EQ(files.DeleteFile(dir.file("no folder\\a.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(ReadOnly("ro.tavrin", "x")), 70);
  EXPECT_TRUE(fs::exists(dir.file("ro.tavrin")));
  WriteFile(dir.file("open.tavrin"), "x");
  const HANDLE held = CreateFileA(dir.file("open.tavrin").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.DeleteFile(dir.file("open.tavrin")), 70);
  CloseHandle(held);
  EXPECT_EQ(files.DeleteFile(dir.file("open.tavrin")), 0);
  fs::create_directory(dir.file("folder.tavrin"));
  const int code = files.DeleteFile(dir.file("folder.tavrin"));
  EXPECT_TRUE(code == 70 || code == 75) << code;
  EXPECT_TRUE(fs::is_directory(dir.file("folder.tavrin")));
}

// The security descriptor's access list of a file, as text; empty when it cannot be read.
std::string AccessList(const std::string& path) {
  char buffer[4096];
  DWORD needed = 0;
  if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, buffer, sizeof buffer, &needed)) {
    return "";
  }
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
          buffer, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "";
  }
  std::string list = text;
  LocalFree(text);
  return list;
}

// The security identifier of the user running the tests, as text.
std::string UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
  char buffer[256];
  DWORD size = 0;
  std::string sid;
  char* text = nullptr;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

// A save replaces the content and keeps the file: its attributes (marked for archiving,
// as any change is), its permissions and, where the volume has them, its other streams;
// nothing of the save stays beside it. A file that cannot be replaced (held open by a
// program that lets no one remove it) keeps its old content.
TEST_F(Win32Test, ASaveKeepsWhatTheFileHad) {
  const std::string target = dir.file("kept.tavrin");
  WriteFile(target, "old");
  const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), attributes));
  // For the system and this user alone: no one else may read it.
  PSECURITY_DESCRIPTOR own = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      ("D:P(A;;FA;;;SY)(A;;FA;;;" + UserSid() + ")").c_str(), SDDL_REVISION_1, &own, nullptr));
  EXPECT_TRUE(SetFileSecurityA(target.c_str(), DACL_SECURITY_INFORMATION, own));
  LocalFree(own);
  const std::string permissions = AccessList(target);
  EXPECT_EQ(permissions.find(";;;WD)"), std::string::npos) << permissions;
  DWORD volumeFlags = 0;
  const std::string root = dir.str().substr(0, 3);
  GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0);
  const bool streams = (volumeFlags & FILE_NAMED_STREAMS) != 0;
  if (streams) WriteFile(target + ":note", "a stream of its own");

  EXPECT_TRUE(SaveWholeFile(files, target, "new content"));
  EXPECT_EQ(ReadFile(target), "new content");
  EXPECT_EQ(GetFileAttributesA(target.c_str()), attributes | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(AccessList(target), permissions);
  if (streams) {
    EXPECT_EQ(ReadFile(target + ":note"), "a stream of its own");
  }
  EXPECT_TRUE(SaveWholeFile(files, dir.file("fresh.tavrin"), "fresh"));

  const HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SaveWholeFile(files, target, "lost"));
  CloseHandle(held);
  EXPECT_EQ(ReadFile(target), "new content");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"fresh.tavrin", "kept.tavrin"}));
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// --- Starting programs -------------------------------------------------------------

// A waited start's command line quotes a program path with a blank and keeps the
// parameters (empty ones leave the blank after the program). Parameters reach the program
// as the Windows rules split them; a missing file, program or document, gives 2. A waited
// program has ended on return, and one that ends at once is success whatever its status;
// a folder that does not exist leaves the launcher's. (Folders with blanks: see the
// run-mode tests.)
TEST_F(Win32Test, StartsProgramsWithTheirParametersInTheirFolders) {
  EXPECT_EQ(WaitedCommandLine("C:\\My Tools\\x.exe", "-a \"b c\""),
            "\"C:\\My Tools\\x.exe\" -a \"b c\"");
  EXPECT_EQ(WaitedCommandLine("C:\\Tools\\x.exe", ""), "C:\\Tools\\x.exe ");
  const std::string folder = dir.file("tools");
  const std::string program = Recorder(folder + "\\rec.exe");
  ShellRequest request;
  request.file = "rec.exe";
  request.params = "one \"two words\"";
  request.folder = folder;
  request.fullPath = program;
  EXPECT_GE(shell.ShellExecute(request), 33);
  ASSERT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--sleep=300 \"two words\"", folder)), kWaitEnded);
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--exit=3", dir.file("gone"))), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].args, (Args{"one", "two words"}));
  EXPECT_EQ(runs[1].args, (Args{"--sleep=300", "two words"}));
  EXPECT_NE(runs[1].endNs, 0) << "returned before the program had ended";
  EXPECT_EQ(fs::path(runs[0].cwd), fs::path(folder));
  EXPECT_EQ(fs::path(runs[1].cwd), fs::path(folder));
  EXPECT_EQ(fs::path(runs[2].cwd), before);
  for (const char* missing : {"missing.exe", "missing.txt"}) {
    request.file = missing;
    request.fullPath = dir.file(missing);
    EXPECT_EQ(shell.ShellExecute(request), 2) << missing;
  }
}

// A waited console program has a console of its own, not the launcher's, and the window
// style it was given; a console the launcher has (or has not) makes no difference.
TEST_F(Win32Test, AWaitedConsoleProgramHasAConsoleOfItsOwn) {
  const std::string program = Recorder(dir.file("tools\\rec.exe"));
  const std::string report = dir.file("console.txt");
  WaitedStart start = Waited(program, "--console=" + report, dir.str());
  start.show = kSwShowMinNoActive;
  EXPECT_EQ(shell.ShellAndWait(start), kWaitEnded);
  const std::string seen = ReadFile(report);
  const auto colon = seen.find("console:");
  const auto end = seen.find('\n');
  ASSERT_NE(colon, std::string::npos) << seen;
  std::vector<std::string> ids;
  std::istringstream words(seen.substr(colon + 8, end - colon - 8));
  for (std::string id; words >> id;) ids.push_back(id);
  ASSERT_EQ(ReadRecording(record).size(), 1u);
  const std::string child = std::to_string(ReadRecording(record)[0].pid);
  EXPECT_EQ(ids, std::vector<std::string>{child}) << seen;
  EXPECT_NE(seen.find("show: 7\n"), std::string::npos) << seen;
}

int g_answered = 0;
int g_postedSeen = 0;

LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    ++g_answered;
    return 42;
  }
  if (message == WM_APP + 2) ++g_postedSeen;
  return DefWindowProcA(window, message, wParam, lParam);
}

// While a waited program runs, a message another thread (an installer's broadcast, a DDE
// partner) sends to a window of the waiting thread is answered; what is posted to it
// waits for the thread's own loop, so the launcher's windows take no input meanwhile.
TEST_F(Win32Test, WaitingAnswersMessagesSentToTheThreadsWindows) {
  const HWND window = MessageWindow(AnsweringProc, "TavrinTestAnswering");
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_APP + 2, 0, 0);
  const std::string go = dir.file("go");
  DWORD_PTR answer = 0;
  LRESULT sent = 0;
  // Sent once the program runs; whatever the answer, the program is then let go, so a
  // wait that cannot answer makes the test fail, not hang.
  std::thread sender([&] {
    for (int i = 0; i < 2000 && ReadRecording(record).empty(); ++i) Sleep(5);
    sent = SendMessageTimeoutA(window, WM_APP + 1, 0, 0, SMTO_NORMAL, 10000, &answer);
    WriteFile(go, "");
  });
  const std::string program = Recorder(dir.file("tools\\rec.exe"));
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--wait-for=" + go, dir.str())), kWaitEnded);
  sender.join();
  EXPECT_NE(sent, 0) << "the message sent during the wait was not answered";
  EXPECT_EQ(answer, 42u);
  EXPECT_EQ(g_answered, 1);
  EXPECT_EQ(g_postedSeen, 0);
  Win32Toolkit().DoEvents();
  EXPECT_EQ(g_postedSeen, 1);
  DestroyWindow(window);
}

// An item's variables and working folder reach a program the shell starts and one that is
// waited for, and the launcher's own variables are as before; a program that runs is
// seen, by its image whatever the letter case, with the start mark that tells it from a
// later process of its number, and ended by force.
TEST_F(Win32Test, RunOptionsReachTheProgramAndASecondCopyIsSeen) {
  const std::string program = Recorder(dir.file("tools\\rec.exe"));
  const std::string work = dir.file("work");
  fs::create_directories(work);
  ShellRequest request;
  request.file = "rec.exe";
  request.params = "--env=TAVRIN_GREETING";
  request.folder = dir.file("tools");
  request.fullPath = program;
  request.env = {"TAVRIN_GREETING=hello there"};
  request.workDir = work;
  int64_t shellPid = 0;
  request.started = [&](int64_t pid) { shellPid = pid; };
  EXPECT_GE(shell.ShellExecute(request), 33);
  ASSERT_EQ(testing::WaitForRecording(record, 1).size(), 1u);
  WaitedStart waited = Waited(program, "--env=TAVRIN_GREETING", dir.file("tools"));
  waited.env = request.env;
  waited.workDir = work;
  EXPECT_EQ(shell.ShellAndWait(waited), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  for (const auto& run : runs) {
    EXPECT_EQ(run.args, Args{"TAVRIN_GREETING=hello there"});
    EXPECT_EQ(fs::path(run.cwd), fs::path(work));
  }
  EXPECT_EQ(runs[0].pid, shellPid);
  EXPECT_EQ(GetEnvironmentVariableA("TAVRIN_GREETING", nullptr, 0), 0u);

  // Without a console of its own: a console that Wine gives it would outlive its end by
  // force and hold the test's output open.
  const std::string sleeper = Recorder(dir.file("tools\\Sleeper.exe"));
  EXPECT_FALSE(system.ProgramRunning(sleeper));
  std::string commandLine = sleeper + " --sleep=120000";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                             nullptr, nullptr, &startup, &process));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const auto pid = static_cast<int64_t>(process.dwProcessId);
  const std::string mark = system.ProcessStartMark(pid);
  ASSERT_FALSE(mark.empty());
  EXPECT_TRUE(system.ProgramRunning(dir.file("TOOLS\\sleeper.exe")));
  EXPECT_TRUE(system.StartRuns(pid, mark));
  EXPECT_FALSE(system.StartRuns(pid, mark + "1"));
  system.EndStart(pid, mark + "1", /*force=*/true);
  EXPECT_TRUE(system.StartRuns(pid, mark));
  system.EndStart(pid, mark, /*force=*/true);
  for (int i = 0; i < 1000 && system.StartRuns(pid, mark); ++i) Sleep(10);
  EXPECT_FALSE(system.StartRuns(pid, mark));
  EXPECT_FALSE(system.ProgramRunning(sleeper));
}

// A document is no program; the system's text names no insert. Every number has a text.
TEST_F(Win32Test, AProgramThatCannotStartSaysWhy) {
  const int32_t missing = shell.ShellAndWait(Waited(dir.file("nope.exe"), "", dir.str()));
  EXPECT_NE(missing, kWaitEnded);
  EXPECT_NE(missing, kWaitFailed);
  const std::string why = shell.RuntimeErrorText(missing);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(why.rfind("Error ", 0), std::string::npos) << why;
  EXPECT_NE(why.back(), '\n');
  testing::WriteFile(dir.file("notes.txt"), "hello\r\n");
  const int32_t document = shell.ShellAndWait(Waited(dir.file("notes.txt"), "", dir.str()));
  EXPECT_NE(document, kWaitEnded);
  EXPECT_NE(document, missing);
  const std::string notProgram = shell.RuntimeErrorText(document);
  EXPECT_EQ(notProgram.find("%1"), std::string::npos) << notProgram;
  EXPECT_NE(notProgram, why);
  EXPECT_NE(shell.ShellAndWait(Waited("", "", "")), kWaitEnded);
  EXPECT_TRUE(ReadRecording(record).empty());
  EXPECT_FALSE(shell.RuntimeErrorText(0x7ffffff0).empty());
}

// The dry run gives what the start gives, for programs that start and files that are not
// there; an address is taken as the shell takes it, whole; a document or a folder is
// checked for an application. Nothing is started by a check.
TEST_F(Win32Test, TheDryRunGivesWhatTheStartGives) {
  const std::string folder = dir.file("tools");
  const std::string program = Recorder(folder + "\\rec.exe");
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  const struct {
    const char* name;
    std::string file;
    std::string folder;
  } shellCases[] = {{"a program", "rec.exe", folder},
                    {"a missing file", "missing.exe", dir.str()},
                    {"a missing folder", "x.exe", dir.file("no\\such")}};
  std::size_t runs = 0;
  for (const auto& c : shellCases) {
    SCOPED_TRACE(c.name);
    ShellRequest request;
    request.file = c.file;
    request.folder = c.folder;
    request.fullPath = c.folder + "\\" + c.file;
    const int32_t checked = shell.CheckShellExecute(request);
    EXPECT_EQ(ReadRecording(record).size(), runs);
    const int32_t started = shell.ShellExecute(request);
    // What started has ended before the next check looks, however slow the machine.
    if (started >= 33) {
      ++runs;
      EXPECT_EQ(testing::WaitForRecording(record, runs).size(), runs);
    }
    EXPECT_EQ(checked >= 33, started >= 33) << checked << " " << started;
    if (started < 33) {
      EXPECT_EQ(checked, started);
    }
  }
  const struct {
    const char* name;
    std::string program;
  } waitedCases[] = {{"a program", program},
                     {"a missing program", dir.file("missing.exe")},
                     {"a missing folder", dir.file("no\\such\\x.exe")},
                     {"a document", dir.file("notes.txt")},
                     {"a folder", folder}};
  for (const auto& c : waitedCases) {
    SCOPED_TRACE(c.name);
    const int32_t checked = shell.CheckShellAndWait(Waited(c.program, "", dir.str()));
    EXPECT_EQ(checked, shell.ShellAndWait(Waited(c.program, "", dir.str())));
  }
  EXPECT_EQ(testing::WaitForRecording(record, 2).size(), 2u);
  ShellRequest request;
  for (const std::string& address :
       {std::string("mailto:me@example.org"), std::string("https://example.org/a\\b?q=1")}) {
    request.file = address;
    EXPECT_GE(shell.CheckShellExecute(request), 33) << address;
  }
  request.file = "notes.txt";
  request.folder = dir.str();
  EXPECT_GE(shell.CheckShellExecute(request), 33);
  request.file = "tools";
  EXPECT_GE(shell.CheckShellExecute(request), 33);
  request.file = "gone.txt";
  EXPECT_EQ(shell.CheckShellExecute(request), 2);
  EXPECT_EQ(ReadRecording(record).size(), 2u);
}

// --- Program information -----------------------------------------------------------

// The collection folder is the executable's folder, or the one TAVRIN_HOME names, which
// is created; the process's command line begins with the program.
TEST_F(Win32Test, ProgramInformation) {
  _putenv_s("TAVRIN_HOME", "");
  EXPECT_EQ(system.CollectionFolder(), ThisProgramFolder());
  const std::string exe = system.ExecutablePath();
  EXPECT_EQ(fs::path(exe).filename(), "tavrin_platform_tests.exe");
  EXPECT_EQ(fs::path(exe).parent_path(), fs::path(system.CollectionFolder()));
  EXPECT_NE(ProcessCommandLine().find("tavrin_platform_tests"), std::string::npos);
  const std::string home = dir.file("portable\\collections");
  _putenv_s("TAVRIN_HOME", (home + "\\").c_str());
  EXPECT_EQ(system.CollectionFolder(), home);
  EXPECT_TRUE(fs::is_directory(home));
  // Nothing of the file looked up before shows through for a missing one.
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  const std::string text = system.FileTypeDescription(dir.file("notes.txt"));
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(system.FileTypeDescription(dir.file("missing.txt")), "");
  const std::string program = system.FileTypeDescription(system.ExecutablePath());
  EXPECT_FALSE(program.empty());
  EXPECT_NE(program, text);
}

// Paths are shown in lower case as the system lowers its ANSI code page: beyond A to Z
// in code page 1252 (Wine's, and western Windows'), and nothing that is no letter.
TEST_F(Win32Test, PathsAreShownInTheSystemsLowerCase) {
  EXPECT_EQ(system.PathCase("C:\\Tools\\1 [x]_~#.EXE"), "c:\\tools\\1 [x]_~#.exe");
  if (GetACP() != 1252) GTEST_SKIP() << "the letters below are those of code page 1252";
  EXPECT_EQ(system.PathCase("\xC0\xD6\xDE \xE0\xD7"), "\xE0\xF6\xFE \xE0\xD7");  // the sign stays
}

// --- The event pump (message boxes are modal and are not shown in tests) ----------

int g_received = 0;
bool g_repost = false;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  ++g_received;
  if (g_repost) PostMessageA(window, WM_APP, 0, 0);
  return 0;
}

// A box shows its texts as the windows do: a control character in a file's name is
// shown escaped, never handed to the screen, and the rest of the text is kept.
TEST(Win32Toolkit, ABoxShowsControlCharactersEscaped) {
  std::string caption, said;
  testing::ScreenUser user([&](testing::ScreenUser& at) {
    const testing::Window box =
        at.WaitFor([] { return testing::ScreenUser::TopLevel("#32770", ""); });
    if (box == nullptr) return;
    caption = testing::ScreenUser::Text(box);
    said = testing::ScreenUser::StaticTexts(box);
    testing::ScreenUser::Press(box, IDOK);
  });
  const int answer =
      Win32Toolkit().MsgBox("C:\\Notes\\a\x1b[2Jb.txt\n\nFile not found", MB_OK, "The\x07 Tavrin");
  user.Finish();
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(said.find('\x1b'), std::string::npos) << said;
  EXPECT_NE(said.find("[2Jb.txt"), std::string::npos) << said;
  EXPECT_NE(said.find("File not found"), std::string::npos) << said;
  EXPECT_EQ(caption.find('\x07'), std::string::npos) << caption;
  EXPECT_NE(caption.find(" Tavrin"), std::string::npos) << caption;
}

// A pass runs the pending messages and returns; a request to end is left for the loop
// that owns it; a window that keeps posting to itself does not hold the pass.
TEST(Win32Toolkit, DoEventsRunsThePendingMessagesAndReturns) {
  const HWND window = MessageWindow(CountingProc, "TavrinTestCounter");
  ASSERT_NE(window, nullptr);
  Win32Toolkit toolkit;
  for (int i = 0; i < 3; ++i) PostMessageA(window, WM_APP, 0, 0);
  PostQuitMessage(5);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 3);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
  toolkit.DoEvents();
  EXPECT_EQ(g_received, 3);

  g_repost = true;
  PostMessageA(window, WM_APP, 0, 0);
  toolkit.DoEvents();
  EXPECT_GT(g_received, 4);
  g_repost = false;
  const int afterFirst = g_received;
  toolkit.DoEvents();  // the one still pending
  EXPECT_EQ(g_received, afterFirst + 1);
  DestroyWindow(window);
}

}  // namespace
}  // namespace tavrin::win32
