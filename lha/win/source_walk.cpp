#include "lha/win/source_walk.h"

#include <algorithm>
#include <cwctype>

#include "base/wildcard.h"

#include "win/file_system.h"
#include "win/text.h"
#include "win/tree_walk.h"

namespace yx::lha::win {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t Upper(wchar_t c) {
  return static_cast<wchar_t>(reinterpret_cast<uintptr_t>(
      ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(c)))));
}

// DOS wildcards, compared without case: '*' any run, '?' one character;
// "*.*" stands for every name, dotted or not.
bool Matches(std::wstring_view pattern, std::wstring_view name) {
  if (pattern == L"*.*") pattern = L"*";
  return WildcardMatch<wchar_t>(pattern, name,
                                [](wchar_t a, wchar_t b) { return Upper(a) == Upper(b); });
}

bool HasWildcard(std::wstring_view s) { return s.find_first_of(L"*?") != std::wstring_view::npos; }

bool MatchesEverything(std::wstring_view pattern) { return pattern == L"*" || pattern == L"*.*"; }

bool IsAbsolute(std::wstring_view p) {
  return (p.size() >= 2 && p[1] == L':') || (!p.empty() && IsSeparator(p[0]));
}

// The folders of a path as they may be stored: no drive, no share, no
// leading separator, no "." or "..".
std::vector<std::wstring> StorableFolders(std::wstring_view folder) {
  if (folder.starts_with(L"\\\\?\\")) folder.remove_prefix(4);
  if (folder.size() >= 2 && folder[1] == L':') {
    folder.remove_prefix(2);
  } else if (folder.size() >= 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
    // \\server\share\ : the share is where the stored path starts.
    folder.remove_prefix(2);
    for (int part = 0; part < 2 && !folder.empty(); ++part) {
      const size_t cut = folder.find_first_of(L"\\/");
      folder.remove_prefix(cut == std::wstring_view::npos ? folder.size() : cut + 1);
    }
  }
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t i = 0; i <= folder.size(); ++i) {
    if (i < folder.size() && !IsSeparator(folder[i])) continue;
    const std::wstring_view part = folder.substr(start, i - start);
    if (!part.empty() && part != L"." && part != L"..") parts.emplace_back(part);
    start = i + 1;
  }
  return parts;
}

std::wstring FullPath(const std::wstring& path) {
  return yx::win::ToLongPath(yx::win::FullPath(path));
}

struct Frame {
  std::wstring folder;                    // ends in '\'
  uint32_t number = 0;                    // in the list
  std::vector<SourceList::Item> entries;  // what is left to take, names in the list
  size_t next = 0;
  bool has_entry = false;  // its own -lhd- entry follows its contents
  SourceList::Item self;
  yx::win::LazyFolderId lazy;
};

// Whether the exclusions leave out `e`, listed `relative` below the top.
bool Excluded(const WalkOptions& options, std::wstring_view relative, const WIN32_FIND_DATAW& e) {
  if (options.exclusions.Empty()) return false;
  const uint64_t size = (uint64_t{e.nFileSizeHigh} << 32) | e.nFileSizeLow;
  return options.exclusions.Match(yx::win::FromWide(std::wstring(relative) + e.cFileName),
                                  yx::win::IsFolder(e), size) != Exclusions::kNoMatch;
}

// Lists the frame's folder: its folders, and the files the walk takes. A
// folder that cannot be listed is named in `unreadable` and walked as empty.
// `top_length`: of the top folder's path, where the exclusions' paths begin.
void List(Frame& frame, std::wstring_view pattern, const WalkOptions& options, SourceList& list,
          std::vector<Unreadable>& unreadable, size_t top_length) {
  const std::wstring_view relative = std::wstring_view(frame.folder).substr(top_length);
  const bool listed = yx::win::ForEachEntry(
      frame.folder,
      [&](const WIN32_FIND_DATAW& e) {
        if (yx::win::IsDotEntry(e) || Excluded(options, relative, e)) return true;
        if (!yx::win::IsFolder(e) && (!Matches(pattern, e.cFileName) ||
                                      ComparablePath(frame.folder + e.cFileName) == options.skip))
          return true;
        frame.entries.push_back(list.Listed(e, frame.number));
        return true;
      },
      options.find_next);
  if (!listed) unreadable.push_back(yx::win::Failure::Last("FindNextFileW").At(frame.folder));
}

