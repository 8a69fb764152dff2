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
// What one read takes: a file up to this size (most of a tree's) costs one
// read and one write. Four files of 96 MB in the system's cache took the
// same processor time with 64 KB, 256 KB and CopyFileW, a little more with
// 1 MB (which no longer stays in the processor's cache between the read,
// the hash and the write); wall times under load swung more than that.
constexpr size_t kChunk = 256 * 1024;
// The attributes a copy takes from its source, as CopyFileW gave them; the
// archive bit it always gets.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool Taken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// The names (":name") of the file's alternate data streams, from its open
// handle: none where the file system keeps none or cannot say.
// `info`: room for the answer, aligned as new gives it.
std::vector<std::wstring> NamedStreams(HANDLE file, std::vector<char>& info) {
  std::vector<std::wstring> names;
  if (!::GetFileInformationByHandleEx(file, FileStreamInfo, info.data(),
                                      static_cast<DWORD>(info.size())))
    return names;
  for (size_t at = 0;;) {
    const auto* stream = reinterpret_cast<const FILE_STREAM_INFO*>(info.data() + at);
    std::wstring name(stream->StreamName, stream->StreamNameLength / sizeof(wchar_t));
    // ":name:$DATA"; the file's own data is "::$DATA".
    const size_t kind = name.rfind(L":$DATA");
    if (kind != std::wstring::npos && kind > 1) names.push_back(name.substr(0, kind));
    if (stream->NextEntryOffset == 0) return names;
    at += stream->NextEntryOffset;
  }
}

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
                                             uint64_t size, catalog::Hash128* hash) {
  const std::wstring source = win::ToLongPath(from);
  const std::wstring target = win::ToLongPath(to);
  // Another program may hold the file open for writing, as CopyFileW allows.
  const win::UniqueFile in(::CreateFileW(source.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return win::Failure::Last("CreateFileW").At(from);
  // Not GetFileInformationByHandle: under Wine its volume serial number
  // alone is some 16 calls a file.
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandleEx(in.get(), FileBasicInfo, &basic, sizeof basic))
    return win::Failure::Last("GetFileInformationByHandleEx").At(from);

  std::wstring written = target;
  if (size > kCopiedAside) {
    const std::wstring aside = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    // A name too long for the suffix is copied to its own name.
    if (aside.size() - (aside.find_last_of(L'\\') + 1) <= kLongestName) written = aside;
  }
  win::UniqueFile out = CreateNew(written);
  // An entry of the source already took the name aside.
  if (!out) {
    const DWORD error = ::GetLastError();
    if (written != target && Taken(error)) out = CreateNew(written = target);
  }
  // Whatever holds the name was not made here: it stays.
  if (!out) return win::Failure::Last("CreateFileW").At(written);
  std::optional<win::Failure> failure = Pour(in.get(), from, out.get(), written, size, hash);
  catalog::Hash128 digest{};
  if (!failure && hash != nullptr) digest = hash_.Digest();
  if (!failure) failure = CopyStreams(in.get(), source, from, written);
  if (!failure) {
    // Only now, after the last byte: a torn copy never has the source's time.
    basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes = (basic.FileAttributes & kCopiedAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    if (!::SetFileInformationByHandle(out.get(), FileBasicInfo, &basic, sizeof basic))
      failure = win::Failure::Last("SetFileInformationByHandle").At(written);
  }
  out.reset();
  if (failure) {
    Remove(written);
    return failure;
  }
  if (hash != nullptr) *hash = digest;
  if (written == target) return std::nullopt;
  win::PausePoint("copy-file-aside");
  if (::MoveFileExW(written.c_str(), target.c_str(), 0)) return std::nullopt;
  failure = win::Failure::Last("MoveFileExW").At(to);
  Remove(written);
  return failure;
}

std::optional<win::Failure> FileCopier::CopyStreams(HANDLE in, const std::wstring& source,
                                                    const std::wstring& from,
                                                    const std::wstring& written) {
  for (const std::wstring& name : NamedStreams(in, buffer_)) {
    const win::UniqueFile stream_in(
        ::CreateFileW((source + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!stream_in) return win::Failure::Last("CreateFileW").At(from + name);
    const win::UniqueFile stream_out = CreateNew(written + name);
    if (!stream_out) return win::Failure::Last("CreateFileW").At(written + name);
    if (auto failure =
            Pour(stream_in.get(), from + name, stream_out.get(), written + name, 0, nullptr))
      return failure;
  }
  return std::nullopt;
}

std::optional<win::Failure> FileCopier::Pour(HANDLE in, const std::wstring& from, HANDLE out,
                                             const std::wstring& to, uint64_t size,
                                             catalog::Hash128* hash) {
  if (hash != nullptr) hash_.Reset();
  for (uint64_t total = 0;;) {
    DWORD got = 0;
    if (!::ReadFile(in, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr))
      return win::Failure::Last("ReadFile").At(from);
    if (got == 0) return std::nullopt;
    if (hash != nullptr) hash_.Update(buffer_.data(), got);
    DWORD put = 0;
    if (!::WriteFile(out, buffer_.data(), got, &put, nullptr))
      return win::Failure::Last("WriteFile").At(to);
    // A disk file takes all or fails; anything short is a full disk.
    if (put != got) return win::Failure{"WriteFile", ERROR_DISK_FULL, to};
    total += got;
    // A short read at the size the listing gave is the end: a small file
    // costs one read, not a second that finds nothing. A file that grew
    // since is read on to its end.
    if (got < buffer_.size() && total >= size) return std::nullopt;
  }
}

}  // namespace yx::backup
