#include "ui/qt/about_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/qt/fonts.h"
#include "ui/qt/shown_text.h"
#include "ui/qt/twips.h"
#include "ui/qt/window_builder.h"

namespace tavrin::qt {
namespace {

// The feedback address as assistive technology sees it: a link named by its text,
// whose press action starts the mail as a click does.
class MailLinkAccessible : public QAccessibleWidget {
 public:
  explicit MailLinkAccessible(QLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name || t == QAccessible::Value) {
      return static_cast<const QLabel*>(widget())->text();
    }
    return QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) emit static_cast<QLabel*>(widget())->linkActivated(QString());
  }
};

QAccessibleInterface* MailLinkFactory(const QString&, QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  if (label && label->objectName() == "lblMail" && qobject_cast<AboutBox*>(label->parent())) {
    return new MailLinkAccessible(label);
  }
  return nullptr;
}

}  // namespace

AboutBox::AboutBox(FrmAbout& form, QWidget* owner) : QDialog(owner), form_(form) {
  const AboutLayout& layout = AboutBoxLayout();
  setWindowTitle(layout.caption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(layout.width), Twips(layout.height));
  setModal(true);
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(MailLinkFactory);
    return true;
  }();
  (void)factoryInstalled;

  made_ = MakeControls(this, AboutBoxLayout());
  lblVer_ = static_cast<QLabel*>(made_.Control(static_cast<int>(AboutControl::lblVer)));
  lblMail_ = static_cast<QLabel*>(made_.Control(static_cast<int>(AboutControl::lblMail)));
  btnOK_ = static_cast<QPushButton*>(made_.Control(static_cast<int>(AboutControl::btnOK)));
  lblMail_->setCursor(Qt::PointingHandCursor);
  // A link the keyboard reaches too: a Tab stop after OK, pressed by Enter or Space.
  lblMail_->setFocusPolicy(Qt::StrongFocus);
  connect(lblMail_, &QLabel::linkActivated, this, [this] { form_.lblMail_Click(); });
  // Underlined as a link; a dotted frame shows when it has the keyboard focus.
  lblMail_->setStyleSheet(
      "QLabel { color: #1a4fb5; text-decoration: underline; border: 1px solid transparent; }"
      "QLabel:focus { border: 1px dotted #1a4fb5; }");
  lblMail_->installEventFilter(this);
  connect(btnOK_, &QPushButton::clicked, this, [this] { form_.btnOK_Click(); });
  // OK has the focus when the box opens (Enter closes it); Tab goes on to the link.
  setTabOrder(btnOK_, lblMail_);
  btnOK_->setFocus();
  form_.Form_Load(*this);
}

void AboutBox::ShowVersion(const std::string& text) { lblVer_->setText(Shown(text)); }

void AboutBox::ShowMailAddress(const std::string& address) { lblMail_->setText(Shown(address)); }

void AboutBox::Unload() { done(QDialog::Accepted); }

void AboutBox::reject() { form_.btnOK_Click(); }

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lblMail_) return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    form_.lblMail_Click();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
      form_.lblMail_Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tavrin::qt