// A link to one of the folders on the way down to it.
bool LeadsBack(const std::wstring& link, std::vector<Frame>& stack) {
  return yx::win::LinkLeadsBack(link, stack, [](const Frame& frame) { return frame.folder; });
}

}  // namespace

// Up from the folder, not by recursion: a chain of thousands of nested
// folders would otherwise cost the thread's stack.
std::vector<uint32_t> SourceList::Chain(uint32_t folder) const {
  std::vector<uint32_t> chain;
  for (;; folder = folders_[folder].parent) {
    chain.push_back(folder);
    if (folders_[folder].top) break;
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

std::wstring SourceList::FolderPath(uint32_t folder) const {
  const std::vector<uint32_t> chain = Chain(folder);
  std::wstring path = tops_[folders_[chain.front()].name].path;
  for (size_t k = 1; k < chain.size(); ++k) {
    path += FolderName(folders_[chain[k]]);
    path += L'\\';
  }
  return path;
}

std::vector<std::wstring> SourceList::StoredFolders(uint32_t folder) const {
  const std::vector<uint32_t> chain = Chain(folder);
  std::vector<std::wstring> stored = tops_[folders_[chain.front()].name].stored;
  for (size_t k = 1; k < chain.size(); ++k) stored.emplace_back(FolderName(folders_[chain[k]]));
  return stored;
}

std::wstring SourceList::Path(size_t i) const {
  const Item& item = items_[i];
  if (!item.is_folder) return FolderPath(item.folder) + std::wstring(Name(item));
  const Folder& f = folders_[item.folder];
  if (f.top) return tops_[f.name].path;
  // A folder below the top as the listing names it, without the '\\'.
  return FolderPath(f.parent) + std::wstring(FolderName(f));
}

StoredPath SourceList::Stored(size_t i) const {
  const Item& item = items_[i];
  StoredPath stored{StoredFolders(item.folder), {}};
  if (!item.is_folder) stored.name = Name(item);
  return stored;
}

uint32_t SourceList::AddTop(std::wstring path, std::vector<std::wstring> stored) {
  tops_.push_back({std::move(path), std::move(stored)});
  folders_.push_back({0, static_cast<uint32_t>(tops_.size() - 1), 0, true});
  return static_cast<uint32_t>(folders_.size() - 1);
}

uint32_t SourceList::AddFolder(uint32_t parent, const Item& listed) {
  folders_.push_back({parent, listed.name, listed.name_length, false});
  return static_cast<uint32_t>(folders_.size() - 1);
}

SourceList::Item SourceList::Listed(const WIN32_FIND_DATAW& e, uint32_t folder) {
  const std::wstring_view name = e.cFileName;
  Item item;
  item.folder = folder;
  item.name = static_cast<uint32_t>(names_.size());
  item.name_length = static_cast<uint16_t>(name.size());
  names_.insert(names_.end(), name.begin(), name.end());
  item.is_folder = yx::win::IsFolder(e);
  item.attributes = e.dwFileAttributes;
  item.size = item.is_folder ? 0 : (uint64_t{e.nFileSizeHigh} << 32) | e.nFileSizeLow;
  item.creation = e.ftCreationTime;
  item.modification = e.ftLastWriteTime;
  item.access = e.ftLastAccessTime;
  return item;
}

std::wstring ComparablePath(const std::wstring& path) {
  std::wstring p = FullPath(path);
  if (!p.empty()) ::CharUpperBuffW(p.data(), static_cast<DWORD>(p.size()));
  return p;
}

WalkStatus CollectSources(const std::wstring& base, const std::wstring& name,
                          const WalkOptions& options, SourceList& list,
                          std::vector<Unreadable>& unreadable, std::wstring& failed) {
  std::wstring relative = name;
  while (!relative.empty() && IsSeparator(relative.back())) relative.pop_back();
  const std::wstring full = FullPath(base + relative);
  const size_t cut = full.find_last_of(L"\\/");
  const std::wstring folder = full.substr(0, cut + 1);
  const std::wstring last = full.substr(cut + 1);
  // Where the argument's own folders start in the stored path: everything
  // the argument names below the base.
  const size_t rel_cut = relative.find_last_of(L"\\/");
  std::vector<std::wstring> top = StorableFolders(
      base.empty() && IsAbsolute(relative)
          ? std::wstring_view(folder)
          : std::wstring_view(relative).substr(0, rel_cut == std::wstring::npos ? 0 : rel_cut));
  const bool top_has_name = !top.empty();

  std::wstring pattern = last;
  std::vector<Frame> stack;
  if (HasWildcard(last)) {
    if (!yx::win::FolderExists(folder)) {
      failed = folder;
      return WalkStatus::kMissing;
    }
    Frame f;
    f.folder = folder;
    f.number = list.AddTop(folder, std::move(top));
    // "Work\*" stores the folder Work too, after its contents, so that an
    // empty source still leaves its mark in the archive.
    if (options.folder_entries && top_has_name && MatchesEverything(pattern)) {
      WIN32_FILE_ATTRIBUTE_DATA a{};
      if (::GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &a)) {
        f.has_entry = true;
        f.self.folder = f.number;
        f.self.is_folder = true;
        f.self.attributes = a.dwFileAttributes;
        f.self.creation = a.ftCreationTime;
        f.self.modification = a.ftLastWriteTime;
        f.self.access = a.ftLastAccessTime;
      }
    }
    stack.push_back(std::move(f));
  } else {
    WIN32_FIND_DATAW e{};
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (last.empty() || last.size() >= MAX_PATH ||
        !::GetFileAttributesExW(full.c_str(), GetFileExInfoStandard, &a)) {
      failed = full;
      return WalkStatus::kMissing;
    }
    e.dwFileAttributes = a.dwFileAttributes;
    e.ftCreationTime = a.ftCreationTime;
    e.ftLastWriteTime = a.ftLastWriteTime;
    e.ftLastAccessTime = a.ftLastAccessTime;
    e.nFileSizeHigh = a.nFileSizeHigh;
    e.nFileSizeLow = a.nFileSizeLow;
    last.copy(e.cFileName, last.size());
    const SourceList::Item item = list.Listed(e, list.AddTop(folder, std::move(top)));
    if (!item.is_folder) {
      list.Add(item);
      return WalkStatus::kOk;
    }
    // A folder named without a wildcard: all of it, then itself.
    Frame f;
    f.folder = full + L"\\";
    f.number = list.AddFolder(item.folder, item);
    f.has_entry = options.folder_entries;
    f.self = item;
    f.self.folder = f.number;
    pattern = L"*";
    stack.push_back(std::move(f));
  }

  const size_t top_length = stack.back().folder.size();
  List(stack.back(), pattern, options, list, unreadable, top_length);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next == f.entries.size()) {
      if (f.has_entry) list.Add(f.self);
      stack.pop_back();
      continue;
    }
    const SourceList::Item e = f.entries[f.next++];
    if (!e.is_folder) {
      list.Add(e);
      continue;
    }
    if (!options.recurse) continue;
    // A link is stored as the folder it leads to, as a copy run copies it,
    // unless it leads back up the tree: then it is left out altogether.
    const std::wstring path = f.folder + std::wstring(list.Name(e));
    if ((e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsBack(path, stack)) continue;
    Frame child;
    child.folder = path + L"\\";
    child.number = list.AddFolder(f.number, e);
    child.has_entry = options.folder_entries && Matches(pattern, list.Name(e));
    child.self = e;
    child.self.folder = child.number;
    List(child, pattern, options, list, unreadable, top_length);
    stack.push_back(std::move(child));
  }
  return WalkStatus::kOk;
}

}  // namespace yx::lha::win
