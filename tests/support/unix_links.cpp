#include "support/unix_links.h"

#include <windows.h>

#include "win/text.h"

namespace yx::test {
namespace {

using UnixNameFunction = char*(CDECL*)(LPCWSTR);

UnixNameFunction UnixNameOf() {
  return reinterpret_cast<UnixNameFunction>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

bool Present(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool RunUnixTool(const std::wstring& program, const std::wstring& arguments,
                 const std::function<bool()>& done) {
  std::wstring command_line = program + L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
    return false;
  if (process.hThread) ::CloseHandle(process.hThread);
  if (process.hProcess) ::CloseHandle(process.hProcess);
  const ULONGLONG give_up = ::GetTickCount64() + 30'000;
  while (!done()) {
    if (::GetTickCount64() > give_up) return false;
    ::Sleep(1);
  }
  return true;
}

std::wstring UnixPath(const std::wstring& windows_path) {
  const UnixNameFunction unix_name = UnixNameOf();
  if (!unix_name) return {};
  char* name = unix_name(windows_path.c_str());
  if (!name) return {};
  std::wstring wide = win::ToWide(name, CP_UTF8);
  ::HeapFree(::GetProcessHeap(), 0, name);
  while (wide.size() > 1 && wide.back() == L'/') wide.pop_back();
  return wide;
}

UnixLinks::~UnixLinks() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
    const std::wstring visible = it->second;
    (void)RunUnixTool(L"Z:\\bin\\rm", L"-f \"" + it->first + L"\"",
                      [&] { return !Present(visible); });
  }
}

bool UnixLinks::Make(const std::wstring& unix_link, const std::wstring& unix_target,
                     const std::wstring& visible) {
  if (unix_link.empty() || unix_target.empty()) return false;
  made_.emplace_back(unix_link, visible);
  return RunUnixTool(L"Z:\\bin\\ln", L"-s \"" + unix_target + L"\" \"" + unix_link + L"\"",
                     [&] { return Present(visible); });
}

std::wstring UnixLinks::MakeDrive(const std::wstring& folder) {
  wchar_t prefix[1024] = {};
  if (!::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024)) return {};
  for (wchar_t letter = L'q'; letter <= L'y'; ++letter) {
    const std::wstring drive{static_cast<wchar_t>(letter - L'a' + L'A'), L':'};
    if (::GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_NO_ROOT_DIR) continue;
    const std::wstring device = std::wstring(prefix) + L"/dosdevices/" + letter + L":";
    if (Make(device, UnixPath(folder), drive + L"\\")) return drive;
    return {};
  }
  return {};
}

}  // namespace yx::test
