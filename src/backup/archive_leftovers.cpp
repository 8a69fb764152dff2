#include "backup/archive_leftovers.h"

#include <windows.h>

#include <charconv>

#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::backup {
namespace {

bool Digits(std::string_view s, size_t count) {
  if (s.size() != count) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Leading digits of `s` as a number, taken off `s`; false without any.
bool TakeNumber(std::string_view& s, unsigned long& value) {
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end == s.data()) return false;
  s.remove_prefix(static_cast<size_t>(end - s.data()));
  return true;
}

bool ProcessRunning(unsigned long pid) {
  win::UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;  // there, of another user
  return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

unsigned long ArchiveTempOwner(std::string_view name) {
  // yymmdd_hhnn.lzh.<pid>-<n>.tmp, exactly as the run names its archives.
  if (name.size() < 16 || !Digits(name.substr(0, 6), 6) || name[6] != '_' ||
      !Digits(name.substr(7, 4), 4) || name.substr(11, 5) != ".lzh.")
    return 0;
  std::string_view rest = name.substr(16);
  unsigned long pid = 0, attempt = 0;
  if (!TakeNumber(rest, pid) || rest.empty() || rest.front() != '-') return 0;
  rest.remove_prefix(1);
  if (!TakeNumber(rest, attempt) || rest != ".tmp") return 0;
  return pid;
}

void RemoveArchiveLeftovers(const std::wstring& day_folder) {
  (void)win::ForEachEntry(day_folder, [&](const WIN32_FIND_DATAW& entry) {
    if (win::IsFolder(entry) || win::IsLink(entry)) return true;
    const unsigned long pid = ArchiveTempOwner(win::FromWide(entry.cFileName));
    if (pid != 0 && pid != ::GetCurrentProcessId() && !ProcessRunning(pid))
      ::DeleteFileW(win::ToLongPath(day_folder + entry.cFileName).c_str());
    return true;
  });
}

}  // namespace yx::backup
