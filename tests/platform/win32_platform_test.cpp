// The Win32 platform on real files, programs, windows, messages and the user's Run key
// (the real registry, under Wine in a throw-away prefix).
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h:
#include <windows.h>
// After windows.h:
#include <sddl.h>
#undef DeleteFile
#undef ShellExecute

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/win32/win32_autostart.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
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
using testing::WaitForRecording;
using testing::WriteFile;
using Names = std::vector<std::string>;

int g_posted = 0;       // WM_APP messages the window has taken
int g_answered = 0;     // WM_APP + 1 messages sent to it, answered 42
bool g_repost = false;  // each WM_APP posts the next

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 1) {
    ++g_answered;
    return 42;
  }
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  ++g_posted;
  if (g_repost) PostMessageA(window, WM_APP, 0, 0);
  return 0;
}

// A window of this thread for messages alone (no display needed), its counts at zero.
HWND MessageWindow() {
  g_posted = g_answered = 0;
  g_repost = false;
  WNDCLASSA wc{};
  wc.lpfnWndProc = TestWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TavrinTestMessages";
  RegisterClassA(&wc);
  return CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
}

// A shell start of `file` in `folder`, its whole path given too.
ShellRequest Request(const std::string& file, const std::string& params,
                     const std::string& folder) {
  ShellRequest request;
  request.file = file;
  request.params = params;
  request.folder = folder;
  request.fullPath = folder + "\\" + file;
  return request;
}

WaitedStart Waited(const std::string& program, const std::string& params, const std::string& folder,
                   int show = kSwShowNormal) {
  WaitedStart start;
  start.program = program;
  start.params = params;
  start.folder = folder;
  start.show = show;
  return start;
}

// A shell start's result, every success as kShellSuccess.
int32_t ShellResult(int32_t code) { return code >= 33 ? kShellSuccess : code; }

class Win32Test : public ::testing::Test {
 protected:
  void SetUp() override { _putenv_s("TAVRIN_RECORD", record.c_str()); }
  // The launcher's own folder (and drive) never moves.
  void TearDown() override {
    _putenv_s("TAVRIN_RECORD", "");
    _putenv_s("TAVRIN_HOME", "");
    EXPECT_EQ(fs::current_path(), before);
  }
  // A copy of the stand-in program at `name` in the test's folder, its folders created.
  std::string Recorder(const std::string& name) {
    fs::create_directories(fs::path(dir.file(name)).parent_path());
    fs::copy_file(testing::RecorderPath(), dir.file(name), fs::copy_options::overwrite_existing);
    return dir.file(name);
  }

  testing::TempDir dir;
  std::string record = dir.file("record.log");
  fs::path before = fs::current_path();
  Win32FileSystem files;
  Win32Shell shell;
  Win32SystemInfo system;
};

// Collections are listed whatever the case of their extension, folders and a save's
// temporary files left out. A read-only target is not replaced. Deleting tells a missing
// folder (53) from a read-only or locked file (70), and keeps what it cannot delete.
TEST_F(Win32Test, ListingReplacingAndDeleting) {
  const std::string target = dir.file("c.tavrin");
  WriteFile(target, "old");
  std::string temp;
  ASSERT_TRUE(files.CreateTempBeside(target, temp));
  for (const char* name : {"a.tavrin", "B.TAVRIN", "c.tavrin.bak", "d.txt"}) {
    WriteFile(dir.file(name), "");
  }
  fs::create_directory(dir.file("folder.tavrin"));
  auto listed = files.ListFiles(dir.str(), ".tavrin");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Names{"B.TAVRIN", "a.tavrin", "c.tavrin"}));
  EXPECT_EQ(files.ListFiles(dir.str() + "\\", ".tavrin").size(), 3u);
  EXPECT_TRUE(files.ListFiles(dir.file("missing"), ".tavrin").empty());
  WriteFile(dir.file("ro.tavrin"), "old");
  SetFileAttributesA(dir.file("ro.tavrin").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(files.Rename(temp, dir.file("ro.tavrin")));
  EXPECT_EQ(ReadFile(dir.file("ro.tavrin")), "old");
  EXPECT_TRUE(files.Remove(temp));
  EXPECT_FALSE(files.Remove(temp));

  EXPECT_EQ(files.DeleteFile(dir.file("no folder\\a.tavrin")), 53);
  EXPECT_EQ(files.DeleteFile(dir.file("ro.tavrin")), 70);
  const HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.DeleteFile(target), 70);
  CloseHandle(held);
  EXPECT_EQ(files.DeleteFile(target), 0);
  EXPECT_TRUE(fs::exists(dir.file("ro.tavrin")));
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

