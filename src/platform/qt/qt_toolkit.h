#pragma once

#include <functional>
#include <memory>

#include "platform/toolkit.h"

class QApplication;
class QWidget;

namespace tavrin {

// Message boxes and the event pump on Qt. Until a window is shown nothing of Qt's
// GUI is started: the first box that must be shown starts it, and where no display
// can be reached, or Qt has no platform plugin for it, the boxes go to standard error
// instead.
class QtToolkit : public Toolkit {
 public:
  // `displayReachable` is asked once, when the first box must be shown and no
  // application object exists yet.
  QtToolkit(int& argc, char** argv, std::function<bool()> displayReachable);
  ~QtToolkit() override;

  int MsgBox(const std::string& text, int style, const std::string& caption) override;
  void DoEvents() override;
  bool DoEventsFor(long ms) override;

  // The application object, started now if needed; null when no display can be
  // reached or Qt has no platform plugin for it that loads (Qt would end the program).
  QApplication* EnsureApplication();

  // Why EnsureApplication gave no application ("no display can be reached", ...);
  // empty while it has not been asked or did give one.
  const std::string& WhyNoApplication() const { return whyNoApplication_; }

  // The window that owns the boxes (the main window once it exists).
  void SetOwner(QWidget* owner) { owner_ = owner; }

 private:
  int& argc_;
  char** argv_;
  std::function<bool()> displayReachable_;
  std::unique_ptr<QApplication> app_;
  bool probed_ = false;
  bool noDisplay_ = false;
  std::string whyNoApplication_;
  bool toldWhy_ = false;  // said once on standard error why boxes are written there
  QWidget* owner_ = nullptr;
  StderrToolkit fallback_;
};

// Shows a Qt message box of the given style over `owner` and returns the answer.
int ShowQtMessageBox(QWidget* owner, const std::string& text, int style,
                     const std::string& caption);

}  // namespace tavrin
