/* Times how long programs take from their start to the X server's MapNotify of their
 * first top-level window, for `make bench` and bench/wine-window-start.sh. It takes
 * turns: every round starts each command once, in an order that rotates from round to
 * round, and each command's time is set against the first command's (the baseline) of
 * the same round. Round 0 warms the caches up and does not count. Printed are, per
 * command, the median of its times and the median of its ratios to the baseline (and,
 * from the third on, to the command before it).
 *
 *   tavrin_first_map [--rounds N] [--target R] [--verbose 1] NAME -- CMD ARGS...
 *                    [NAME -- CMD ARGS...]...
 *
 * Each command ends by its window being closed as a window manager closes it
 * (WM_DELETE_WINDOW), or killed when it does not end within 10 s. With --target R, the
 * line of every command but the baseline says whether its ratio is within R; with
 * --verbose 1, every round's times go to standard error. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum { kMaxCommands = 8, kMaxRounds = 64 };

struct Command {
  const char* name;
  char** argv;
  double times[kMaxRounds];
  double ratios[kMaxRounds]; /* to the baseline */
  double steps[kMaxRounds];  /* to the command before it */
};

static double Now(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

/* The next event, or 0 when none comes within `seconds`. */
static int NextEvent(Display* display, XEvent* event, double seconds) {
  const double end = Now() + seconds;
  while (!XPending(display)) {
    const double left = end - Now();
    if (left <= 0) return 0;
    struct pollfd p = {ConnectionNumber(display), POLLIN, 0};
    poll(&p, 1, (int)(left * 1000) + 1);
  }
  XNextEvent(display, event);
  return 1;
}

static int Ended(pid_t pid, double seconds) {
  const double end = Now() + seconds;
  for (;;) {
    const pid_t r = waitpid(pid, NULL, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) return 1;
    if (Now() >= end) return 0;
    const struct timespec pause = {0, 5 * 1000 * 1000};
    nanosleep(&pause, NULL);
  }
}

/* Starts argv, returns the seconds until its first top-level window is mapped (or -1),
 * then closes that window and waits for the program to end. */
static double TimeFirstMap(Display* display, char** argv) {
  const Window root = DefaultRootWindow(display);
  XSync(display, True); /* nothing left over from the last program */
  const double start = Now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], NULL, NULL, argv, environ) != 0) return -1;
  double shown = -1;
  Window window = 0;
  XEvent event;
  while (shown < 0 && NextEvent(display, &event, 60)) {
    if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect) {
      shown = Now() - start;
      window = event.xmap.window;
    }
  }
  if (window != 0) {
    XEvent close;
    memset(&close, 0, sizeof close);
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XFlush(display);
  }
  if (!Ended(pid, 10)) {
    fprintf(stderr, "%s did not end when its window was closed: killed\n", argv[0]);
    kill(pid, SIGKILL);
    Ended(pid, 10);
  }
  return shown;
}

static int CompareDoubles(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

static double Median(const double* values, int n) {
  double sorted[kMaxRounds];
  memcpy(sorted, values, sizeof(double) * (size_t)n);
  qsort(sorted, (size_t)n, sizeof(double), CompareDoubles);
  return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

static void Usage(const char* self) {
  fprintf(stderr,
          "usage: %s [--rounds N] [--target R] [--verbose 1] NAME -- CMD ARGS... "
          "[NAME -- CMD ...]\n",
          self);
  exit(2);
}

int main(int argc, char** argv) {
  int rounds = 7;
  double target = 0;
  int verbose = 0;
  int i = 1;
  for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0'; i += 2) {
    if (strcmp(argv[i], "--rounds") == 0) {
      rounds = atoi(argv[i + 1]);
    } else if (strcmp(argv[i], "--target") == 0) {
      target = atof(argv[i + 1]);
    } else if (strcmp(argv[i], "--verbose") == 0) {
      verbose = atoi(argv[i + 1]);
    } else {
      Usage(argv[0]);
    }
  }
  if (rounds < 1 || rounds >= kMaxRounds) Usage(argv[0]);
  /* NAME -- CMD ARGS...; a command ends where the next "NAME --" begins. */
  struct Command commands[kMaxCommands];
  int n = 0;
  for (int k = i; k + 2 < argc; ++k) {
    if (strcmp(argv[k + 1], "--") != 0) continue;
    if (n == kMaxCommands || (n == 0 && k != i)) Usage(argv[0]);
    commands[n].name = argv[k];
    commands[n].argv = &argv[k + 2];
    if (n > 0) argv[k] = NULL; /* the end of the command before */
    ++n;
    k += 2;
  }
  if (n < 1) Usage(argv[0]);

  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "%s: no X display\n", argv[0]);
    return 1;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

  for (int round = 0; round <= rounds; ++round) {
    double times[kMaxCommands];
    for (int k = 0; k < n; ++k) {
      const int c = (k + round) % n;
      times[c] = TimeFirstMap(display, commands[c].argv);
      if (times[c] < 0) {
        fprintf(stderr, "%s: %s showed no window\n", argv[0], commands[c].name);
        return 1;
      }
    }
    if (verbose) {
      fprintf(stderr, "round %d:", round);
      for (int c = 0; c < n; ++c) fprintf(stderr, " %.1f", times[c] * 1000);
      fprintf(stderr, " ms\n");
    }
    if (round == 0) continue;
    for (int c = 0; c < n; ++c) {
      commands[c].times[round - 1] = times[c];
      commands[c].ratios[round - 1] = times[c] / times[0];
      commands[c].steps[round - 1] = c > 0 ? times[c] / times[c - 1] : 1;
    }
  }
  XCloseDisplay(display);

  for (int c = 0; c < n; ++c) {
    const double ratio = Median(commands[c].ratios, rounds);
    printf("  %-34s %7.1f ms", commands[c].name, Median(commands[c].times, rounds) * 1000);
    if (c == 0) {
      printf("   (the baseline)\n");
      continue;
    }
    printf("   %.2fx", ratio);
    if (target > 0) printf(", target %.2fx: %s", target, ratio <= target ? "met" : "MISSED");
    if (c > 1) printf("; %.2fx of the one above", Median(commands[c].steps, rounds));
    printf("\n");
  }
  return 0;
}
