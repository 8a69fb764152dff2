#pragma once
// Where the restore stands: the program folder it shares with Yorudex.exe,
// the settings there (the destination, and the sources that tell where a
// backup's top folder came from), and the run log it adds its RESTORE= line
// to.
#include <optional>
#include <string>
#include <string_view>

#include "restore/restorer.h"
#include "settings/settings.h"

namespace yx::restore {

inline constexpr char kTitle[] = "Yorudex 復元";

struct Program {
  std::wstring folder;  // ends in a backslash
  std::string folder_cp932;
  settings::Settings settings;  // as Yorudex.INI holds them, defaults without it

  [[nodiscard]] static Program Beside(const std::wstring& exe_path);
  // The settings' destination, empty when none is set.
  [[nodiscard]] std::wstring Destination() const;
  [[nodiscard]] std::wstring LogDir() const { return folder + L"log\\"; }
  // The folder a stored path's item goes back into: below the source whose
  // last folder name is the path's top folder. Nothing when no source has
  // that name.
  [[nodiscard]] std::optional<std::wstring> OriginalFolder(std::u16string_view stored) const;
};

// The RESTORE= line: when, which backup, what, where to, and how it went.
[[nodiscard]] std::string RestoreLine(std::string_view id, const std::vector<std::u16string>& paths,
                                      const std::wstring& target, const RestoreSummary& summary);

// Adds `line` to the month's run log, taking turns with the runs' saves.
// Throws FileError when the log cannot be written.
void LogRestore(const Program& program, const std::string& line);

// Appends a stamped line to log-error.txt beside the program.
void AppendErrorFile(const Program& program, std::string_view command, std::string_view reason);

}  // namespace yx::restore
