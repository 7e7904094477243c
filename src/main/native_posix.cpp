#include "main/native.h"
#include "platform/posix/autostart.h"
#include "platform/posix/display_probe.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_registry.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "platform/posix/signals.h"

namespace tavrin {
namespace {

struct PosixServices : NativeServices {
  CommandLine ReadCommandLine(int argc, char** argv) override {
    return CommandLineFromArguments(
        std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  }
  bool DisplayReachable(const std::string& qtPlatform) override {
    return posix::DisplayReachable(posix::QtPlatformName(qtPlatform));
  }
  bool BoxesToStderr(const std::string& qtPlatform) override {
    return posix::BoxesToStderr(posix::QtPlatformName(qtPlatform));
  }
  std::unique_ptr<Toolkit> MakePlainToolkit() override { return std::make_unique<StderrToolkit>(); }
  void CatchTermination(void (*handler)(int)) override { posix::CatchTermination(handler); }
  Shell& shell() override { return shell_; }
  FileSystem& files() override { return files_; }
  SystemInfo& system() override { return system_; }
  Registry& registry() override { return registry_; }
  Autostart* autostart() override { return &autostart_; }

  posix::PosixShell shell_;
  PosixFileSystem files_;
  posix::PosixSystemInfo system_;
  posix::PosixRegistry registry_{posix::XdgFolders::FromEnvironment()};
  posix::XdgAutostart autostart_{posix::XdgFolders::FromEnvironment()};
};

}  // namespace

std::unique_ptr<NativeServices> MakeNativeServices() {
  // Before anything changes them: what the programs started are to be given back.
  posix::RecordGivenSignals();
  return std::make_unique<PosixServices>();
}

}  // namespace tavrin