// A save replaces the content and keeps the file: its attributes (marked for archiving,
// as any change is), its permissions and, where the volume has them, its other streams;
// nothing of the save stays beside it. A file that cannot be replaced (held open by a
// program that lets no one remove it) keeps its old content.
TEST_F(Win32Test, ASaveKeepsWhatTheFileHad) {
  const std::string target = dir.file("kept.tavrin");
  WriteFile(target, "old");
  const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), attributes));
  // For the system, the administrators and the users alone, none of it inherited.
  PSECURITY_DESCRIPTOR own = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
      "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;BU)", SDDL_REVISION_1, &own, nullptr));
  EXPECT_TRUE(SetFileSecurityA(target.c_str(), DACL_SECURITY_INFORMATION, own));
  LocalFree(own);
  const std::string permissions = AccessList(target);
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

  const HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SaveWholeFile(files, target, "lost"));
  CloseHandle(held);
  EXPECT_EQ(ReadFile(target), "new content");
  Names left;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, Names{"kept.tavrin"});
}

// --- Starting programs -------------------------------------------------------------

// A start and its dry run (which starts nothing) give the same, by the shell and waited
// for: a program starts in its folder with its parameters split as the Windows rules
// split them; a missing file gives 2. The shell takes a document with an application, a
// folder and an address (whole, as the shell takes it); a waited start only a program,
// and its failures have a text that says why in the system's words, without an insert:
// a document is no program, which is not the same as a missing one.
TEST_F(Win32Test, StartsAndTheirDryRunsAgree) {
  const std::string tools = fs::path(Recorder("tools\\rec.exe")).parent_path().string();
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  const int32_t kAny = -1;  // the failure the check foresees
  const struct {
    const char* name;
    std::string folder;
    std::string file;
    int32_t shell;
    bool start = false;  // false: the shell only checks (a start would open an application)
  } cases[] = {{"a program", tools, "rec.exe", kShellSuccess, true},
               {"no program", dir.str(), "", kAny},
               {"a missing program", dir.str(), "missing.exe", kShellFileNotFound, true},
               {"a missing document", dir.str(), "missing.txt", kShellFileNotFound, true},
               {"a missing folder", dir.file("no\\such"), "x.exe", kAny, true},
               {"a document", dir.str(), "notes.txt", kShellSuccess},
               {"a folder", dir.str(), "tools", kShellSuccess},
               {"a web address", "", "https://example.org/a\\b?q=1", kShellSuccess}};
  const std::string params = "one \"two words\"";
  std::map<std::string, std::string> why;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ShellRequest request = Request(c.file, params, c.folder);
    const int32_t checked = ShellResult(shell.CheckShellExecute(request));
    if (c.shell != kAny) {
      EXPECT_EQ(checked, c.shell);
    }
    if (c.start) {
      EXPECT_EQ(ShellResult(shell.ShellExecute(request)), checked);
    }
    if (c.folder.empty()) continue;
    const WaitedStart waited = Waited(c.file.empty() ? "" : request.fullPath, params, c.folder);
    const int32_t started = shell.ShellAndWait(waited);
    EXPECT_EQ(shell.CheckShellAndWait(waited), started);
    EXPECT_EQ(started == kWaitEnded, c.file == "rec.exe") << started;
    if (started == kWaitEnded) continue;
    EXPECT_NE(started, kWaitFailed);
    why[c.name] = shell.RuntimeErrorText(started);
    ASSERT_FALSE(why[c.name].empty());
    EXPECT_NE(why[c.name].rfind("Error ", 0), 0u) << why[c.name];
    EXPECT_EQ(why[c.name].find("%1"), std::string::npos) << why[c.name];
    EXPECT_NE(why[c.name].back(), '\n');
  }
  EXPECT_NE(why["a document"], why["a missing program"]);
  EXPECT_FALSE(shell.RuntimeErrorText(0x7ffffff0).empty());  // every number has a text
  const auto runs = WaitForRecording(record, 2);
  ASSERT_EQ(runs.size(), 2u);
  for (const auto& run : runs) {
    EXPECT_EQ(run.args, (Names{"one", "two words"}));
    EXPECT_EQ(fs::path(run.cwd), fs::path(tools));
  }
}

