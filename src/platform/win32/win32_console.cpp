#include "platform/win32/win32_console.h"

#include <windows.h>

#include <csignal>
#include <iostream>
#include <string>

namespace tavrin::win32 {
namespace {

bool Given(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Writes to a console window. The program's texts are in the ANSI code page and the
// console shows another one (the OEM code page), so they go as UTF-16, which every
// console shows as it is meant.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + kSize); }
  ~ConsoleBuffer() override { Flush(); }
  ConsoleBuffer(const ConsoleBuffer&) = delete;
  ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (!Flush()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  int sync() override { return Flush() ? 0 : -1; }

 private:
  static constexpr int kSize = 1024;

  bool Flush() {
    const int size = static_cast<int>(pptr() - pbase());
    setp(buffer_, buffer_ + kSize);
    if (size == 0) return true;
    const int wide = MultiByteToWideChar(CP_ACP, 0, buffer_, size, nullptr, 0);
    if (wide <= 0) return false;
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, buffer_, size, text.data(), wide);
    DWORD written = 0;
    return WriteConsoleW(console_, text.data(), static_cast<DWORD>(wide), &written, nullptr) != 0;
  }

  HANDLE console_;
  char buffer_[kSize];
};

void (*g_stopHandler)(int) = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      g_stopHandler(SIGINT);
      return TRUE;
    case CTRL_BREAK_EVENT:
      g_stopHandler(SIGBREAK);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_stopHandler(SIGTERM);
      // Returning would end the process at once: the program ends by itself meanwhile.
      Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void CatchConsoleStop(void (*handler)(int)) {
  if (handler == nullptr) return;
  g_stopHandler = handler;
  // Refused when the process has a console already, or its parent has none.
  AttachConsole(ATTACH_PARENT_PROCESS);
  SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

ParentConsoleOutput::ParentConsoleOutput() {
  const bool out = !Given(STD_OUTPUT_HANDLE);
  const bool err = !Given(STD_ERROR_HANDLE);
  if (!out && !err) return;
  // Refused as "access denied" when the process has a console already: some systems
  // (Wine) attach a windowed program to its parent's console by themselves.
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
  const HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  console_ = console;
  if (out) {
    out_ = std::make_unique<ConsoleBuffer>(console);
    oldOut_ = std::cout.rdbuf(out_.get());
  }
  if (err) {
    err_ = std::make_unique<ConsoleBuffer>(console);
    oldErr_ = std::cerr.rdbuf(err_.get());
  }
}

ParentConsoleOutput::~ParentConsoleOutput() {
  if (out_) {
    std::cout.flush();
    std::cout.rdbuf(oldOut_);
  }
  if (err_) {
    std::cerr.flush();
    std::cerr.rdbuf(oldErr_);
  }
  out_.reset();
  err_.reset();
  if (console_ != nullptr) CloseHandle(static_cast<HANDLE>(console_));
}

}  // namespace tavrin::win32
