#pragma once

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <string>

namespace tavrin::posix {

// The functions of GIO (and of GObject, which it brings) that the shell and the system
// information call. GIO is loaded when one of them is first needed, not as the program
// starts: a window, a run of programs and the options start without it and without
// the libraries it brings.
struct GioLibrary {
  decltype(&g_object_unref) objectUnref = nullptr;
  decltype(&g_type_check_instance_is_a) typeCheckInstanceIsA = nullptr;
  decltype(&g_file_new_for_path) fileNewForPath = nullptr;
  decltype(&g_file_query_info) fileQueryInfo = nullptr;
  decltype(&g_file_info_get_attribute_string) fileInfoGetAttributeString = nullptr;
  decltype(&g_content_type_guess) contentTypeGuess = nullptr;
  decltype(&g_file_get_uri) fileGetUri = nullptr;
  decltype(&g_file_trash) fileTrash = nullptr;
  decltype(&g_io_error_quark) ioErrorQuark = nullptr;
  decltype(&g_error_free) errorFree = nullptr;
  decltype(&g_content_type_get_description) contentTypeGetDescription = nullptr;
  decltype(&g_content_type_get_mime_dirs) contentTypeGetMimeDirs = nullptr;
  decltype(&g_app_info_get_default_for_type) appInfoGetDefaultForType = nullptr;
  decltype(&g_app_info_get_default_for_uri_scheme) appInfoGetDefaultForUriScheme = nullptr;
  decltype(&g_app_info_launch_uris) appInfoLaunchUris = nullptr;
  decltype(&g_app_launch_context_new) appLaunchContextNew = nullptr;
  decltype(&g_app_launch_context_setenv) appLaunchContextSetenv = nullptr;
  decltype(&g_desktop_app_info_get_type) desktopAppInfoGetType = nullptr;
  decltype(&g_desktop_app_info_launch_uris_as_manager) desktopAppInfoLaunchUrisAsManager = nullptr;

  // Whether `app` is a desktop entry's application.
  [[nodiscard]] bool IsDesktopAppInfo(GAppInfo* app) const {
    return typeCheckInstanceIsA(reinterpret_cast<GTypeInstance*>(app), desktopAppInfoGetType()) !=
           FALSE;
  }
};

// GIO, loaded on the first call (once, whichever thread asks); null when it cannot be
// loaded or lacks one of the functions, and then a document's type and application
// are not known.
const GioLibrary* Gio();

// The content type of the file at `path` as GIO tells it, guessed from its name and, where
// that leaves a doubt, from its first bytes. Only a regular file is read, through a
// descriptor opened as ReadSmallFile opens one: a FIFO or a device put in its place is
// never waited for (it gets the type of its kind). Empty when it cannot be told.
std::string ContentTypeOf(const std::string& path);

}  // namespace tavrin::posix
