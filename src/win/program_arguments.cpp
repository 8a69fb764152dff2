#include "win/program_arguments.h"

#include <windows.h>

#include <cstdlib>

namespace yx::win {

std::vector<std::wstring> ProgramArguments() {
  std::vector<std::wstring> args;
  for (int i = 1; __wargv && i < __argc; ++i) args.emplace_back(__wargv[i]);
  return args;
}

std::wstring ExePath() {
  std::wstring exe(32768, L'\0');
  exe.resize(::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
  return exe;
}

std::wstring SwitchWord(std::wstring word) {
  for (wchar_t& c : word)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return word;
}

}  // namespace yx::win
