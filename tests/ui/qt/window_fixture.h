// The main window's Qt view on the real form, over the forms' world; the item editor is
// the real Qt dialog, answered by a script instead of a modal loop.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>

#include "form_world.h"
#include "ui/qt/about_box.h"
#include "ui/qt/item_editor.h"
#include "ui/qt/main_window.h"
#include "ui/qt/shown_text.h"

namespace tavrin {

using Strings = std::vector<std::string>;
using qt::ItemEditor;
using qt::MainWindow;
using EditorScript = std::function<void(ItemEditor&)>;

// The window takes keys as the active window does.
inline void Activate(QWidget* w) {
  w->activateWindow();
  QApplication::setActiveWindow(w);
}
inline void Ok(ItemEditor& e) { QTest::mouseClick(e.btnOk(), Qt::LeftButton); }
inline void Cancel(ItemEditor& e) { QTest::mouseClick(e.btnCancel(), Qt::LeftButton); }
inline EditorScript Rename(const std::string& name) {
  return [name](ItemEditor& e) {
    e.txtItem()->selectAll();
    QTest::keyClicks(e.txtItem(), QString::fromStdString(name));
    Ok(e);
  };
}

struct WindowTest : ::testing::Test, testing::FormWorld {
  std::deque<EditorScript> editorScripts;  // the editor cancels when they have run out
  std::vector<CollItem> editorOpenedWith;
  std::vector<std::string> modalShown;  // other dialogs: their titles and version labels
  std::unique_ptr<FrmMain> form;
  std::unique_ptr<MainWindow> window;

  // Answers the window's modal dialogs: the item editor from the scripts, the About box
  // by recording what it shows.
  qt::ModalRunner Runner() {
    return [this](QDialog& d) {
      if (auto* editor = dynamic_cast<ItemEditor*>(&d)) {
        editorOpenedWith.push_back(edit.EditItem);
        testing::Next(editorScripts, EditorScript(Cancel))(*editor);
      } else {
        std::string shown = d.windowTitle().toStdString();
        if (auto* ver = d.findChild<QLabel*>("lblVer")) shown += " | " + ver->text().toStdString();
        modalShown.push_back(shown);
      }
      return d.result();
    };
  }
  MainWindow& Open(const std::string& commandLine = "") {
    window.reset();
    form = std::make_unique<FrmMain>(Context(fake.platform), commandLine);
    window = std::make_unique<MainWindow>(*form, Runner());
    window->show();
    return *window;
  }
  // Opens the window on a collection "c" that is already loaded.
  MainWindow& Open(const std::vector<CollItem>& items) { return Open(Loaded(items)); }

  // What the box and the list show, as the program's bytes.
  std::string Box() const { return qt::Typed(window->cboColl()->currentText()); }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < window->lstItems()->count(); ++i) {
      names.push_back(qt::Typed(window->lstItems()->item(i)->text()));
    }
    return names;
  }
  // What a user sees, as "Games: chess go [save delete exec]".
  std::string Seen() const {
    std::string text = Box() + ":";
    for (const auto& name : Listed()) text += " " + name;
    text += " [";
    if (window->collButton("Save")->isEnabled()) text += "save ";
    if (window->collButton("Delete")->isEnabled()) text += "delete ";
    if (window->btnExec()->isEnabled()) text += "exec ";
    if (text.back() == ' ') text.pop_back();
    return text + "]";
  }
  int EntryOf(const std::string& name) const {
    return window->cboColl()->findText(qt::Shown(name));
  }
  // Picks the box's entry `name`, as the form takes a pick.
  void Pick(const std::string& name) { form->cboColl_Click(EntryOf(name)); }
  // Opens the box's list and clicks the entry named `name`.
  void ClickBoxEntry(const std::string& name) {
    QComboBox* box = window->cboColl();
    ASSERT_GE(EntryOf(name), 0) << name;
    box->showPopup();
    ASSERT_TRUE(box->view()->isVisible());
    const QModelIndex entry = box->view()->model()->index(EntryOf(name), 0);
    QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {},
                      box->view()->visualRect(entry).center());
  }
  // Clicks list entry `row`, as the user selects it.
  void ClickEntry(int row) {
    QListWidget* list = window->lstItems();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
};

}  // namespace tavrin
