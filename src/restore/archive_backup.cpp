#include "restore/archive_backup.h"

#include <algorithm>

#include "lha/win/entry_names.h"
#include "lha/win/unlha32_api.h"
#include "restore/copy_backup.h"
#include "restore/wide_text.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::restore {
namespace {

struct ArchiveHandle {
  HARC handle;
  ~ArchiveHandle() {
    if (handle) (void)UnlhaCloseArchive(handle);
  }
};

// The stored path, or empty when it could leave the target folder (absolute,
// ".."): such an entry is named, never offered. A name Windows cannot hold
// is offered, and the restore names it when it leaves it out.
std::u16string SafePath(const std::wstring& stored) {
  std::vector<std::u16string> parts;
  for (size_t at = 0; at <= stored.size();) {
    const size_t end = std::min(stored.find(L'\\', at), stored.size());
    parts.push_back(U16(std::wstring_view(stored).substr(at, end - at)));
    at = end + 1;
  }
  // A folder's path may end in a separator.
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  if (parts.front().empty() || std::find(parts.begin(), parts.end(), u"..") != parts.end())
    return {};
  std::erase(parts, u".");
  std::u16string path;
  for (const std::u16string& part : parts) path += (path.empty() ? u"" : u"\\") + part;
  return path;
}

uint64_t TimeOf(BOOL(WINAPI* get)(HARC, FILETIME*), HARC archive) {
  FILETIME t{};
  return get(archive, &t) ? FileTimeValue(t) : 0;
}

class SinkBridge : public lha::ByteSink {
 public:
  explicit SinkBridge(const ContentSink& sink) : sink_(sink) {}
  bool Write(const uint8_t* data, size_t size) override { return sink_(data, size); }

 private:
  const ContentSink& sink_;
};

std::string DecodeFailure(lha::DecodeStatus status, const win::Failure& read) {
  switch (status) {
    case lha::DecodeStatus::kUnsupported:
      return "この圧縮方法は読めません。";
    case lha::DecodeStatus::kCrcMismatch:
      return "CRC が合いません（書庫が壊れています）。";
    case lha::DecodeStatus::kLonger:
      return "書庫に書かれた大きさより長いデータです（書庫が壊れています）。";
    case lha::DecodeStatus::kReadError:
      return "書庫を読めません: " + read.Reason();
    default:
      return "データが壊れています。";
  }
}

}  // namespace

bool ArchiveBackup::List(std::vector<StoredEntry>& entries, std::string& unreadable) {
  const std::string shown = win::FromWide(path_);
  const ArchiveHandle archive{UnlhaOpenArchiveW(nullptr, path_.c_str(), 0)};
  if (!archive.handle) {
    const win::Failure failure = win::Failure::Last("UnlhaOpenArchiveW");
    unreadable = shown + ": " + (failure.error ? failure.Reason() : "LHA 書庫として読めません。");
    return false;
  }
  INDIVIDUALINFOW info{};
  std::wstring stored(32768, L'\0');
  uint64_t index = 0;
  for (int found = UnlhaFindFirstW(archive.handle, L"*", &info); found == 0;
       found = UnlhaFindNextW(archive.handle, &info), ++index) {
    const int length =
        UnlhaGetFileNameW(archive.handle, stored.data(), static_cast<int>(stored.size()));
    const std::wstring name = stored.substr(0, static_cast<size_t>(std::max(length, 0)));
    StoredEntry e;
    e.path = SafePath(name);
    if (e.path.empty()) {
      if (!unreadable.empty()) unreadable += "\r\n";
      unreadable += shown + ": " + win::FromWide(name) + " は書庫の外を指すので使いません。";
      continue;
    }
    const int attributes = UnlhaGetAttribute(archive.handle);
    e.attributes = attributes < 0 ? 0 : static_cast<uint32_t>(attributes);
    e.folder = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    ULONGLONG size = 0;
    if (!e.folder && UnlhaGetOriginalSizeEx(archive.handle, &size)) e.size = size;
    e.modified = TimeOf(UnlhaGetWriteTimeEx, archive.handle);
    e.created = TimeOf(UnlhaGetCreateTimeEx, archive.handle);
    e.accessed = TimeOf(UnlhaGetAccessTimeEx, archive.handle);
    e.locator = index;
    entries.push_back(std::move(e));
  }
  // The handle lists what can be read; the check says whether that is all.
  if (!UnlhaCheckArchiveW(path_.c_str(), CHECKARCHIVE_RAPID)) {
    if (!unreadable.empty()) unreadable += "\r\n";
    unreadable +=
        shown + ": " + std::to_string(index + 1) + " 番目の項目から先が壊れていて読めません。";
  }
  return unreadable.empty();
}

ExtractResult ArchiveBackup::Extract(const StoredEntry& entry, const ContentSink& sink,
                                     std::string& failure) {
  const std::string shown = win::FromWide(path_) + ": " + win::FromWide(Wide(entry.path));
  if (!opened_) {
    auto opened = std::make_unique<lha::win::OpenedArchive>();
    DWORD error = 0;
    if (lha::win::OpenArchive(path_, *opened, error) != 0) {
      failure = shown + ": " + (error ? win::ErrorReason(error) : "LHA 書庫として読めません。");
      return ExtractResult::kBackupUnreadable;
    }
    opened_ = std::move(opened);
  }
  // The handle listed the entries in the archive's order; the path checks
  // that the archive is still the one listed.
  const std::vector<lha::ArchiveEntry>& all = opened_->entries;
  if (entry.locator >= all.size() ||
      SafePath(lha::win::EntryWidePath(all[entry.locator].header)) != entry.path) {
    failure = shown + ": 一覧のあとで書庫が変わりました。";
    return ExtractResult::kBackupUnreadable;
  }
  if (all[entry.locator].header.IsSymbolicLink()) {
    failure = shown + ": バックアップの中のリンクなので復元しません。";
    return ExtractResult::kBackupUnreadable;
  }
  SinkBridge out(sink);
  const lha::DecodeStatus status = decoder_.Decode(*opened_->source, all[entry.locator], &out);
  const win::Failure read = win::Failure::Last("ReadFile");
  if (status == lha::DecodeStatus::kOk) return ExtractResult::kOk;
  if (status == lha::DecodeStatus::kWriteError) return ExtractResult::kSinkFailed;
  failure = shown + ": " + DecodeFailure(status, read);
  return ExtractResult::kBackupUnreadable;
}

}  // namespace yx::restore
