#pragma once

#include <functional>
#include <memory>
#include <string>

#include "main/gui.h"
#include "platform/toolkit.h"

namespace tavrin {

// Finds the entry of the windows module beside the executable at `executablePath`,
// loading the module; null with `error` set when it cannot be loaded.
CreateGuiFunction OpenGuiModule(const std::string& executablePath, std::string& error);

// Holds the windows module, loaded on first need, and the toolkit of every box, in run
// mode and in the window alike: a box is shown with Qt only where it reaches a person
// who can answer it, and otherwise written to standard error (without loading Qt at all
// when no window was needed).
class GuiHost {
 public:
  GuiHost(int& argc, char** argv, std::string executablePath,
          std::function<bool()> displayReachable, std::function<bool()> boxesAnswered);
  ~GuiHost();
  GuiHost(const GuiHost&) = delete;
  GuiHost& operator=(const GuiHost&) = delete;

  Toolkit& toolkit() { return toolkit_; }

  // Shows the main window.
  int RunMainWindow(const StartRequest& request, CollectionState& state, Platform& platform);

 private:
  class DeferredToolkit : public Toolkit {
   public:
    explicit DeferredToolkit(GuiHost& host) : host_(host) {}
    int MsgBox(const std::string& text, int style, const std::string& caption) override;
    void DoEvents() override;

   private:
    GuiHost& host_;
    StderrToolkit fallback_;
  };

  // Whether a display can be reached, asked once.
  bool DisplayReachable();
  // Whether a box reaches a person, asked once.
  bool BoxesAnswered();
  // The loaded windows, loading them now if needed; null when they cannot be loaded,
  // which is said once on standard error.
  Gui* Load();

  int& argc_;
  char** argv_;
  std::string executablePath_;
  std::function<bool()> displayReachable_;
  std::function<bool()> boxesAnswered_;
  int reachable_ = -1;  // -1: not asked yet
  int answered_ = -1;   // -1: not asked yet
  bool tried_ = false;
  std::unique_ptr<Gui> gui_;
  DeferredToolkit toolkit_{*this};
};

}  // namespace tavrin
