// Where the windows are linked into the executable, the module's entry is at hand.
#include "main/gui_host.h"

extern "C" tavrin::Gui* TavrinCreateGui(int& argc, char** argv,
                                        std::function<bool()> displayReachable);

namespace tavrin {

CreateGuiFunction OpenGuiModule(const std::string&, std::string&) { return &TavrinCreateGui; }

}  // namespace tavrin
