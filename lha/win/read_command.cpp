#include "lha/win/read_command.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <optional>

#include "base/wildcard.h"
#include "lha/core/entry_decoder.h"
#include "lha/core/mac_binary.h"
#include "lha/win/entry_names.h"
#include "lha/win/write_behind.h"
#include "lha/win/read_result.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::lha::win {
namespace {

// After the path of an entry whose name had bytes neither its code page nor
// UTF-8 explains.
constexpr wchar_t kReplacedNote[] = L"  [name bytes not Shift-JIS or UTF-8 written as '_']";
// After the path of an entry stored with a drive or a leading separator.
constexpr wchar_t kRootRemovedNote[] =
    L"  [stored as an absolute name: written under the base folder]";

bool Wildcard(std::wstring_view pattern, std::wstring_view text) {
  return WildcardMatch<wchar_t>(pattern, text, std::equal_to<>());
}

bool Selected(const std::vector<std::wstring>& names, const std::wstring& path) {
  if (names.empty()) return true;
  return std::any_of(names.begin(), names.end(),
                     [&](const std::wstring& n) { return MatchesEntry(n, path); });
}

std::wstring Hex(uint32_t v, int digits) {
  wchar_t text[16];
  std::swprintf(text, std::size(text), L"%0*X", digits, v);
  return text;
}

std::wstring Column(std::wstring s, size_t width, bool right) {
  if (s.size() >= width) return s;
  return right ? std::wstring(width - s.size(), L' ') + s
               : s + std::wstring(width - s.size(), L' ');
}

std::wstring AttributeText(const EntryHeader& h) {
  const DWORD a = h.IsDirectory() ? (AttributesOf(h) | FILE_ATTRIBUTE_DIRECTORY) : AttributesOf(h);
  std::wstring t = L"-----";
  if (a & FILE_ATTRIBUTE_READONLY) t[0] = L'R';
  if (a & FILE_ATTRIBUTE_HIDDEN) t[1] = L'H';
  if (a & FILE_ATTRIBUTE_SYSTEM) t[2] = L'S';
  if (a & FILE_ATTRIBUTE_DIRECTORY) t[3] = L'D';
  if (a & FILE_ATTRIBUTE_ARCHIVE) t[4] = L'A';
  return t;
}

std::wstring ListLine(const ArchiveEntry& e, bool verbose) {
  const EntryHeader& h = e.header;
  const EntryTimes times = TimesOf(h);
  FILETIME local{};
  SYSTEMTIME st{};
  ::FileTimeToLocalFileTime(&times.write, &local);
  ::FileTimeToSystemTime(&local, &st);
  wchar_t stamp[32];
  std::swprintf(stamp, std::size(stamp), L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond);
  const uint64_t ratio = h.original_size ? e.data_size * 1000 / h.original_size : 0;
  wchar_t ratio_text[16];
  std::swprintf(ratio_text, std::size(ratio_text), L"%llu.%llu%%",
                static_cast<unsigned long long>(ratio / 10),
                static_cast<unsigned long long>(ratio % 10));
  std::wstring line = Column(std::to_wstring(h.original_size), 12, true) + L" " +
                      Column(std::to_wstring(e.data_size), 12, true) + L" " +
                      Column(ratio_text, 7, true) + L" " + yx::win::ToWide(MethodName(h)) + L" " +
                      Hex(h.crc, 4) + L" " + stamp + L" " + AttributeText(h) + L" ";
  bool replaced = false;
  std::vector<std::wstring> parts = EntryParts(h, nullptr, &replaced);
  std::wstring path;
  for (const std::wstring& p : parts) path += (path.empty() ? L"" : L"\\") + p;
  if (h.IsDirectory()) path += L'\\';
  line += path;
  if (replaced) line += kReplacedNote;
  if (verbose) {
    wchar_t extra[64];
    std::swprintf(extra, std::size(extra), L"  [level %d, OS '%c'%ls]", h.level,
                  h.os_id >= 0x20 && h.os_id < 0x7F ? h.os_id : L'?',
                  MethodOf(h) == Method::kUnsupported ? L", not supported" : L"");
    line += extra;
    if (!h.comment.empty()) line += L"  [comment: " + EntryComment(h) + L"]";
  }
  return line + L"\r\n";
}

class Run {
 public:
  explicit Run(const ReadRequest& r) : request_(r) {}

  ReadOutcome Go() {
    DWORD error = 0;
    const int opened = OpenArchive(request_.archive, archive_, error);
    if (opened == kErrorArcFileOpen)
      return {opened,
              request_.archive + L": cannot open (error " + std::to_wstring(error) + L")\r\n"};
    if (opened != kReadOk) return {opened, request_.archive + L": not an LHA archive\r\n"};
    if (request_.command == 'l' || request_.command == 'v') {
      List();
    } else {
      if (request_.command != 't' && !PrepareBase()) return outcome_;
      for (const ArchiveEntry& e : archive_.entries) Entry(e);
      if (writer_) {
        outcome_ = writer_->Finish();
        writer_.reset();
      }
    }
    if (archive_.listing != ListResult::kOk)
      Problem(kErrorHeaderBroken, request_.archive + L": damaged or cut short after entry " +
                                      std::to_wstring(archive_.entries.size()));
    return outcome_;
  }

