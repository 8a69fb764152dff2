#include "restore/restorer.h"

#include "restore/copy_backup.h"
#include "restore/wide_text.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/tree_writer.h"
#include "win/unique_handle.h"

namespace yx::restore {
namespace {

// The attributes a restore gives back; the others belong to the file system.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr int kKeepBothAttempts = 100;

std::wstring Long(const std::wstring& path) { return win::ToLongPath(path); }

class FileRestore {
 public:
  FileRestore(BackupEntries& backup, RestoreJob& job, RestoreSummary& summary,
              win::WorkFolder& work)
      : backup_(backup), job_(job), summary_(summary), work_(work) {}

  void Fail(const win::Failure& failure, bool stop) {
    summary_.failures.push_back(failure.Text());
    summary_.stopped = summary_.stopped || stop;
  }
  void LeaveOut(const std::wstring& path, std::string_view why) {
    summary_.failures.push_back(win::FromWide(path) + ": " + std::string(why));
  }

  // Where the entry goes, its folders made; nothing when it is left out.
  std::optional<std::wstring> Place(const PlannedEntry& p) {
    const std::wstring path = job_.target + Wide(p.relative);
    if (p.entry->link) {
      LeaveOut(path, "バックアップの中のリンクなので復元しません。");
      return std::nullopt;
    }
    std::vector<std::wstring> parts;
    std::wstring name;
    if (win::SplitPlacedPath(Wide(p.relative), parts, &name) != NameVerdict::kOk) {
      LeaveOut(path, "名前 " + win::FromWide(name) + " は Windows で使えないので復元しません。");
      return std::nullopt;
    }
    const win::FolderOutcome made = win::MakeFolders(
        job_.target, parts, p.entry->folder ? parts.size() : parts.size() - 1, known_);
    if (made.fault == win::FolderOutcome::Fault::kBlocked) {
      LeaveOut(path, "途中の " + win::FromWide(made.path) +
                         " がフォルダではない (ファイルかリンク) ので復元しません。");
      return std::nullopt;
    }
    if (made.fault == win::FolderOutcome::Fault::kSystem) {
      Fail({"CreateDirectoryW", made.error, made.path}, true);
      return std::nullopt;
    }
    return path;
  }

  // Made by this restore: only then are its times and attributes ours to set.
  [[nodiscard]] bool Made(const std::wstring& folder) const {
    return known_.made.contains(win::FoldedName(folder + L'\\'));
  }

