#include "backup/archive_catalog.h"

#include "lha/core/entry_decoder.h"
#include "lha/win/entry_names.h"
#include "lha/win/opened_archive.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::backup {
namespace {

class HashSink final : public lha::ByteSink {
 public:
  bool Write(const uint8_t* data, size_t size) override {
    hash.Update(data, size);
    return true;
  }
  catalog::ContentHash hash;
};

}  // namespace

bool CatalogArchive(const std::wstring& archive, catalog::Catalog& kept, std::string& failure) {
  lha::win::OpenedArchive opened;
  DWORD error = 0;
  if (lha::win::OpenArchive(archive, opened, error) != 0 ||
      opened.listing != lha::ListResult::kOk) {
    failure = win::FromWide(archive) + ": " +
              (error ? win::ErrorReason(error) : "書庫を読み直せません。");
    return false;
  }
  lha::EntryDecoder decoder;
  HashSink sink;
  for (size_t i = 0; i < opened.entries.size(); ++i) {
    const lha::ArchiveEntry& a = opened.entries[i];
    std::wstring path = lha::win::EntryWidePath(a.header);
    // A folder's path may end in a separator; the restore lists it without.
    if (path.size() > 1 && path.back() == L'\\') path.pop_back();
    catalog::Entry e;
    e.path.assign(path.begin(), path.end());
    e.folder = a.header.IsDirectory();
    e.attributes = lha::win::AttributesOf(a.header) | (e.folder ? FILE_ATTRIBUTE_DIRECTORY : 0);
    const lha::win::EntryTimes times = lha::win::TimesOf(a.header);
    const auto value = [](const FILETIME& t) {
      return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime;
    };
    e.modified = value(times.write);
    if (times.creation) e.created = value(*times.creation);
    e.locator = i;
    if (!e.folder) {
      e.size = a.header.original_size;
      sink.hash.Reset();
      if (decoder.Decode(*opened.source, a, &sink) != lha::DecodeStatus::kOk) {
        failure = win::FromWide(archive) + ": " + win::FromWide(path) + " を読み直せません。";
        return false;
      }
      e.hash = sink.hash.Digest();
    }
    kept.entries.push_back(std::move(e));
  }
  return true;
}

}  // namespace yx::backup
