#include "ui/details_pane.h"

#include <QFontMetrics>
#include <QPainter>

namespace tavrin {

DetailsPane::DetailsPane(QWidget* parent) : QWidget(parent) {
  QFont font("Courier New");
  font.setPointSizeF(8.25);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  setFont(font);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

void DetailsPane::Clear() {
  text_.clear();
  update();
}

void DetailsPane::DrawText(const std::string& text) {
  text_ = text;
  update();
}

void DetailsPane::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::ButtonText));
  const QFontMetrics metrics(font());
  int y = metrics.ascent();
  for (const QString& line : QString::fromStdString(text_).split('\n')) {
    painter.drawText(0, y, line);
    y += metrics.lineSpacing();
  }
}

}  // namespace tavrin
