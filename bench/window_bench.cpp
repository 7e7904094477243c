// The main window with the largest collection the file format holds, 32,767 items,
// on Qt's offscreen platform: filling the item list, and the window from its
// creation on a loaded collection until it has been drawn.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <filesystem>
#include <string>

#include "collection/collfile.h"
#include "forms/frm_main.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_registry.h"
#include "platform/posix/posix_shell.h"
#include "platform/posix/posix_system.h"
#include "platform/qt/qt_file_dialogs.h"
#include "ui/qt/main_window.h"

namespace {

using tavrin::CollectionState;

constexpr int kItems = 32767;

std::string g_folder;

CollectionState LargeCollection() {
  CollectionState state;
  state.Items.clear();
  for (int i = 0; i < kItems; ++i) {
    tavrin::CollItem item;
    item.ItemName = "Item " + std::to_string(i);
    item.File = "/usr/local/lib/tavrin/tools/program-" + std::to_string(i);
    item.Params = "--profile \"work " + std::to_string(i) + "\" -v";
    item.WinStyle = static_cast<int16_t>(i % 6);
    state.Items.push_back(item);
  }
  return state;
}

// The services of the window. Showing it registers the file association, in the
// throw-away folders that main() names.
struct Services {
  tavrin::StderrToolkit toolkit;
  tavrin::posix::PosixShell shell;
  tavrin::PosixFileSystem files;
  tavrin::posix::PosixSystemInfo system;
  tavrin::posix::PosixRegistry registry{tavrin::posix::XdgFolders::FromEnvironment()};
  tavrin::Platform platform{toolkit, shell, files, system, registry};
  tavrin::QtFileDialogs dialogs;
  tavrin::EditExchange edit;
};

void FillItemList(benchmark::State& run) {
  Services services;
  CollectionState state = LargeCollection();
  tavrin::FrmMain form({state, services.edit, services.platform, services.dialogs}, "");
  tavrin::qt::MainWindow window(form);
  for (auto _ : run) {
    form.AddItemsToList();
  }
  if (window.lstItems()->count() != kItems) run.SkipWithError("the list is not full");
  run.SetItemsProcessed(static_cast<int64_t>(run.iterations()) * kItems);
}
BENCHMARK(FillItemList)->Unit(benchmark::kMillisecond);

// As `tavrin FILE` shows it: the window is made on the collection read at start-up,
// lists it, is shown and drawn, and has every entry in its place.
void ShowWindow(benchmark::State& run) {
  Services services;
  const std::string path = g_folder + "/large.tavrin";
  if (tavrin::SaveCollectionFile(LargeCollection(), path, services.files)) {
    run.SkipWithError("could not write the collection");
    return;
  }
  CollectionState loaded;
  if (tavrin::ReadCollectionFile(loaded, path, services.files) != tavrin::LoadOk) {
    run.SkipWithError("could not read the collection");
    return;
  }
  for (auto _ : run) {
    run.PauseTiming();
    CollectionState state = loaded;
    run.ResumeTiming();
    tavrin::FrmMain form({state, services.edit, services.platform, services.dialogs}, path);
    tavrin::qt::MainWindow window(form);
    window.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab().cacheKey());
    // The list places the entries beyond its first screenful while the window is shown.
    while (window.lstItems()->visualItemRect(window.lstItems()->item(kItems - 1)).isEmpty()) {
      QCoreApplication::processEvents();
    }
    if (window.lstItems()->count() != kItems) run.SkipWithError("the list is not full");
  }
}
BENCHMARK(ShowWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // No screen, and a collection folder of its own.
  char pattern[] = "/tmp/tavrin-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  g_folder = pattern;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("TAVRIN_HOME", pattern, 1);
  setenv("XDG_CONFIG_HOME", pattern, 1);
  setenv("XDG_DATA_HOME", pattern, 1);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(g_folder);
  return 0;
}
