// The windows module is loaded with the dynamic loader, from absolute folders only: the
// executable's own folder in the build tree, the library folder where it is installed.
// A relative path would name a module in whatever folder the program was started from.
#include <dlfcn.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <vector>

#include "main/gui_host.h"

// The installed module folder: from the executable's folder, and where that cannot be
// known, as the program was built to be installed.
#ifndef TAVRIN_GUI_INSTALLED_DIR
#define TAVRIN_GUI_INSTALLED_DIR "../lib/tavrin"
#endif
#ifndef TAVRIN_GUI_INSTALLED_FULL_DIR
#define TAVRIN_GUI_INSTALLED_FULL_DIR "/usr/local/lib/tavrin"
#endif

namespace tavrin {
namespace {

constexpr char kModuleName[] = "/tavrin-gui.so";

// The folders the module may be loaded from, in order, all of them absolute.
std::vector<std::string> ModuleFolders(const std::string& executablePath) {
  if (executablePath.empty() || executablePath.front() != '/') {
    return {TAVRIN_GUI_INSTALLED_FULL_DIR};
  }
  const std::string folder = executablePath.substr(0, executablePath.rfind('/'));
  const std::string installed = TAVRIN_GUI_INSTALLED_DIR;
  return {folder, installed.front() == '/' ? installed : folder + "/" + installed};
}

// Qt reads the machine's font configuration (its XML files and font caches) when the
// window first asks for a font, a few milliseconds on the window's way to the screen.
// It is read here instead, on a second thread once the module is loaded, while Qt
// connects to the display (much of that is waiting for the display's answers), and Qt
// finds it ready. The font configuration is made once per process by whichever thread
// asks first, safely, so a thread that is late costs only its work.
class FontConfigWarmUp {
 public:
  FontConfigWarmUp() {
    // Qt's libraries have loaded it: this finds that copy.
    void* library = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    void* init = library == nullptr ? nullptr : dlsym(library, "FcInit");
    pthread_attr_t attr;
    if (init == nullptr || pthread_attr_init(&attr) != 0) return;
    // A new thread is often put on the processor of the thread that made it, where it
    // would take turns with the window's start instead of running beside it: it is kept
    // to the program's other processors, where it has any.
    cpu_set_t cpus;
    const int here = sched_getcpu();
    if (sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 1 && here >= 0 &&
        CPU_ISSET(here, &cpus)) {
      CPU_CLR(here, &cpus);
      pthread_attr_setaffinity_np(&attr, sizeof cpus, &cpus);
    }
    started_ = pthread_create(&thread_, &attr, &Run, init) == 0;
    pthread_attr_destroy(&attr);
  }
  ~FontConfigWarmUp() {
    if (started_) pthread_join(thread_, nullptr);
  }
  FontConfigWarmUp(const FontConfigWarmUp&) = delete;
  FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

 private:
  static void* Run(void* init) {
    reinterpret_cast<int (*)()>(init)();
    return nullptr;
  }
  pthread_t thread_{};
  bool started_ = false;
};

}  // namespace

CreateGuiFunction OpenGuiModule(const std::string& executablePath, std::string& error) {
  const std::vector<std::string> folders = ModuleFolders(executablePath);
  std::string path = folders.back() + kModuleName;
  for (const std::string& folder : folders) {
    if (access((folder + kModuleName).c_str(), F_OK) == 0) {
      path = folder + kModuleName;
      break;
    }
  }
  // The module and Qt's libraries are linked to bind every symbol as they load, so a
  // missing one fails here; the system libraries under them bind theirs when first
  // called, as they do in any program that links Qt.
  void* module = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (module == nullptr) {
    const char* why = dlerror();
    error = why ? why : path + ": cannot be loaded";
    if (executablePath.empty() || executablePath.front() != '/') {
      error =
          "the program's own folder is not known (/proc/self/exe cannot be read), "
          "and the installed module cannot be loaded: " +
          error;
    }
    return nullptr;
  }
  static const FontConfigWarmUp warmUp;
  void* entry = dlsym(module, kCreateGuiName);
  if (entry == nullptr) {
    error = path + ": " + kCreateGuiName + " is missing";
    return nullptr;
  }
  return reinterpret_cast<CreateGuiFunction>(entry);
}

}  // namespace tavrin
