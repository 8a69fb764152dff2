#pragma once
// A copy run's backup: the time folder yymm\dd\hhnn\ with one folder per
// source, read as it lies on the disk.
#include <windows.h>

#include <string>

#include "restore/stored_entry.h"

namespace yx::restore {

class CopyBackup : public BackupEntries {
 public:
  // `folder` ends in a backslash.
  explicit CopyBackup(std::wstring folder) : folder_(std::move(folder)) {}
  bool List(std::vector<StoredEntry>& entries, std::string& unreadable) override;
  ExtractResult Extract(const StoredEntry& entry, const ContentSink& sink,
                        std::string& failure) override;

 private:
  [[nodiscard]] bool Inside(HANDLE file, const StoredEntry& entry);

  std::wstring folder_;
  std::wstring folder_opened_;  // OpenedPath of the folder, with a final backslash
};

// FILETIME as one number, and back.
[[nodiscard]] uint64_t FileTimeValue(const FILETIME& t);
[[nodiscard]] FILETIME ToFileTime(uint64_t value);

}  // namespace yx::restore
