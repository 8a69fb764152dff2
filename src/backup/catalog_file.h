#pragma once
// Where a backup's catalog lies and how it is read and written. It lies
// beside the backup in its day folder, named after it ("0905.catalog" beside
// the copy "0905\", "260105_0905.lzh.catalog" beside the archive), so the
// sweep, which removes whole day folders, removes it with its backup, and a
// destination copied elsewhere carries it along.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/date_time.h"
#include "catalog/catalog.h"

namespace yx::backup {

// `backup`: a copy's folder (ending in a backslash) or an archive's path.
[[nodiscard]] std::wstring CatalogFileOf(std::wstring_view backup);

// Written to a new file that replaces nothing until whole: a run killed
// while it writes leaves no catalog, so nothing trusts that backup. False
// with the last error set when it could not be written.
[[nodiscard]] bool WriteCatalogFile(const std::wstring& path, const catalog::Catalog& catalog);

// Fills in the run's counts from `catalog`'s entries and writes it beside
// `backup`. False, with the line that says why in the log, when it could
// not be written.
[[nodiscard]] bool WriteRunCatalog(const std::wstring& backup, catalog::Catalog& catalog,
                                   catalog::Outcome outcome, uint64_t copied_bytes,
                                   const std::function<void(std::string_view)>& log_line);

enum class CatalogState { kRead, kMissing, kUnreadable, kRefused };
struct ReadCatalog {
  CatalogState state = CatalogState::kMissing;
  catalog::Refusal refusal = catalog::Refusal::kNone;
  DWORD error = 0;  // kUnreadable's
  catalog::Catalog catalog;
};
[[nodiscard]] ReadCatalog ReadCatalogFile(const std::wstring& path);

// The backup a copy run links its source `name` (ending in a backslash) to:
// the newest earlier copy below `root` whose catalog reads and holds that
// source's folder. A backup without a catalog (killed before it was
// written, or made by an earlier version) is never linked to.
struct LinkBase {
  std::wstring folder;  // the earlier copy of the source, ending in a backslash; "" for none
  std::shared_ptr<const catalog::Catalog> catalog;
};
[[nodiscard]] LinkBase FindLinkBase(const std::wstring& root, DateTime backup_time,
                                    const std::wstring& name);

}  // namespace yx::backup
