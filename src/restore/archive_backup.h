#pragma once
// An archive run's backup, yymmdd_hhnn.lzh, read in place through the
// archiver library: its entries through the archive handle API, one entry's
// data decoded straight into the restore's file. Nothing is extracted to a
// folder first.
#include <memory>
#include <string>

#include "lha/core/entry_decoder.h"
#include "lha/win/opened_archive.h"
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
  std::unique_ptr<lha::win::OpenedArchive> opened_;  // for the data, opened at the first entry
  lha::EntryDecoder decoder_;
};

}  // namespace yx::restore
