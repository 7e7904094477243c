#pragma once

#include <functional>
#include <memory>

#include "platform/toolkit.h"

class QApplication;
class QWidget;

namespace tavrin {

// Message boxes and the event pump on Qt. Until a window is shown nothing of Qt's
// GUI is started: the first box that must be shown starts it, and where no display
// can be reached the boxes go to standard error instead.
class QtToolkit : public Toolkit {
 public:
  // `displayReachable` is asked once, when the first box must be shown and no
  // application object exists yet.
  QtToolkit(int& argc, char** argv, std::function<bool()> displayReachable);
  ~QtToolkit() override;

  int MsgBox(const std::string& text, int style, const std::string& caption) override;
  void DoEvents() override;

  // The application object, started now if needed; null when no display can be reached.
  QApplication* EnsureApplication();

  // The window that owns the boxes (the main window once it exists).
  void SetOwner(QWidget* owner) { owner_ = owner; }

 private:
  int& argc_;
  char** argv_;
  std::function<bool()> displayReachable_;
  std::unique_ptr<QApplication> app_;
  bool probed_ = false;
  bool reachable_ = false;
  QWidget* owner_ = nullptr;
  StderrToolkit fallback_;
};

// Shows a Qt message box of the given style over `owner` and returns the answer.
int ShowQtMessageBox(QWidget* owner, const std::string& text, int style,
                     const std::string& caption);

}  // namespace tavrin
