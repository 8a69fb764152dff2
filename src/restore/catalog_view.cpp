#include "restore/catalog_view.h"

#include "backup/catalog_file.h"
#include "win/failure.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/own_file.h"
#include "win/text.h"
#include "win/whole_file.h"
#include "win/unique_handle.h"

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

// A catalog file read a piece at a time, for one path's lookup.
class FileSource final : public catalog::Source {
 public:
  FileSource(HANDLE file, uint64_t size) : file_(file), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, size_t size, std::string& bytes) override {
    bytes.resize(size);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (size > MAXDWORD) {
      failure = win::Failure{"ReadFile", ERROR_FILE_TOO_LARGE, {}};
      return false;
    }
    if (!::ReadFile(file_, bytes.data(), static_cast<DWORD>(size), &got, &at)) {
      failure = win::Failure::Last("ReadFile");
      return false;
    }
    // Cut short under the reader: what is there is read as it is.
    bytes.resize(got);
    return true;
  }
  std::optional<win::Failure> failure;

 private:
  HANDLE file_;
  uint64_t size_;
};

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
  const std::wstring file = backup::CatalogFileOf(backup);
  const win::UniqueFile opened(::CreateFileW(win::ToLongPath(file).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
  if (opened && win::ReachedThroughLink(opened.get(), file)) {
    set_aside = SetAside(file, win::Failure{"CreateFile", win::kReachedThroughLink, {}});
    return false;
  }
  LARGE_INTEGER size{};
  if (!opened || !::GetFileSizeEx(opened.get(), &size)) {
    const win::Failure failure = win::Failure::Last(opened ? "GetFileSizeEx" : "CreateFile");
    if (failure.error != ERROR_FILE_NOT_FOUND && failure.error != ERROR_PATH_NOT_FOUND)
      set_aside = SetAside(file, failure);
    return false;
  }
  FileSource source(opened.get(), static_cast<uint64_t>(size.QuadPart));
  std::optional<catalog::Entry> entry;
  if (const catalog::Refusal refusal = catalog::FindIn(source, path, entry);
      refusal != catalog::Refusal::kNone) {
    set_aside =
        SetAside(file, source.failure ? source.failure->Reason() : catalog::RefusalText(refusal));
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
  s.created = e.created;
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
