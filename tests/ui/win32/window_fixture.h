// The main window's Win32 view on the real form, boxes, dialogs and launching scripted,
// driven by the messages of a user's gestures; a ScreenUser works its modal windows.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes.h"
#include "form_world.h"
#include "temp_dir.h"
#include "ui/win32/item_editor.h"
#include "ui/win32/main_window.h"
#include "win32_user.h"

namespace tavrin {

using Strings = std::vector<std::string>;
using testing::ScreenUser;
using win32::Hwnd;

struct Win32WindowTest : ::testing::Test, testing::FormWorld {
  std::unique_ptr<FrmMain> form;
  std::unique_ptr<win32::MainWindow> window;  // gone before the form it shows

  // Opens the window as the program does, on the command line's collection.
  win32::MainWindow& Open(const std::string& commandLine = "");
  // Opens it on a collection "c" that is already loaded.
  win32::MainWindow& Open(const std::vector<CollItem>& items);
  void Pump();  // runs the window's waiting messages

  // What the window shows.
  std::string BoxText() const;
  Strings BoxEntries() const;
  Strings Listed() const;
  int Selected() const;
  std::string Details() const;
  // Whether a control is enabled: a toolbar's button as the toolbar shows it.
  bool Enabled(MainControl control) const;
  // "Games: chess go [save delete exec]": the box's text, the listed items, and which
  // of Save, Delete and Execute are enabled.
  std::string Seen() const;
  // The item buttons' enabled states, in their order: Up, Edit, Remove, Open, Down.
  std::string ItemButtons() const;
  // The control that has the focus as the form names it ("cboColl", "tbItem2", ...);
  // "window" for the window itself, "none" when nothing of it has the focus.
  std::string FocusName() const;

  // What the user does.
  // Picks entry `index` of the collection box's list, or types `text` into the box.
  void Pick(int index);
  void TypeInBox(const std::string& text);
  // Clicks entry `row` of the item list, or double-clicks it.
  void Select(int row, bool twice = false);
  // Clicks a button: Execute, Exit or a toolbar's button, with the mouse.
  void Click(MainControl control);
  // Presses and releases `key` in `control` (none: the window) with the modifiers of
  // `mask` held (1 Shift, 2 Ctrl, 4 Alt), through the message loop.
  void Key(MainControl control, int key, int mask = 0);
  // The same in whatever has the focus, as the keyboard sends it.
  void KeyInFocus(int key, int mask = 0);
  void RightClickList();
};

}  // namespace tavrin
