#pragma once

#include <string>
#include <vector>

namespace tavrin {

// Starting a collection at every login of the user.
class Autostart {
 public:
  virtual ~Autostart() = default;

  // Makes the system run the collection at `collectionPath` (a full path) at every
  // login, as `program collectionPath /run`. Returns true with `where` set to what
  // was written (a file, a value), or false with `error` set.
  virtual bool Enable(const std::string& program, const std::string& collectionPath,
                      std::string& where, std::string& error) = 0;

  // Removes what Enable wrote for `collectionPath`. Returns true with `removed`
  // listing what went (nothing when there was nothing), or false with `error` set.
  virtual bool Disable(const std::string& collectionPath, std::vector<std::string>& removed,
                       std::string& error) = 0;
};

}  // namespace tavrin
