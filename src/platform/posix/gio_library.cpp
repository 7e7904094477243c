#include "platform/posix/gio_library.h"

#include <dlfcn.h>

namespace tavrin::posix {
namespace {

template <typename F>
bool Find(void* library, F& fn, const char* name) {
  fn = reinterpret_cast<F>(dlsym(library, name));
  return fn != nullptr;
}

// The loaded library's functions, or null. The library stays loaded: the types GObject
// registers cannot be unloaded.
const GioLibrary* Load() {
  void* library = dlopen("libgio-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  static GioLibrary gio;
  const bool found =
      Find(library, gio.objectUnref, "g_object_unref") &&
      Find(library, gio.typeCheckInstanceIsA, "g_type_check_instance_is_a") &&
      Find(library, gio.fileNewForPath, "g_file_new_for_path") &&
      Find(library, gio.fileQueryInfo, "g_file_query_info") &&
      Find(library, gio.fileInfoGetContentType, "g_file_info_get_content_type") &&
      Find(library, gio.fileGetUri, "g_file_get_uri") &&
      Find(library, gio.fileTrash, "g_file_trash") &&
      Find(library, gio.ioErrorQuark, "g_io_error_quark") &&
      Find(library, gio.errorFree, "g_error_free") &&
      Find(library, gio.contentTypeGetDescription, "g_content_type_get_description") &&
      Find(library, gio.contentTypeGetMimeDirs, "g_content_type_get_mime_dirs") &&
      Find(library, gio.appInfoGetDefaultForType, "g_app_info_get_default_for_type") &&
      Find(library, gio.appInfoGetDefaultForUriScheme, "g_app_info_get_default_for_uri_scheme") &&
      Find(library, gio.appInfoLaunchUris, "g_app_info_launch_uris") &&
      Find(library, gio.appLaunchContextNew, "g_app_launch_context_new") &&
      Find(library, gio.appLaunchContextSetenv, "g_app_launch_context_setenv") &&
      Find(library, gio.desktopAppInfoGetType, "g_desktop_app_info_get_type") &&
      Find(library, gio.desktopAppInfoLaunchUrisAsManager,
           "g_desktop_app_info_launch_uris_as_manager");
  return found ? &gio : nullptr;
}

}  // namespace

const GioLibrary* Gio() {
  static const GioLibrary* const kLoaded = Load();
  return kLoaded;
}

}  // namespace tavrin::posix