  void File(const StoredEntry& e, const std::wstring& path, size_t done, size_t total) {
    const DWORD there = win::Attributes(path);
    if (there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_DIRECTORY)) {
      LeaveOut(path, "同じ名前のフォルダ (かリンク) があるので復元しません。");
      return;
    }
    Existing existing = Existing::kKeepBoth;
    if (there != INVALID_FILE_ATTRIBUTES) {
      if (!job_.existing) job_.existing = job_.ask ? job_.ask(path) : Existing::kKeepBoth;
      if (!job_.existing) {
        summary_.cancelled = true;
        return;
      }
      existing = *job_.existing;
      if (existing == Existing::kSkip) {
        ++summary_.skipped;
        return;
      }
    }
    const std::wstring temp = work_.NextName();
    if (!Write(e, path, temp, done, total)) return;
    std::wstring placed = path;
    bool moved = false;
    if (there != INVALID_FILE_ATTRIBUTES && existing == Existing::kOverwrite) {
      // A read-only file refuses to be replaced; the restored one takes its
      // attributes from the backup anyway.
      (void)::SetFileAttributesW(Long(path).c_str(), there & ~FILE_ATTRIBUTE_READONLY);
      moved = ::MoveFileExW(Long(temp).c_str(), Long(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    } else {
      // Never over a file: one that appears meanwhile (another restore into
      // the same place) makes this one a kept copy too.
      const std::wstring folder(ParentOfWide(path));
      const std::wstring name = path.substr(folder.size());
      for (int attempt = there == INVALID_FILE_ATTRIBUTES ? 0 : 1;
           !moved && attempt <= kKeepBothAttempts; ++attempt) {
        placed = attempt == 0 ? path : folder + Wide(KeepBothName(U16(name), job_.id, attempt));
        moved = ::MoveFileExW(Long(temp).c_str(), Long(placed).c_str(), 0);
        const DWORD error = ::GetLastError();
        if (!moved && error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
      }
    }
    if (!moved) {
      const win::Failure failure = win::Failure::Last("MoveFileExW").At(path);
      (void)::DeleteFileW(Long(temp).c_str());
      Fail(failure, true);
      return;
    }
    const DWORD attributes = e.attributes & kKeptAttributes;
    if (!::SetFileAttributesW(Long(placed).c_str(),
                              attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
      Fail(win::Failure::Last("SetFileAttributesW").At(placed), false);
    summary_.written.push_back(placed);
    if (placed != path) summary_.kept.push_back(placed);
    ++summary_.restored;
  }

 private:
  static std::wstring_view ParentOfWide(const std::wstring& path) {
    return std::wstring_view(path).substr(0, path.rfind(L'\\') + 1);
  }

  // The content into `temp`, with the backup's times; false when it is not
  // there whole (and then gone).
  bool Write(const StoredEntry& e, const std::wstring& path, const std::wstring& temp, size_t done,
             size_t total) {
    win::UniqueFile out(::CreateFileW(Long(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
      Fail(win::Failure::Last("CreateFileW").At(temp), true);
      return false;
    }
    win::Failure write_failure;
    bool aborted = false;
    std::string failure;
    hash_.Reset();
    const ExtractResult result = backup_.Extract(
        e,
        [&](const uint8_t* data, size_t size) {
          hash_.Update(data, size);
          DWORD put = 0;
          if (!::WriteFile(out.get(), data, static_cast<DWORD>(size), &put, nullptr) ||
              put != size) {
            write_failure = win::Failure::Last("WriteFile");
            return false;
          }
          aborted = job_.progress && !job_.progress(done, total);
          return !aborted;
        },
        failure);
    bool whole = result == ExtractResult::kOk;
    if (whole) {
      const FILETIME created = ToFileTime(e.created), accessed = ToFileTime(e.accessed),
                     modified = ToFileTime(e.modified);
      whole = ::SetFileTime(out.get(), e.created ? &created : nullptr,
                            e.accessed ? &accessed : nullptr, e.modified ? &modified : nullptr);
      if (!whole) write_failure = win::Failure::Last("SetFileTime");
    }
    out.reset();
    if (whole && job_.catalog != nullptr) {
      const catalog::Entry* kept = job_.catalog->Find(e.path);
      if (kept != nullptr && kept->hash != hash_.Digest())
        summary_.failures.push_back(win::FromWide(path) +
                                    ": 内容がバックアップしたときと違います（復元はしました）");
    }
    if (whole) return true;
    (void)::DeleteFileW(Long(temp).c_str());
    if (aborted)
      summary_.cancelled = true;
    else if (result == ExtractResult::kBackupUnreadable)
      summary_.failures.push_back(failure);
    else
      Fail(std::move(write_failure).At(path), true);
    return false;
  }

  BackupEntries& backup_;
  RestoreJob& job_;
  RestoreSummary& summary_;
  win::WorkFolder& work_;
  win::KnownFolders known_;
  catalog::ContentHash hash_;
};

}  // namespace

RestoreSummary Restore(BackupEntries& backup, const std::vector<PlannedEntry>& plan,
                       RestoreJob job) {
  RestoreSummary summary;
  win::WorkFolder work;
  FileRestore one(backup, job, summary, work);
  if (!win::CreateFolderTree(job.target) || !work.Open(job.target, L"YorudexRestore")) {
    one.Fail(win::Failure::Last("CreateDirectoryW").At(job.target), true);
    return summary;
  }
  std::vector<std::pair<const PlannedEntry*, std::wstring>> folders;
  for (size_t i = 0; i < plan.size() && !summary.cancelled && !summary.stopped; ++i) {
    if (const std::optional<std::wstring> path = one.Place(plan[i])) {
      if (!plan[i].entry->folder)
        one.File(*plan[i].entry, *path, i, plan.size());
      else if (one.Made(*path))
        folders.emplace_back(&plan[i], *path);
    }
    if (!summary.cancelled && job.progress && !job.progress(i + 1, plan.size()))
      summary.cancelled = true;
  }
  // A folder's times and attributes last, deepest first: writing into a
  // folder changes its time, and a read-only one might refuse the writes.
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const StoredEntry& e = *it->first->entry;
    const std::wstring path = Long(it->second);
    // Never through a link put there since: its target is not ours to touch.
    win::UniqueFile folder(::CreateFileW(
        path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
    const FILETIME created = ToFileTime(e.created), accessed = ToFileTime(e.accessed),
                   modified = ToFileTime(e.modified);
    if (!folder ||
        !::SetFileTime(folder.get(), e.created ? &created : nullptr,
                       e.accessed ? &accessed : nullptr, e.modified ? &modified : nullptr))
      one.Fail(win::Failure::Last(folder ? "SetFileTime" : "CreateFileW").At(path), false);
    folder.reset();
    if (const DWORD kept = e.attributes & kKeptAttributes;
        kept && !::SetFileAttributesW(path.c_str(), kept))
      one.Fail(win::Failure::Last("SetFileAttributesW").At(path), false);
  }
  return summary;
}

}  // namespace yx::restore
