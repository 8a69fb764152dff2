#include "win/fault_line.h"

#include "win/text.h"

namespace yx::win {

std::wstring SystemText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring reason = n != 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
  ::LocalFree(text);
  for (wchar_t& c : reason)
    if (c == L'\r' || c == L'\n') c = L' ';
  while (!reason.empty() && reason.back() == L' ') reason.pop_back();
  return reason;
}

std::string ErrorReason(DWORD error) {
  std::string text = "エラー " + std::to_string(error);
  if (const std::wstring reason = SystemText(error); !reason.empty())
    text += " " + FromWide(reason);
  return text;
}

std::string FaultLine(std::wstring_view path, DWORD error) {
  return "PATH=" + FromWide(path) + " をバックアップできませんでした: " + ErrorReason(error);
}

FileError SystemFileError(std::string_view pattern, std::string_view path, const Failure& failure) {
  return FileError(std::string(MakeFileError(pattern, path).what()) + ": " + failure.Reason(),
                   failure.error);
}

}  // namespace yx::win
