#include "lha/win/entry_names.h"

#include <algorithm>

#include "win/text.h"

namespace yx::lha::win {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

FILETIME FromTicks(uint64_t t) { return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }

std::wstring Join(const std::vector<std::wstring>& parts) {
  std::wstring path;
  for (const std::wstring& p : parts) path += (path.empty() ? L"" : L"\\") + p;
  return path;
}

// `text` in `code_page`, or nothing when a byte does not belong there.
std::optional<std::wstring> Strict(std::string_view text, unsigned code_page) {
  if (text.empty()) return std::wstring();
  const int in = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), in, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), in, out.data(), n);
  return out;
}

// Each character `code_page` can read, and '_' for every other byte.
std::wstring Replaced(std::string_view text, unsigned code_page) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    const size_t pair = i + 1 < text.size() ? 2 : 1;
    std::optional<std::wstring> c = Strict(text.substr(i, pair), code_page);
    if (pair == 2 && c && c->size() == 1) {
      out += *c;
      i += 2;
      continue;
    }
    c = Strict(text.substr(i, 1), code_page);
    out += c && c->size() == 1 ? *c : L"_";
    ++i;
  }
  return out;
}

// `text` in the entry's code page, else UTF-8, else '_' for what neither reads.
std::wstring Decoded(const std::string& text, const EntryHeader& h, bool& replaced) {
  const unsigned code_page = h.code_page.value_or(yx::win::kCodePage932);
  replaced = false;
  if (std::optional<std::wstring> w = Strict(text, code_page)) return *w;
  if (std::optional<std::wstring> w = Strict(text, CP_UTF8)) return *w;
  replaced = true;
  return Replaced(text, code_page);
}

}  // namespace

// The narrow path in UTF-16. 0xFF ends a folder; valid in no code page and
// never part of a double-byte character, it becomes '\\' before decoding so
// that the split sees whole characters whatever the encoding.
std::wstring DecodedNarrowPath(const EntryHeader& h, bool& replaced) {
  std::string path = h.directory + h.name;
  std::replace(path.begin(), path.end(), '\xFF', '\\');
  return Decoded(path, h, replaced);
}

std::wstring EntryComment(const EntryHeader& h) {
  bool replaced = false;
  std::wstring text = Decoded(h.comment, h, replaced);
  // A listing is printed to a terminal: no control character goes there.
  std::replace_if(
      text.begin(), text.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; }, L'_');
  return text;
}

std::vector<std::wstring> EntryParts(const EntryHeader& h, PathVerdict* verdict, bool* replaced,
                                     bool* root_removed) {
  std::vector<std::u16string> parts;
  bool lossy = false;
  if (h.wide_name || h.wide_directory) {
    parts = WidePathParts(h);
  } else {
    const std::wstring w = DecodedNarrowPath(h, lossy);
    parts = SplitWidePath(std::u16string(w.begin(), w.end()));
  }
  if (replaced) *replaced = lossy;
  bool rooted = false;
  const PathVerdict v = CheckPath(parts, &rooted);
  if (verdict) *verdict = v;
  if (root_removed) *root_removed = rooted;
  std::vector<std::wstring> out;
  for (const std::u16string& p : parts) out.emplace_back(p.begin(), p.end());
  return out;
}

std::wstring EntryWidePath(const EntryHeader& h) { return Join(EntryParts(h, nullptr)); }

std::string EntryNarrowPath(const EntryHeader& h) {
  std::string stored = h.directory + h.name;
  std::replace(stored.begin(), stored.end(), '\xFF', '\\');
  // As stored when that is code page 932 (beside Unicode names it is their
  // fallback); otherwise the names extraction writes, in code page 932 with
  // '_' for what it cannot hold, so that a caller finds under this name the
  // file x made.
  if (h.wide_name || h.wide_directory ||
      (h.code_page.value_or(yx::win::kCodePage932) == yx::win::kCodePage932 &&
       Strict(stored, yx::win::kCodePage932))) {
    std::string path;
    for (const std::string& p : StoredPathParts(h)) path += (path.empty() ? "" : "\\") + p;
    return path;
  }
  return yx::win::FromWide(EntryWidePath(h), yx::win::kCodePage932, nullptr, '_');
}

EntryTimes TimesOf(const EntryHeader& h) {
  EntryTimes t;
  if (h.times && h.times->modification != 0) {
    t.write = FromTicks(h.times->modification);
    if (h.times->creation) t.creation = FromTicks(h.times->creation);
    if (h.times->access) t.access = FromTicks(h.times->access);
  } else if (h.has_unix_time) {
    t.write = FromTicks(kUnixEpochAsFileTime + uint64_t{h.unix_time} * 10000000u);
  } else if (h.dos_time) {
    FILETIME local{};
    if (::DosDateTimeToFileTime(static_cast<WORD>(*h.dos_time >> 16),
                                static_cast<WORD>(*h.dos_time), &local))
      ::LocalFileTimeToFileTime(&local, &t.write);
  }
  return t;
}

uint32_t UnixTimeOf(const FILETIME& t) {
  const uint64_t ticks = (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
  if (ticks <= kUnixEpochAsFileTime) return 0;
  const uint64_t seconds = (ticks - kUnixEpochAsFileTime) / 10000000u;
  return seconds > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
}

DWORD DosTimeOf(const FILETIME& t) {
  FILETIME local{};
  WORD date = 0, time = 0;
  if (!::FileTimeToLocalFileTime(&t, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
    return 0;
  return DWORD{date} << 16 | time;
}

DWORD AttributesOf(const EntryHeader& h) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE;
  DWORD a = h.attributes.value_or(FILE_ATTRIBUTE_ARCHIVE) & kKept;
  // A Unix entry without its owner's write permission is read-only.
  if (h.unix_mode && !(*h.unix_mode & 0200) && !h.IsDirectory()) a |= FILE_ATTRIBUTE_READONLY;
  return a;
}

}  // namespace yx::lha::win
