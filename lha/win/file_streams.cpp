#include "lha/win/file_streams.h"

#include <algorithm>
#include <string>

#include "win/file_system.h"

namespace yx::lha::win {
namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr size_t kMaxIo = 1u << 30;
constexpr size_t kBufferSize = 1u << 20;

bool ReadSome(HANDLE file, uint8_t* data, size_t size, size_t& got) {
  got = 0;
  while (got < size) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min(size - got, kMaxIo));
    if (!::ReadFile(file, data + got, want, &n, nullptr)) return false;
    if (n == 0) break;
    got += n;
  }
  return true;
}

bool SeekTo(HANDLE file, uint64_t position) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(position);
  return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE;
}

}  // namespace

yx::win::UniqueFile FileContent::OpenFile(const std::wstring& path) {
  return yx::win::UniqueFile(::CreateFileW(yx::win::ToLongPath(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                           nullptr));
}

FileContent::FileContent(yx::win::UniqueFile file, std::vector<uint8_t> head, bool head_is_all,
                         DWORD* error)
    : file_(std::move(file)),
      error_(error),
      head_(std::move(head)),
      head_is_all_(head_is_all),
      at_end_(head_is_all) {}

bool FileContent::Failed() {
  if (error_) *error_ = ::GetLastError();
  return false;
}

bool FileContent::Open(const std::wstring& path) {
  file_ = OpenFile(path);
  return file_ ? true : Failed();
}

bool FileContent::Read(uint8_t* data, size_t size, size_t& got) {
  got = std::min(size, head_.size() - head_used_);
  std::copy_n(head_.begin() + static_cast<ptrdiff_t>(head_used_), got, data);
  head_used_ += got;
  if (got == size || at_end_) return true;
  size_t more = 0;
  if (!ReadSome(file_.get(), data + got, size - got, more)) return Failed();
  got += more;
  at_end_ = got < size;
  return true;
}

bool FileContent::Rewind() {
  head_used_ = 0;
  // The file itself goes on where the head ends, unless the head is all of it.
  at_end_ = head_is_all_;
  return head_is_all_ || SeekTo(file_.get(), head_.size()) || Failed();
}

bool ArchiveFile::Open(const std::wstring& path) {
  file_.reset(::CreateFileW(yx::win::ToLongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file_ || !::GetFileSizeEx(file_.get(), &size)) return false;
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

bool ArchiveFile::ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) {
  got = 0;
  return SeekTo(file_.get(), offset) && ReadSome(file_.get(), data, size, got);
}

NewArchiveFile::~NewArchiveFile() {
  if (committed_ || path_.empty()) return;
  file_.reset();
  ::DeleteFileW(path_.c_str());
}

bool NewArchiveFile::Create(const std::wstring& target) {
  target_ = yx::win::ToLongPath(target);
  // Beside the target, so that the final move stays on one volume and is a rename.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate = target_ + L"." + std::to_wstring(::GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(attempt) + L".tmp";
    file_.reset(::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_) {
      path_ = candidate;
      return true;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool NewArchiveFile::Write(const uint8_t* data, size_t size) {
  // position_ always lies within or just past the buffer.
  const size_t at = static_cast<size_t>(position_ - buffer_start_);
  const size_t overlap = std::min(size, buffer_.size() - at);
  std::copy(data, data + overlap, buffer_.begin() + static_cast<ptrdiff_t>(at));
  buffer_.insert(buffer_.end(), data + overlap, data + size);
  position_ += size;
  return buffer_.size() < kBufferSize || FlushBuffer();
}

bool NewArchiveFile::FlushBuffer() {
  for (size_t done = 0; done < buffer_.size();) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min(buffer_.size() - done, kMaxIo));
    if (!::WriteFile(file_.get(), buffer_.data() + done, want, &n, nullptr) || n != want)
      return false;
    done += n;
  }
  buffer_start_ += buffer_.size();
  buffer_.clear();
  // The file pointer now stands at buffer_start_; bring it to position_.
  if (position_ != buffer_start_) {
    if (!SeekTo(file_.get(), position_)) return false;
    buffer_start_ = position_;
  }
  return true;
}

bool NewArchiveFile::Seek(uint64_t position) {
  if (position >= buffer_start_ && position <= buffer_start_ + buffer_.size()) {
    position_ = position;
    return true;
  }
  position_ = buffer_start_ + buffer_.size();
  if (!FlushBuffer() || !SeekTo(file_.get(), position)) return false;
  buffer_start_ = position_ = position;
  return true;
}

bool NewArchiveFile::Truncate() {
  // Everything past position_ goes: from the buffer, then from the file.
  if (position_ >= buffer_start_) {
    buffer_.resize(static_cast<size_t>(position_ - buffer_start_));
    if (!FlushBuffer()) return false;
  }
  return SeekTo(file_.get(), position_) && ::SetEndOfFile(file_.get()) != FALSE;
}

bool NewArchiveFile::Close() {
  position_ = buffer_start_ + buffer_.size();  // where Truncate left it
  if (!FlushBuffer() || !::FlushFileBuffers(file_.get())) return false;
  file_.reset();
  return true;
}

bool NewArchiveFile::Commit() {
  if (file_ && !Close()) return false;
  if (!::MoveFileExW(path_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  committed_ = true;
  return true;
}

}  // namespace yx::lha::win
