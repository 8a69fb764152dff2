#pragma once
// The copies of a tree copy, kept in flight on a few threads of their own
// while the window's thread walks the tree: under Wine every file's copy is a
// series of round trips to its server, and two or three copies waiting at
// once keep it busy where one would leave it idle between calls.
//
// Results come back in the order the copies were queued, with the faults the
// walk itself met queued among them, so the log names failures in the walk's
// order whatever thread finished first.
//
// A file with an earlier copy to share is linked to it instead, on the same
// threads: under Wine a link is one round trip to the server, as much worth
// hiding as a small copy's. A refused link is copied.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "backup/file_copy.h"
#include "backup/file_link.h"
#include "backup/link_tally.h"
#include "catalog/content_hash.h"

namespace yx::backup {

class CopyQueue {
 public:
  using Report = std::function<void(const std::wstring& path, DWORD error)>;
  // A file now in the backup, in the order queued: the tag it was queued
  // with, whether it was linked, and (when copied) the hash of its copy.
  using Placed = std::function<void(size_t tag, bool linked, const catalog::Hash128& hash)>;
  static constexpr size_t kNoTag = SIZE_MAX;

  // `threads` copies at once; with 1 every copy runs on the caller's thread
  // at Add, as a plain loop would. `report` gets each failure, in order, on
  // the caller's thread. `linker` (may be null) makes the links.
  CopyQueue(int threads, Report report, FileLinker* linker = nullptr);
  // Waits for the copies already started, drops the rest and stops the
  // threads, without reporting: the normal end is Finish.
  ~CopyQueue();
  CopyQueue(const CopyQueue&) = delete;
  CopyQueue& operator=(const CopyQueue&) = delete;

  // Queues the copy of `from` to `to`; a failure is reported under `from`.
  // One at a time (below), it is copied here once the copies before it are
  // done. With `earlier` (the path of an earlier copy of the same file), `to`
  // is linked to it, or copied when the link is refused.
  void Add(std::wstring from, std::wstring to, uint64_t size, std::wstring earlier = {},
           size_t tag = kNoTag);
  // Copies `from` to `to` with no other copy beside it, on a thread of the
  // queue's when it has one, so that `idle` keeps the window alive every
  // `idle_ms` while a large file is copied.
  void CopyAlone(std::wstring from, std::wstring to, uint64_t size, std::wstring earlier,
                 DWORD idle_ms, const std::function<void()>& idle, size_t tag = kNoTag);
  // Hashes every tagged copy as it is written (the catalog holds the bytes
  // the backup holds), and tells `placed` of every tagged file placed. Set
  // before the first Add.
  void HashCopies(Placed placed) { placed_ = std::move(placed); }
  // Whether Add copies on the caller's thread even though the queue has
  // threads: the choice of the copy's pace (copy_pace.h).
  void SetOneAtATime(bool one) noexcept { one_at_a_time_ = one; }
  // A failure found by the walk, reported after every copy queued before it.
  void AddFault(std::wstring path, DWORD error);

  // Reports what has finished, in order, then waits until at most `limit`
  // copies are queued or running. `idle` runs on this thread whenever a wait
  // has lasted `idle_ms` (INFINITE: never) without a copy finishing, so the
  // window can stay alive behind a long copy.
  void WaitUntilAtMost(size_t limit, DWORD idle_ms, const std::function<void()>& idle);
  // As many copies as keep every thread busy with one waiting next.
  [[nodiscard]] size_t Room() const noexcept { return one_at_a_time_ ? 0 : workers_.size() * 2; }
  // The files linked and copied so far, of those reported.
  [[nodiscard]] const LinkTally& Tally() const noexcept { return tally_; }

 private:
  struct Item {
    std::wstring from;
    std::wstring to;
    uint64_t size = 0;
    std::wstring earlier;
    DWORD error = 0;
    bool linked = false;
    bool done = false;  // under lock_ while a thread may hold it
    size_t tag = kNoTag;
    catalog::Hash128 hash;
  };
  // Links or copies the item's file on the calling thread.
  void Place(Item& item, FileCopier& copier);
  void Run() noexcept;
  void Stop() noexcept;
  void ReportFinished();
  void Queue(std::unique_ptr<Item> item);
  void CopyHere(std::unique_ptr<Item> item);

  Report report_;
  Placed placed_;
  FileCopier copier_;  // for the copies made on the caller's thread
  FileLinker* linker_;
  LinkTally tally_;
  // The system's slim lock and condition variables: under Wine they wait in
  // the process, where the threads library's would ask Wine's server.
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE queued_ = CONDITION_VARIABLE_INIT;
  CONDITION_VARIABLE finished_ = CONDITION_VARIABLE_INIT;
  std::deque<std::unique_ptr<Item>> order_;  // every item not yet reported
  std::deque<Item*> waiting_;                // under lock_: not yet started
  bool stop_ = false;
  bool one_at_a_time_ = false;
  std::vector<std::thread> workers_;  // last: they start once everything above exists
};

}  // namespace yx::backup
