#include "restore/archive_backup.h"

#include "lha/core/archive_reader.h"
#include "lha/win/file_streams.h"
#include "restore/wide_text.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::restore {
namespace {

// Seconds from 1601 (FILETIME's start) to 1970.
constexpr uint64_t kUnixEpochSeconds = 11644473600ull;

std::wstring NameOf(const std::optional<std::u16string>& wide, const std::string& cp932,
                    char16_t wide_separator) {
  std::wstring name;
  if (wide) {
    name = Wide(*wide);
    for (wchar_t& c : name)
      if (c == wide_separator) c = L'\\';
    return name;
  }
  // Shift-JIS never holds 0xFF, so the separator cannot be part of a name.
  std::string text = cp932;
  for (char& c : text)
    if (static_cast<unsigned char>(c) == 0xFF) c = '\\';
  return win::ToWide(text);
}

// The stored path as a path below the restore's target, or empty when it
// could leave the target: a drive, a leading backslash, "." or "..".
std::wstring SafePath(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  if (path.empty() || path.front() == L'\\' || path.find(L':') != std::wstring::npos) return {};
  for (size_t at = 0; at <= path.size();) {
    const size_t end = std::min(path.find(L'\\', at), path.size());
    const std::wstring_view part(path.data() + at, end - at);
    if (part.empty() || part == L"." || part == L"..") return {};
    at = end + 1;
  }
  return path;
}

StoredEntry EntryOf(const lha::ArchiveEntry& a, const std::wstring& path) {
  const lha::EntryHeader& h = a.header;
  StoredEntry e;
  e.path = U16(path);
  e.folder = h.IsDirectory();
  e.size = e.folder ? 0 : h.original_size;
  if (h.times) {
    e.created = h.times->creation;
    e.modified = h.times->modification;
    e.accessed = h.times->access;
  } else {
    e.modified = (h.unix_time + kUnixEpochSeconds) * 10000000ull;
  }
  e.attributes =
      h.attributes.value_or(e.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
  if (e.folder) e.attributes |= FILE_ATTRIBUTE_DIRECTORY;
  e.locator = a.offset;
  return e;
}

}  // namespace

bool ArchiveBackup::List(std::vector<StoredEntry>& entries, std::string& unreadable) {
  lha::win::ArchiveFile file;
  const std::string shown = win::FromWide(path_);
  if (!file.Open(path_)) {
    unreadable = shown + ": " + win::ErrorReason(::GetLastError());
    return false;
  }
  std::vector<lha::ArchiveEntry> read;
  const lha::ListResult result = lha::ListArchive(file, read);
  for (const lha::ArchiveEntry& a : read) {
    const lha::EntryHeader& h = a.header;
    std::wstring path =
        NameOf(h.wide_directory, h.directory, 0xFFFF) + NameOf(h.wide_name, h.name, 0xFFFF);
    if (const std::wstring safe = SafePath(path); !safe.empty()) {
      entries.push_back(EntryOf(a, safe));
      continue;
    }
    if (!unreadable.empty()) unreadable += "\r\n";
    unreadable += shown + ": " + win::FromWide(path) + " は書庫の外を指すので復元しません。";
  }
  if (result != lha::ListResult::kOk) {
    if (!unreadable.empty()) unreadable += "\r\n";
    unreadable += shown + ": " + std::to_string(read.size() + 1) +
                  " 番目の項目から先が壊れていて読めません。";
  }
  return unreadable.empty();
}

ExtractResult ArchiveBackup::Extract(const StoredEntry&, const ContentSink&, std::string& failure) {
  failure = win::FromWide(path_) + ": not yet";
  return ExtractResult::kBackupUnreadable;
}

}  // namespace yx::restore
