#include "restore/restore_plan.h"

#include <algorithm>
#include <set>

namespace yx::restore {
namespace {

char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

std::u16string_view WithoutFinalBackslash(std::u16string_view path) {
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  return path;
}

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

bool SamePath(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

bool IsWithin(std::u16string_view path, std::u16string_view folder) {
  folder = WithoutFinalBackslash(folder);
  if (SamePath(path, folder)) return true;
  return path.size() > folder.size() && path[folder.size()] == u'\\' &&
         SamePath(path.substr(0, folder.size()), folder);
}

std::u16string_view LastName(std::u16string_view path) {
  path = WithoutFinalBackslash(path);
  const size_t cut = path.rfind(u'\\');
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

std::u16string_view ParentOf(std::u16string_view path) {
  path = WithoutFinalBackslash(path);
  const size_t cut = path.rfind(u'\\');
  return cut == std::u16string_view::npos ? std::u16string_view{} : path.substr(0, cut + 1);
}

std::u16string_view TopFolder(std::u16string_view path) {
  return path.substr(0, std::min(path.find(u'\\'), path.size()));
}

std::vector<PlannedEntry> PlanRestore(const std::vector<StoredEntry>& entries,
                                      const std::vector<std::u16string>& selected,
                                      std::vector<std::u16string>& missing) {
  std::vector<PlannedEntry> plan;
  std::set<const StoredEntry*> taken;
  for (const std::u16string& raw : selected) {
    const std::u16string_view item = WithoutFinalBackslash(raw);
    bool found = false;
    for (const StoredEntry& e : entries) {
      if (!IsWithin(e.path, item)) continue;
      found = true;
      if (!taken.insert(&e).second) continue;
      // The backup's spelling of the name, whatever the letter case asked for.
      const std::u16string_view path = e.path;
      plan.push_back({&e, std::u16string(LastName(path.substr(0, item.size()))) +
                              std::u16string(path.substr(item.size()))});
    }
    if (!found) missing.push_back(raw);
  }
  // Every folder before the files, a parent before its children: an
  // archive lists a folder's entry after what it holds.
  const auto files = std::stable_partition(plan.begin(), plan.end(),
                                           [](const PlannedEntry& p) { return p.entry->folder; });
  std::stable_sort(plan.begin(), files, [](const PlannedEntry& a, const PlannedEntry& b) {
    return a.relative.size() < b.relative.size();
  });
  return plan;
}

std::u16string KeepBothName(std::u16string_view name, std::string_view id, int attempt) {
  size_t dot = name.rfind(u'.');
  if (dot == 0 || dot == std::u16string_view::npos) dot = name.size();
  std::u16string tag = u" (" + Ascii(id);
  if (attempt > 1) tag += u" " + Ascii(std::to_string(attempt));
  return std::u16string(name.substr(0, dot)) + tag + u")" + std::u16string(name.substr(dot));
}

std::vector<VersionRow> Versions(const std::vector<std::optional<StoredEntry>>& per_backup) {
  std::vector<VersionRow> rows;
  for (size_t i = 0; i < per_backup.size(); ++i)
    if (per_backup[i]) rows.push_back({i, *per_backup[i], false});
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    const StoredEntry &newer = rows[i].entry, &older = rows[i + 1].entry;
    rows[i].changed = newer.folder != older.folder || newer.size != older.size ||
                      newer.modified != older.modified;
  }
  return rows;
}

std::optional<std::u16string> StoredPathOf(std::u16string_view original,
                                           const std::vector<std::u16string>& sources) {
  original = WithoutFinalBackslash(original);
  for (const std::u16string& raw : sources) {
    const std::u16string_view source = WithoutFinalBackslash(raw);
    const std::u16string_view parent = ParentOf(source);
    // A drive root names no folder a backup could start with.
    if (parent.size() < 3 || !IsWithin(original, source)) continue;
    return std::u16string(LastName(source)) + std::u16string(original.substr(source.size()));
  }
  return std::nullopt;
}

}  // namespace yx::restore
