// Stand-ins for UNLHA32 that lack an entry point, for the binding's tests.
// With YX_STUB_UNLHA: UnlhaGetVersion and Unlha, whose output follows the
// command text. Without: only UnlhaSetBackGroundMode.
#include <windows.h>

#include <cstring>

extern "C" {

#ifdef YX_STUB_UNLHA
__declspec(dllexport) WORD WINAPI UnlhaGetVersion() { return 253; }

__declspec(dllexport) int WINAPI Unlha(HWND, LPCSTR command, LPSTR out, DWORD size) {
  if (std::strcmp(command, "fill") == 0) {  // every byte of the buffer, no NUL
    std::memset(out, 'x', size);
    return 1;
  }
  if (std::strcmp(command, "text") == 0 && size >= 8) {
    std::memcpy(out, "abc\0def", 8);
    return 2;
  }
  if (std::strcmp(command, "size") == 0) return static_cast<int>(size);
  if (std::strcmp(command, "pointer") == 0) return out != nullptr ? 3 : -3;
  return -1;
}
#else
__declspec(dllexport) BOOL WINAPI UnlhaSetBackGroundMode(BOOL mode) { return mode ? TRUE : 2; }
#endif

}  // extern "C"
