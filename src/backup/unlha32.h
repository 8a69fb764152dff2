#pragma once
// The run-time binding to UNLHA32, the LHA archiver library. It is loaded once
// before any window exists and freed at the end; without it the program still
// runs, and archive runs are refused.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace yx::backup::unlha32 {

// The result of Unlha when the library is not there.
inline constexpr int kNotLoaded = 32792;  // 0x8018
// The result of the project's own UNLHA32 when something of a source could
// not be read: its output names each path, one line each. A folder that
// could not be listed or a file that could not be read is left out of an
// archive written with the rest. Every other non-zero result leaves the
// archive as it was.
inline constexpr int kSomeSourcesUnreadable = 0x8103;
// The result when `taken` stopped the command: nothing was written.
inline constexpr int kCancelled = 0x8109;

// Told each file the archiver takes (its path, CP932, and size), one call at
// a time from the archiver's threads; false stops the command at the next.
using EntryTaken = std::function<bool(std::string_view cp932_path, uint64_t size)>;

void Load();
void Unload();
[[nodiscard]] bool LibraryLoaded();

// Each call looks its entry point up again; an entry point the library lacks
// gives the same result as a library that is not loaded.
[[nodiscard]] WORD UnlhaGetVersion();
[[nodiscard]] BOOL UnlhaSetBackGroundMode(BOOL mode);
// `output_text` receives at most `output_size` bytes of the library's output
// text, up to its first NUL; it is left as it was when the library is absent.
// `taken` is told of each file when the library can tell (UnlhaSetOwnerWindowEx).
[[nodiscard]] int Unlha(HWND window, const std::string& command_line, std::string& output_text,
                        DWORD output_size, const EntryTaken& taken = {});

}  // namespace yx::backup::unlha32