 private:
  void Problem(int code, const std::wstring& line) {
    if (writer_) return writer_->Problem(code, line);
    if (outcome_.code == 0) outcome_.code = code;
    outcome_.output += line + L"\r\n";
  }

  void List() {
    uint64_t original = 0, packed = 0;
    size_t count = 0;
    for (const ArchiveEntry& e : archive_.entries) {
      if (!Selected(request_.names, EntryWidePath(e.header))) continue;
      outcome_.output += ListLine(e, request_.command == 'v');
      original += e.header.original_size;
      packed += e.data_size;
      ++count;
    }
    outcome_.output += Column(std::to_wstring(original), 12, true) + L" " +
                       Column(std::to_wstring(packed), 12, true) + L" " + std::to_wstring(count) +
                       L" entries\r\n";
  }

  bool PrepareBase() {
    base_ = request_.base.empty() ? L".\\" : request_.base;
    if (base_.back() != L'\\') base_ += L'\\';
    base_ = yx::win::FullPath(base_);
    if (!yx::win::CreateFolderTree(base_)) {
      const DWORD error = ::GetLastError();
      Problem(kErrorMakeDirectory,
              base_ + L": cannot make the folder (error " + std::to_wstring(error) + L")");
      return false;
    }
    writer_.emplace(base_, request_.overwrite);
    return true;
  }

  void Entry(const ArchiveEntry& e) {
    const EntryHeader& h = e.header;
    PathVerdict verdict = PathVerdict::kOk;
    bool replaced = false, root_removed = false;
    std::vector<std::wstring> parts = EntryParts(h, &verdict, &replaced, &root_removed);
    std::wstring shown;
    for (const std::wstring& p : parts) shown += (shown.empty() ? L"" : L"\\") + p;
    if (!Selected(request_.names, shown)) return;
    if (replaced) Problem(0, shown + kReplacedNote);
    if (h.IsSymbolicLink()) return Problem(kErrorUnsafeName, shown + L": a link, not extracted");
    if (verdict != PathVerdict::kOk)
      return Problem(kErrorUnsafeName, shown + L": an unsafe name, not extracted");
    if (root_removed && request_.command != 't') Problem(0, shown + kRootRemovedNote);
    if (request_.command == 't') {
      if (h.IsDirectory()) return;
      const WriteOutcome w = Test(e);
      if (w.code != 0) Problem(w.code, shown + L": " + w.what);
      return;
    }
    if (h.IsDirectory()) {
      if (request_.command != 'e') writer_->Folder(e, std::move(parts));
      return;
    }
    if (request_.command == 'e') parts.erase(parts.begin(), parts.end() - 1);
    ByteSink& sink = writer_->BeginFile(e, std::move(parts));
    if (!MayHoldMacBinary(h)) return writer_->EndFile(decoder_.Decode(*archive_.source, e, &sink));
    DataForkSink data_fork(sink, h.original_size);
    writer_->EndFile(decoder_.Decode(*archive_.source, e, &data_fork));
  }

  WriteOutcome Test(const ArchiveEntry& e) {
    switch (decoder_.Decode(*archive_.source, e, nullptr)) {
      case DecodeStatus::kOk:
        return {};
      case DecodeStatus::kCrcMismatch:
        return {kErrorFileCrc, L"CRC mismatch"};
      case DecodeStatus::kUnsupported:
        return {kErrorMethod, L"method not supported"};
      case DecodeStatus::kLonger:
        return {kErrorLongerThanStated, L"the data is longer than the header says"};
      case DecodeStatus::kReadError:
        return {kErrorHeaderBroken, L"the archive could not be read"};
      default:
        return {kErrorHuffmanCode, L"damaged data"};
    }
  }

  const ReadRequest& request_;
  OpenedArchive archive_;
  EntryDecoder decoder_;
  std::wstring base_;
  ReadOutcome outcome_;
  // Extraction's file work, once the base folder is there.
  std::optional<WriteBehind> writer_;
};

}  // namespace

bool MatchesEntry(const std::wstring& pattern, const std::wstring& path) {
  std::wstring p = FoldedName(pattern);
  if (!p.empty() && p.back() == L'\\') p += L'*';
  if (p == L"*.*") p = L"*";
  const std::wstring t = FoldedName(path);
  if (Wildcard(p.c_str(), t.c_str())) return true;
  if (p.find(L'\\') != std::wstring::npos) return false;
  const size_t cut = t.rfind(L'\\');
  return cut != std::wstring::npos && Wildcard(p.c_str(), t.c_str() + cut + 1);
}

ReadRequest ToReadRequest(const ArchiveCommand& command, unsigned code_page) {
  ReadRequest r;
  r.command = command.command;
  r.archive = yx::win::ToWide(command.archive, code_page);
  r.base = yx::win::ToWide(command.base, code_page);
  for (const std::string& n : command.names) r.names.push_back(yx::win::ToWide(n, code_page));
  r.overwrite = command.overwrite;
  return r;
}

ReadOutcome RunReadCommand(const ReadRequest& request) noexcept {
  try {
    return Run(request).Go();
  } catch (...) {
    return {0x81FF, L"error: out of memory or internal failure\r\n"};
  }
}

}  // namespace yx::lha::win
