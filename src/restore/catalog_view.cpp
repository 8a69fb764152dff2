#include "restore/catalog_view.h"

#include "backup/catalog_file.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/own_file.h"
#include "win/text.h"
#include "win/whole_file.h"

namespace yx::restore {
namespace {

std::string SetAside(const std::wstring& file, std::string_view why) {
  return win::FromWide(file) + ": " + std::string(why) +
         "。この目録は使わず、バックアップを直接読みます。";
}

std::string SetAside(const std::wstring& file, const win::Failure& failure) {
  // What a link leads to may be any file, one written to be trusted.
  return SetAside(file, failure.error == win::kReachedThroughLink ? "リンクのため読みません"
                                                                  : failure.Reason());
}

// The whole catalog file's bytes; false (with `set_aside` said when it
// exists) when there is none to read.
bool CatalogBytes(const std::wstring& backup, std::string& bytes, std::string& set_aside) {
  const std::wstring file = backup::CatalogFileOf(backup);
  switch (win::ReadWholeFile(win::ToLongPath(file), bytes, win::Links::kRefused)) {
    case win::ReadResult::Read:
      return true;
    case win::ReadResult::Missing:
      return false;
    case win::ReadResult::Failed: {
      const win::Failure failure = win::Failure::Last("ReadFile");
      set_aside = SetAside(file, failure);
      return false;
    }
  }
  return false;
}

}  // namespace

CatalogNote ReadCatalogRun(FileAccess& access, const std::wstring& backup) {
  CatalogNote note;
  const std::wstring file = backup::CatalogFileOf(backup);
  std::string bytes;
  if (!access.ReadStart(file, catalog::kHeadBytes, bytes)) {
    const win::Failure failure = win::Failure::Last("ReadFile");
    if (failure.error != ERROR_FILE_NOT_FOUND && failure.error != ERROR_PATH_NOT_FOUND)
      note.set_aside = SetAside(file, failure);
    return note;
  }
  catalog::Run run;
  catalog::Refusal refusal = catalog::DecodeRun(bytes, run);
  // A head longer than the first bytes: sources of very long names.
  if (refusal == catalog::Refusal::kDamaged && bytes.size() == catalog::kHeadBytes &&
      access.ReadStart(file, 1 << 20, bytes))
    refusal = catalog::DecodeRun(bytes, run);
  if (refusal == catalog::Refusal::kNone)
    note.run = std::move(run);
  else
    note.set_aside = SetAside(file, catalog::RefusalText(refusal));
  return note;
}

std::optional<catalog::Catalog> ReadBackupCatalog(const std::wstring& backup,
                                                  std::string& set_aside) {
  std::string bytes;
  if (!CatalogBytes(backup, bytes, set_aside)) return std::nullopt;
  catalog::Catalog read;
  if (const catalog::Refusal refusal = catalog::Decode(bytes, read);
      refusal != catalog::Refusal::kNone) {
    set_aside = SetAside(backup::CatalogFileOf(backup), catalog::RefusalText(refusal));
    return std::nullopt;
  }
  return read;
}

bool FindInCatalog(const std::wstring& backup, std::u16string_view path,
                   std::optional<StoredEntry>& found, std::string& set_aside) {
  found.reset();
  std::string bytes;
  if (!CatalogBytes(backup, bytes, set_aside)) return false;
  std::optional<catalog::Entry> entry;
  if (const catalog::Refusal refusal = catalog::FindIn(bytes, path, entry);
      refusal != catalog::Refusal::kNone) {
    set_aside = SetAside(backup::CatalogFileOf(backup), catalog::RefusalText(refusal));
    return false;
  }
  if (entry) found = AsStored(*entry);
  return true;
}

StoredEntry AsStored(const catalog::Entry& e) {
  StoredEntry s;
  s.path = e.path;
  s.folder = e.folder;
  s.size = e.size;
  s.modified = e.modified;
  s.attributes = e.folder ? (e.attributes | FILE_ATTRIBUTE_DIRECTORY) : e.attributes;
  s.locator = e.locator;
  return s;
}

std::vector<StoredEntry> AsStored(const catalog::Catalog& catalog) {
  std::vector<StoredEntry> entries;
  entries.reserve(catalog.entries.size());
  for (const catalog::Entry& e : catalog.entries) entries.push_back(AsStored(e));
  return entries;
}

}  // namespace yx::restore
