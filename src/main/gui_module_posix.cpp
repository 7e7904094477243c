// The windows module is loaded with the dynamic loader: from the executable's own
// folder in the build tree, from the library folder where it is installed.
#include <dlfcn.h>
#include <unistd.h>

#include "main/gui_host.h"

#ifndef TAVRIN_GUI_INSTALLED_DIR
#define TAVRIN_GUI_INSTALLED_DIR "../lib/tavrin"
#endif

namespace tavrin {

CreateGuiFunction OpenGuiModule(const std::string& executablePath, std::string& error) {
  const auto slash = executablePath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : executablePath.substr(0, slash);
  std::string path = folder + "/tavrin-gui.so";
  if (access(path.c_str(), F_OK) != 0) {
    const std::string installed = TAVRIN_GUI_INSTALLED_DIR;
    path = (installed.front() == '/' ? installed : folder + "/" + installed) + "/tavrin-gui.so";
  }
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* why = dlerror();
    error = why ? why : path + ": cannot be loaded";
    return nullptr;
  }
  void* entry = dlsym(module, kCreateGuiName);
  if (entry == nullptr) {
    error = path + ": " + kCreateGuiName + " is missing";
    return nullptr;
  }
  return reinterpret_cast<CreateGuiFunction>(entry);
}

}  // namespace tavrin
