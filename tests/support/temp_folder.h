#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <windows.h>

#include <string>
#include <string_view>

#include "win/unique_handle.h"

namespace yx::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Ends in a backslash.
  [[nodiscard]] const std::wstring& Path() const noexcept { return path_; }
  // The same path as CP932 text, as the program's settings hold paths.
  [[nodiscard]] std::string PathA() const;

  // Helpers for building trees: paths are relative to the folder.
  std::wstring MakeFolder(std::wstring_view relative) const;
  std::wstring WriteFile(std::wstring_view relative, std::string_view bytes) const;
  [[nodiscard]] std::string ReadFile(std::wstring_view relative) const;
  [[nodiscard]] bool Exists(std::wstring_view relative) const;

 private:
  std::wstring path_;
};

// Reads or writes a whole file by its full path.
[[nodiscard]] std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, std::string_view bytes);
void RemoveTree(const std::wstring& path);

// A file or folder held open as another program holds it, sharing only
// `share`; false (empty) when it cannot be opened.
[[nodiscard]] win::UniqueFile HoldOpen(const std::wstring& path, DWORD share = 0);

}  // namespace yx::test
