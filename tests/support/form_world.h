// What every test of the main window stands on, whichever view it drives: a collection
// folder of its own, the fake platform with its recorded boxes, scripted file dialogs,
// and the state and item exchange the forms keep.
#pragma once

#include <string>
#include <vector>

#include "collection/collection.h"
#include "fakes.h"
#include "forms/form_context.h"
#include "temp_dir.h"

namespace tavrin::testing {

struct FormWorld {
  TempDir dir;
  FakePlatform fake;
  std::vector<std::string>& boxes = fake.toolkit.boxes;
  ScriptedFileDialogs dialogs;
  CollectionState state;
  EditExchange edit;

  FormWorld() { fake.system.collectionFolder = dir.str(); }

  FormContext Context(Platform& platform) { return FormContext{state, edit, platform, dialogs}; }
  FormContext Context() { return Context(fake.platform); }
  // Holds `items` as the loaded collection "c" of the collection folder; gives the
  // command line that opens the window on it.
  std::string Loaded(const std::vector<CollItem>& items) {
    state.Items = items;
    state.CurrentCollFile = dir.file("c.tavrin");
    return state.CurrentCollFile;
  }
  // A collection file in the collection folder; its items start BinPath(<name>).
  void Collection(const std::string& name, const std::vector<std::string>& names) {
    WriteFile(dir.file(name + ".tavrin"), CollectionOfNames(names));
  }
};

}  // namespace tavrin::testing
