#include "lha/win/read_ahead.h"

#include <windows.h>

#include <algorithm>
#include <system_error>

#include "lha/win/file_streams.h"

namespace yx::lha::win {
namespace {

// Most files fit whole; a larger one is read on by the compressor, with the
// system's own read-ahead of a sequential file.
constexpr size_t kHeadSize = 256 * 1024;
// How far ahead: a few files, and never more than a few MB held.
constexpr size_t kMaxFilesAhead = 16;
constexpr size_t kMaxBytesAhead = 4 * 1024 * 1024;

}  // namespace

ReadAhead::ReadAhead(std::vector<std::wstring> paths) : paths_(std::move(paths)) {
  if (paths_.empty()) return;
  try {
    worker_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread to be had: every file is opened when it is taken.
  }
}

ReadAhead::~ReadAhead() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void ReadAhead::Run() {
  for (size_t i = 0; i < paths_.size(); ++i) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] {
        return stop_ || (ready_.size() < kMaxFilesAhead && head_bytes_ < kMaxBytesAhead);
      });
      if (stop_) return;
    }
    Opened o;
    o.file = FileContent::OpenFile(paths_[i]);
    if (o.file) {
      o.head.resize(kHeadSize);
      DWORD got = 0;
      if (::ReadFile(o.file.get(), o.head.data(), static_cast<DWORD>(kHeadSize), &got, nullptr)) {
        o.head.resize(got);
        o.head.shrink_to_fit();
        o.head_is_all = got < kHeadSize;
      } else {
        o.head.clear();
        o.read_failed = true;
      }
    }
    {
      const std::lock_guard lock(mutex_);
      head_bytes_ += o.head.size();
      ready_.push_back(std::move(o));
    }
    changed_.notify_all();
  }
}

std::unique_ptr<ContentSource> ReadAhead::Take(size_t index) {
  if (worker_.joinable() && index >= first_ready_ && index < paths_.size()) {
    Opened o;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return first_ready_ + ready_.size() > index; });
      // Files skipped over are closed; they would be opened afresh.
      for (; first_ready_ < index; ++first_ready_) {
        head_bytes_ -= ready_.front().head.size();
        ready_.pop_front();
      }
      o = std::move(ready_.front());
      head_bytes_ -= o.head.size();
      ready_.pop_front();
      ++first_ready_;
    }
    changed_.notify_all();
    // A read that failed fails again for the compressor, with the file's own error.
    if (!o.file) return nullptr;
    if (o.read_failed) {
      ::SetFilePointer(o.file.get(), 0, nullptr, FILE_BEGIN);
      return std::make_unique<FileContent>(std::move(o.file), std::vector<uint8_t>{}, false);
    }
    return std::make_unique<FileContent>(std::move(o.file), std::move(o.head), o.head_is_all);
  }
  auto content = std::make_unique<FileContent>();
  if (index >= paths_.size() || !content->Open(paths_[index])) return nullptr;
  return content;
}

}  // namespace yx::lha::win
