#pragma once

#include <QWidget>
#include <string>

namespace tavrin::qt {

// A drawing area that shows lines of text from its top-left corner in a fixed-pitch
// font. It keeps nothing but the text it was last given. Assistive technology reads
// it as a named static text whose value is that text.
class DetailsPane : public QWidget {
  Q_OBJECT

 public:
  explicit DetailsPane(QWidget* parent = nullptr);
  void Clear();
  void DrawText(const std::string& text);
  const std::string& text() const { return text_; }

  // Where the character at `offset` of the text is drawn, in the pane's coordinates;
  // and the offset of the character drawn at `point`, -1 where there is none.
  QRect CharacterRect(int offset) const;
  int OffsetAt(const QPoint& point) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Show(std::string text);

  std::string text_;
};

}  // namespace tavrin::qt
