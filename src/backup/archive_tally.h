#pragma once
// What an archive run packed: its files and the archive's size, told once in
// the log, as a copy run tells its cost. Read back from the archive itself,
// so a run needs no walk of the sources to count them.
#include <string>

namespace yx::backup {

// "1,234 件を圧縮しました (アーカイブ 56.7 MB)" (CP932), or a line that says
// why the archive could not be read.
[[nodiscard]] std::string ArchiveTallyLine(const std::wstring& archive_path);

}  // namespace yx::backup