// A waited start quotes a program path with a blank and keeps the parameters, an empty
// one leaving the blank after the program. The program has a console of its own, not the
// launcher's, and the window style it was given; a folder that does not exist leaves the
// launcher's; one that ends at once is success whatever its status.
TEST_F(Win32Test, AWaitedStartEndsWithTheProgram) {
  EXPECT_EQ(WaitedCommandLine("C:\\My Tools\\x.exe", "-a \"b c\""),
            "\"C:\\My Tools\\x.exe\" -a \"b c\"");
  EXPECT_EQ(WaitedCommandLine("C:\\Tools\\x.exe", ""), "C:\\Tools\\x.exe ");
  const std::string program = Recorder("tools\\rec.exe");
  const std::string report = dir.file("console.txt");
  EXPECT_EQ(shell.ShellAndWait(
                Waited(program, "--console=" + report, dir.file("gone"), kSwShowMinNoActive)),
            kWaitEnded);
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--exit=3", dir.str())), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(fs::path(runs[0].cwd), before);
  EXPECT_EQ(ReadFile(report), "console: " + std::to_string(runs[0].pid) + "\nshow: 7\n");
}

// While a waited program runs, a message another thread (an installer's broadcast, a DDE
// partner) sends to a window of the waiting thread is answered; what is posted to it
// waits for the thread's own loop, so the launcher's windows take no input meanwhile.
TEST_F(Win32Test, WaitingAnswersMessagesSentToTheThreadsWindows) {
  const HWND window = MessageWindow();
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_APP, 0, 0);
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
  const std::string program = Recorder("tools\\rec.exe");
  EXPECT_EQ(shell.ShellAndWait(Waited(program, "--wait-for=" + go, dir.str())), kWaitEnded);
  sender.join();
  EXPECT_NE(sent, 0) << "the message sent during the wait was not answered";
  EXPECT_EQ(answer, 42u);
  EXPECT_EQ(g_answered, 1);
  EXPECT_EQ(g_posted, 0);
  Win32Toolkit().DoEvents();
  EXPECT_EQ(g_posted, 1);
  DestroyWindow(window);
}

