#pragma once
// What the restore takes from the catalogs beside the backups: the run of
// each for the list, a backup's entries for browsing, one path's entry for
// the versions of a file. A catalog that does not read is set aside with one
// line saying so, and its backup is walked as if it had none; its paths are
// never used, so a catalog cannot steer a restore outside its target.
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "restore/file_access.h"
#include "restore/stored_entry.h"

namespace yx::restore {

struct CatalogNote {
  std::optional<catalog::Run> run;  // read
  std::string set_aside;            // or why not (CP932); both empty: there is none
};

// The run of the catalog of `backup` (a copy's folder or an archive's path),
// from its first bytes.
[[nodiscard]] CatalogNote ReadCatalogRun(FileAccess& access, const std::wstring& backup);

// The whole catalog of `backup`; `set_aside` says why not when there is one
// that does not read.
[[nodiscard]] std::optional<catalog::Catalog> ReadBackupCatalog(const std::wstring& backup,
                                                                std::string& set_aside);

// One path's entry in the catalog of `backup`, read from its head, its index
// and the block the path lies in (a version 1 catalog is read whole);
// nothing, with `set_aside` empty, when the catalog lacks the path. False
// when there is no catalog that reads.
[[nodiscard]] bool FindInCatalog(const std::wstring& backup, std::u16string_view path,
                                 std::optional<StoredEntry>& found, std::string& set_aside);

[[nodiscard]] StoredEntry AsStored(const catalog::Entry& entry);
[[nodiscard]] std::vector<StoredEntry> AsStored(const catalog::Catalog& catalog);

}  // namespace yx::restore
