#pragma once

#include <QWidget>
#include <string>

namespace tavrin {

// A drawing area that shows lines of text from its top-left corner in a fixed-pitch
// font. It keeps nothing but the text it was last given.
class DetailsPane : public QWidget {
  Q_OBJECT

 public:
  explicit DetailsPane(QWidget* parent = nullptr);
  void Clear();
  void DrawText(const std::string& text);
  const std::string& text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string text_;
};

}  // namespace tavrin
