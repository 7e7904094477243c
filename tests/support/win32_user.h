#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// The system's window handle, named without the system's headers (HWND is a pointer to
// it).
struct HWND__;

namespace tavrin::testing {

using Window = HWND__*;

// A user at the screen, on a thread of their own, who works the modal dialog that the
// test thread's call shows, as a script says. Gestures are posted and every wait ends at
// a limit, so the user never waits on the test thread; once the script ends, any dialog
// still open is cancelled until the call returns: a test that goes wrong fails, not hangs.
class ScreenUser {
 public:
  // Starts the script; the windows it works are those of the calling thread.
  explicit ScreenUser(std::function<void(ScreenUser&)> script);
  ~ScreenUser();
  ScreenUser(const ScreenUser&) = delete;
  ScreenUser& operator=(const ScreenUser&) = delete;

  // Called on the test thread when the modal call has returned: ends every wait and
  // waits for the script, answering the messages it sends meanwhile. What the script
  // wrote down can be read afterwards.
  void Finish();

  // Waits until `find` gives a window; null at the limit or once the modal call has
  // returned.
  Window WaitFor(const std::function<Window()>& find);
  // Waits until `done` holds; false at the limit or once the modal call has returned.
  bool WaitUntil(const std::function<bool()>& done);

  // The visible, enabled dialog window (class "#32770") of the test thread owned by
  // `owner`: a dialog waiting for the user, not one under a box of its own.
  Window WaitForDialog(Window owner);
  // Waits until `window` is gone or hidden.
  bool WaitUntilGone(Window window);

  // A visible top-level window of this process of that class (compared without regard
  // to case); null when there is none.
  static Window TopLevel(const std::string& className);
  // The first window of `className` inside `parent`, at any depth.
  static Window Descendant(Window parent, const std::string& className);
  static std::string Text(Window window);
  // The texts of a dialog's static controls, one after another: what a message box
  // says.
  static std::string StaticTexts(Window dialog);
  // Types `text` into an edit control, replacing what it held.
  static void Type(Window edit, const std::string& text);
  // Presses the dialog's button `id`, as its notification to the dialog.
  static void Press(Window dialog, int id);
  // Presses and releases a key (a virtual-key code: VK_ESCAPE, VK_RETURN, VK_F1, 'X')
  // in `window`, through the message loop of its thread: dialogs and accelerators see
  // it as they see a key of the keyboard.
  static void Key(Window window, int virtualKey);

 private:
  void CancelWhatIsOpen();

  unsigned long testThread_;
  std::atomic<bool> returned_{false};
  std::atomic<bool> scriptOver_{false};
  bool finished_ = false;
  std::thread thread_;
};

// The default value of Software\Classes\<sub> of the current user (of the machine with
// `machine`): "<none>" for a missing key, "<unset>" for a key without one, "<not text>".
std::string ClassValue(const std::string& sub, bool machine = false);

// There is one file association per user: a test that may write it takes its turn with
// the others (test programs run side by side), and a user who had none before has none
// again afterwards.
class AssociationTurn {
 public:
  AssociationTurn();
  ~AssociationTurn();
  AssociationTurn(const AssociationTurn&) = delete;
  AssociationTurn& operator=(const AssociationTurn&) = delete;
  // Whether the user had none: only then is the association the test's own.
  bool owned() const { return owned_; }

 private:
  void* turn_;
  bool owned_ = false;
};

}  // namespace tavrin::testing
