#include "win/tree_writer.h"

#include "win/file_system.h"

namespace yx::win {
namespace {

constexpr wchar_t kHoldName[] = L"held";

bool IsLinkOrFile(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A killed writer's folder: its hold file went with the process, so it can
// be deleted; a living writer's cannot (it holds it unshared).
void RemoveLeftover(const std::wstring& folder) {
  const std::wstring hold = ToLongPath(folder + kHoldName);
  if (!::DeleteFileW(hold.c_str())) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return;
  }
  std::vector<std::wstring> files;
  // Only plain files: a link put there since would lead out of the folder.
  (void)ForEachEntry(folder, [&](const WIN32_FIND_DATAW& e) {
    if (!IsFolder(e) && !IsLink(e)) files.push_back(folder + e.cFileName);
    return true;
  });
  for (const std::wstring& file : files) {
    (void)::SetFileAttributesW(ToLongPath(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)::DeleteFileW(ToLongPath(file).c_str());
  }
  (void)::RemoveDirectoryW(ToLongPath(folder).c_str());
}

}  // namespace

std::wstring FoldedName(std::wstring path) {
  if (!path.empty()) ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

FolderOutcome MakeFolders(const std::wstring& base, const std::vector<std::wstring>& parts,
                          size_t count, KnownFolders& known) {
  std::wstring path = base;
  for (size_t i = 0; i < count; ++i) {
    path += parts[i];
    std::wstring key = FoldedName(path + L'\\');
    if (known.real.contains(key)) {
      path += L'\\';
      continue;
    }
    const std::wstring long_path = ToLongPath(path);
    DWORD a = ::GetFileAttributesW(long_path.c_str());
    bool made = false;
    if (a == INVALID_FILE_ATTRIBUTES) {
      made = ::CreateDirectoryW(long_path.c_str(), nullptr) != FALSE;
      const DWORD error = ::GetLastError();
      if (!made && error != ERROR_ALREADY_EXISTS)
        return {FolderOutcome::Fault::kSystem, path, error};
      a = ::GetFileAttributesW(long_path.c_str());
    }
    if (a == INVALID_FILE_ATTRIBUTES || IsLinkOrFile(a))
      return {FolderOutcome::Fault::kBlocked, path, 0};
    if (made) known.made.insert(key);
    known.real.insert(std::move(key));
    path += L'\\';
  }
  return {};
}

NameVerdict SplitPlacedPath(std::wstring_view relative, std::vector<std::wstring>& parts,
                            std::wstring* at_fault) {
  parts.clear();
  NameVerdict verdict = NameVerdict::kOk;
  for (size_t at = 0; at <= relative.size();) {
    const size_t end = std::min(relative.find(L'\\', at), relative.size());
    std::wstring name(relative.substr(at, end - at));
    const NameVerdict v = CheckWindowsName(
        std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
    if (v != NameVerdict::kOk && verdict == NameVerdict::kOk) {
      verdict = v;
      if (at_fault) *at_fault = name;
    }
    parts.push_back(std::move(name));
    at = end + 1;
  }
  return verdict;
}

WorkFolder::~WorkFolder() {
  if (!hold_) return;
  hold_.reset();
  (void)::RemoveDirectoryW(ToLongPath(folder_).c_str());
}

bool WorkFolder::Open(const std::wstring& target, std::wstring_view prefix) {
  std::vector<std::wstring> leftovers;
  (void)ForEachEntry(target, [&](const WIN32_FIND_DATAW& e) {
    const std::wstring_view name = e.cFileName;
    if (IsFolder(e) && !IsLink(e) && name.size() > prefix.size() + 5 &&
        FoldedName(std::wstring(name.substr(0, prefix.size() + 1))) ==
            FoldedName(std::wstring(prefix) + L".") &&
        FoldedName(std::wstring(name.substr(name.size() - 4))) == L".TMP")
      leftovers.push_back(target + e.cFileName + L"\\");
    return true;
  });
  for (const std::wstring& folder : leftovers) RemoveLeftover(folder);
  folder_ =
      target + std::wstring(prefix) + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp\\";
  if (!::CreateDirectoryW(ToLongPath(folder_).c_str(), nullptr)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return false;
  }
  hold_.reset(::CreateFileW(ToLongPath(folder_ + kHoldName).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                            nullptr));
  return static_cast<bool>(hold_);
}

std::wstring WorkFolder::NextName() { return folder_ + std::to_wstring(++next_) + L".tmp"; }

}  // namespace yx::win
