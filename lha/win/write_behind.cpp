#include "lha/win/write_behind.h"

#include <exception>
#include <functional>

#include "lha/win/read_result.h"
#include "win/file_system.h"

namespace yx::lha::win {
namespace {

// Decoded bytes handed over at once: few hand-overs, little memory.
constexpr size_t kChunk = 1 << 20;
// What the caller may be ahead by.
constexpr size_t kQueuedBytes = 8 << 20;
constexpr size_t kQueuedJobs = 4096;

}  // namespace

WriteBehind::WriteBehind(std::wstring base, Overwrite overwrite)
    : base_(std::move(base)), overwrite_(overwrite), thread_([this] { Run(); }) {}

WriteBehind::~WriteBehind() {
  if (!thread_.joinable()) return;  // finished
  // Given up half way (out of memory): what the thread had not done is
  // dropped, its file deleted and this run's folder removed.
  ::AcquireSRWLockExclusive(&lock_);
  closing_ = true;
  jobs_.clear();
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeAllConditionVariable(&changed_);
  thread_.join();
  if (!temp_folder_.empty()) ::RemoveDirectoryW(temp_folder_.c_str());
}

void WriteBehind::Problem(int code, std::wstring line) {
  Job job;
  job.kind = Kind::kProblem;
  job.code = code;
  job.line = std::move(line);
  Push(std::move(job));
}

void WriteBehind::Folder(const ArchiveEntry& e, std::vector<std::wstring> parts) {
  Job job;
  job.kind = Kind::kFolder;
  job.entry = &e;
  job.parts = std::move(parts);
  Push(std::move(job));
}

ByteSink& WriteBehind::BeginFile(const ArchiveEntry& e, std::vector<std::wstring> parts) {
  ++file_number_;
  Job job;
  job.kind = Kind::kBegin;
  job.entry = &e;
  job.parts = std::move(parts);
  Push(std::move(job));
  sink_.bytes.clear();
  return sink_;
}

void WriteBehind::EndFile(DecodeStatus status) {
  Job job;
  job.kind = Kind::kEnd;
  job.status = status;
  job.bytes = std::move(sink_.bytes);
  sink_.bytes = {};
  Push(std::move(job));
}

bool WriteBehind::Sink::Write(const uint8_t* data, size_t size) {
  if (owner_.refused_.load(std::memory_order_relaxed) == owner_.file_number_) return false;
  bytes.insert(bytes.end(), data, data + size);
  if (bytes.size() >= kChunk) {
    Job job;
    job.kind = Kind::kBytes;
    job.bytes = std::move(bytes);
    bytes = {};
    owner_.Push(std::move(job));
  }
  return true;
}

void WriteBehind::Push(Job job) {
  const size_t size = job.bytes.size();
  ::AcquireSRWLockExclusive(&lock_);
  while (!jobs_.empty() && (queued_bytes_ + size > kQueuedBytes || jobs_.size() >= kQueuedJobs)) {
    caller_waits_ = true;
    ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
  }
  caller_waits_ = false;
  jobs_.push_back(std::move(job));
  queued_bytes_ += size;
  const bool wake = thread_waits_;
  ::ReleaseSRWLockExclusive(&lock_);
  if (wake) ::WakeAllConditionVariable(&changed_);
}

void WriteBehind::Run() {
  for (;;) {
    ::AcquireSRWLockExclusive(&lock_);
    while (jobs_.empty() && !closing_) {
      thread_waits_ = true;
      ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    }
    thread_waits_ = false;
    if (jobs_.empty()) {
      ::ReleaseSRWLockExclusive(&lock_);
      break;
    }
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    queued_bytes_ -= job.bytes.size();
    const bool wake = caller_waits_;
    ::ReleaseSRWLockExclusive(&lock_);
    if (wake) ::WakeAllConditionVariable(&changed_);
    try {
      Do(job);
    } catch (const std::exception&) {
      // Out of memory on this thread: the file is dropped (deleted, never
      // left under its name), the run goes on and reports it.
      file_.reset();
      refused_.store(thread_file_number_);
      Line(0x81FF, L"error: out of memory or internal failure");
    }
  }
  file_.reset();
}

void WriteBehind::Line(int code, const std::wstring& line) {
  if (outcome_.code == 0) outcome_.code = code;
  outcome_.output += line + L"\r\n";
}

void WriteBehind::Refuse(const WriteOutcome& why) {
  file_.reset();
  refused_.store(thread_file_number_);
  Line(why.code, why.what);
}

void WriteBehind::Do(Job& job) {
  switch (job.kind) {
    case Kind::kProblem:
      return Line(job.code, job.line);
    case Kind::kFolder: {
      const WriteOutcome w = MakeFolders(base_, job.parts, job.parts.size(), &known_);
      if (w.code != 0) return Line(w.code, w.what);
      std::wstring folder = base_;
      for (const std::wstring& p : job.parts) folder += p + L'\\';
      folders_.emplace_back(job.entry, std::move(folder));
      return;
    }
    case Kind::kBegin: {
      ++thread_file_number_;
      write_failed_ = false;
      const WriteOutcome made = MakeFolders(base_, job.parts, job.parts.size() - 1, &known_);
      if (made.code != 0) return Refuse(made);
      std::wstring target = base_;
      for (const std::wstring& p : job.parts) target += p + L'\\';
      target.pop_back();
      const std::wstring folded = FoldedName(target);
      const std::wstring parent = folded.substr(0, folded.rfind(L'\\') + 1);
      const size_t key = std::hash<std::wstring>{}(folded);
      // A name in a folder made empty by this run: free unless this run put
      // a file or folder there.
      const bool absent = known_.made.contains(parent) && !written_.contains(key) &&
                          !known_.real.contains(folded + L'\\');
      if (!temp_folder_tried_) {
        temp_folder_tried_ = true;
        const std::wstring folder = yx::win::ToLongPath(
            base_ + L"UNLHA32." + std::to_wstring(::GetCurrentProcessId()) + L".tmp");
        if (::CreateDirectoryW(folder.c_str(), nullptr)) temp_folder_ = folder + L'\\';
      }
      std::wstring temp = temp_folder_.empty()
                              ? yx::win::ToLongPath(target) + L"." +
                                    std::to_wstring(::GetCurrentProcessId()) + L".tmp"
                              : temp_folder_ + std::to_wstring(thread_file_number_) + L".tmp";
      file_ = std::make_unique<EntryFile>();
      const WriteOutcome opened =
          file_->Open(*job.entry, target, std::move(temp), overwrite_, absent);
      if (opened.code != 0) return Refuse(opened);
      written_.insert(key);
      return;
    }
    case Kind::kBytes:
    case Kind::kEnd:
      if (file_ && !write_failed_ && !job.bytes.empty() &&
          !file_->Write(job.bytes.data(), job.bytes.size())) {
        write_failed_ = true;
        refused_.store(thread_file_number_);
      }
      if (job.kind == Kind::kEnd && file_) {
        const WriteOutcome w = file_->Close(write_failed_ ? DecodeStatus::kWriteError : job.status);
        file_.reset();
        if (w.code != 0) Line(w.code, w.what);
      }
      return;
  }
}

ReadOutcome WriteBehind::Finish() {
  ::AcquireSRWLockExclusive(&lock_);
  closing_ = true;
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeAllConditionVariable(&changed_);
  thread_.join();
  if (!temp_folder_.empty() && !::RemoveDirectoryW(temp_folder_.c_str())) {
    const DWORD error = ::GetLastError();
    Line(kErrorCannotWrite, temp_folder_.substr(4) + L": cannot remove this run's folder (error " +
                                std::to_wstring(error) + L")");
  }
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
    const WriteOutcome w = FinishFolder(*it->first, it->second);
    if (w.code != 0) Line(w.code, w.what);
  }
  return std::move(outcome_);
}

}  // namespace yx::lha::win
