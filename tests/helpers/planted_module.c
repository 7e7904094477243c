// Stands for a module that someone planted where a program might load it from: loading
// it runs its constructor, which appends a line to the file TAVRIN_TEST_PLANTED_MARK
// names. It has none of the windows module's entries.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

__attribute__((constructor)) static void Loaded(void) {
  const char* mark = getenv("TAVRIN_TEST_PLANTED_MARK");
  if (mark == NULL) return;
  const int fd = open(mark, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, "loaded\n", 7) != 7) {
    // Nothing more to say.
  }
  close(fd);
}
