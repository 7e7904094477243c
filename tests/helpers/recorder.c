/* A stand-in program for the launch tests. It appends one line to the file named by
 * TAVRIN_RECORD when it starts and one when it ends:
 *   start <ns> <pid>\t<working folder>\t<arg1>\x1f<arg2>...
 *   end <ns> <pid>
 * A first argument "--sleep=N" makes it wait N milliseconds before it ends; a
 * first argument "--exit=N" makes it end with that status; a first argument
 * "--wait-for=PATH" makes it wait (up to a minute) until that file exists. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static long long now_ns(void) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

static void append(const char* path, const char* line, size_t len) {
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t n = write(fd, line, len);
  (void)n;
  close(fd);
}

int main(int argc, char** argv) {
  const char* record = getenv("TAVRIN_RECORD");
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) strcpy(cwd, "?");
  size_t cap = 8192;
  for (int i = 1; i < argc; ++i) cap += strlen(argv[i]) + 1;
  char* line = malloc(cap);
  int len = snprintf(line, cap, "start %lld %d\t%s\t", now_ns(), (int)getpid(), cwd);
  for (int i = 1; i < argc; ++i) {
    size_t a = strlen(argv[i]);
    memcpy(line + len, argv[i], a);
    len += (int)a;
    if (i + 1 < argc) line[len++] = '\x1f';
  }
  line[len++] = '\n';
  if (record) append(record, line, (size_t)len);

  int status = 0;
  if (argc > 1 && strncmp(argv[1], "--sleep=", 8) == 0) {
    long ms = atol(argv[1] + 8);
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, NULL);
  }
  if (argc > 1 && strncmp(argv[1], "--wait-for=", 11) == 0) {
    struct timespec ts = {0, 5000000L};
    for (int i = 0; i < 12000 && access(argv[1] + 11, F_OK) != 0; ++i) nanosleep(&ts, NULL);
  }
  if (argc > 1 && strncmp(argv[1], "--exit=", 7) == 0) status = atoi(argv[1] + 7);
  len = snprintf(line, cap, "end %lld %d\n", now_ns(), (int)getpid());
  if (record) append(record, line, (size_t)len);
  free(line);
  return status;
}
