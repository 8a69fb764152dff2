#include "backup/backup_names.h"

#include <algorithm>

#include "base/cp932.h"

namespace yx::backup {
namespace {

bool AllDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Two ASCII digits; the sweep's names never carry a sign or a blank.
std::optional<int> TwoDigits(std::string_view s) {
  if (s.size() != 2 || !AllDigits(s)) return std::nullopt;
  return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

bool IsMonthFolderName(std::string_view name) {
  return name.size() == 4 && AllDigits(name) && name != "0000";
}

bool IsDayFolderName(std::string_view name) {
  return name.size() == 2 && AllDigits(name) && name != "00";
}

bool IsTimeFolderName(std::string_view name) {
  const std::optional<int> hh = TwoDigits(name.substr(0, 2));
  const std::optional<int> nn = TwoDigits(name.substr(std::min<size_t>(name.size(), 2)));
  return hh && nn && *hh < 24 && *nn < 60;
}

bool IsArchiveFileName(std::string_view cp932_name) {
  // Whole characters: a dot is never a trail byte, but a letter can be.
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < cp932_name.size(); i += cp932::CharLength(cp932_name, i)) {
    if (cp932_name[i] == '.') dot = i;
  }
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = cp932_name.substr(dot);
  return ext.size() == 4 && AsciiLower(ext[1]) == 'l' && AsciiLower(ext[2]) == 'z' &&
         AsciiLower(ext[3]) == 'h';
}

bool SortsBefore(std::string_view name, std::string_view cut_off) {
  // char_traits<char> compares as unsigned char, that is by code.
  return name.compare(cut_off) < 0;
}

CutOffTexts MakeCutOffTexts(bool kill_on, DateTime kill_limit, bool del_on, DateTime del_limit) {
  auto texts = [](bool on, DateTime limit, std::string& month, std::string& day,
                  std::string& prefix) {
    month = on ? FormatDateTime("yymm", limit) : "0000";
    day = on ? FormatDateTime("dd", limit) : "00";
    prefix = on ? FormatDateTime("yymmdd_", limit) : "000000_";
  };
  CutOffTexts t;
  texts(kill_on, kill_limit, t.kill_month, t.kill_day, t.kill_archive_prefix);
  texts(del_on, del_limit, t.del_month, t.del_day, t.del_archive_prefix);
  return t;
}

std::optional<DateTime> DateOfName(std::string_view yymmdd) {
  if (yymmdd.size() != 6) return std::nullopt;
  const auto yy = TwoDigits(yymmdd.substr(0, 2));
  const auto mm = TwoDigits(yymmdd.substr(2, 2));
  const auto dd = TwoDigits(yymmdd.substr(4, 2));
  if (!yy || !mm || !dd) return std::nullopt;
  const int year = *yy >= 50 ? 1900 + *yy : 2000 + *yy;
  if (!IsValidDate(year, *mm, *dd)) return std::nullopt;
  return EncodeDateTime(year, *mm, *dd);
}

std::string DateOrderKey(std::string_view yy_name) {
  const auto yy = TwoDigits(yy_name.substr(0, 2));
  return std::string(yy && *yy >= 50 ? "19" : "20") + std::string(yy_name);
}

std::optional<SourceSplit> SplitSource(std::string_view cp932_source) {
  // Byte offsets 2 to n-2: the characters before the final backslash, the
  // first two excepted.
  if (cp932_source.size() < 3) return std::nullopt;
  const size_t cut = cp932::FindLastBackslash(cp932_source, 2, cp932_source.size() - 2);
  if (cut == std::string_view::npos) return std::nullopt;
  return SourceSplit{std::string(cp932_source.substr(0, cut + 1)),
                     std::string(cp932_source.substr(cut + 1))};
}

}  // namespace yx::backup
