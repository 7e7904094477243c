/* A program with one top-level window, for the tests that place windows:
 *   x_window FILE [splash] [moveback] [never]
 * maps its window (after a splash window that it destroys 700 ms after it shows, with
 * "splash"), writes "WINDOW PID" to FILE as it maps it, and lives until it is
 * ended. With "moveback" it moves its window back to where it first stood once someone
 * else has moved it; with "never" it never maps a window. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static void Sleep(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&t, NULL);
}

/* The window's top left corner on the root window. */
static void Where(Display* d, Window w, int* x, int* y) {
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, x, y, &child);
}

/* Waits up to 5 s until the window manager has shown `w`. */
static void AwaitShown(Display* d, Window w) {
  for (int i = 0; i < 500; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) return;
    Sleep(10);
  }
}

static Window Make(Display* d, const char* title, int width, int height) {
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 50, 50, width, height, 0, 0,
                                 WhitePixel(d, DefaultScreen(d)));
  XStoreName(d, w, title);
  /* Placed where it asks to be, as a program that remembers its place does. */
  XSizeHints hints;
  memset(&hints, 0, sizeof hints);
  hints.flags = USPosition | PPosition;
  hints.x = 50;
  hints.y = 50;
  XSetWMNormalHints(d, w, &hints);
  XMapWindow(d, w);
  XSync(d, False);
  return w;
}

int main(int argc, char** argv) {
  int splash = 0, moveBack = 0, never = 0;
  for (int i = 2; i < argc; ++i) {
    splash |= strcmp(argv[i], "splash") == 0;
    moveBack |= strcmp(argv[i], "moveback") == 0;
    never |= strcmp(argv[i], "never") == 0;
  }
  Display* d = XOpenDisplay(NULL);
  if (argc < 2 || d == NULL) return 2;
  if (never) {
    for (;;) pause();
  }
  if (splash) {
    Window s = Make(d, "Placement probe splash", 300, 200);
    AwaitShown(d, s);
    Sleep(700);
    XDestroyWindow(d, s);
    XSync(d, False);
  }
  Window w = Make(d, "Placement probe", 400, 300);
  char tmp[4096];
  snprintf(tmp, sizeof tmp, "%s.tmp", argv[1]);
  FILE* f = fopen(tmp, "w");
  if (f == NULL) return 2;
  fprintf(f, "%lu %d\n", (unsigned long)w, (int)getpid());
  fclose(f);
  rename(tmp, argv[1]);
  AwaitShown(d, w);
  if (moveBack) {
    int x0, y0, x, y;
    Where(d, w, &x0, &y0);
    for (int i = 0; i < 500; ++i) {
      Where(d, w, &x, &y);
      if (x != x0 || y != y0) break;
      Sleep(10);
    }
    Sleep(100);
    XMoveWindow(d, w, 50, 50);
    XSync(d, False);
  }
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
  }
}
