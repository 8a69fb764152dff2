#include "restore/backup_ref.h"

#include <algorithm>

#include "backup/backup_names.h"

namespace yx::restore {
namespace {

bool Digits(std::string_view text, size_t count) {
  return text.size() == count &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Two(std::string_view text) { return (text[0] - '0') * 10 + (text[1] - '0'); }

bool IsTimeName(std::string_view hhnn) {
  return Digits(hhnn, 4) && Two(hhnn.substr(0, 2)) < 24 && Two(hhnn.substr(2)) < 60;
}

bool IsDayOfMonth(std::string_view month, std::string_view day) {
  return backup::IsMonthFolderName(month) && backup::IsDayFolderName(day) &&
         backup::DateOfName(std::string(month) + std::string(day)).has_value();
}

}  // namespace

std::string_view KindName(BackupKind kind) { return kind == BackupKind::kCopy ? "COPY" : "LZH"; }

std::optional<BackupRef> CopyBackupOf(std::string_view month, std::string_view day,
                                      std::string_view time) {
  if (!IsDayOfMonth(month, day) || !IsTimeName(time)) return std::nullopt;
  const std::string folders = std::string(month) + "\\" + std::string(day) + "\\";
  return BackupRef{std::string(month) + std::string(day) + "_" + std::string(time),
                   BackupKind::kCopy, folders + std::string(time) + "\\"};
}

std::optional<BackupRef> ArchiveBackupOf(std::string_view month, std::string_view day,
                                         std::string_view file) {
  // yymmdd_hhnn.lzh, the extension in any letter case as the sweep takes it.
  if (file.size() != 15 || !backup::IsArchiveFileName(file) || file[6] != '_') return std::nullopt;
  const std::string_view id = file.substr(0, 11);
  if (!IsDayOfMonth(month, day) || id.substr(0, 6) != std::string(month) + std::string(day) ||
      !IsTimeName(id.substr(7)))
    return std::nullopt;
  return BackupRef{std::string(id), BackupKind::kArchive,
                   std::string(month) + "\\" + std::string(day) + "\\" + std::string(file)};
}

std::optional<DateTime> TimeOfId(std::string_view id) {
  if (id.ends_with(".lzh")) id.remove_suffix(4);
  if (id.size() != 11 || id[6] != '_' || !IsTimeName(id.substr(7))) return std::nullopt;
  const std::optional<DateTime> date = backup::DateOfName(id.substr(0, 6));
  if (!date) return std::nullopt;
  return *date + (Two(id.substr(7, 2)) * 60 + Two(id.substr(9, 2))) / 1440.0;
}

std::string ShownTime(std::string_view id) {
  const std::optional<DateTime> time = TimeOfId(id);
  if (!time) return std::string(id);
  // An archive told apart from a copy of its minute says so.
  return FormatDateTime("yy/mm/dd hh:nn", *time) + (id.size() > 11 ? " (LZH)" : "");
}

void SortNewestFirst(std::vector<BackupRef>& backups) {
  std::stable_sort(backups.begin(), backups.end(), [](const BackupRef& a, const BackupRef& b) {
    const std::string ka = backup::DateOrderKey(a.id), kb = backup::DateOrderKey(b.id);
    if (ka != kb) return ka > kb;
    return a.kind == BackupKind::kCopy && b.kind == BackupKind::kArchive;
  });
}

void TellSameMinuteApart(const std::vector<BackupRef*>& refs) {
  for (size_t i = 1; i < refs.size(); ++i)
    if (refs[i]->kind == BackupKind::kArchive && refs[i - 1]->kind == BackupKind::kCopy &&
        refs[i]->id == refs[i - 1]->id)
      refs[i]->id += ".lzh";
}

bool NamesBackup(std::string_view id, const BackupRef& ref) {
  if (id == ref.id) return true;
  if (ref.kind != BackupKind::kArchive || id.size() != 15 ||
      id.substr(0, 11) != ref.id.substr(0, 11))
    return false;
  std::string extension(id.substr(11));
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension == ".lzh";
}

}  // namespace yx::restore
