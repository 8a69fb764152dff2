#pragma once
// The file-system calls a scan of the destination makes: listing a folder
// and reading the first bytes of a file. A test puts a counter in their
// place and sees that a destination whose backups carry catalogs is listed
// without one call inside a backup.
#include <windows.h>

#include <functional>
#include <string>

namespace yx::restore {

class FileAccess {
 public:
  using Visit = std::function<bool(const WIN32_FIND_DATAW&)>;
  virtual ~FileAccess() = default;
  // As win::ForEachEntry.
  [[nodiscard]] virtual bool List(const std::wstring& folder, const Visit& visit);
  // Up to `most` bytes from the start of the file; false with the last
  // error set when it cannot be read or is reached through a link.
  [[nodiscard]] virtual bool ReadStart(const std::wstring& path, size_t most, std::string& bytes);
};

[[nodiscard]] FileAccess& SystemFileAccess();

}  // namespace yx::restore
