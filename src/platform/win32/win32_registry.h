#pragma once

#include <string>

#include "platform/registry.h"

namespace tavrin::win32 {

// The Windows registry. Keys of the classes root are written per user, under
// HKEY_CURRENT_USER\Software\Classes, so that no administrator rights are needed;
// reading them sees what HKEY_CLASSES_ROOT shows, the per-user key first.
class Win32Registry : public Registry {
 public:
  long CreateKey(Key root, const std::string& subkey, Key& key) override;
  long OpenKey(Key root, const std::string& subkey, Key& key) override;
  long QueryValue(Key key, const std::string& name, uint32_t& type, char* buffer,
                  uint32_t& size) override;
  long SetValue(Key key, const std::string& name, uint32_t type, const char* data,
                uint32_t size) override;
  long DeleteKey(Key root, const std::string& subkey) override;
  long CloseKey(Key key) override;
  std::string AssociationChanged() override;
};

}  // namespace tavrin::win32
