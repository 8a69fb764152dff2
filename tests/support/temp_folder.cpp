#include "support/temp_folder.h"

#include <stdexcept>

#include "win/file_system.h"
#include "win/tree_walk.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::test {

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::wstring(base) + L"yx" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(++counter) + L"\\";
    if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temp folder");
  }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::PathA() const { return win::FromWide(path_); }

std::wstring TempFolder::MakeFolder(std::wstring_view relative) const {
  const std::wstring full = path_ + std::wstring(relative);
  if (!win::CreateFolderTree(full)) throw std::runtime_error("cannot make test folder");
  return full.back() == L'\\' ? full : full + L'\\';
}

std::wstring TempFolder::WriteFile(std::wstring_view relative, std::string_view bytes) const {
  const std::wstring full = path_ + std::wstring(relative);
  const size_t cut = full.find_last_of(L'\\');
  (void)win::CreateFolderTree(full.substr(0, cut));
  WriteWholeFile(full, bytes);
  return full;
}

std::string TempFolder::ReadFile(std::wstring_view relative) const {
  return ReadWholeFile(path_ + std::wstring(relative));
}

bool TempFolder::Exists(std::wstring_view relative) const {
  return win::Attributes(path_ + std::wstring(relative)) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring& path) {
  win::UniqueFile file(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  if (!file) throw std::runtime_error("cannot read test file");
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

void WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  win::UniqueFile file(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr));
  if (!file) throw std::runtime_error("cannot write test file");
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
    if (!::WriteFile(file.get(), bytes.data() + done, want, &put, nullptr))
      throw std::runtime_error("cannot write test file");
    done += put;
  }
}

void RemoveTree(const std::wstring& path) {
  std::wstring folder = path;
  if (folder.back() != L'\\') folder += L'\\';
  // On a stack of its own: the trees of some tests are thousands deep.
  win::TreeWalk walk(folder);
  for (;;) {
    switch (walk.Next()) {
      case win::TreeWalk::Step::kEnd:
        return;
      case win::TreeWalk::Step::kEntry: {
        const std::wstring full = win::ToLongPath(walk.CurrentPath());
        if (walk.Current().IsFolder() && !walk.Current().IsLink()) {
          walk.Descend();
        } else if (walk.Current().IsFolder()) {
          ::RemoveDirectoryW(full.c_str());
        } else {
          ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          ::DeleteFileW(full.c_str());
        }
        break;
      }
      case win::TreeWalk::Step::kLeave:
        ::RemoveDirectoryW(win::ToLongPath(walk.Folder()).c_str());
        break;
      case win::TreeWalk::Step::kUnlistable:
        break;
    }
  }
}

win::UniqueFile HoldOpen(const std::wstring& path, DWORD share) {
  return win::UniqueFile(::CreateFileW(win::ToLongPath(path).c_str(), GENERIC_READ, share, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace yx::test
