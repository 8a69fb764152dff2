#include "backup/catalog_file.h"

#include "backup/earlier_copy.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/whole_file.h"

namespace yx::backup {

std::wstring CatalogFileOf(std::wstring_view backup) {
  if (!backup.empty() && backup.back() == L'\\') backup.remove_suffix(1);
  return std::wstring(backup) + L".catalog";
}

bool WriteCatalogFile(const std::wstring& path, const catalog::Catalog& catalog) {
  return win::ReplaceWholeFile(win::ToLongPath(path), catalog::Encode(catalog), "catalog-write");
}

bool WriteRunCatalog(const std::wstring& backup, catalog::Catalog& catalog,
                     catalog::Outcome outcome, uint64_t copied_bytes,
                     const std::function<void(std::string_view)>& log_line) {
  catalog::Run& run = catalog.run;
  run.outcome = outcome;
  run.copied_bytes = copied_bytes;
  for (const catalog::Entry& e : catalog.entries) {
    ++(e.folder ? run.folders : run.files);
    if (e.linked) ++run.linked;
    run.bytes += e.size;
  }
  run.copied = run.files - run.linked;
  // Between the backup's last file and its catalog.
  win::PausePoint("catalog");
  const std::wstring path = CatalogFileOf(backup);
  if (WriteCatalogFile(path, catalog)) return true;
  log_line(win::FaultLine(win::Failure::Last("WriteFile").At(path)));
  return false;
}

ReadCatalog ReadCatalogFile(const std::wstring& path) {
  ReadCatalog read;
  std::string bytes;
  switch (win::ReadWholeFile(win::ToLongPath(path), bytes, win::Links::kRefused)) {
    case win::ReadResult::Missing:
      return read;
    case win::ReadResult::Failed:
      read.state = CatalogState::kUnreadable;
      read.error = ::GetLastError();
      return read;
    case win::ReadResult::Read:
      break;
  }
  read.refusal = catalog::Decode(bytes, read.catalog);
  read.state =
      read.refusal == catalog::Refusal::kNone ? CatalogState::kRead : CatalogState::kRefused;
  return read;
}

LinkBase FindLinkBase(const std::wstring& root, DateTime backup_time, const std::wstring& name) {
  LinkBase base;
  const std::u16string top(name.begin(), name.end() - 1);
  const std::wstring folder =
      FindEarlierCopy(root, backup_time, name, [&](const std::wstring& backup) {
        ReadCatalog read = ReadCatalogFile(CatalogFileOf(backup));
        const catalog::Entry* entry = read.catalog.Find(top);
        if (read.state != CatalogState::kRead || entry == nullptr || !entry->folder) return false;
        base.catalog = std::make_shared<const catalog::Catalog>(std::move(read.catalog));
        return true;
      });
  if (!folder.empty())
    base.folder = folder;
  else
    base.catalog.reset();
  return base;
}

}  // namespace yx::backup
