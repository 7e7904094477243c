#include "platform/qt/qt_toolkit.h"

#include <QApplication>
#include <QMessageBox>

namespace tavrin {

int ShowQtMessageBox(QWidget* owner, const std::string& text, int style,
                     const std::string& caption) {
  QMessageBox box(owner);
  box.setTextFormat(Qt::PlainText);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (style & 0xF0) {
    case 16:
      box.setIcon(QMessageBox::Critical);
      break;
    case 32:
      box.setIcon(QMessageBox::Question);
      break;
    case 48:
      box.setIcon(QMessageBox::Warning);
      break;
    case 64:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  const bool secondIsDefault = (style & 0xF00) == kStyleDefaultButton2;
  switch (style & 0x0F) {
    case 3:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case 4:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
      box.setEscapeButton(QMessageBox::No);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return kAnswerYes;
    case QMessageBox::No:
      return kAnswerNo;
    case QMessageBox::Cancel:
      return kAnswerCancel;
    default:
      return kAnswerOk;
  }
}

QtToolkit::QtToolkit(int& argc, char** argv, std::function<bool()> displayReachable)
    : argc_(argc), argv_(argv), displayReachable_(std::move(displayReachable)) {}

QtToolkit::~QtToolkit() = default;

QApplication* QtToolkit::EnsureApplication() {
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
  if (!probed_) {
    probed_ = true;
    reachable_ = displayReachable_ ? displayReachable_() : true;
  }
  if (!reachable_) return nullptr;
  app_ = std::make_unique<QApplication>(argc_, argv_);
  return app_.get();
}

int QtToolkit::MsgBox(const std::string& text, int style, const std::string& caption) {
  if (!EnsureApplication()) return fallback_.MsgBox(text, style, caption);
  return ShowQtMessageBox(owner_, text, style, caption);
}

void QtToolkit::DoEvents() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace tavrin
