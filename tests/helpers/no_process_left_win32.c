/* The suite's last test on Windows: no process that a test started still runs. Every
 * test program puts itself and what it starts into a job that ends them all with it
 * (run_process_win32.cpp); a process that left that job, or a test program that never
 * ended, is found here. Wine's own processes are left alone; every other process of the
 * prefix is ended, named, and fails the suite. */
#include <windows.h>
/* The tool help functions after the system's header. */
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

/* What Wine runs for itself in a prefix, and the desktop keeper of the test scripts. */
static const char* const kWineOwn[] = {
    "services.exe", "winedevice.exe", "plugplay.exe",     "explorer.exe",
    "rpcss.exe",    "svchost.exe",    "conhost.exe",      "winemenubuilder.exe",
    "wineboot.exe", "tabtip.exe",     "keep-desktop.exe",
};

static int IsWineOwn(const char* file) {
  const char* name = file;
  for (const char* at = file; *at != '\0'; ++at) {
    if (*at == '\\' || *at == '/') name = at + 1;
  }
  for (size_t i = 0; i < sizeof kWineOwn / sizeof kWineOwn[0]; ++i) {
    if (_stricmp(name, kWineOwn[i]) == 0) return 1;
  }
  return 0;
}

int main(void) {
  const DWORD self = GetCurrentProcessId();
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    printf("the processes could not be listed (error %lu)\n", GetLastError());
    return 1;
  }
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  int left = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == self || entry.th32ProcessID == 0) continue;
    if (IsWineOwn(entry.szExeFile)) continue;
    char path[MAX_PATH * 2] = "";
    DWORD size = sizeof path;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                       entry.th32ProcessID);
    if (process != NULL) QueryFullProcessImageNameA(process, 0, path, &size);
    printf("still running, started by a test: %lu %s\n", entry.th32ProcessID,
           path[0] != '\0' ? path : entry.szExeFile);
    if (process != NULL) {
      TerminateProcess(process, 1);
      CloseHandle(process);
    }
    ++left;
  }
  CloseHandle(snapshot);
  if (left == 0) printf("no process started by a test still runs\n");
  return left > 0 ? 1 : 0;
}
