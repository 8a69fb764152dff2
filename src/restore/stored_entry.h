#pragma once
// A backup's entries as the restore sees them, whether the backup is a copy
// run's folder or an archive: a path below the backup, what kind, size,
// times and attributes. The two kinds answer through BackupEntries, so the
// browsing, the versions and the restore never ask which kind they read.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace yx::restore {

struct StoredEntry {
  std::u16string path;  // below the backup: u"Work\\a\\b.txt", no final backslash
  bool folder = false;
  uint64_t size = 0;
  uint64_t created = 0, modified = 0, accessed = 0;  // FILETIMEs; 0 when not kept
  uint32_t attributes = 0;
  bool link = false;     // a junction or symbolic link: never followed, never restored
  uint64_t locator = 0;  // where the backup keeps the content (an archive's offset)
};

// Takes the content as it comes; false stops the extraction.
using ContentSink = std::function<bool(const uint8_t* data, size_t size)>;

enum class ExtractResult { kOk, kBackupUnreadable, kSinkFailed };

class BackupEntries {
 public:
  virtual ~BackupEntries() = default;
  // Every entry, each folder before what it holds. What could not be read
  // (a folder that cannot be listed, the rest of a damaged archive) is
  // named in `unreadable` (CP932) and the entries read stand.
  [[nodiscard]] virtual bool List(std::vector<StoredEntry>& entries, std::string& unreadable) = 0;
  // One file's content into `sink`; `failure` says why not (CP932).
  [[nodiscard]] virtual ExtractResult Extract(const StoredEntry& entry, const ContentSink& sink,
                                              std::string& failure) = 0;
};

}  // namespace yx::restore
