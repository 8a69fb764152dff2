// A stand-in UNLHA32 that writes down every call it gets, one line each, into
// the file named by YX_RECORDER_FILE, and answers Unlha with the number in
// YX_RECORDER_RESULT (0 when unset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Record(const char* text) {
  char path[1024] = {};
  if (!::GetEnvironmentVariableA("YX_RECORDER_FILE", path, sizeof path)) return;
  if (FILE* f = std::fopen(path, "ab")) {
    std::fputs(text, f);
    std::fputs("\n", f);
    std::fclose(f);
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) WORD WINAPI UnlhaGetVersion() { return 253; }

__declspec(dllexport) BOOL WINAPI UnlhaSetBackGroundMode(BOOL mode) {
  Record(mode ? "mode 1" : "mode 0");
  return TRUE;
}

__declspec(dllexport) int WINAPI Unlha(HWND window, LPCSTR command, LPSTR, DWORD size) {
  char line[4096];
  std::snprintf(line, sizeof line, "%s|%s|%lu", window ? "owner" : "no owner", command,
                static_cast<unsigned long>(size));
  Record(line);
  char result[32] = {};
  return ::GetEnvironmentVariableA("YX_RECORDER_RESULT", result, sizeof result) ? std::atoi(result)
                                                                                : 0;
}

}  // extern "C"
