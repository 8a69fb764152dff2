#include "win/writing_mark.h"

#include "win/file_system.h"

namespace yx::win {
namespace {

// Global: the restore may run in another session than a scheduled run.
std::wstring MarkNameOfKey(const std::wstring& key) { return L"Global\\Yorudex-writing-" + key; }

std::wstring MarkName(const std::wstring& folder) { return MarkNameOfKey(FolderKey(folder)); }

}  // namespace

// Without the mark the backup still runs; it only looks complete sooner.
WritingMark::WritingMark(const std::wstring& folder)
    : event_(::CreateEventW(nullptr, TRUE, FALSE, MarkName(folder).c_str())) {}

bool IsLongBeingWritten(const std::wstring& long_folder) {
  const UniqueKernelHandle event(
      ::OpenEventW(SYNCHRONIZE, FALSE, MarkNameOfKey(FolderKeyOfLong(long_folder)).c_str()));
  if (event) return true;
  // Denied: it is there, made by another user's run.
  const DWORD error = ::GetLastError();
  return error == ERROR_ACCESS_DENIED;
}

}  // namespace yx::win
