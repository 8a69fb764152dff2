#pragma once
// Runs the real Yorudex.exe as a user's scheduler would: a copy of the
// program in a folder of its own, started with a command line, waited for.
#include <windows.h>

#include <optional>
#include <string>

namespace yx::test {

// The build's output folders as Wine sees them (Z: is the Linux root).
[[nodiscard]] std::wstring BuildPath(std::wstring_view relative);
// A new, empty folder `name` on the file system of 1 MiB the reliability
// tests' run mounts in the build folder (small_disk.sh), ending in a
// backslash; empty when that file system is not there (mounting needs root).
[[nodiscard]] std::wstring FolderOnSmallDisk(std::wstring_view name);

struct ProgramResult {
  bool finished = false;  // false: it was still running at the time limit and was killed
  DWORD exit_code = 0;
  bool showed_dialog = false;  // a message box (#32770) of the process appeared
  bool showed_window = false;  // the window named `until_window` appeared (and it was killed)
};

// Starts `exe` with the whole `command` line in `folder`. Under Wine a start
// now and then fails inside the new process before it runs any of its code
// (ERROR_INTERNAL_ERROR from CreateProcessW); such a start is made again,
// twice at most. Throws when the program cannot be started.
[[nodiscard]] PROCESS_INFORMATION StartProgram(const std::wstring& exe, std::wstring command,
                                               const std::wstring& folder, DWORD flags = 0,
                                               wchar_t* environment = nullptr);

// Starts `exe` with `arguments` in its own folder and waits up to
// `timeout_ms`, watching for dialogs meanwhile. With `until_window`, the wait
// also ends (and the program is killed) once a visible window of the process
// has that caption.
[[nodiscard]] ProgramResult RunProgram(const std::wstring& exe, const std::wstring& arguments,
                                       DWORD timeout_ms = 60000,
                                       std::wstring_view until_window = {});

// Whether a message box (#32770) of the process `pid` is there now.
[[nodiscard]] bool ShowsDialog(DWORD pid);

// Copies UNLHA32.DLL into `folder`, beside a program installed there.
void InstallArchiver(const std::wstring& folder);

// Copies the program built with the settable clock into `folder` as
// Yorudex.exe; runs of it take their start time from YX_TEST_NOW.
std::wstring InstallTestClockProgram(const std::wstring& folder, bool with_archiver = false);

// Copies the shipped program (and, with `with_archiver`, UNLHA32.DLL) into
// `folder`; returns the program's path there.
std::wstring InstallProgram(const std::wstring& folder, bool with_archiver = false);

}  // namespace yx::test
