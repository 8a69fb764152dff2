#pragma once
// Opens the files of an add command ahead of the compressors, on a thread of
// its own, and reads their first bytes. The wait for each open and first
// read (a disk seek on a cold file; under Wine a round trip to its server)
// then passes while the compressors work on the files before, instead of
// adding up file by file. A file read whole is closed here too, so the
// compressors never spend time on closing.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lha/core/stream.h"
#include "win/unique_handle.h"

namespace yx::lha::win {

class ReadAhead {
 public:
  struct File {
    std::wstring path;
    uint64_t size;  // as the folder listing gave it: how much to read ahead
  };
  // File `index` of `count`, in the order they will be taken; asked once on
  // the thread and again for a file opened on the spot, so a run of many
  // files holds no path until it comes to it.
  ReadAhead(size_t count, std::function<File(size_t index)> file);
  // Stops the thread and closes whatever was opened and not taken.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The content of file `index` of the list; nullptr when it cannot be
  // opened. Several compressors may take at once, a little out of order;
  // each file comes from the thread once. A taker waits only for the
  // thread's next file: one further on is opened on the spot (and skipped
  // by the thread), as is a file taken again or one the thread could not
  // open or read.
  [[nodiscard]] std::unique_ptr<ContentSource> Take(size_t index);

  // Why file `index` could not be opened or read, by whoever met it last:
  // ERROR_SUCCESS when nobody did. Asked once every taker is done.
  [[nodiscard]] DWORD Error(size_t index) const { return errors_[index]; }

 private:
  struct Opened {
    yx::win::UniqueFile file;  // none when read whole, or when it could not be opened or read
    std::vector<uint8_t> head;
    bool head_is_all = false;
    DWORD error = ERROR_SUCCESS;  // of the open or the first read
    bool taken = false;           // a place kept until the files before it are taken too
  };
  void Run();
  // With the lock held: the worker may go on after waiting.
  [[nodiscard]] bool HalfTaken() const;
  // With the lock held: takes file `index` out of the queue; false when the
  // taker must open it itself.
  [[nodiscard]] bool TakeQueued(size_t index, Opened& o);

  const size_t count_;
  const std::function<File(size_t)> file_;
  // One a file, each written by its taker only (the read-ahead thread's
  // failure is copied in by the taker).
  std::vector<DWORD> errors_;
  // The system's slim lock and condition variable: under Wine they wait in
  // the process, where the threads library's would ask Wine's server at
  // every hand-over.
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::deque<Opened> ready_;   // files first_ready_ .. first_ready_ + size - 1
  std::vector<bool> claimed_;  // by a taker before the thread came to them
  size_t first_ready_ = 0;
  size_t untaken_ = 0;     // in ready_
  size_t head_bytes_ = 0;  // of those
  bool stop_ = false;
  // What ended the thread early; the taker rethrows it.
  std::exception_ptr failure_;
  bool worker_waits_ = false;  // for room
  int takers_waiting_ = 0;     // for a file
  std::thread worker_;         // last: it starts once everything above exists
};

}  // namespace yx::lha::win
