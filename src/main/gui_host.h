#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main/gui.h"
#include "platform/toolkit.h"

namespace tavrin {

// Finds the entry of the windows module beside the executable at `executablePath`,
// loading the module; null with `error` set when it cannot be loaded.
CreateGuiFunction OpenGuiModule(const std::string& executablePath, std::string& error);

// Holds the windows module, loaded on first need, and a toolkit that stands for
// Qt's until then: a box is shown with Qt only where a display can be reached and
// boxes are not asked for on standard error, and otherwise written to standard
// error without loading Qt at all.
class GuiHost {
 public:
  // `qtArgs` are the program's name and the words Qt may take its options from.
  GuiHost(std::vector<std::string> qtArgs, std::string executablePath,
          std::function<bool()> displayReachable, std::function<bool()> boxesToStderr);
  ~GuiHost();
  GuiHost(const GuiHost&) = delete;
  GuiHost& operator=(const GuiHost&) = delete;

  Toolkit& toolkit() { return toolkit_; }

  // Starts Qt's application where a display can be reached, and returns the words
  // that Qt has left of `qtArgs` (all of them, without the program's name, when it
  // could not start).
  std::vector<std::string> StartApplication();

  // Shows the main window.
  int RunMainWindow(const StartRequest& request, CollectionState& state, Platform& platform);

  // Makes the window of a run's progress, loading the windows now if needed; null where
  // boxes go to standard error, or no display can be reached.
  std::unique_ptr<RunProgressView> MakeProgressView(FrmRunProgress& form);

 private:
  class DeferredToolkit : public Toolkit {
   public:
    explicit DeferredToolkit(GuiHost& host) : host_(host) {}
    int MsgBox(const std::string& text, int style, const std::string& caption) override;
    void DoEvents() override;
    bool DoEventsFor(long ms) override;

   private:
    GuiHost& host_;
    StderrToolkit fallback_;
  };

  // Whether a display can be reached, asked once.
  bool DisplayReachable();
  // The loaded windows, loading them now if needed; null when they cannot be loaded,
  // which is said once on standard error.
  Gui* Load();

  // The arguments Qt is created with; Qt keeps a reference to the count and takes
  // its options out of both.
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_;
  std::string executablePath_;
  std::function<bool()> displayReachable_;
  std::function<bool()> boxesToStderr_;
  int reachable_ = -1;  // -1: not asked yet
  bool tried_ = false;
  std::unique_ptr<Gui> gui_;
  DeferredToolkit toolkit_{*this};
};

}  // namespace tavrin
