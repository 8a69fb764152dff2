#include "backup/archive_tally.h"

#include "base/byte_size.h"
#include "lha/core/archive_reader.h"
#include "lha/win/file_streams.h"
#include "win/fault_line.h"
#include "win/text.h"

namespace yx::backup {

std::string ArchiveTallyLine(const std::wstring& archive_path) {
  lha::win::ArchiveFile archive;
  if (!archive.Open(archive_path)) {
    const win::Failure failure = win::Failure::Last("CreateFileW");
    return "PATH=" + win::FromWide(archive_path) + " を読み直せません: " + failure.Reason();
  }
  uint64_t files = 0;
  const lha::ListResult listed = lha::ListArchiveFrom(archive, 0, [&](lha::ArchiveEntry& entry) {
    if (!entry.header.IsDirectory()) ++files;
  });
  if (listed != lha::ListResult::kOk)
    return "PATH=" + win::FromWide(archive_path) +
           " を読み直せません: " + win::ErrorReason(ERROR_FILE_CORRUPT);
  return GroupedDigits(files) + " 件を圧縮しました (アーカイブ " + FormatByteSize(archive.Size()) +
         ")";
}

}  // namespace yx::backup
