#include "lha/win/opened_archive.h"

#include "lha/win/file_streams.h"
#include "lha/win/read_result.h"
#include "win/file_system.h"

namespace yx::lha::win {

int OpenArchive(const std::wstring& path, OpenedArchive& out, DWORD& error) {
  out = OpenedArchive{};
  out.path = path;
  auto file = std::make_unique<ArchiveFile>();
  if (!file->Open(yx::win::FullPath(path))) {
    error = ::GetLastError();
    return kErrorArcFileOpen;
  }
  out.source = std::make_unique<CachedSource>(std::move(file));
  const ListResult found = FindArchiveStart(*out.source, out.start);
  if (found == ListResult::kReadError) {
    error = ::GetLastError();
    return kErrorArcFileOpen;
  }
  if (found == ListResult::kNotAnArchive) return kErrorNotArcFile;
  out.listing = ListArchiveFrom(*out.source, out.start,
                                [&](ArchiveEntry& e) { out.entries.push_back(std::move(e)); });
  if (out.entries.empty() && out.listing != ListResult::kOk) return kErrorNotArcFile;
  return kReadOk;
}

}  // namespace yx::lha::win
