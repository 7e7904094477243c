/* The baseline that `make bench` holds a run of tavrin against: a plain C loop that
 * starts PROGRAM N times with posix_spawn, doing the work tavrin does for each item
 * and nothing else. Every start happens in the program's folder. Waited ("wait"):
 * each program is waited for before the next one starts. Not waited ("nowait"):
 * each program gets a session of its own and is reaped when it ends, by a SIGCHLD
 * handler, so that no zombie stays behind; the loop does not wait for them.
 *
 *   tavrin_spawn_loop wait|nowait N PROGRAM */
#define _GNU_SOURCE
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static void reap(int sig) {
  (void)sig;
  const int saved = errno;
  while (waitpid(-1, NULL, WNOHANG) > 0) {
  }
  errno = saved;
}

int main(int argc, char** argv) {
  if (argc != 4 || (strcmp(argv[1], "wait") != 0 && strcmp(argv[1], "nowait") != 0)) {
    fprintf(stderr, "usage: %s wait|nowait N PROGRAM\n", argv[0]);
    return 2;
  }
  const int waited = strcmp(argv[1], "wait") == 0;
  const long count = strtol(argv[2], NULL, 10);
  char* program = argv[3];

  char folder[4096];
  snprintf(folder, sizeof folder, "%s", program);
  char* slash = strrchr(folder, '/');
  if (slash == NULL) {
    strcpy(folder, ".");
  } else if (slash == folder) {
    folder[1] = '\0';
  } else {
    *slash = '\0';
  }

  if (!waited) {
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = reap;
    sa.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGCHLD, &sa, NULL);
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  if (!waited) posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);

  char* args[] = {program, NULL};
  int failures = 0;
  for (long i = 0; i < count; ++i) {
    pid_t pid;
    if (posix_spawn(&pid, program, &actions, &attr, args, environ) != 0) {
      ++failures;
      continue;
    }
    if (waited) {
      while (waitpid(pid, NULL, 0) < 0 && errno == EINTR) {
      }
    }
  }
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return failures == 0 ? 0 : 1;
}
