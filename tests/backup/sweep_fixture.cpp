#include "sweep_fixture.h"

#include <windows.h>

#include <algorithm>

#include "settings/check_rules.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::test {
namespace {

// Wine's wine_get_unix_file_name: the Linux path of a Windows path, allocated
// on the process heap. Absent on Windows.
using UnixNameFunction = char*(CDECL*)(LPCWSTR);

UnixNameFunction UnixNameOf() {
  // Through void(*)(): GetProcAddress's own type does not match any export's.
  return reinterpret_cast<UnixNameFunction>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::wstring UnixPath(UnixNameFunction unix_name, const std::wstring& path) {
  char* name = unix_name(path.c_str());
  if (name == nullptr) return {};
  std::wstring wide = win::ToWide(name, CP_UTF8);
  ::HeapFree(::GetProcessHeap(), 0, name);
  while (!wide.empty() && wide.back() == L'/') wide.pop_back();
  return wide;
}

// Wine starts a Linux program given by its Z: path but hands back no process
// to wait for: the caller polls for the program's effect.
bool StartLinuxProgram(const std::wstring& program, std::wstring command_line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    return false;
  }
  if (process.hThread) ::CloseHandle(process.hThread);
  if (process.hProcess) ::CloseHandle(process.hProcess);
  return true;
}

bool PollUntil(const std::function<bool()>& done) {
  const ULONGLONG give_up = ::GetTickCount64() + 30'000;
  while (!done()) {
    if (::GetTickCount64() > give_up) return false;
    ::Sleep(1);
  }
  return true;
}

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

SweepTest::~SweepTest() {
  // Links first: Wine lists no dangling link, so one left behind would keep
  // the temp folder from going.
  const UnixNameFunction unix_name = UnixNameOf();
  for (auto it = links_.rbegin(); it != links_.rend() && unix_name; ++it) {
    const std::wstring link = UnixPath(unix_name, *it);
    if (StartLinuxProgram(L"Z:\\bin\\rm", L"rm -f \"" + link + L"\"")) {
      (void)PollUntil([&] { return !Present(*it); });
    }
  }
}

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
  context_.kill_limit = CutOff(RunTime(), days, false);
}

void SweepTest::Selective(int days, std::array<bool, 7> flags) {
  context_.del_on = true;
  context_.del_limit = CutOff(RunTime(), days, false);
  flags_ = flags;
}

std::vector<std::string> SweepTest::Sweep() {
  std::vector<std::string> lines;
  context_.log_line = [&](const std::string& line) {
    lines.push_back(line);
    if (on_log_) on_log_(line);
  };
  SweepDestination(context_, RootA());
  context_.log_line = [](const std::string&) {};
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string SweepTest::Deleted(std::wstring_view relative) const {
  return RootA() + win::FromWide(relative) + " を削除しました";
}

std::vector<std::string> SweepTest::DeletedAll(std::vector<std::wstring> relative) const {
  std::vector<std::string> lines;
  for (const auto& r : relative) lines.push_back(Deleted(r));
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool SweepTest::MakeLink(const std::wstring& link, const std::wstring& target) {
  const UnixNameFunction unix_name = UnixNameOf();
  if (unix_name == nullptr) {
    const DWORD flags = (win::FolderExists(target) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) && Present(link);
  }
  // Wine's CreateSymbolicLinkW reports success and makes nothing: /bin/ln does it.
  const std::wstring unix_link = UnixPath(unix_name, link);
  const std::wstring unix_target = UnixPath(unix_name, target);
  if (unix_link.empty() || unix_target.empty()) return false;
  if (!StartLinuxProgram(L"Z:\\bin\\ln",
                         L"ln -s \"" + unix_target + L"\" \"" + unix_link + L"\"")) {
    return false;
  }
  links_.push_back(link);
  return PollUntil([&] { return Present(link); });
}

}  // namespace yx::test
