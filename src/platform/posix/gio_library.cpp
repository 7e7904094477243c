#include "platform/posix/gio_library.h"

#include <dlfcn.h>

#include <optional>

#include "platform/posix/posix_files.h"

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
      Find(library, gio.fileInfoGetAttributeString, "g_file_info_get_attribute_string") &&
      Find(library, gio.contentTypeGuess, "g_content_type_guess") &&
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

std::string ContentTypeOf(const std::string& path) {
  const GioLibrary* gio = Gio();
  if (gio == nullptr || path.empty()) return "";
  // As much of the start of a file as the type database looks at.
  constexpr std::size_t kSniffed = 64 * 1024;
  std::string type;
  if (const std::optional<std::string> head = ReadFileHead(path, kSniffed)) {
    const auto guess = [&](const std::string* data) {
      gboolean uncertain = FALSE;
      gchar* guessed = gio->contentTypeGuess(
          path.c_str(), data ? reinterpret_cast<const guchar*>(data->data()) : nullptr,
          data ? data->size() : 0, data ? nullptr : &uncertain);
      type = guessed ? guessed : "";
      g_free(guessed);
      return uncertain != FALSE;
    };
    // An empty file tells nothing by its bytes; otherwise the name first, then the bytes.
    if (head->empty()) return "application/x-zerosize";
    if (guess(nullptr)) guess(&*head);
    return type;
  }
  // What is no regular file (a folder, a FIFO, a device) or cannot be read: its kind or
  // its name alone, which reads nothing.
  GFile* file = gio->fileNewForPath(path.c_str());
  GFileInfo* info = gio->fileQueryInfo(file, G_FILE_ATTRIBUTE_STANDARD_FAST_CONTENT_TYPE,
                                       G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
  if (info) {
    const char* fast =
        gio->fileInfoGetAttributeString(info, G_FILE_ATTRIBUTE_STANDARD_FAST_CONTENT_TYPE);
    type = fast ? fast : "";
    gio->objectUnref(info);
  }
  gio->objectUnref(file);
  return type;
}

}  // namespace tavrin::posix
