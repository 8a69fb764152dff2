#include "backup/unlha32.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "win/unique_handle.h"

namespace yx::backup::unlha32 {
namespace {

// The one module-wide state the binding has: the library, loaded at start.
win::UniqueModule& Library() {
  static win::UniqueModule library;
  return library;
}

template <typename Fn>
Fn EntryPoint(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(Library().get(), name)));
}

using GetVersionFn = WORD(WINAPI*)();
using SetBackGroundModeFn = BOOL(WINAPI*)(BOOL);
using UnlhaFn = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);
using ArchiverProc = BOOL(CALLBACK*)(HWND, UINT, UINT, LPVOID);
using SetOwnerFn = BOOL(WINAPI*)(HWND, ArchiverProc);
using KillOwnerFn = BOOL(WINAPI*)(HWND);

// The start of the library's EXTRACTINGINFO: what the procedure reads.
struct TakenFile {
  DWORD size;
  DWORD written;
  char path[513];
};
constexpr UINT kEntryBegins = 0;  // ARCEXTRACT_BEGIN

// The handler of the command going on. The library's procedure carries no
// context of the caller's, so it is reached here: one command at a time.
std::atomic<const EntryTaken*>& Taken() {
  static std::atomic<const EntryTaken*> taken{nullptr};
  return taken;
}

BOOL CALLBACK OnEntry(HWND, UINT, UINT state, LPVOID info) {
  const EntryTaken* taken = Taken();
  if (!taken || state != kEntryBegins || !info) return TRUE;
  const auto* file = static_cast<const TakenFile*>(info);
  return (*taken)(std::string_view(file->path, ::strnlen(file->path, sizeof file->path)),
                  file->size)
             ? TRUE
             : FALSE;
}

}  // namespace

void Load() {
  if (Library()) return;
  // A library that is there but cannot be loaded (another architecture, a
  // missing dependency) must not stop the start with a system message box.
  DWORD previous = 0;
  const bool quiet =
      ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  Library().reset(::LoadLibraryW(L"UNLHA32"));
  if (quiet) ::SetThreadErrorMode(previous, nullptr);
}

void Unload() { Library().reset(); }

bool LibraryLoaded() { return static_cast<bool>(Library()); }

WORD UnlhaGetVersion() {
  if (!LibraryLoaded()) return 0;
  const auto fn = EntryPoint<GetVersionFn>("UnlhaGetVersion");
  return fn ? fn() : 0;
}

BOOL UnlhaSetBackGroundMode(BOOL mode) {
  if (!LibraryLoaded()) return FALSE;
  const auto fn = EntryPoint<SetBackGroundModeFn>("UnlhaSetBackGroundMode");
  return fn ? fn(mode) : FALSE;
}

int Unlha(HWND window, const std::string& command_line, std::string& output_text, DWORD output_size,
          const EntryTaken& taken) {
  if (!LibraryLoaded()) return kNotLoaded;
  const auto fn = EntryPoint<UnlhaFn>("Unlha");
  if (!fn) return kNotLoaded;
  // A library without the owner's procedure tells nothing of its files.
  const auto set_owner = EntryPoint<SetOwnerFn>("UnlhaSetOwnerWindowEx");
  const auto kill_owner = EntryPoint<KillOwnerFn>("UnlhaKillOwnerWindowEx");
  const bool told = taken && set_owner && kill_owner;
  if (told) {
    Taken() = &taken;
    (void)set_owner(window, &OnEntry);
  }
  // One byte more than asked for, so that the pointer is valid even for a
  // size of 0 and the text always ends.
  std::vector<char> buffer(static_cast<size_t>(output_size) + 1, '\0');
  const int result = fn(window, command_line.c_str(), buffer.data(), output_size);
  if (told) {
    (void)kill_owner(window);
    Taken() = nullptr;
  }
  output_text.assign(buffer.data(), ::strnlen(buffer.data(), output_size));
  return result;
}

}  // namespace yx::backup::unlha32
