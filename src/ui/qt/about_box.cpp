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
#include "ui/qt/ui_resources.h"

namespace tavrin::qt {
namespace {

QLabel* MakeLabel(const QString& text, QWidget* parent, QRect rect, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(rect);
  label->setFont(font);
  return label;
}

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
  setWindowTitle("About The Tavrin...");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(4200), Twips(2175));
  setModal(true);
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(MailLinkFactory);
    return true;
  }();
  (void)factoryInstalled;

  MakeLabel("The Tavrin", this, TwipsRect(990, 60, 3165, 345), WindowFont(15.75, true));
  lblVer_ = MakeLabel("", this, TwipsRect(990, 450, 3165, 225), WindowFont(9.75));
  lblVer_->setObjectName("lblVer");
  MakeLabel(FrmAbout::kLegalNotice[0], this, TwipsRect(990, 720, 3165, 225), WindowFont(9.75));
  MakeLabel(FrmAbout::kLegalNotice[1], this, TwipsRect(990, 960, 3165, 225), WindowFont(9.75));
  lblMail_ = MakeLabel("", this, TwipsRect(990, 1290, 2460, 225), WindowFont(9.75));
  lblMail_->setObjectName("lblMail");
  lblMail_->setCursor(Qt::PointingHandCursor);
  // A link the keyboard reaches too: a Tab stop after OK, pressed by Enter or Space.
  lblMail_->setFocusPolicy(Qt::StrongFocus);
  connect(lblMail_, &QLabel::linkActivated, this, [this] { form_.lblMail_Click(); });
  // Underlined as a link; a dotted frame shows when it has the keyboard focus.
  lblMail_->setStyleSheet(
      "QLabel { color: #1a4fb5; text-decoration: underline; border: 1px solid transparent; }"
      "QLabel:focus { border: 1px dotted #1a4fb5; }");
  lblMail_->installEventFilter(this);

  auto* picBut = new QLabel(this);
  picBut->setGeometry(TwipsRect(180, 150, 480, 480));
  picBut->setPixmap(QIcon(BundledPixmap("tavrin")).pixmap(32, 32));

  btnOK_ = new QPushButton("OK", this);
  btnOK_->setObjectName("btnOK");
  btnOK_->setGeometry(TwipsRect(1207, 1680, 1875, 405));
  btnOK_->setFont(WindowFont(12, true));
  btnOK_->setDefault(true);
  btnOK_->setAutoDefault(true);
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
