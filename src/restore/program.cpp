#include "restore/program.h"

#include "base/cp932.h"
#include "log/run_log.h"
#include "restore/restore_plan.h"
#include "restore/wide_text.h"
#include "run/folder_place.h"
#include "settings/settings_file.h"
#include "win/clock.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::restore {

Program Program::Beside(const std::wstring& exe_path) {
  Program p;
  p.folder = exe_path.substr(0, exe_path.find_last_of(L'\\') + 1);
  p.folder_cp932 = win::FromWide(p.folder);
  p.settings = settings::LoadSettings(p.folder_cp932 + std::string(settings::kFileName));
  return p;
}

std::wstring Program::Destination() const {
  return settings.destination.empty() ? std::wstring() : win::WidePath(settings.destination);
}

std::optional<std::wstring> Program::OriginalFolder(std::u16string_view stored) const {
  const std::u16string_view top = TopFolder(stored);
  for (const std::string& cell : settings.sources) {
    if (cell.empty()) continue;
    std::wstring source = win::WidePath(cell);
    while (!source.empty() && source.back() == L'\\') source.pop_back();
    if (!SamePath(LastName(U16(source)), top)) continue;
    // The item's parent in the backup, below the source's parent.
    const std::wstring parent = source.substr(0, source.size() - top.size());
    if (parent.size() < 3) continue;  // a drive root has no backup folder of its own
    return parent + Wide(ParentOf(stored));
  }
  return std::nullopt;
}

std::string RestoreLine(std::string_view id, const std::vector<std::u16string>& paths,
                        const std::wstring& target, const RestoreSummary& summary) {
  std::string line = "RESTORE=" + FormatDateTime(log::kStamp, win::Now()) + " " + std::string(id);
  for (const std::u16string& path : paths) line += " " + win::FromWide(Wide(path));
  line += " → " + win::FromWide(target) + " 復元 " + std::to_string(summary.restored) +
          " 件、スキップ " + std::to_string(summary.skipped) + " 件、失敗 " +
          std::to_string(summary.failures.size()) + " 件";
  // Whoever reads the log later finds each copy kept beside a file by its
  // name below the target.
  for (size_t i = 0; i < summary.kept.size(); ++i)
    line +=
        (i == 0 ? "、両方残した名前: " : ", ") +
        win::FromWide(summary.kept[i].starts_with(target) ? summary.kept[i].substr(target.size())
                                                          : summary.kept[i]);
  if (summary.cancelled) line += "、中止しました";
  return line;
}

void LogRestore(const Program& program, const std::string& line) {
  const std::string log_dir = program.folder_cp932 + "log\\";
  (void)win::CreateFolderTree(win::WidePath(log_dir));
  // The runs' own save: a run saving the month's log meanwhile keeps this line.
  run::FolderPlace place(program.folder_cp932);
  log::RunLog log;
  log.Append(line);
  place.SaveLog(log, log_dir + FormatDateTime("yymm", win::Now()) + ".log");
}

void AppendErrorFile(const Program& program, std::string_view command, std::string_view reason) {
  run::FolderPlace(program.folder_cp932)
      .AppendToFallback(FormatDateTime(log::kStamp, win::Now()) + "\tYorudexRestore " +
                        std::string(command) + ": " + std::string(reason) + "\r\n");
}

}  // namespace yx::restore
