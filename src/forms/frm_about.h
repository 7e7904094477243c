#pragma once

#include <string>

#include "forms/form_context.h"
#include "forms/window_layout.h"

namespace tavrin {

// The controls of the About box that the form or its views name.
enum class AboutControl { None, lblVer, lblMail, btnOK };

// What the About box's window shows, as the form tells it.
class AboutView {
 public:
  virtual ~AboutView() = default;
  virtual void ShowVersion(const std::string& text) = 0;
  virtual void ShowMailAddress(const std::string& address) = 0;
  // Closes the window; the modal run that showed it returns.
  virtual void Unload() = 0;
};

// The About box: the program's name, version, legal notice and feedback address.
class FrmAbout {
 public:
  // The feedback address shown, and mailed to when clicked.
  static constexpr const char* kFeedbackAddress = "feedback@tavrin.example";
  // The maker's legal notice, two lines.
  static constexpr const char* kLegalNotice[2] = {"(C) 2026 the Tavrin developers.",
                                                  "Free to use, copy and change."};

  explicit FrmAbout(FormContext context);

  void Form_Load(AboutView& view);
  void lblMail_Click();
  void btnOK_Click();

 private:
  FormContext ctx_;
  AboutView* view_ = nullptr;
  std::string lblMail_;  // the address the mail link shows
};

// The About box's controls, from which both views make it.
using AboutLayout = WindowLayout<AboutControl>;
const AboutLayout& AboutBoxLayout();

}  // namespace tavrin
