#include "ui/qt/run_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/qt/fonts.h"
#include "ui/qt/key_codes.h"
#include "ui/qt/shown_text.h"
#include "ui/qt/twips.h"

namespace tavrin::qt {

using C = OptionsControl;

RunOptionsDialog::RunOptionsDialog(FrmRunOptions& form, QWidget* owner)
    : QDialog(owner), form_(form) {
  const RunOptionsLayout& layout = RunOptionsDialogLayout();
  setWindowTitle(layout.caption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(layout.width), Twips(layout.height));
  setModal(true);
  setFont(WindowFont(9.75));
  made_ = MakeControls(this, layout);
  ConnectControls();
  form_.Form_Load(*this);
}

void RunOptionsDialog::ConnectControls() {
  // What the user changes reaches the form; what the form sets does not come back.
  for (C box :
       {C::txtDelay, C::txtReady, C::txtTimeout, C::txtWorkDir, C::txtPlace, C::txtDesktop}) {
    connect(static_cast<QLineEdit*>(Control(box)), &QLineEdit::textEdited, this,
            [this, box](const QString& text) { form_.txt_Change(box, Typed(text)); });
  }
  auto* env = static_cast<QPlainTextEdit*>(Control(C::txtEnv));
  connect(env, &QPlainTextEdit::textChanged, this, [this, env] {
    if (!env->signalsBlocked()) form_.txt_Change(C::txtEnv, Typed(env->toPlainText()));
  });
  connect(static_cast<QComboBox*>(Control(C::cboReady)), &QComboBox::activated, this,
          [this](int index) { form_.cboReady_Click(index); });
  for (C box : {C::cSkip, C::cStop}) {
    connect(static_cast<QCheckBox*>(Control(box)), &QCheckBox::clicked, this,
            [this, box](bool checked) { form_.c_Click(box, checked); });
  }
  connect(static_cast<QPushButton*>(Control(C::btnBrowse)), &QPushButton::clicked, this,
          [this] { form_.btnBrowse_Click(); });
  connect(static_cast<QPushButton*>(Control(C::btnOk)), &QPushButton::clicked, this,
          [this] { form_.btnOK_Click(); });
  connect(static_cast<QPushButton*>(Control(C::btnCancel)), &QPushButton::clicked, this,
          [this] { form_.btnCancel_Click(); });
}

QWidget* RunOptionsDialog::Control(OptionsControl control) const {
  return made_.Control(static_cast<int>(control));
}

OptionsControl RunOptionsDialog::FocusedControl() const {
  return static_cast<OptionsControl>(made_.IdOf(focusWidget()));
}

void RunOptionsDialog::SetReadyEntries(const std::vector<std::string>& entries) {
  auto* box = static_cast<QComboBox*>(Control(C::cboReady));
  QSignalBlocker block(box);
  box->clear();
  for (const std::string& entry : entries) box->addItem(QString::fromStdString(entry));
}

void RunOptionsDialog::SetReadyIndex(int index) {
  auto* box = static_cast<QComboBox*>(Control(C::cboReady));
  QSignalBlocker block(box);
  box->setCurrentIndex(index);
}

void RunOptionsDialog::SetText(OptionsControl box, const std::string& text) {
  if (auto* area = qobject_cast<QPlainTextEdit*>(Control(box))) {
    QSignalBlocker block(area);
    area->setPlainText(Shown(text));
  } else if (auto* edit = qobject_cast<QLineEdit*>(Control(box))) {
    edit->setText(Shown(text));
    // A text longer than the box shows its beginning, as a user reads it.
    edit->setCursorPosition(0);
  }
}

void RunOptionsDialog::SetChecked(OptionsControl box, bool checked) {
  auto* check = static_cast<QCheckBox*>(Control(box));
  QSignalBlocker block(check);
  check->setChecked(checked);
}

void RunOptionsDialog::SelectWholeText(OptionsControl box) { qt::SelectWholeText(Control(box)); }

void RunOptionsDialog::Unload() { done(QDialog::Accepted); }

void RunOptionsDialog::reject() {
  form_.Form_QueryUnload(kUnloadCloseBox);
  QDialog::reject();
}

void RunOptionsDialog::keyPressEvent(QKeyEvent* event) {
  if (form_.Form_KeyDown(KeyCodeOf(event), ModifierMask(event), FocusedControl())) return;
  QDialog::keyPressEvent(event);
}

}  // namespace tavrin::qt
