#include "backup/earlier_copy.h"

#include <algorithm>
#include <utility>

#include "backup/backup_names.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::backup {
namespace {

// The attributes a copy carries over. The archive bit is not among them:
// a copy always gets it, whatever the source has.
constexpr DWORD kCopiedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The real folders of `folder` whose names pass `valid`, newest first by the
// date their names give after `prefix`: (date order key, name).
std::vector<std::pair<std::string, std::wstring>> NewestFirst(const std::wstring& folder,
                                                              const std::string& prefix,
                                                              bool (*valid)(std::string_view)) {
  std::vector<win::TreeWalk::Entry> entries;
  (void)win::TreeWalk::ListFolder(folder, entries);
  std::vector<std::pair<std::string, std::wstring>> found;
  for (win::TreeWalk::Entry& e : entries) {
    if (!e.IsFolder() || e.IsLink()) continue;
    const std::string name = win::FromWide(e.name);
    if (valid(name)) found.emplace_back(DateOrderKey(prefix + name), std::move(e.name));
  }
  std::ranges::sort(found, std::greater<>());
  return found;
}

}  // namespace

std::wstring FindEarlierCopy(const std::wstring& root, DateTime backup_time,
                             const std::wstring& name,
                             const std::function<bool(const std::wstring& backup)>& usable) {
  const std::string own = DateOrderKey(FormatDateTime("yymmddhhnn", backup_time));
  // The keys of a month and of a day are the beginnings of the full key.
  const auto later = [&own](const std::string& key) { return key > own.substr(0, key.size()); };
  for (const auto& [month_key, month] : NewestFirst(root, "", IsMonthFolderName)) {
    if (later(month_key)) continue;
    const std::wstring month_path = root + month + L'\\';
    const std::string yymm = win::FromWide(month);
    for (const auto& [day_key, day] : NewestFirst(month_path, yymm, IsDayFolderName)) {
      if (later(day_key)) continue;
      const std::wstring day_path = month_path + day + L'\\';
      const std::string yymmdd = yymm + win::FromWide(day);
      for (const auto& [key, time] : NewestFirst(day_path, yymmdd, IsTimeFolderName)) {
        if (key >= own) continue;
        const std::wstring backup = day_path + time + L'\\';
        const std::wstring copy = backup + name;
        const DWORD attributes = win::Attributes(copy.substr(0, copy.size() - 1));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (!usable || usable(backup)))
          return copy;
      }
    }
  }
  return {};
}

bool Unchanged(const win::TreeWalk::Entry& source, const catalog::Entry& kept) {
  const uint64_t time =
      uint64_t{source.last_write.dwHighDateTime} << 32 | source.last_write.dwLowDateTime;
  return !kept.folder && kept.size == source.size && kept.modified == time &&
         (kept.attributes & kCopiedAttributes) == (source.attributes & kCopiedAttributes);
}

EarlierTree::EarlierTree(const std::wstring& root) { Enter(root); }

void EarlierTree::Enter(std::wstring path) {
  Level& level = levels_.emplace_back();
  if (path.empty()) return;
  // A listing cut short shares what it gave; the rest is copied.
  (void)win::TreeWalk::ListFolder(path, level.files);
  std::ranges::sort(level.files, {}, &win::TreeWalk::Entry::name);
  level.path = std::move(path);
}

const win::TreeWalk::Entry* EarlierTree::Find(const std::wstring& name) const {
  const std::vector<win::TreeWalk::Entry>& files = levels_.back().files;
  const auto it = std::ranges::lower_bound(files, name, {}, &win::TreeWalk::Entry::name);
  return it != files.end() && it->name == name ? &*it : nullptr;
}

void EarlierTree::Descend(const std::wstring& name, bool wanted) {
  const win::TreeWalk::Entry* folder = wanted ? Find(name) : nullptr;
  // Never through a link: what it leads to may be no backup at all, even
  // the source itself.
  if (folder == nullptr || !folder->IsFolder() || folder->IsLink()) return Enter({});
  Enter(levels_.back().path + name + L'\\');
}

void EarlierTree::Leave() {
  if (!levels_.empty()) levels_.pop_back();
}

std::wstring EarlierTree::SameFile(const win::TreeWalk::Entry& entry) const {
  const win::TreeWalk::Entry* copy = Find(entry.name);
  if (copy == nullptr || copy->IsFolder() || copy->IsLink() || copy->size != entry.size ||
      ::CompareFileTime(&copy->last_write, &entry.last_write) != 0 ||
      (copy->attributes & kCopiedAttributes) != (entry.attributes & kCopiedAttributes))
    return {};
  return levels_.back().path + entry.name;
}

}  // namespace yx::backup
