#include "ui/qt/about_box.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/qt/fonts.h"
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

}  // namespace

AboutBox::AboutBox(FrmAbout& form, QWidget* owner) : QDialog(owner), form_(form) {
  InitUiResources();
  setWindowTitle("About The Tavrin...");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(4200), Twips(2175));
  setModal(true);

  MakeLabel("The Tavrin", this, TwipsRect(990, 60, 3165, 345), WindowFont(15.75, true));
  lblVer_ = MakeLabel("", this, TwipsRect(990, 450, 3165, 225), WindowFont(9.75));
  lblVer_->setObjectName("lblVer");
  MakeLabel(FrmAbout::kLegalNotice[0], this, TwipsRect(990, 720, 3165, 225), WindowFont(9.75));
  MakeLabel(FrmAbout::kLegalNotice[1], this, TwipsRect(990, 960, 3165, 225), WindowFont(9.75));
  lblMail_ = MakeLabel("", this, TwipsRect(990, 1290, 2460, 225), WindowFont(9.75));
  lblMail_->setObjectName("lblMail");
  lblMail_->setCursor(Qt::PointingHandCursor);
  lblMail_->setStyleSheet("color: #1a4fb5; text-decoration: underline;");
  lblMail_->installEventFilter(this);

  auto* picBut = new QLabel(this);
  picBut->setGeometry(TwipsRect(180, 150, 480, 480));
  picBut->setPixmap(QIcon(":/icons/tavrin.png").pixmap(32, 32));

  btnOK_ = new QPushButton("OK", this);
  btnOK_->setObjectName("btnOK");
  btnOK_->setGeometry(TwipsRect(1207, 1680, 1875, 405));
  btnOK_->setFont(WindowFont(12, true));
  btnOK_->setDefault(true);
  btnOK_->setAutoDefault(true);
  connect(btnOK_, &QPushButton::clicked, this, [this] { form_.btnOK_Click(); });
  form_.Form_Load(*this);
}

void AboutBox::ShowVersion(const std::string& text) {
  lblVer_->setText(QString::fromStdString(text));
}

void AboutBox::ShowMailAddress(const std::string& address) {
  lblMail_->setText(QString::fromStdString(address));
}

void AboutBox::Unload() { done(QDialog::Accepted); }

void AboutBox::reject() { form_.btnOK_Click(); }

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblMail_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    form_.lblMail_Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tavrin::qt
