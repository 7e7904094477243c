#include "ui/qt/details_pane.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPainter>

#include "ui/qt/fonts.h"
#include "ui/qt/shown_text.h"

namespace tavrin::qt {
namespace {

// The pane as assistive technology sees it: a static text named "Item Details" (the
// name the window gives it) whose value, description and text are the details shown.
class DetailsPaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit DetailsPaneAccessible(DetailsPane* pane)
      : QAccessibleWidget(pane, QAccessible::StaticText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value || t == QAccessible::Description) return Shown();
    return QAccessibleWidget::text(t);
  }

  // The text, read only: no selection, no cursor of its own.
  QString text(int startOffset, int endOffset) const override {
    return Shown().mid(startOffset, endOffset - startOffset);
  }
  int characterCount() const override { return static_cast<int>(Shown().size()); }
  void selection(int, int* startOffset, int* endOffset) const override {
    *startOffset = 0;
    *endOffset = 0;
  }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int offset) const override {
    const QRect rect = Pane()->CharacterRect(offset);
    return rect.isNull() ? rect : QRect(Pane()->mapToGlobal(rect.topLeft()), rect.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return Pane()->OffsetAt(Pane()->mapFromGlobal(point));
  }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* startOffset, int* endOffset) const override {
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
  }

 private:
  const DetailsPane* Pane() const { return static_cast<const DetailsPane*>(widget()); }
  QString Shown() const { return qt::Shown(Pane()->text()); }
};

QAccessibleInterface* DetailsPaneFactory(const QString&, QObject* object) {
  if (auto* pane = qobject_cast<DetailsPane*>(object)) return new DetailsPaneAccessible(pane);
  return nullptr;
}

}  // namespace

DetailsPane::DetailsPane(QWidget* parent) : QWidget(parent) {
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(DetailsPaneFactory);
    return true;
  }();
  (void)factoryInstalled;
  setFont(FixedFont(8.25));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

void DetailsPane::Clear() { Show(std::string()); }

void DetailsPane::DrawText(const std::string& text) { Show(text); }

void DetailsPane::Show(std::string text) {
  if (text == text_) return;
  const QString before = Shown(text_);
  text_ = std::move(text);
  update();
  if (QAccessible::isActive()) {
    QAccessibleTextUpdateEvent changed(this, 0, before, Shown(text_));
    QAccessible::updateAccessibility(&changed);
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
  }
}

QRect DetailsPane::CharacterRect(int offset) const {
  const QString shown = Shown(text_);
  if (offset < 0 || offset >= shown.size()) return QRect();
  const QFontMetrics metrics(font());
  const qsizetype lineStart = shown.lastIndexOf('\n', offset - 1) + 1;
  const int line = static_cast<int>(shown.left(lineStart).count('\n'));
  const QString before = shown.mid(lineStart, offset - lineStart);
  const QChar c = shown.at(offset);
  return QRect(metrics.horizontalAdvance(before), line * metrics.lineSpacing(),
               c == '\n' ? 1 : metrics.horizontalAdvance(c), metrics.height());
}

int DetailsPane::OffsetAt(const QPoint& point) const {
  const QString shown = Shown(text_);
  for (int offset = 0; offset < shown.size(); ++offset) {
    if (CharacterRect(offset).contains(point)) return offset;
  }
  return -1;
}

void DetailsPane::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::ButtonText));
  const QFontMetrics metrics(font());
  int y = metrics.ascent();
  for (const QString& line : Shown(text_).split('\n')) {
    painter.drawText(0, y, line);
    y += metrics.lineSpacing();
  }
}

}  // namespace tavrin::qt
