/* Asks GIO what the desktop makes of collection files. GIO keeps what it has learnt
 * of types and applications for the life of a process, so each question is asked by
 * a fresh process of this program:
 *   gio_probe type FILE         prints "type=<content type>" and "description=<text>"
 *   gio_probe default TYPE      prints "default=<desktop id>" (empty when there is none)
 *   gio_probe open FILE         starts FILE's default application on it
 *   gio_probe launch ID FILE    starts the desktop entry ID on FILE
 *   gio_probe start PATH        starts the desktop entry file at PATH, as a session
 *                               starts its autostart entries
 * It ends with status 0, or 1 (and a reason on standard error) when GIO failed. */
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <stdio.h>
#include <string.h>

static char* ContentType(const char* path) {
  GFile* file = g_file_new_for_path(path);
  GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                      G_FILE_QUERY_INFO_NONE, NULL, NULL);
  char* type = NULL;
  if (info) {
    type = g_strdup(g_file_info_get_content_type(info));
    g_object_unref(info);
  }
  g_object_unref(file);
  return type;
}

static int Fail(const char* what, GError* error) {
  fprintf(stderr, "%s%s%s\n", what, error ? ": " : "", error ? error->message : "");
  if (error) g_error_free(error);
  return 1;
}

/* Starts `app` (taken over) on the file at `path`, or on nothing when it is null. */
static int Launch(GAppInfo* app, const char* path) {
  if (!app) return Fail("no such application", NULL);
  GFile* file = path ? g_file_new_for_path(path) : NULL;
  GList* files = file ? g_list_append(NULL, file) : NULL;
  GError* error = NULL;
  const gboolean ok = g_app_info_launch(app, files, NULL, &error);
  g_list_free(files);
  if (file) g_object_unref(file);
  g_object_unref(app);
  return ok ? 0 : Fail("launch failed", error);
}

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "type") == 0) {
    char* type = ContentType(argv[2]);
    if (!type) return Fail("no content type", NULL);
    char* description = g_content_type_get_description(type);
    printf("type=%s\ndescription=%s\n", type, description ? description : "");
    g_free(description);
    g_free(type);
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "default") == 0) {
    GAppInfo* app = g_app_info_get_default_for_type(argv[2], FALSE);
    printf("default=%s\n", app ? g_app_info_get_id(app) : "");
    if (app) g_object_unref(app);
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "open") == 0) {
    char* type = ContentType(argv[2]);
    GAppInfo* app = type ? g_app_info_get_default_for_type(type, FALSE) : NULL;
    g_free(type);
    return Launch(app, argv[2]);
  }
  if (argc == 4 && strcmp(argv[1], "launch") == 0) {
    return Launch((GAppInfo*)g_desktop_app_info_new(argv[2]), argv[3]);
  }
  if (argc == 3 && strcmp(argv[1], "start") == 0) {
    return Launch((GAppInfo*)g_desktop_app_info_new_from_filename(argv[2]), NULL);
  }
  fprintf(stderr,
          "usage: gio_probe type FILE | default TYPE | open FILE | "
          "launch ID FILE | start PATH\n");
  return 2;
}
