#include "lha/win/source_walk.h"

#include <algorithm>
#include <cwctype>

#include "win/file_system.h"
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
  size_t p = 0, n = 0, star = std::wstring_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || Upper(pattern[p]) == Upper(name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      mark = n;
    } else if (star != std::wstring_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
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

SourceItem ItemFrom(const WIN32_FIND_DATAW& e, const std::wstring& folder, const StoredPath& in) {
  SourceItem item;
  item.path = folder + e.cFileName;
  item.folder = yx::win::IsFolder(e);
  item.size = (uint64_t{e.nFileSizeHigh} << 32) | e.nFileSizeLow;
  item.attributes = e.dwFileAttributes;
  item.creation = e.ftCreationTime;
  item.modification = e.ftLastWriteTime;
  item.access = e.ftLastAccessTime;
  item.stored = in;
  if (item.folder) {
    item.stored.folders.emplace_back(e.cFileName);
    item.size = 0;
  } else {
    item.stored.name = e.cFileName;
  }
  return item;
}

struct Frame {
  std::wstring folder;  // ends in '\'
  StoredPath stored;    // its place in the archive
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
  bool has_entry = false;  // its own -lhd- entry follows its contents
  SourceItem self;
  std::optional<yx::win::FolderId> id;  // read when a link is met below it
  bool identified = false;
};

// Lists the frame's folder; a folder that cannot be listed is named in
// `unreadable` and walked as empty.
void List(Frame& frame, std::vector<Unreadable>& unreadable) {
  frame.entries.clear();
  const bool listed = yx::win::ForEachEntry(frame.folder, [&](const WIN32_FIND_DATAW& e) {
    if (!yx::win::IsDotEntry(e)) frame.entries.push_back(e);
    return true;
  });
  if (!listed) unreadable.push_back({frame.folder, ::GetLastError()});
}

// A link to one of the folders on the way down to it.
bool LeadsBack(const std::wstring& link, std::vector<Frame>& stack) {
  const std::optional<yx::win::FolderId> target = yx::win::IdentifyFolder(link + L"\\");
  if (!target) return false;
  for (Frame& frame : stack) {
    if (!frame.identified) {
      frame.id = yx::win::IdentifyFolder(frame.folder);
      frame.identified = true;
    }
    if (frame.id == target) return true;
  }
  return false;
}

}  // namespace

std::wstring ComparablePath(const std::wstring& path) {
  std::wstring p = FullPath(path);
  if (!p.empty()) ::CharUpperBuffW(p.data(), static_cast<DWORD>(p.size()));
  return p;
}

WalkStatus CollectSources(const std::wstring& base, const std::wstring& name,
                          const WalkOptions& options, std::vector<SourceItem>& items,
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
  StoredPath top;
  top.folders = StorableFolders(
      base.empty() && IsAbsolute(relative)
          ? std::wstring_view(folder)
          : std::wstring_view(relative).substr(0, rel_cut == std::wstring::npos ? 0 : rel_cut));

  std::wstring pattern = last;
  std::vector<Frame> stack;
  if (HasWildcard(last)) {
    if (!yx::win::FolderExists(folder)) {
      failed = folder;
      return WalkStatus::kMissing;
    }
    Frame f;
    f.folder = folder;
    f.stored = top;
    // "Work\*" stores the folder Work too, after its contents, so that an
    // empty source still leaves its mark in the archive.
    if (options.folder_entries && !top.folders.empty() && MatchesEverything(pattern)) {
      WIN32_FILE_ATTRIBUTE_DATA a{};
      if (::GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &a)) {
        f.has_entry = true;
        f.self.path = folder;
        f.self.folder = true;
        f.self.stored = top;
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
    if (last.empty() || !::GetFileAttributesExW(full.c_str(), GetFileExInfoStandard, &a)) {
      failed = full;
      return WalkStatus::kMissing;
    }
    e.dwFileAttributes = a.dwFileAttributes;
    e.ftCreationTime = a.ftCreationTime;
    e.ftLastWriteTime = a.ftLastWriteTime;
    e.ftLastAccessTime = a.ftLastAccessTime;
    e.nFileSizeHigh = a.nFileSizeHigh;
    e.nFileSizeLow = a.nFileSizeLow;
    last.copy(e.cFileName, std::min<size_t>(last.size(), MAX_PATH - 1));
    SourceItem item = ItemFrom(e, folder, top);
    item.path = full;
    if (!item.folder) {
      items.push_back(std::move(item));
      return WalkStatus::kOk;
    }
    // A folder named without a wildcard: all of it, then itself.
    Frame f;
    f.folder = full + L"\\";
    f.stored = item.stored;
    f.has_entry = options.folder_entries;
    f.self = std::move(item);
    pattern = L"*";
    stack.push_back(std::move(f));
  }

  List(stack.back(), unreadable);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next == f.entries.size()) {
      if (f.has_entry) items.push_back(std::move(f.self));
      stack.pop_back();
      continue;
    }
    const WIN32_FIND_DATAW& e = f.entries[f.next++];
    SourceItem item = ItemFrom(e, f.folder, f.stored);
    if (!item.folder) {
      if (Matches(pattern, e.cFileName) && ComparablePath(item.path) != options.skip)
        items.push_back(std::move(item));
      continue;
    }
    if (!options.recurse) continue;
    // A link is stored as the folder it leads to, as a copy run copies it,
    // unless it leads back up the tree: then it is left out altogether.
    if (yx::win::IsLink(e) && LeadsBack(item.path, stack)) continue;
    const bool wanted = options.folder_entries && Matches(pattern, e.cFileName);
    Frame child;
    child.folder = item.path + L"\\";
    child.stored = item.stored;
    child.has_entry = wanted;
    child.self = std::move(item);
    List(child, unreadable);
    stack.push_back(std::move(child));
  }
  return WalkStatus::kOk;
}

}  // namespace yx::lha::win
