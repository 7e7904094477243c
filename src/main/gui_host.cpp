#include "main/gui_host.h"

#include <cstdio>
#include <utility>

namespace tavrin {

GuiHost::GuiHost(std::vector<std::string> qtArgs, std::string executablePath,
                 std::function<bool()> displayReachable, std::function<bool()> boxesToStderr)
    : args_(std::move(qtArgs)),
      executablePath_(std::move(executablePath)),
      displayReachable_(std::move(displayReachable)),
      boxesToStderr_(std::move(boxesToStderr)) {
  if (args_.empty()) args_.emplace_back("tavrin");
  for (auto& arg : args_) argv_.push_back(arg.data());
  argc_ = static_cast<int>(argv_.size());
  argv_.push_back(nullptr);
}

// The windows go before the program ends; the module itself stays loaded, as Qt's
// libraries are not made to be unloaded.
GuiHost::~GuiHost() = default;

bool GuiHost::DisplayReachable() {
  if (reachable_ < 0) reachable_ = displayReachable_ && !displayReachable_() ? 0 : 1;
  return reachable_ == 1;
}

Gui* GuiHost::Load() {
  if (gui_ || tried_) return gui_.get();
  tried_ = true;
  std::string error;
  const CreateGuiFunction create = OpenGuiModule(executablePath_, error);
  if (create != nullptr) {
    gui_.reset(create(argc_, argv_.data(), [this] { return DisplayReachable(); }));
  }
  if (!gui_) std::fprintf(stderr, "tavrin: the windows cannot be loaded: %s\n", error.c_str());
  return gui_.get();
}

std::vector<std::string> GuiHost::StartApplication() {
  if (DisplayReachable()) {
    if (Gui* gui = Load()) gui->StartApplication();
  }
  std::vector<std::string> left;
  for (int i = 1; i < argc_; ++i) left.emplace_back(argv_[static_cast<std::size_t>(i)]);
  return left;
}

int GuiHost::RunMainWindow(const StartRequest& request, CollectionState& state,
                           Platform& platform) {
  Gui* gui = Load();
  if (gui == nullptr) return kExitNotLoaded;
  return gui->RunMainWindow(request, state, platform);
}

std::unique_ptr<RunProgressView> GuiHost::MakeProgressView(FrmRunProgress& form) {
  if ((boxesToStderr_ && boxesToStderr_()) || !DisplayReachable()) return nullptr;
  Gui* gui = Load();
  return gui == nullptr ? nullptr : gui->MakeProgressView(form);
}

int GuiHost::DeferredToolkit::MsgBox(const std::string& text, int style,
                                     const std::string& caption) {
  if (host_.boxesToStderr_ && host_.boxesToStderr_()) return fallback_.MsgBox(text, style, caption);
  Gui* gui = host_.gui_ ? host_.gui_.get() : host_.DisplayReachable() ? host_.Load() : nullptr;
  if (gui == nullptr) return fallback_.MsgBox(text, style, caption);
  return gui->toolkit().MsgBox(text, style, caption);
}

void GuiHost::DeferredToolkit::DoEvents() {
  // Without the windows loaded there are no window events to run.
  if (host_.gui_) host_.gui_->toolkit().DoEvents();
}

bool GuiHost::DeferredToolkit::DoEventsFor(long ms) {
  return host_.gui_ && host_.gui_->toolkit().DoEventsFor(ms);
}

}  // namespace tavrin
