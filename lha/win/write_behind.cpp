#include "lha/win/write_behind.h"

#include <exception>
#include <functional>
#include <optional>

#include "lha/win/read_result.h"
#include "win/file_system.h"

namespace yx::lha::win {
namespace {

// Decoded bytes handed over at once: few hand-overs, little memory.
constexpr size_t kChunk = 1 << 20;
// What the caller may be ahead by.
constexpr size_t kQueuedBytes = 8 << 20;
constexpr size_t kQueuedJobs = 4096;
// Files written and not yet named: each holds an open handle.
constexpr size_t kFinishing = 64;

}  // namespace

WriteBehind::WriteBehind(std::wstring base, Overwrite overwrite)
    : base_(std::move(base)),
      overwrite_(overwrite),
      jobs_(kQueuedJobs, kQueuedBytes),
      finishing_(kFinishing, 0),
      finisher_([this] {
        while (std::optional<Finishing> f = finishing_.Pop()) Complete(*f);
      }),
      thread_([this] { Run(); }) {}

WriteBehind::~WriteBehind() {
  if (!thread_.joinable()) return;  // finished
  // Given up half way (out of memory): what the threads had not done is
  // dropped, the files not named deleted and this run's folder removed.
  jobs_.Close(true);
  thread_.join();
  finishing_.Close(true);
  finisher_.join();
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
  jobs_.Push(std::move(job), size);
}

void WriteBehind::Run() {
  while (std::optional<Job> job = jobs_.Pop()) {
    try {
      Do(*job);
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

void WriteBehind::Line(int code, std::wstring line) {
  Finishing f;
  f.code = code;
  f.line = std::move(line);
  finishing_.Push(std::move(f));
}

void WriteBehind::Complete(Finishing& f) {
  if (f.file) {
    const WriteOutcome w = f.file->Close(f.status);
    f.file.reset();
    f.code = w.code;
    f.line = w.what;
  }
  if (f.line.empty() && f.code == 0) return;
  if (outcome_.code == 0) outcome_.code = f.code;
  outcome_.output += f.line + L"\r\n";
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
      std::wstring folder = base_;
      for (const std::wstring& p : job.parts) folder += p + L'\\';
      if (!known_.real.contains(FoldedName(folder))) WaitNamed();
      const WriteOutcome w = MakeFolders(base_, job.parts, job.parts.size(), &known_);
      if (w.code != 0) return Line(w.code, w.what);
      // A folder that was there is the user's: its times and attributes stay.
      if (known_.made.contains(FoldedName(folder)))
        folders_.emplace_back(job.entry, std::move(folder));
      return;
    }
    case Kind::kBegin: {
      ++thread_file_number_;
      write_failed_ = false;
      std::wstring target = base_;
      for (const std::wstring& p : job.parts) target += p + L'\\';
      target.pop_back();
      const std::wstring folded = FoldedName(target);
      const std::wstring parent = folded.substr(0, folded.rfind(L'\\') + 1);
      // A folder on the way may be a name a file handed on is to take.
      if (job.parts.size() > 1 && !known_.real.contains(parent)) WaitNamed();
      const WriteOutcome made = MakeFolders(base_, job.parts, job.parts.size() - 1, &known_);
      if (made.code != 0) return Refuse(made);
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
      // The name is looked for: the files before must have theirs.
      if (!absent) WaitNamed();
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
        Finishing f;
        f.file = std::move(file_);
        f.status = write_failed_ ? DecodeStatus::kWriteError : job.status;
        finishing_.Push(std::move(f));
      }
      return;
  }
}

ReadOutcome WriteBehind::Finish() {
  jobs_.Close(false);
  thread_.join();
  finishing_.Close(false);
  finisher_.join();
  if (!temp_folder_.empty() && !::RemoveDirectoryW(temp_folder_.c_str())) {
    const DWORD error = ::GetLastError();
    Finishing f;
    f.code = kErrorCannotWrite;
    f.line = temp_folder_.substr(4) + L": cannot remove this run's folder (error " +
             std::to_wstring(error) + L")";
    Complete(f);
  }
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
    Finishing f;
    const WriteOutcome w = FinishFolder(*it->first, it->second);
    f.code = w.code;
    f.line = w.what;
    Complete(f);
  }
  return std::move(outcome_);
}

}  // namespace yx::lha::win
