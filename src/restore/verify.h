#pragma once
// Verification: a backup read again, every file of a copy and every entry
// of an archive decoded, and compared with its catalog. A file is changed
// when its size or the hash of its bytes is not the catalog's, missing when
// the catalog has it and the backup does not, unexpected the other way.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "catalog/content_hash.h"
#include "restore/destination.h"

namespace yx::restore {

struct VerifySummary {
  std::string id;
  size_t intact = 0, changed = 0, missing = 0, unexpected = 0, unreadable = 0;
  bool no_catalog = false;
  bool cancelled = false;
  // Every file that differs, and why ("<path>: 内容が違います"), CP932.
  std::vector<std::string> differences;
  [[nodiscard]] bool Intact() const {
    return !no_catalog && !cancelled && changed + missing + unexpected + unreadable == 0;
  }
};

// The hashes of the files read so far, by their identity on the volume: a
// file that several backups share through links is read once per
// verification, however many backups it is verified in.
using ReadOnce = std::map<std::pair<DWORD, uint64_t>, catalog::Hash128>;

// `progress` after each file with the files done and their total; false aborts.
[[nodiscard]] VerifySummary VerifyBackup(
    const FoundBackup& backup, ReadOnce& read,
    const std::function<bool(size_t done, size_t total)>& progress = {});

// The VERIFY= line of the month's log: when, which backup and the counts.
[[nodiscard]] std::string VerifyLine(const VerifySummary& summary);

}  // namespace yx::restore
