// The archiver library's C entry points. Arguments are checked,
// out-parameters set first, and no exception leaves a function. Handles are
// kept in one table so that a handle the library did not give, or one closed
// already, is refused instead of followed.
#include "lha/win/unlha32_api.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "base/cp932.h"
#include "lha/core/entry_decoder.h"
#include "lha/win/archive_command.h"
#include "lha/win/entry_names.h"
#include "lha/win/opened_archive.h"
#include "lha/win/read_command.h"
#include "lha/win/read_result.h"
#include "win/text.h"

namespace yx::lha::win {
namespace {

constexpr WORD kVersion = 100;  // 1.00

struct ArchiveHandle {
  OpenedArchive archive;
  std::vector<std::wstring> patterns;
  size_t next = 0;  // the entry FindNext looks at first
  const ArchiveEntry* found = nullptr;
};

// The library's state: the handles it gave out and whether a command runs.
std::mutex g_lock;
std::set<ArchiveHandle*> g_handles;
std::atomic<int> g_running{0};
// The owner's procedure of the add commands (UnlhaSetOwnerWindowEx).
std::atomic<LPARCHIVERPROC> g_owner_procedure{nullptr};

class RunningMark {
 public:
  RunningMark() { ++g_running; }
  ~RunningMark() { --g_running; }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;
};

ArchiveHandle* Find(HARC h) {
  const std::lock_guard<std::mutex> held(g_lock);
  auto* a = static_cast<ArchiveHandle*>(h);
  return g_handles.count(a) ? a : nullptr;
}

// Copies as much of `text` as fits, never cutting a double-byte character.
void PutNarrow(const std::string& text, char* out, size_t size) {
  if (!out || size == 0) return;
  size_t n = std::min(text.size(), size - 1);
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

void PutWide(const std::wstring& text, wchar_t* out, size_t size) {
  if (!out || size == 0) return;
  size_t n = std::min(text.size(), size - 1);
  if (n < text.size() && n > 0 && IS_HIGH_SURROGATE(text[n - 1])) --n;
  std::memcpy(out, text.data(), n * sizeof(wchar_t));
  out[n] = L'\0';
}

std::vector<std::wstring> SplitPatterns(const std::wstring& text) {
  std::vector<std::wstring> patterns;
  std::wstring word;
  bool quoted = false;
  for (const wchar_t c : text + L' ') {
    if (c == L'"') {
      quoted = !quoted;
    } else if (c == L' ' && !quoted) {
      if (!word.empty()) patterns.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return patterns;
}

WORD Ratio(uint64_t packed, uint64_t original) {
  return original == 0 ? 0
                       : static_cast<WORD>(std::min<uint64_t>(packed * 1000 / original, 0xFFFF));
}

UINT OsType(uint8_t id) {
  switch (id) {
    case 0:
    case 'M':
      return 0;
    case 'U':
      return 2;
    case 'm':
      return 4;
    case '2':
      return 5;
    case 'W':
    case 'w':
      return 6;
    default:
      return 10;
  }
}

template <typename Info>
void Fill(const ArchiveEntry& e, Info* info) {
  const EntryHeader& h = e.header;
  info->dwOriginalSize = static_cast<DWORD>(h.original_size);
  info->dwCompressedSize = static_cast<DWORD>(e.data_size);
  info->dwCRC = h.crc;
  info->uFlag = 0;
  info->uOSType = OsType(h.os_id);
  info->wRatio = Ratio(e.data_size, h.original_size);
  const DWORD dos = DosTimeOf(TimesOf(h).write);
  info->wDate = static_cast<WORD>(dos >> 16);
  info->wTime = static_cast<WORD>(dos);
  const DWORD a = AttributesOf(h) | (h.IsDirectory() ? FILE_ATTRIBUTE_DIRECTORY : 0);
  const char letters[] = {
      a & FILE_ATTRIBUTE_READONLY ? 'R' : '-', a & FILE_ATTRIBUTE_HIDDEN ? 'H' : '-',
      a & FILE_ATTRIBUTE_SYSTEM ? 'S' : '-', a & FILE_ATTRIBUTE_DIRECTORY ? 'D' : '-',
      a & FILE_ATTRIBUTE_ARCHIVE ? 'A' : '-'};
  const std::string method = MethodName(h);
  for (size_t i = 0; i < 5; ++i) info->szAttribute[i] = letters[i];
  info->szAttribute[5] = 0;
  for (size_t i = 0; i < 5; ++i) info->szMode[i] = method[i];
  info->szMode[5] = 0;
  if constexpr (sizeof(info->szFileName[0]) == 1)
    PutNarrow(EntryNarrowPath(h), info->szFileName, std::size(info->szFileName));
  else
    PutWide(EntryWidePath(h), info->szFileName, std::size(info->szFileName));
}

template <typename Info>
int FindNextIn(HARC harc, Info* info) {
  ArchiveHandle* a = Find(harc);
  if (!a) return kErrorHarcNotOpened;
  a->found = nullptr;
  while (a->next < a->archive.entries.size()) {
    const ArchiveEntry& e = a->archive.entries[a->next++];
    const std::wstring path = EntryWidePath(e.header);
    if (!a->patterns.empty() &&
        std::none_of(a->patterns.begin(), a->patterns.end(),
                     [&](const std::wstring& p) { return MatchesEntry(p, path); }))
      continue;
    a->found = &e;
    if (info) Fill(e, info);
    return 0;
  }
  return -1;
}

template <typename Info>
int FindFirstIn(HARC harc, const std::wstring& pattern, Info* info) {
  ArchiveHandle* a = Find(harc);
  if (!a) return kErrorHarcNotOpened;
  a->patterns = SplitPatterns(pattern);
  a->next = 0;
  return FindNextIn(harc, info);
}

HARC Open(const std::wstring& path) {
  auto handle = std::make_unique<ArchiveHandle>();
  DWORD error = 0;
  if (OpenArchive(path, handle->archive, error) != kReadOk) {
    ::SetLastError(error);
    return nullptr;
  }
  const std::lock_guard<std::mutex> held(g_lock);
  g_handles.insert(handle.get());
  return handle.release();
}

BOOL Check(const std::wstring& path, int mode) {
  OpenedArchive archive;
  DWORD error = 0;
  if (OpenArchive(path, archive, error) != kReadOk || archive.listing != ListResult::kOk)
    return FALSE;
  if (mode & CHECKARCHIVE_FULLCRC) {
    EntryDecoder decoder;
    for (const ArchiveEntry& e : archive.entries)
      if (decoder.Decode(*archive.source, e, nullptr) != DecodeStatus::kOk) return FALSE;
  }
  return TRUE;
}

int Count(const std::wstring& path) {
  OpenedArchive archive;
  DWORD error = 0;
  if (OpenArchive(path, archive, error) != kReadOk) return -1;
  return static_cast<int>(std::min<size_t>(archive.entries.size(), 0x7FFFFFFF));
}

const ArchiveEntry* Found(HARC h) {
  const ArchiveHandle* a = Find(h);
  return a ? a->found : nullptr;
}

template <typename F>
auto Guard(F&& f, decltype(f()) failed) noexcept -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    return failed;
  }
}

std::wstring Wide(LPCSTR text) { return text ? yx::win::ToWide(text) : std::wstring(); }
std::wstring Wide(LPCWSTR text) { return text ? std::wstring(text) : std::wstring(); }

// The owner's procedure as the add command's entry_taken.
CommandOptions WithOwnerProcedure() {
  CommandOptions options;
  if (const LPARCHIVERPROC procedure = g_owner_procedure)
    options.entry_taken = [procedure](const std::wstring& path, uint64_t size) {
      EXTRACTINGINFOEX info{};
      info.exinfo.dwFileSize = static_cast<DWORD>(std::min<uint64_t>(size, 0xFFFFFFFF));
      PutNarrow(yx::win::FromWide(path), info.exinfo.szSourceFileName,
                sizeof info.exinfo.szSourceFileName);
      return procedure(nullptr, 0, ARCEXTRACT_BEGIN, &info) != FALSE;
    };
  return options;
}

int RunNarrow(LPCSTR line, std::string& out) {
  ArchiveCommand parsed;
  if (ParseCommandLine(line, parsed) == CommandError::kNone && parsed.command != 'a') {
    const ReadOutcome r = RunReadCommand(ToReadRequest(parsed, 932));
    out = yx::win::FromWide(r.output);
    return r.code;
  }
  const CommandOutcome outcome = RunCommand(line, WithOwnerProcedure());
  out = outcome.message;
  return outcome.code;
}

int RunWide(LPCWSTR line, std::wstring& out) {
  const std::string utf8 = yx::win::FromWide(line, CP_UTF8);
  ArchiveCommand parsed;
  const CommandError error = ParseCommandLine(utf8, parsed, true);
  if (error == CommandError::kNone && parsed.command != 'a') {
    const ReadOutcome r = RunReadCommand(ToReadRequest(parsed, CP_UTF8));
    out = r.output;
    return r.code;
  }
  // Adding takes code page 932 text; a name beyond it cannot be added.
  bool lossy = false;
  const std::string narrow = yx::win::FromWide(line, 932, &lossy);
  if (lossy) {
    out = L"error: the command holds characters beyond code page 932";
    return kBadCommand;
  }
  const CommandOutcome outcome = RunCommand(narrow, WithOwnerProcedure());
  out = yx::win::ToWide(outcome.message);
  return outcome.code;
}

}  // namespace
}  // namespace yx::lha::win

using namespace yx::lha;
using namespace yx::lha::win;

extern "C" {

WORD WINAPI UnlhaGetVersion(void) { return kVersion; }
BOOL WINAPI UnlhaGetRunning(void) { return g_running > 0; }
// The archiver never shows a window: every mode is the background mode.
BOOL WINAPI UnlhaSetBackGroundMode(BOOL) { return TRUE; }

BOOL WINAPI UnlhaSetOwnerWindowEx(HWND, LPARCHIVERPROC procedure) {
  g_owner_procedure = procedure;
  return TRUE;
}

BOOL WINAPI UnlhaKillOwnerWindowEx(HWND) {
  g_owner_procedure = nullptr;
  return TRUE;
}

int WINAPI Unlha(HWND, LPCSTR command_line, LPSTR output, DWORD output_size) {
  if (output && output_size > 0) output[0] = '\0';
  if (!command_line) return kBadCommand;
  RunningMark running;
  return Guard(
      [&] {
        std::string text;
        const int code = RunNarrow(command_line, text);
        PutNarrow(text, output, output_size);
        return code;
      },
      static_cast<int>(kInternalError));
}

int WINAPI UnlhaW(HWND, LPCWSTR command_line, LPWSTR output, DWORD output_size) {
  if (output && output_size > 0) output[0] = L'\0';
  if (!command_line) return kBadCommand;
  RunningMark running;
  return Guard(
      [&] {
        std::wstring text;
        const int code = RunWide(command_line, text);
        PutWide(text, output, output_size);
        return code;
      },
      static_cast<int>(kInternalError));
}

BOOL WINAPI UnlhaCheckArchive(LPCSTR archive, int mode) {
  return archive ? Guard([&] { return Check(Wide(archive), mode); }, FALSE) : FALSE;
}
BOOL WINAPI UnlhaCheckArchiveW(LPCWSTR archive, int mode) {
  return archive ? Guard([&] { return Check(Wide(archive), mode); }, FALSE) : FALSE;
}
int WINAPI UnlhaGetFileCount(LPCSTR archive) {
  return archive ? Guard([&] { return Count(Wide(archive)); }, -1) : -1;
}
int WINAPI UnlhaGetFileCountW(LPCWSTR archive) {
  return archive ? Guard([&] { return Count(Wide(archive)); }, -1) : -1;
}

HARC WINAPI UnlhaOpenArchive(HWND, LPCSTR archive, DWORD) {
  return archive ? Guard([&] { return Open(Wide(archive)); }, HARC{}) : nullptr;
}
HARC WINAPI UnlhaOpenArchiveW(HWND, LPCWSTR archive, DWORD) {
  return archive ? Guard([&] { return Open(Wide(archive)); }, HARC{}) : nullptr;
}
int WINAPI UnlhaCloseArchive(HARC archive) {
  ArchiveHandle* a = nullptr;
  {
    const std::lock_guard<std::mutex> held(g_lock);
    auto* h = static_cast<ArchiveHandle*>(archive);
    if (!g_handles.erase(h)) return -1;
    a = h;
  }
  delete a;
  return 0;
}

int WINAPI UnlhaFindFirst(HARC archive, LPCSTR pattern, LPINDIVIDUALINFO info) {
  return Guard([&] { return FindFirstIn(archive, Wide(pattern), info); },
               static_cast<int>(kInternalError));
}
int WINAPI UnlhaFindFirstW(HARC archive, LPCWSTR pattern, LPINDIVIDUALINFOW info) {
  return Guard([&] { return FindFirstIn(archive, Wide(pattern), info); },
               static_cast<int>(kInternalError));
}
int WINAPI UnlhaFindNext(HARC archive, LPINDIVIDUALINFO info) {
  return Guard([&] { return FindNextIn(archive, info); }, static_cast<int>(kInternalError));
}
int WINAPI UnlhaFindNextW(HARC archive, LPINDIVIDUALINFOW info) {
  return Guard([&] { return FindNextIn(archive, info); }, static_cast<int>(kInternalError));
}

int WINAPI UnlhaGetArcFileName(HARC archive, LPSTR buffer, int size) {
  const ArchiveHandle* a = Find(archive);
  if (!a || !buffer || size <= 0) return -1;
  return Guard(
      [&] {
        PutNarrow(yx::win::FromWide(a->archive.path), buffer, static_cast<size_t>(size));
        return static_cast<int>(std::strlen(buffer));
      },
      -1);
}
int WINAPI UnlhaGetArcFileNameW(HARC archive, LPWSTR buffer, int size) {
  const ArchiveHandle* a = Find(archive);
  if (!a || !buffer || size <= 0) return -1;
  PutWide(a->archive.path, buffer, static_cast<size_t>(size));
  return static_cast<int>(std::wcslen(buffer));
}

namespace {

struct ArcSizes {
  uint64_t file = 0, original = 0, packed = 0;
};
bool SizesOf(HARC archive, ArcSizes& s) {
  const ArchiveHandle* a = Find(archive);
  if (!a) return false;
  s.file = a->archive.source->Size();
  for (const ArchiveEntry& e : a->archive.entries) {
    s.original += e.header.original_size;
    s.packed += e.data_size;
  }
  return true;
}
DWORD Low(bool ok, uint64_t v) { return ok ? static_cast<DWORD>(v) : static_cast<DWORD>(-1); }
BOOL Put64(bool ok, uint64_t v, ULONGLONG* out) {
  if (!ok || !out) return FALSE;
  *out = v;
  return TRUE;
}

}  // namespace

DWORD WINAPI UnlhaGetArcFileSize(HARC archive) {
  ArcSizes s;
  const bool ok = SizesOf(archive, s);
  return Low(ok, s.file);
}
DWORD WINAPI UnlhaGetArcOriginalSize(HARC archive) {
  ArcSizes s;
  const bool ok = SizesOf(archive, s);
  return Low(ok, s.original);
}
DWORD WINAPI UnlhaGetArcCompressedSize(HARC archive) {
  ArcSizes s;
  const bool ok = SizesOf(archive, s);
  return Low(ok, s.packed);
}
BOOL WINAPI UnlhaGetArcFileSizeEx(HARC archive, ULONGLONG* size) {
  ArcSizes s;
  const bool ok = SizesOf(archive, s);
  return Put64(ok, s.file, size);
}
BOOL WINAPI UnlhaGetArcOriginalSizeEx(HARC archive, ULONGLONG* size) {
  ArcSizes s;
  const bool ok = SizesOf(archive, s);
  return Put64(ok, s.original, size);
}
BOOL WINAPI UnlhaGetArcCompressedSizeEx(HARC archive, ULONGLONG* size) {
  ArcSizes s;
  const bool ok = SizesOf(archive, s);
  return Put64(ok, s.packed, size);
}
WORD WINAPI UnlhaGetArcRatio(HARC archive) {
  ArcSizes s;
  return SizesOf(archive, s) ? Ratio(s.packed, s.original) : static_cast<WORD>(-1);
}
int WINAPI UnlhaIsSFXFile(HARC archive) {
  const ArchiveHandle* a = Find(archive);
  return a ? (a->archive.start != 0 ? 1 : 0) : -1;
}

int WINAPI UnlhaGetFileName(HARC archive, LPSTR buffer, int size) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !buffer || size <= 0) return -1;
  return Guard(
      [&] {
        PutNarrow(EntryNarrowPath(e->header), buffer, static_cast<size_t>(size));
        return static_cast<int>(std::strlen(buffer));
      },
      -1);
}
int WINAPI UnlhaGetFileNameW(HARC archive, LPWSTR buffer, int size) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !buffer || size <= 0) return -1;
  return Guard(
      [&] {
        PutWide(EntryWidePath(e->header), buffer, static_cast<size_t>(size));
        return static_cast<int>(std::wcslen(buffer));
      },
      -1);
}
int WINAPI UnlhaGetMethod(HARC archive, LPSTR buffer, int size) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !buffer || size <= 0) return -1;
  PutNarrow(MethodName(e->header), buffer, static_cast<size_t>(size));
  return static_cast<int>(std::strlen(buffer));
}
int WINAPI UnlhaGetMethodW(HARC archive, LPWSTR buffer, int size) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !buffer || size <= 0) return -1;
  const std::string m = MethodName(e->header);
  PutWide(std::wstring(m.begin(), m.end()), buffer, static_cast<size_t>(size));
  return static_cast<int>(std::wcslen(buffer));
}
DWORD WINAPI UnlhaGetOriginalSize(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? static_cast<DWORD>(e->header.original_size) : static_cast<DWORD>(-1);
}
DWORD WINAPI UnlhaGetCompressedSize(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? static_cast<DWORD>(e->data_size) : static_cast<DWORD>(-1);
}
BOOL WINAPI UnlhaGetOriginalSizeEx(HARC archive, ULONGLONG* size) {
  const ArchiveEntry* e = Found(archive);
  return Put64(e != nullptr, e ? e->header.original_size : 0, size);
}
BOOL WINAPI UnlhaGetCompressedSizeEx(HARC archive, ULONGLONG* size) {
  const ArchiveEntry* e = Found(archive);
  return Put64(e != nullptr, e ? e->data_size : 0, size);
}
WORD WINAPI UnlhaGetRatio(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? Ratio(e->data_size, e->header.original_size) : static_cast<WORD>(-1);
}
WORD WINAPI UnlhaGetDate(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? static_cast<WORD>(DosTimeOf(TimesOf(e->header).write) >> 16) : static_cast<WORD>(-1);
}
WORD WINAPI UnlhaGetTime(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? static_cast<WORD>(DosTimeOf(TimesOf(e->header).write)) : static_cast<WORD>(-1);
}
DWORD WINAPI UnlhaGetWriteTime(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? UnixTimeOf(TimesOf(e->header).write) : static_cast<DWORD>(-1);
}
BOOL WINAPI UnlhaGetWriteTimeEx(HARC archive, FILETIME* time) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !time) return FALSE;
  *time = TimesOf(e->header).write;
  return TRUE;
}
BOOL WINAPI UnlhaGetCreateTimeEx(HARC archive, FILETIME* time) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !time) return FALSE;
  const EntryTimes t = TimesOf(e->header);
  if (!t.creation) return FALSE;
  *time = *t.creation;
  return TRUE;
}
BOOL WINAPI UnlhaGetAccessTimeEx(HARC archive, FILETIME* time) {
  const ArchiveEntry* e = Found(archive);
  if (!e || !time) return FALSE;
  const EntryTimes t = TimesOf(e->header);
  if (!t.access) return FALSE;
  *time = *t.access;
  return TRUE;
}
DWORD WINAPI UnlhaGetCRC(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? e->header.crc : static_cast<DWORD>(-1);
}
int WINAPI UnlhaGetAttribute(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  if (!e) return -1;
  return static_cast<int>(AttributesOf(e->header) |
                          (e->header.IsDirectory() ? FILE_ATTRIBUTE_DIRECTORY : 0));
}
UINT WINAPI UnlhaGetOSType(HARC archive) {
  const ArchiveEntry* e = Found(archive);
  return e ? OsType(e->header.os_id) : static_cast<UINT>(-1);
}

}  // extern "C"
