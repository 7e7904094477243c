/* A stand-in program for the launch tests. It appends one line to the file named by
 * TAVRIN_RECORD when it starts and one when it ends:
 *   start <ns> <pid> <its own path>\t<working folder>\t<arg1>\x1f<arg2>...
 *   end <ns> <pid>
 * A first argument "--sleep=N" makes it wait N milliseconds before it ends; "--exit=N"
 * makes it end with that status; "--wait-for=PATH" makes it wait (up to a minute) until
 * that file exists; "--env=NAME" is recorded as NAME=<its value in the environment>;
 * "--process" (POSIX) is recorded as what it was started with (see describe_process); on
 * Windows "--console=PATH" makes it write to that file the ids of the processes attached
 * to its console ("console: <id> <id>...", nothing after the colon when it has none) and
 * the show-window value it was started with ("show: <n>", or "show: none").
 * It builds for POSIX and for Windows. */
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
static long long now_ns(void) {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  return (long long)((((unsigned long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime) * 100ULL);
}
#define pid_of_self() ((int)GetCurrentProcessId())
#define sleep_ms(ms) Sleep((DWORD)(ms))
#define exists(path) (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)

/* Its own path and its working folder, "?" where they cannot be told. */
static void own_path(char* buf, size_t size) {
  DWORD n = GetModuleFileNameA(NULL, buf, (DWORD)size);
  if (n == 0 || n >= size) strcpy(buf, "?");
}
static void current_folder(char* buf, size_t size) {
  DWORD n = GetCurrentDirectoryA((DWORD)size, buf);
  if (n == 0 || n >= size) strcpy(buf, "?");
}

static void append(const char* path, const char* line, size_t len) {
  HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line, (DWORD)len, &written, NULL);
  CloseHandle(f);
}

static void write_console(const char* path) {
  DWORD ids[64];
  DWORD n = GetConsoleProcessList(ids, 64);
  STARTUPINFOA startup;
  char line[1024];
  int len = snprintf(line, sizeof line, "console:");
  for (DWORD i = 0; i < n && i < 64; ++i)
    len += snprintf(line + len, sizeof line - len, " %lu", ids[i]);
  GetStartupInfoA(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) {
    len += snprintf(line + len, sizeof line - len, "\nshow: %u\n", startup.wShowWindow);
  } else {
    len += snprintf(line + len, sizeof line - len, "\nshow: none\n");
  }
  append(path, line, (size_t)len);
}
#else
static long long now_ns(void) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}
#define pid_of_self() ((int)getpid())
#define exists(path) (access(path, F_OK) == 0)

static void sleep_ms(long ms) {
  struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&ts, NULL);
}

/* Its own path and its working folder, "?" where they cannot be told. */
static void own_path(char* buf, size_t size) {
  ssize_t n = readlink("/proc/self/exe", buf, size - 1);
  strcpy(buf + (n > 0 ? n : 0), n > 0 ? "" : "?");
}
static void current_folder(char* buf, size_t size) {
  if (!getcwd(buf, size)) strcpy(buf, "?");
}

static void append(const char* path, const char* line, size_t len) {
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, line, len) < 0) {
    /* The record is lost; the test that reads it says so. */
  }
  close(fd);
}

/* "ignored=<hex> blocked=<hex> session=own|shared fds=0,1,2": the signals it was started
 * with ignored and blocked, whether it leads a session of its own, and its open descriptors
 * (without the one that lists them), as /proc lists them. */
static int describe_process(char* out, size_t size) {
  char ignored[32] = "?", blocked[32] = "?", line[256];
  FILE* f = fopen("/proc/self/status", "r");
  while (f && fgets(line, sizeof line, f)) {
    if (sscanf(line, "SigIgn: %31s", ignored) != 1) (void)sscanf(line, "SigBlk: %31s", blocked);
  }
  if (f) fclose(f);
  int len = snprintf(out, size, "ignored=%s blocked=%s session=%s fds=", ignored, blocked,
                     getsid(0) == getpid() ? "own" : "shared");
  DIR* dir = opendir("/proc/self/fd");
  const char* comma = "";
  for (struct dirent* entry; dir && (entry = readdir(dir)) != NULL;) {
    if (entry->d_name[0] == '.' || atoi(entry->d_name) == dirfd(dir)) continue;
    len += snprintf(out + len, size - (size_t)len, "%s%s", comma, entry->d_name);
    comma = ",";
  }
  if (dir) closedir(dir);
  return len;
}
#endif

int main(int argc, char** argv) {
  const char* record = getenv("TAVRIN_RECORD");
  char cwd[4096];
  char self[4096];
  current_folder(cwd, sizeof cwd);
  own_path(self, sizeof self);
  const char* first = argc > 1 ? argv[1] : "";
  const char* env = strncmp(first, "--env=", 6) == 0 ? getenv(first + 6) : NULL;
  size_t cap = 16384 + (env ? strlen(env) : 0);
  for (int i = 1; i < argc; ++i) cap += strlen(argv[i]) + 1;
  char* line = malloc(cap);
  int len = snprintf(line, cap, "start %lld %d %s\t%s\t", now_ns(), pid_of_self(), self, cwd);
  int special = 1;
  if (strncmp(first, "--env=", 6) == 0) {
    len += snprintf(line + len, cap - (size_t)len, "%s=%s", first + 6, env ? env : "");
#ifndef _WIN32
  } else if (strcmp(first, "--process") == 0) {
    len += describe_process(line + len, cap - (size_t)len);
#endif
  } else {
    special = 0;
  }
  for (int i = 1 + special; i < argc; ++i) {
    if (i > 1) line[len++] = '\x1f';
    memcpy(line + len, argv[i], strlen(argv[i]));
    len += (int)strlen(argv[i]);
  }
  line[len++] = '\n';
  if (record) append(record, line, (size_t)len);

  if (strncmp(first, "--sleep=", 8) == 0) sleep_ms(atol(first + 8));
  for (int i = 0; i < 12000 && strncmp(first, "--wait-for=", 11) == 0 && !exists(first + 11); ++i) {
    sleep_ms(5);
  }
#ifdef _WIN32
  if (strncmp(first, "--console=", 10) == 0) write_console(first + 10);
#endif
  len = snprintf(line, cap, "end %lld %d\n", now_ns(), pid_of_self());
  if (record) append(record, line, (size_t)len);
  free(line);
  return strncmp(first, "--exit=", 7) == 0 ? atoi(first + 7) : 0;
}
