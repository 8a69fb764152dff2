#include "sweep_fixture.h"

#include <windows.h>

#include <algorithm>

#include "settings/check_rules.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {
namespace {

bool Present(const std::wstring& path) { return win::Attributes(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

DateTime RunTime() { return EncodeDateTime(2001, 5, 23, 9, 5); }

std::wstring TwoDigits(int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }

SweepTest::SweepTest() {
  UseRoot(L"dest");
  context_.deletion_day = [this](int weekday) {
    if (on_weekday_) on_weekday_(weekday);
    return flags_[static_cast<size_t>(weekday)];
  };
  context_.cancel_requested = &cancel_;
  context_.log_line = [](const std::string&) {};
}

SweepTest::~SweepTest() = default;

void SweepTest::UseRoot(std::wstring_view name) { root_ = temp_.MakeFolder(name); }

std::string SweepTest::RootA() const { return win::FromWide(root_); }

void SweepTest::Folder(std::wstring_view relative) const {
  ASSERT_TRUE(win::CreateFolderTree(root_ + std::wstring(relative)));
}

void SweepTest::File(std::wstring_view relative, std::string_view bytes) const {
  const std::wstring path = root_ + std::wstring(relative);
  ASSERT_TRUE(win::CreateFolderTree(path.substr(0, path.find_last_of(L'\\'))));
  WriteWholeFile(path, bytes);
}

void SweepTest::Days(std::wstring_view month, int first, int last) const {
  for (int day = first; day <= last; ++day) {
    File(std::wstring(month) + L"\\" + TwoDigits(day) + L"\\0905\\Work\\data.txt");
  }
}

bool SweepTest::Exists(std::wstring_view relative) const {
  return Present(root_ + std::wstring(relative));
}

std::vector<int> SweepTest::DaysLeft(std::wstring_view month) const {
  std::vector<int> days;
  for (int day = 0; day <= 99; ++day) {
    if (Exists(std::wstring(month) + L"\\" + TwoDigits(day))) days.push_back(day);
  }
  return days;
}

void SweepTest::Forced(int days) {
  context_.kill_on = true;
  context_.kill_limit = settings::CutOff(RunTime(), days, false);
}

void SweepTest::Selective(int days, std::array<bool, 7> flags) {
  context_.del_on = true;
  context_.del_limit = settings::CutOff(RunTime(), days, false);
  flags_ = flags;
}

std::vector<std::string> SweepTest::Sweep() {
  // The sweep never deletes the newest backup: most cases get a newer one,
  // in a month out of their way, so that their expired backups all go.
  if (newer_backup_) File(L"0112\\01\\0900\\Work\\newer.txt");
  std::vector<std::string> lines;
  context_.log_line = [&](const std::string& line) {
    lines.push_back(line);
    if (on_log_) on_log_(line);
  };
  backup::SweepDestination(context_, RootA());
  context_.log_line = [](const std::string&) {};
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string SweepTest::Deleted(std::wstring_view relative) const {
  return RootA() + win::FromWide(relative) + " を削除しました";
}

std::string SweepTest::NotDeleted(std::wstring_view relative, DWORD error) const {
  return RootA() + win::FromWide(relative) + " を削除できませんでした: " + win::ErrorReason(error);
}

std::string SweepTest::DeletedIfGone(std::wstring_view relative) const {
  return RootA() + win::FromWide(relative) +
         (Exists(relative) ? " を削除できませんでした" : " を削除しました");
}

std::vector<std::string> SweepTest::WithoutReasons(std::vector<std::string> lines) {
  for (std::string& line : lines)
    if (const size_t reason = line.find(": エラー "); reason != std::string::npos)
      line.resize(reason);
  return lines;
}

std::vector<std::string> SweepTest::DeletedAll(std::vector<std::wstring> relative) const {
  std::vector<std::string> lines;
  for (const auto& r : relative) lines.push_back(Deleted(r));
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool SweepTest::MakeLink(const std::wstring& link, const std::wstring& target) {
  if (UnixPath(link).empty()) {
    // On Windows itself.
    const DWORD flags = (win::FolderExists(target) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) && Present(link);
  }
  return links_.Make(UnixPath(link), UnixPath(target), link);
}

}  // namespace yx::test
