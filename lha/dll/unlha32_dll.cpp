// UNLHA32.DLL: the three entry points the program looks up, a flat C ABI over
// the archiver library. Arguments are checked, the output buffer always ends
// in a NUL when it has room, and no exception leaves the DLL.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "lha/win/archive_command.h"

namespace {

constexpr WORD kVersion = 100;  // 1.00

// Copies as much of `text` as fits, never cutting a double-byte character.
void PutOutput(const std::string& text, LPSTR out, DWORD size) noexcept {
  if (!out || size == 0) return;
  size_t n = std::min<size_t>(text.size(), size - 1);
  if (n < text.size()) {
    size_t whole = 0;
    for (size_t i = 0; i < text.size();) {
      const size_t next = i + yx::cp932::CharLength(text, i);
      if (next > n) break;
      whole = i = next;
    }
    n = whole;
  }
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

}  // namespace

extern "C" {

__declspec(dllexport) WORD WINAPI UnlhaGetVersion() { return kVersion; }

// The archiver never shows a window: every mode is the background mode.
__declspec(dllexport) BOOL WINAPI UnlhaSetBackGroundMode(BOOL) { return TRUE; }

__declspec(dllexport) int WINAPI Unlha(HWND, LPCSTR command_line, LPSTR output, DWORD output_size) {
  if (output && output_size > 0) output[0] = '\0';
  if (!command_line) return yx::lha::win::kBadCommand;
  const yx::lha::win::CommandOutcome outcome = yx::lha::win::RunCommand(command_line);
  PutOutput(outcome.message, output, output_size);
  return outcome.code;
}

}  // extern "C"
