#include "ui/qt/run_progress_window.h"

#include <algorithm>

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "ui/qt/fonts.h"
#include "ui/qt/shown_text.h"
#include "ui/qt/twips.h"

namespace tavrin::qt {

RunProgressWindow::RunProgressWindow(FrmRunProgress& form) : form_(form) {
  const RunProgressLayout& layout = RunProgressWindowLayout();
  setWindowTitle(layout.caption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(layout.width), Twips(layout.height));
  setModal(false);
  setFont(WindowFont(9.75));
  made_ = MakeControls(this, layout);
  connect(static_cast<QPushButton*>(Control(ProgressControl::btnCancel)), &QPushButton::clicked,
          this, [this] { form_.btnCancel_Click(); });
}

QWidget* RunProgressWindow::Control(ProgressControl control) const {
  return made_.Control(static_cast<int>(control));
}

void RunProgressWindow::SetText(ProgressControl label, const std::string& text) {
  auto* shown = qobject_cast<QLabel*>(Control(label));
  if (shown == nullptr) return;
  // One line, cut with an ellipsis where it does not fit; read whole by a screen reader.
  // The wait's line is cut in its middle, so that how long it has waited stays in view.
  const QString whole = Shown(text);
  const Qt::TextElideMode cut =
      label == ProgressControl::lblWait ? Qt::ElideMiddle : Qt::ElideRight;
  shown->setText(shown->fontMetrics().elidedText(whole, cut, shown->width()));
  shown->setAccessibleName(whole);
}

void RunProgressWindow::SetBar(ProgressControl bar, int value, int maximum) {
  if (auto* shown = qobject_cast<QProgressBar*>(Control(bar))) {
    shown->setRange(0, std::max(maximum, 1));
    shown->setValue(std::clamp(value, 0, std::max(maximum, 1)));
  }
}

void RunProgressWindow::Show() {
  // In the centre of the screen, as the main window opens.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
  raise();
  activateWindow();
  Control(ProgressControl::btnCancel)->setFocus();
}

void RunProgressWindow::Unload() { hide(); }

// Esc and the close box: Cancel. The window stays until the run has stopped.
void RunProgressWindow::reject() { form_.btnCancel_Click(); }

}  // namespace tavrin::qt
