#pragma once
// Whether a file opened by a name is the file of that name, not another one
// reached through a link. Wine 8 lists a Linux link to a file as a plain file
// (no reparse-point attribute) and every call on it acts on the file it leads
// to, so only the path the system resolves the open file to tells. Links on
// the folders above the file do not count: a destination may well lie behind
// one (a mapped share, a Documents folder that is a link); they are the
// listing's to skip.
#include <windows.h>

#include <string>
#include <string_view>

namespace yx::win {

// The error a refused file is reported with: the system's text ("the file
// cannot be accessed by the system") says what happened.
inline constexpr DWORD kReachedThroughLink = ERROR_CANT_ACCESS_FILE;

// True when `file`, opened by `path`, resolves elsewhere than `path`'s own
// folder and name.
[[nodiscard]] bool ReachedThroughLink(HANDLE file, std::wstring_view path);

// The same of the file or folder at `path`, opened only to ask:
// ERROR_SUCCESS when it is its own, kReachedThroughLink when not, the
// system's error when it cannot be opened.
[[nodiscard]] DWORD CheckOwnFile(std::wstring_view path);

}  // namespace yx::win
