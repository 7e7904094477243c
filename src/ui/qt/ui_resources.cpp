#include "ui/qt/ui_resources.h"

#include <QtGlobal>

// The bundled pictures live in a static library: their registration must be pulled in
// explicitly.
static void InitResourcesOnce() { Q_INIT_RESOURCE(ui); }

namespace tavrin::qt {
void InitUiResources() {
  static bool done = false;
  if (!done) {
    done = true;
    InitResourcesOnce();
  }
}
}  // namespace tavrin::qt
