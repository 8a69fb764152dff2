#include "restore/verify.h"

#include "backup/file_hasher.h"
#include "base/date_time.h"
#include "log/run_log.h"
#include "restore/wide_text.h"
#include "win/clock.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::restore {
namespace {

std::string Shown(std::u16string_view path) { return win::FromWide(Wide(path)); }

// The hash of an archive entry's bytes as the archive gives them back.
bool HashEntry(BackupEntries& entries, const StoredEntry& e, backup::HashedFile& out,
               std::string& failure) {
  catalog::ContentHash hash;
  out.size = 0;
  const ExtractResult result = entries.Extract(
      e,
      [&](const uint8_t* data, size_t size) {
        hash.Update(data, size);
        out.size += size;
        return true;
      },
      failure);
  out.hash = hash.Digest();
  return result == ExtractResult::kOk;
}

}  // namespace

VerifySummary VerifyBackup(const FoundBackup& backup, ReadOnce& read,
                           const std::function<bool(size_t done, size_t total)>& progress) {
  VerifySummary summary;
  summary.id = backup.ref.id;
  std::string set_aside;
  const std::optional<catalog::Catalog> kept = ReadBackupCatalog(backup.path, set_aside);
  if (!kept) {
    summary.no_catalog = true;
    summary.differences.push_back(set_aside.empty() ? win::FromWide(backup.path) +
                                                          ": 目録がないため検証できません。"
                                                    : set_aside);
    return summary;
  }
  const std::unique_ptr<BackupEntries> entries = OpenBackup(backup);
  std::vector<StoredEntry> stored;
  std::string unlisted;
  if (!entries->List(stored, unlisted)) {
    ++summary.unreadable;
    summary.differences.push_back(unlisted);
  }
  std::vector<bool> seen(kept->entries.size());
  backup::FileHasher hasher;
  const auto known = [&read](const backup::HashedFile& f) -> std::optional<catalog::Hash128> {
    const auto it = read.find({f.volume, f.identity});
    return it == read.end() ? std::nullopt : std::optional(it->second);
  };
  for (size_t i = 0; i < stored.size(); ++i) {
    if (progress && !progress(i, stored.size())) {
      summary.cancelled = true;
      return summary;
    }
    const StoredEntry& e = stored[i];
    const catalog::Entry* expected = kept->Find(e.path);
    if (expected == nullptr) {
      ++summary.unexpected;
      summary.differences.push_back(Shown(e.path) + ": 目録にありません");
      continue;
    }
    seen[static_cast<size_t>(expected - kept->entries.data())] = true;
    if (e.folder && expected->folder) {
      ++summary.intact;
      continue;
    }
    backup::HashedFile found;
    std::string failure;
    bool got = false;
    if (e.folder != expected->folder) {
      got = true;
      found.size = ~expected->size;
    } else if (backup.ref.kind == BackupKind::kCopy) {
      const DWORD error = hasher.Hash(backup.path + Wide(e.path), found, known);
      got = error == 0;
      if (got)
        read.emplace(std::pair(found.volume, found.identity), found.hash);
      else
        failure = win::ErrorReason(error);
    } else {
      got = HashEntry(*entries, e, found, failure);
    }
    if (!got) {
      ++summary.unreadable;
      summary.differences.push_back(Shown(e.path) + ": 読めません: " + failure);
    } else if (found.size != expected->size || found.hash != expected->hash) {
      ++summary.changed;
      summary.differences.push_back(Shown(e.path) + ": 内容が違います");
    } else {
      ++summary.intact;
    }
  }
  for (size_t i = 0; i < seen.size(); ++i) {
    if (seen[i]) continue;
    ++summary.missing;
    summary.differences.push_back(Shown(kept->entries[i].path) + ": ありません");
  }
  return summary;
}

std::string VerifyLine(const VerifySummary& s) {
  std::string line = "VERIFY=" + FormatDateTime(log::kStamp, win::Now()) + " " + s.id;
  if (s.no_catalog) return line + " 目録がないため検証できません";
  line += " 一致 " + std::to_string(s.intact) + " 件、変更 " + std::to_string(s.changed) +
          " 件、欠落 " + std::to_string(s.missing) + " 件、余分 " + std::to_string(s.unexpected) +
          " 件、読めない " + std::to_string(s.unreadable) + " 件";
  if (s.cancelled) line += "、中止しました";
  return line;
}

}  // namespace yx::restore
