#include "backup/file_copy.h"

#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/unique_handle.h"

namespace yx::backup {
namespace {

// A file over this size is copied under a name of its own beside the target
// and takes the target's name once whole. A run killed while it copies (a
// shutdown, a scheduler's time limit) would otherwise leave a torn file under
// the real name, which a restore would take for the whole one; it leaves
// "<name>.<pid>.tmp" instead. Smaller files, most of a tree's files but
// little of its copying time, take their name at once: a rename is several
// more round trips to Wine's server, a large share of a small file's copy.
constexpr uint64_t kCopiedAside = 1024 * 1024;
// The longest name a folder entry may have.
constexpr size_t kLongestName = 255;
// What one read takes. A small file is one read and one write; larger
// reads gained nothing under Wine (bench/copy-bench.sh).
constexpr size_t kChunk = 1024 * 1024;
// The attributes a copy takes from its source, as CopyFileW gave them; the
// archive bit it always gets.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool Taken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

win::UniqueFile CreateNew(const std::wstring& path) {
  return win::UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// What a failed copy left, read-only or not.
void Remove(const std::wstring& path) {
  (void)::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  (void)::DeleteFileW(path.c_str());
}

}  // namespace

FileCopier::FileCopier() : buffer_(kChunk) {}

std::optional<win::Failure> FileCopier::Copy(const std::wstring& from, const std::wstring& to,
                                             catalog::Hash128* hash) {
  const std::wstring source = win::ToLongPath(from);
  const std::wstring target = win::ToLongPath(to);
  // Another program may hold the file open for writing, as CopyFileW allows.
  const win::UniqueFile in(::CreateFileW(source.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return win::Failure::Last("CreateFileW").At(from);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(in.get(), &info))
    return win::Failure::Last("GetFileInformationByHandle").At(from);
  const uint64_t size = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;

  std::wstring written = target;
  if (size > kCopiedAside) {
    const std::wstring aside = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    // A name too long for the suffix is copied to its own name.
    if (aside.size() - (aside.find_last_of(L'\\') + 1) <= kLongestName) written = aside;
  }
  win::UniqueFile out = CreateNew(written);
  // An entry of the source already took the name aside.
  if (!out && written != target && Taken(::GetLastError())) out = CreateNew(written = target);
  // Whatever holds the name was not made here: it stays.
  if (!out) return win::Failure::Last("CreateFileW").At(written);
  std::optional<win::Failure> failure = Pour(in.get(), from, out.get(), written, info, hash);
  out.reset();
  if (failure) {
    Remove(written);
    return failure;
  }
  if (written == target) return std::nullopt;
  win::PausePoint("copy-file-aside");
  if (::MoveFileExW(written.c_str(), target.c_str(), 0)) return std::nullopt;
  failure = win::Failure::Last("MoveFileExW").At(to);
  Remove(written);
  return failure;
}

std::optional<win::Failure> FileCopier::Pour(HANDLE in, const std::wstring& from, HANDLE out,
                                             const std::wstring& to,
                                             const BY_HANDLE_FILE_INFORMATION& source,
                                             catalog::Hash128* hash) {
  const uint64_t size = uint64_t{source.nFileSizeHigh} << 32 | source.nFileSizeLow;
  hash_.Reset();
  for (uint64_t total = 0;;) {
    DWORD got = 0;
    if (!::ReadFile(in, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr))
      return win::Failure::Last("ReadFile").At(from);
    if (got == 0) break;
    if (hash != nullptr) hash_.Update(buffer_.data(), got);
    DWORD put = 0;
    if (!::WriteFile(out, buffer_.data(), got, &put, nullptr))
      return win::Failure::Last("WriteFile").At(to);
    // A disk file takes all or fails; anything short is a full disk.
    if (put != got) return win::Failure{"WriteFile", ERROR_DISK_FULL, to};
    total += got;
    // A short read at the size the file had is its end: a small file costs
    // one read, not a second that finds nothing.
    if (got < buffer_.size() && total >= size) break;
  }
  FILE_BASIC_INFO basic{};
  basic.CreationTime.LowPart = source.ftCreationTime.dwLowDateTime;
  basic.CreationTime.HighPart = static_cast<LONG>(source.ftCreationTime.dwHighDateTime);
  basic.LastAccessTime.LowPart = source.ftLastAccessTime.dwLowDateTime;
  basic.LastAccessTime.HighPart = static_cast<LONG>(source.ftLastAccessTime.dwHighDateTime);
  basic.LastWriteTime.LowPart = source.ftLastWriteTime.dwLowDateTime;
  basic.LastWriteTime.HighPart = static_cast<LONG>(source.ftLastWriteTime.dwHighDateTime);
  basic.FileAttributes = (source.dwFileAttributes & kCopiedAttributes) | FILE_ATTRIBUTE_ARCHIVE;
  if (!::SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic))
    return win::Failure::Last("SetFileInformationByHandle").At(to);
  if (hash != nullptr) *hash = hash_.Digest();
  return std::nullopt;
}

}  // namespace yx::backup
