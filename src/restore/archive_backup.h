#pragma once
// An archive run's backup, yymmdd_hhnn.lzh, read in place: its headers for
// the listing, one entry's data decoded for a restore. Nothing is extracted
// to a folder first.
#include <string>

#include "restore/stored_entry.h"

namespace yx::restore {

class ArchiveBackup : public BackupEntries {
 public:
  explicit ArchiveBackup(std::wstring path) : path_(std::move(path)) {}
  bool List(std::vector<StoredEntry>& entries, std::string& unreadable) override;
  ExtractResult Extract(const StoredEntry& entry, const ContentSink& sink,
                        std::string& failure) override;

 private:
  std::wstring path_;
};

}  // namespace yx::restore
