#pragma once
// The entry points of UNLHA32.DLL, in the archiver-library convention: the
// command entry (Unlha, UnlhaW) and the archive handle API that browses an
// archive without extracting it. The same functions are in the static library
// lha_win, so a program can call them in-process instead of loading the DLL.
// Results: 0 is success; the codes are those of read_result.h (reading) and
// archive_command.h (adding). Nothing here throws.
#include <windows.h>

extern "C" {

typedef HGLOBAL HARC;

#define FNAME_MAX32 512

// One entry as FindFirst/FindNext report it. `szFileName` is the stored path
// with '\' between names; `szAttribute` five letters "RHSDA" with '-' for an
// attribute not set; `szMode` the method ("-lh5-"); `wDate`/`wTime` the local
// MS-DOS date and time; `wRatio` packed size per mille of the original.
typedef struct {
  DWORD dwOriginalSize;
  DWORD dwCompressedSize;
  DWORD dwCRC;
  UINT uFlag;
  UINT uOSType;
  WORD wRatio;
  WORD wDate;
  WORD wTime;
  char szFileName[FNAME_MAX32 + 1];
  char dummy1[3];
  char szAttribute[8];
  char szMode[8];
} INDIVIDUALINFO, *LPINDIVIDUALINFO;

typedef struct {
  DWORD dwOriginalSize;
  DWORD dwCompressedSize;
  DWORD dwCRC;
  UINT uFlag;
  UINT uOSType;
  WORD wRatio;
  WORD wDate;
  WORD wTime;
  WCHAR szFileName[FNAME_MAX32 + 1];
  WCHAR dummy1[3];
  WCHAR szAttribute[8];
  WCHAR szMode[8];
} INDIVIDUALINFOW, *LPINDIVIDUALINFOW;

// What the owner's procedure is told of each file an add command takes
// (szSourceFileName: its path; dwFileSize: its size, at most 0xFFFFFFFF).
typedef struct {
  DWORD dwFileSize;
  DWORD dwWriteSize;
  char szSourceFileName[FNAME_MAX32 + 1];
  char dummy1[3];
  char szDestFileName[FNAME_MAX32 + 1];
  char dummy[3];
} EXTRACTINGINFO, *LPEXTRACTINGINFO;

typedef struct {
  EXTRACTINGINFO exinfo;
  DWORD dwCompressedSize;
  DWORD dwCRC;
  UINT uOSType;
  WORD wRatio;
  WORD wDate;
  WORD wTime;
  char szAttribute[8];
  char szMode[8];
} EXTRACTINGINFOEX, *LPEXTRACTINGINFOEX;

// Called with state ARCEXTRACT_BEGIN and an EXTRACTINGINFOEX as each file is
// taken (message 0: the library has no window); FALSE stops the command at
// the next file, which then returns 0x8109 and leaves the archive as it was.
typedef BOOL(CALLBACK* LPARCHIVERPROC)(HWND window, UINT message, UINT state, LPVOID info);
#define ARCEXTRACT_BEGIN 0

// CheckArchive modes (accepted; every mode reads all headers, and
// CHECKARCHIVE_FULLCRC decodes every entry too).
#define CHECKARCHIVE_RAPID 0
#define CHECKARCHIVE_BASIC 1
#define CHECKARCHIVE_FULLCRC 2

WORD WINAPI UnlhaGetVersion(void);
BOOL WINAPI UnlhaGetRunning(void);
BOOL WINAPI UnlhaSetBackGroundMode(BOOL mode);
// The procedure told of the files of this process's add commands, until
// UnlhaKillOwnerWindowEx. `window` is not used.
BOOL WINAPI UnlhaSetOwnerWindowEx(HWND window, LPARCHIVERPROC procedure);
BOOL WINAPI UnlhaKillOwnerWindowEx(HWND window);
int WINAPI Unlha(HWND window, LPCSTR command_line, LPSTR output, DWORD output_size);
int WINAPI UnlhaW(HWND window, LPCWSTR command_line, LPWSTR output, DWORD output_size);

BOOL WINAPI UnlhaCheckArchive(LPCSTR archive, int mode);
BOOL WINAPI UnlhaCheckArchiveW(LPCWSTR archive, int mode);
// Entries in the archive, folders included; -1 when it cannot be read.
int WINAPI UnlhaGetFileCount(LPCSTR archive);
int WINAPI UnlhaGetFileCountW(LPCWSTR archive);

// NULL when the archive cannot be opened or holds no entry that can be read.
HARC WINAPI UnlhaOpenArchive(HWND window, LPCSTR archive, DWORD mode);
HARC WINAPI UnlhaOpenArchiveW(HWND window, LPCWSTR archive, DWORD mode);
// 0, or -1 for a handle that is not open.
int WINAPI UnlhaCloseArchive(HARC archive);
// 0 when an entry matches (`pattern` NULL or "" or "*" for all, several
// patterns separated by blanks), -1 when no more do, else an error code.
int WINAPI UnlhaFindFirst(HARC archive, LPCSTR pattern, LPINDIVIDUALINFO info);
int WINAPI UnlhaFindFirstW(HARC archive, LPCWSTR pattern, LPINDIVIDUALINFOW info);
int WINAPI UnlhaFindNext(HARC archive, LPINDIVIDUALINFO info);
int WINAPI UnlhaFindNextW(HARC archive, LPINDIVIDUALINFOW info);

// Of the archive. Text getters return the length written (without the NUL)
// or -1; number getters -1 (as their type) on a bad handle.
int WINAPI UnlhaGetArcFileName(HARC archive, LPSTR buffer, int size);
int WINAPI UnlhaGetArcFileNameW(HARC archive, LPWSTR buffer, int size);
DWORD WINAPI UnlhaGetArcFileSize(HARC archive);
DWORD WINAPI UnlhaGetArcOriginalSize(HARC archive);
DWORD WINAPI UnlhaGetArcCompressedSize(HARC archive);
BOOL WINAPI UnlhaGetArcFileSizeEx(HARC archive, ULONGLONG* size);
BOOL WINAPI UnlhaGetArcOriginalSizeEx(HARC archive, ULONGLONG* size);
BOOL WINAPI UnlhaGetArcCompressedSizeEx(HARC archive, ULONGLONG* size);
WORD WINAPI UnlhaGetArcRatio(HARC archive);
int WINAPI UnlhaIsSFXFile(HARC archive);  // 0 plain, 1 self-extracting

// Of the entry the last FindFirst/FindNext found.
int WINAPI UnlhaGetFileName(HARC archive, LPSTR buffer, int size);
int WINAPI UnlhaGetFileNameW(HARC archive, LPWSTR buffer, int size);
int WINAPI UnlhaGetMethod(HARC archive, LPSTR buffer, int size);
int WINAPI UnlhaGetMethodW(HARC archive, LPWSTR buffer, int size);
DWORD WINAPI UnlhaGetOriginalSize(HARC archive);
DWORD WINAPI UnlhaGetCompressedSize(HARC archive);
BOOL WINAPI UnlhaGetOriginalSizeEx(HARC archive, ULONGLONG* size);
BOOL WINAPI UnlhaGetCompressedSizeEx(HARC archive, ULONGLONG* size);
WORD WINAPI UnlhaGetRatio(HARC archive);
WORD WINAPI UnlhaGetDate(HARC archive);
WORD WINAPI UnlhaGetTime(HARC archive);
DWORD WINAPI UnlhaGetWriteTime(HARC archive);  // Unix seconds
BOOL WINAPI UnlhaGetWriteTimeEx(HARC archive, FILETIME* time);
BOOL WINAPI UnlhaGetCreateTimeEx(HARC archive, FILETIME* time);
BOOL WINAPI UnlhaGetAccessTimeEx(HARC archive, FILETIME* time);
DWORD WINAPI UnlhaGetCRC(HARC archive);
int WINAPI UnlhaGetAttribute(HARC archive);  // FILE_ATTRIBUTE_* bits
UINT WINAPI UnlhaGetOSType(HARC archive);

}  // extern "C"
