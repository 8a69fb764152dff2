#include "lha/win/stored_name.h"

#include <windows.h>

#include "lha/win/entry_names.h"
#include "win/text.h"

namespace yx::lha::win {
namespace {

constexpr char kFolderEnd = '\xFF';
constexpr char16_t kWideFolderEnd = u'\xFFFF';

std::u16string U16(std::wstring_view w) { return std::u16string(w.begin(), w.end()); }

// The code page 932 form of one name, and whether it gives the name back.
std::string Narrow(std::wstring_view w, bool& exact) {
  bool lossy = false;
  std::string n = yx::win::FromWide(w, yx::win::kCodePage932, &lossy, '_');
  exact = exact && !lossy && yx::win::ToWide(n, yx::win::kCodePage932) == w;
  return n;
}

}  // namespace

void SetStoredNames(const StoredPath& path, EntryHeader& h) {
  bool exact = true;
  h.directory.clear();
  std::u16string wide_dir;
  for (const std::wstring& f : path.folders) {
    h.directory += Narrow(f, exact) + kFolderEnd;
    wide_dir += U16(f) + kWideFolderEnd;
  }
  h.name = Narrow(path.name, exact);
  h.code_page = yx::win::kCodePage932;
  if (exact) {
    h.wide_name.reset();
    h.wide_directory.reset();
  } else {
    h.wide_name = U16(path.name);
    h.wide_directory = wide_dir;
  }
}

std::u16string KeyOf(const StoredPath& path) {
  std::u16string key;
  for (const std::wstring& f : path.folders) key += U16(f) + u'\\';
  return key + U16(path.name);
}

std::u16string KeyOf(const EntryHeader& h) {
  std::u16string key;
  if (h.wide_name) {
    for (char16_t c : h.wide_directory.value_or(u"")) key += c == kWideFolderEnd ? u'\\' : c;
    key += *h.wide_name;
  } else {
    // Decoded as extraction decodes it: an entry is replaced by the file
    // that extracting it makes.
    bool replaced = false;
    key = U16(DecodedNarrowPath(h, replaced));
  }
  return key;
}

std::u16string Folded(std::u16string key) {
  if (!key.empty())
    ::CharUpperBuffW(reinterpret_cast<wchar_t*>(key.data()), static_cast<DWORD>(key.size()));
  return key;
}

}  // namespace yx::lha::win
