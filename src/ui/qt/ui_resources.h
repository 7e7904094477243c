#pragma once

namespace tavrin::qt {

// Makes the bundled pictures (the toolbars' icons, the program's icon) available.
void InitUiResources();

}  // namespace tavrin::qt
