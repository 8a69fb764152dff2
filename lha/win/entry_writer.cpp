#include "lha/win/entry_writer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "lha/win/entry_names.h"
#include "lha/win/read_result.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/unique_handle.h"

namespace yx::lha::win {
namespace {

std::wstring SystemReason(DWORD error) {
  const std::wstring reason = yx::win::SystemText(error);
  return reason.empty() ? L"error " + std::to_wstring(error) : reason;
}

// Gives the file open as `file` the name `long_target` (a "\\?\" path).
// Through the handle rather than by name after closing it: under Wine a
// rename by name opens the file once more, a server round trip per entry.
bool RenameOpenFile(HANDLE file, const std::wstring& long_target, bool replace) {
  // The call takes a native path: "\??\" where the long path has "\\?\".
  const std::wstring native = L"\\??\\" + long_target.substr(4);
  const size_t bytes = native.size() * sizeof(wchar_t);
  std::vector<uint8_t> block(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, native.data(), bytes);
  return ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                      static_cast<DWORD>(block.size())) != FALSE;
}

uint64_t Ticks(const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

}  // namespace

WriteOutcome MakeFolders(const std::wstring& base, const std::vector<std::wstring>& parts,
                         size_t count, KnownFolders* known) {
  KnownFolders own;
  const yx::win::FolderOutcome made =
      yx::win::MakeFolders(base, parts, count, known ? *known : own);
  if (made.Ok()) return {};
  return {kErrorMakeDirectory,
          made.path + L": " +
              (made.fault == yx::win::FolderOutcome::Fault::kBlocked
                   ? std::wstring(L"a file or a link stands where a folder goes")
                   : SystemReason(made.error))};
}

EntryFile::~EntryFile() {
  if (!file_) return;
  file_.reset();
  ::DeleteFileW(temp_.c_str());
}

WriteOutcome EntryFile::Open(const ArchiveEntry& e, const std::wstring& target, std::wstring temp,
                             Overwrite overwrite, bool known_absent) {
  entry_ = &e;
  target_ = target;
  long_target_ = yx::win::ToLongPath(target);
  WIN32_FILE_ATTRIBUTE_DATA existing{};
  exists_ = !known_absent &&
            ::GetFileAttributesExW(long_target_.c_str(), GetFileExInfoStandard, &existing) != 0;
  if (exists_) {
    if (existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      return {kErrorCannotWrite, target + L": a folder of that name exists"};
    if (overwrite == Overwrite::kNever ||
        (overwrite == Overwrite::kNewer &&
         Ticks(TimesOf(e.header).write) <= Ticks(existing.ftLastWriteTime)))
      return {kErrorAlreadyExist, target + L": exists, not overwritten"};
  }
  temp_ = std::move(temp);
  file_.reset(::CreateFileW(temp_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    const DWORD error = ::GetLastError();
    return {kErrorCannotWrite, target + L": " + SystemReason(error)};
  }
  return {};
}

bool EntryFile::Write(const uint8_t* data, size_t size) {
  while (size > 0) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file_.get(), data, piece, &written, nullptr) || written == 0) {
      write_error_ = ::GetLastError();
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

WriteOutcome EntryFile::Close(DecodeStatus status) {
  const std::wstring& target = target_;
  WriteOutcome outcome;
  switch (status) {
    case DecodeStatus::kOk:
      break;
    case DecodeStatus::kWriteError:
      outcome = {kErrorCannotWrite, target + L": " + SystemReason(write_error_)};
      break;
    case DecodeStatus::kCrcMismatch:
      outcome = {kErrorFileCrc, target + L": CRC mismatch, not extracted"};
      break;
    case DecodeStatus::kLonger:
      outcome = {kErrorLongerThanStated,
                 target + L": the data is longer than the header says, not extracted"};
      break;
    case DecodeStatus::kUnsupported:
      outcome = {kErrorMethod, target + L": method not supported"};
      break;
    case DecodeStatus::kReadError:
      outcome = {kErrorHeaderBroken, target + L": the archive could not be read"};
      break;
    case DecodeStatus::kDamaged:
      outcome = {kErrorHuffmanCode, target + L": damaged data, not extracted"};
      break;
  }
  const EntryTimes times = TimesOf(entry_->header);
  if (outcome.code == 0 && !::SetFileTime(file_.get(), times.creation ? &*times.creation : nullptr,
                                          times.access ? &*times.access : nullptr, &times.write)) {
    const DWORD error = ::GetLastError();
    outcome = {kErrorCannotWrite, target + L": " + SystemReason(error)};
  }
  if (outcome.code == 0) {
    if (exists_) ::SetFileAttributesW(long_target_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!RenameOpenFile(file_.get(), long_target_, exists_)) {
      const DWORD error = ::GetLastError();
      outcome = {error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? kErrorAlreadyExist
                                                                             : kErrorCannotWrite,
                 target + L": " + SystemReason(error)};
    }
  }
  file_.reset();
  if (outcome.code != 0) {
    ::DeleteFileW(temp_.c_str());
    return outcome;
  }
  const DWORD attributes = AttributesOf(entry_->header);
  if (attributes != FILE_ATTRIBUTE_ARCHIVE &&
      !::SetFileAttributesW(long_target_.c_str(),
                            attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) {
    const DWORD error = ::GetLastError();
    return {kErrorCannotWrite, target + L": the attributes not set: " + SystemReason(error)};
  }
  return {};
}

WriteOutcome FinishFolder(const ArchiveEntry& e, const std::wstring& folder) {
  const std::wstring long_path = yx::win::ToLongPath(folder);
  const EntryTimes times = TimesOf(e.header);
  // Never through a link put there since: its target is not ours to touch.
  yx::win::UniqueFile handle(
      ::CreateFileW(long_path.c_str(), FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle || !::SetFileTime(handle.get(), times.creation ? &*times.creation : nullptr,
                                times.access ? &*times.access : nullptr, &times.write)) {
    const DWORD error = ::GetLastError();
    return {kErrorCannotWrite, folder + L": the folder's time not set: " + SystemReason(error)};
  }
  handle.reset();
  const DWORD attributes = AttributesOf(e.header) & ~FILE_ATTRIBUTE_ARCHIVE;
  if (attributes != 0 && !::SetFileAttributesW(long_path.c_str(), attributes)) {
    const DWORD error = ::GetLastError();
    return {kErrorCannotWrite,
            folder + L": the folder's attributes not set: " + SystemReason(error)};
  }
  return {};
}

}  // namespace yx::lha::win
