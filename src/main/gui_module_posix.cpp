// The windows module is loaded with the dynamic loader from the executable's folder.
#include <dlfcn.h>

#include "main/gui_host.h"

namespace tavrin {

CreateGuiFunction OpenGuiModule(const std::string& executablePath, std::string& error) {
  const auto slash = executablePath.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : executablePath.substr(0, slash);
  const std::string path = folder + "/tavrin-gui.so";
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
