#include "main/gui_host.h"

#include <cstdio>
#include <utility>

namespace tavrin {

GuiHost::GuiHost(int& argc, char** argv, std::string executablePath,
                 std::function<bool()> displayReachable, std::function<bool()> boxesAnswered)
    : argc_(argc),
      argv_(argv),
      executablePath_(std::move(executablePath)),
      displayReachable_(std::move(displayReachable)),
      boxesAnswered_(std::move(boxesAnswered)) {}

// The windows go before the program ends; the module itself stays loaded, as Qt's
// libraries are not made to be unloaded.
GuiHost::~GuiHost() = default;

bool GuiHost::DisplayReachable() {
  if (reachable_ < 0) reachable_ = displayReachable_ && !displayReachable_() ? 0 : 1;
  return reachable_ == 1;
}

bool GuiHost::BoxesAnswered() {
  if (answered_ < 0) answered_ = boxesAnswered_ && !boxesAnswered_() ? 0 : 1;
  return answered_ == 1;
}

Gui* GuiHost::Load() {
  if (gui_ || tried_) return gui_.get();
  tried_ = true;
  std::string error;
  const CreateGuiFunction create = OpenGuiModule(executablePath_, error);
  if (create != nullptr) gui_.reset(create(argc_, argv_, [this] { return DisplayReachable(); }));
  if (!gui_) std::fprintf(stderr, "tavrin: the windows cannot be loaded: %s\n", error.c_str());
  return gui_.get();
}

int GuiHost::RunMainWindow(const StartRequest& request, CollectionState& state,
                           Platform& platform) {
  Gui* gui = Load();
  if (gui == nullptr) return kExitNotLoaded;
  return gui->RunMainWindow(request, state, platform);
}

int GuiHost::DeferredToolkit::MsgBox(const std::string& text, int style,
                                     const std::string& caption) {
  // Nobody would answer a box: it must not wait for ever.
  if (!host_.BoxesAnswered()) return fallback_.MsgBox(text, style, caption);
  Gui* gui = host_.gui_ ? host_.gui_.get() : host_.DisplayReachable() ? host_.Load() : nullptr;
  if (gui == nullptr) return fallback_.MsgBox(text, style, caption);
  return gui->toolkit().MsgBox(text, style, caption);
}

void GuiHost::DeferredToolkit::DoEvents() {
  // Without the windows loaded there are no window events to run.
  if (host_.gui_) host_.gui_->toolkit().DoEvents();
}

}  // namespace tavrin
