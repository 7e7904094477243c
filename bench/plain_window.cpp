// The baseline of the window's start in `make bench`: a plain Qt Widgets window with
// what the main window shows at its simplest (a label, an editable combo box, a list
// and two buttons), built with the same Qt, linked directly.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Plain window");
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QLabel("Collection:"));
  auto* box = new QComboBox;
  box->setEditable(true);
  layout->addWidget(box);
  layout->addWidget(new QListWidget);
  layout->addWidget(new QPushButton("Execute"));
  layout->addWidget(new QPushButton("Exit"));
  window.show();
  return app.exec();
}