// An item's variables and working folder reach a program the shell starts and one that is
// waited for, and the launcher's own variables are as before; a program that runs is
// seen, by its image whatever the letter case, with the start mark that tells it from a
// later process of its number, and ended by force.
TEST_F(Win32Test, RunOptionsReachTheProgramAndASecondCopyIsSeen) {
  const std::string program = Recorder("tools\\rec.exe");
  const std::string work = dir.file("work");
  fs::create_directories(work);
  ShellRequest request = Request("rec.exe", "--env=TAVRIN_GREETING", dir.file("tools"));
  request.env = {"TAVRIN_GREETING=hello there"};
  request.workDir = work;
  int64_t shellPid = 0;
  request.started = [&](int64_t pid) { shellPid = pid; };
  EXPECT_GE(shell.ShellExecute(request), 33);
  ASSERT_EQ(WaitForRecording(record, 1).size(), 1u);
  WaitedStart waited = Waited(program, request.params, request.folder);
  waited.env = request.env;
  waited.workDir = work;
  EXPECT_EQ(shell.ShellAndWait(waited), kWaitEnded);
  const auto runs = ReadRecording(record);
  ASSERT_EQ(runs.size(), 2u);
  for (const auto& run : runs) {
    EXPECT_EQ(run.args, Names{"TAVRIN_GREETING=hello there"});
    EXPECT_EQ(fs::path(run.cwd), fs::path(work));
  }
  EXPECT_EQ(runs[0].pid, shellPid);
  EXPECT_EQ(GetEnvironmentVariableA("TAVRIN_GREETING", nullptr, 0), 0u);

  // Without a console of its own: a console that Wine gives it would outlive its end by
  // force and hold the test's output open.
  const std::string sleeper = Recorder("tools\\Sleeper.exe");
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

// --- Program information and what a run waits for ------------------------------------

// The collection folder is the executable's folder, or the one TAVRIN_HOME names, which
// is created. A file's type has a text, a missing file none (nothing of the file looked
// up before shows through). Paths are shown in lower case, and nothing that is no letter.
TEST_F(Win32Test, ProgramInformation) {
  _putenv_s("TAVRIN_HOME", "");
  EXPECT_EQ(system.CollectionFolder(), testing::ThisProgramFolder());
  const std::string exe = system.ExecutablePath();
  EXPECT_EQ(fs::path(exe).filename(), "tavrin_platform_tests.exe");
  EXPECT_EQ(fs::path(exe).parent_path(), fs::path(system.CollectionFolder()));
  const std::string home = dir.file("portable\\collections");
  _putenv_s("TAVRIN_HOME", (home + "\\").c_str());
  EXPECT_EQ(system.CollectionFolder(), home);
  EXPECT_TRUE(fs::is_directory(home));
  WriteFile(dir.file("notes.txt"), "hello\r\n");
  const std::string text = system.FileTypeDescription(dir.file("notes.txt"));
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(system.FileTypeDescription(dir.file("missing.txt")), "");
  EXPECT_EQ(system.PathCase("C:\\Tools\\1 [x]_~#.EXE"), "c:\\tools\\1 [x]_~#.exe");
}

// A window of the launcher's own process never counts, shown or not (its progress window
// must not satisfy a wait); another program's window of that title is found once it
// shows. A port answers while something listens on it, and no longer once it is closed.
TEST_F(Win32Test, ARunFindsTheWindowAndThePortItWaitsFor) {
  const std::string title = "Tavrin ready probe " + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(system.VisibleWindowTitled(title), std::optional<bool>(false));
  const HWND window = CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                      100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(window, SW_SHOWNORMAL);
  EXPECT_EQ(system.VisibleWindowTitled("ready probe"), std::optional<bool>(false));
  DestroyWindow(window);

  // The same title in a window of another program.
  const std::string shown = dir.file("shown.txt");
  std::string commandLine = "\"" + testing::ThisProgramFolder() +
                            "\\tavrin_test_win32_window.exe\" \"" + shown + "\" \"" + title + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION other{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &other));
  std::optional<bool> found;
  for (int i = 0; i < 1000 && found != std::optional<bool>(true); ++i) {
    found = system.VisibleWindowTitled("ready probe");
    if (found != std::optional<bool>(true)) Sleep(10);
  }
  EXPECT_EQ(found, std::optional<bool>(true));
  TerminateProcess(other.hProcess, 0);
  WaitForSingleObject(other.hProcess, 10000);
  CloseHandle(other.hThread);
  CloseHandle(other.hProcess);
  EXPECT_EQ(system.VisibleWindowTitled(title), std::optional<bool>(false));

  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  int length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  ASSERT_EQ(listen(listener, 4), 0);
  EXPECT_TRUE(system.TcpAnswers("127.0.0.1", port, 2000));
  closesocket(listener);
  EXPECT_FALSE(system.TcpAnswers("127.0.0.1", port, 250));
  WSACleanup();
}

// --- Boxes and the event pump ------------------------------------------------------

// A box shows its texts as the windows do: a control character in a file's name is
// shown escaped, never handed to the screen, and the rest of the text is kept.
TEST(Win32Toolkit, ABoxShowsControlCharactersEscaped) {
  std::string caption, said;
  testing::ScreenUser user([&](testing::ScreenUser& at) {
    const testing::Window box = at.WaitFor([] { return testing::ScreenUser::TopLevel("#32770"); });
    if (box == nullptr) return;
    caption = testing::ScreenUser::Text(box);
    said = testing::ScreenUser::StaticTexts(box);
    testing::ScreenUser::Press(box, IDOK);
  });
  const int answer =
      Win32Toolkit().MsgBox("C:\\Notes\\a\x1b[2Jb.txt\n\nFile not found", MB_OK, "The\x07 Tavrin");
  user.Finish();
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(said, "C:\\Notes\\a\\x1b[2Jb.txt\n\nFile not found");
  EXPECT_EQ(caption, "The\\x07 Tavrin");
}

// A pass runs the pending messages and returns; a request to end is left for the loop
// that owns it; a window that keeps posting to itself does not hold the pass.
TEST(Win32Toolkit, DoEventsRunsThePendingMessagesAndReturns) {
  const HWND window = MessageWindow();
  ASSERT_NE(window, nullptr);
  Win32Toolkit toolkit;
  for (int i = 0; i < 3; ++i) PostMessageA(window, WM_APP, 0, 0);
  PostQuitMessage(5);
  toolkit.DoEvents();
  EXPECT_EQ(g_posted, 3);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
  toolkit.DoEvents();
  EXPECT_EQ(g_posted, 3);

  g_repost = true;
  PostMessageA(window, WM_APP, 0, 0);
  toolkit.DoEvents();
  EXPECT_GT(g_posted, 4);
  g_repost = false;
  const int afterFirst = g_posted;
  toolkit.DoEvents();  // the one still pending
  EXPECT_EQ(g_posted, afterFirst + 1);
  DestroyWindow(window);
}

// A wait runs each message as it comes, not after the wait; with a request to end
// pending it leaves the waiting to its caller and the request to its owner.
TEST(Win32Toolkit, AWaitRunsEachMessageAsItComes) {
  const HWND window = MessageWindow();
  ASSERT_NE(window, nullptr);
  Win32Toolkit toolkit;
  std::thread poster([window] {
    for (int i = 0; i < 3; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      PostMessageA(window, WM_APP, 0, 0);
    }
  });
  EXPECT_TRUE(toolkit.DoEventsFor(1000));
  poster.join();
  EXPECT_EQ(g_posted, 3) << "messages that came during the wait were left for later";

  PostQuitMessage(4);
  EXPECT_FALSE(toolkit.DoEventsFor(1000));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 4u);
  DestroyWindow(window);
}

// --- Starting at login ------------------------------------------------------------

const std::string kShown = std::string("HKEY_CURRENT_USER\\") + kRunKey + "\\";

const Registry::Key kCurrentUser = reinterpret_cast<Registry::Key>(HKEY_CURRENT_USER);

// The Run key's value `name`, or "<none>".
std::string RunValue(const std::string& name) {
  Win32Registry registry;
  Registry::Key key = 0;
  if (registry.OpenKey(kCurrentUser, kRunKey, key) != Registry::kSuccess) return "<none>";
  char buffer[1024] = {};
  uint32_t size = sizeof buffer;
  uint32_t type = 0;
  const long result = registry.QueryValue(key, name, type, buffer, size);
  registry.CloseKey(key);
  return result == Registry::kSuccess && type == Registry::kRegSz ? std::string(buffer) : "<none>";
}

// The value runs the collection, the program's path in quotes; from a moved program it
// is rewritten, another collection of the name gets a number. Removing ignores the case
// of paths and takes only the collection's own values.
TEST(RunKeyAutostart, ValuesOfOtherCollectionsAreLeftAloneAndRemovingFindsItsOwn) {
  RunKeyAutostart autostart;
  std::string where;
  std::string error;
  std::vector<std::string> removed;
  ASSERT_TRUE(autostart.Enable("C:\\My Tools\\tavrin.exe", "C:\\c\\Games.tavrin", where, error))
      << error;
  EXPECT_EQ(where, kShown + "Tavrin Games");
  EXPECT_EQ(RunValue("Tavrin Games"), "\"C:\\My Tools\\tavrin.exe\" C:\\c\\Games.tavrin /run");
  ASSERT_TRUE(autostart.Enable("C:\\new\\tavrin.exe", "C:\\c\\Games.tavrin", where, error));
  EXPECT_EQ(where, kShown + "Tavrin Games");
  EXPECT_EQ(RunValue("Tavrin Games"), "\"C:\\new\\tavrin.exe\" C:\\c\\Games.tavrin /run");
  ASSERT_TRUE(autostart.Enable("C:\\t\\tavrin.exe", "D:\\Games.tavrin", where, error));
  EXPECT_EQ(where, kShown + "Tavrin Games (2)");

  ASSERT_TRUE(autostart.Disable("c:\\C\\games.TAVRIN", removed, error)) << error;
  EXPECT_EQ(removed, std::vector<std::string>{kShown + "Tavrin Games"});
  EXPECT_EQ(RunValue("Tavrin Games"), "<none>");
  EXPECT_EQ(RunValue("Tavrin Games (2)"), "\"C:\\t\\tavrin.exe\" D:\\Games.tavrin /run");
  removed.clear();
  ASSERT_TRUE(autostart.Disable("C:\\c\\Games.tavrin", removed, error));
  EXPECT_TRUE(removed.empty());
  ASSERT_TRUE(autostart.Disable("D:\\Games.tavrin", removed, error));
  EXPECT_EQ(removed, std::vector<std::string>{kShown + "Tavrin Games (2)"});
}

}  // namespace
}  // namespace tavrin::win32
