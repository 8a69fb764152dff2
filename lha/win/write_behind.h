#pragma once
// The file work of an extraction on a thread of its own, in the order the
// entries come, while the caller's thread decodes the entries after. Under
// Wine every folder made, file created, renamed and closed is a round trip
// to its server, as long as decoding a small file; on two cores the two now
// overlap. What the thread holds is bounded (a few MiB of decoded bytes and
// a few thousand steps), whatever the entries' sizes: the caller waits when
// it is full. Each problem is one line of the output, in entry order.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "lha/core/archive_reader.h"
#include "lha/core/command_line.h"
#include "lha/core/entry_decoder.h"
#include "lha/core/stream.h"
#include "lha/win/entry_writer.h"
#include "lha/win/hand_off.h"
#include "lha/win/read_command.h"

namespace yx::lha::win {

class WriteBehind {
 public:
  // `base` ends in '\' and exists.
  WriteBehind(std::wstring base, Overwrite overwrite);
  // Stops the thread; a file begun and not ended is deleted.
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // A line of the output; `code` (a ReadResult, or 0) becomes the result
  // when it is the first problem.
  void Problem(int code, std::wstring line);
  // A folder entry: `parts` made as folders under the base. `e` outlives
  // this object.
  void Folder(const ArchiveEntry& e, std::vector<std::wstring> parts);
  // A file entry at base + `parts`, the folders before it made first; its
  // bytes go to the sink returned, then EndFile gives the decoder's verdict.
  // The sink refuses the bytes once the file cannot be written (it exists,
  // a write failed), so the decoder stops early.
  [[nodiscard]] ByteSink& BeginFile(const ArchiveEntry& e, std::vector<std::wstring> parts);
  void EndFile(DecodeStatus status);
  // Waits for the work asked, then sets the folders' times and attributes,
  // deepest first (writing their contents changed them). Call once.
  [[nodiscard]] ReadOutcome Finish();

 private:
  enum class Kind { kProblem, kFolder, kBegin, kBytes, kEnd };
  struct Job {
    Kind kind = Kind::kProblem;
    const ArchiveEntry* entry = nullptr;
    int code = 0;
    std::wstring line;
    std::vector<std::wstring> parts;
    std::vector<uint8_t> bytes;
    DecodeStatus status = DecodeStatus::kOk;
  };
  class Sink : public ByteSink {
   public:
    explicit Sink(WriteBehind& owner) : owner_(owner) {}
    bool Write(const uint8_t* data, size_t size) override;
    std::vector<uint8_t> bytes;

   private:
    WriteBehind& owner_;
  };

  // A file decoded and written, to be named and closed; or a line.
  struct Finishing {
    std::unique_ptr<EntryFile> file;
    DecodeStatus status = DecodeStatus::kOk;
    int code = 0;
    std::wstring line;
  };

  void Push(Job job);
  void Run();
  void Do(Job& job);
  void Complete(Finishing& f);
  // From the writing thread: a line after what it has handed on.
  void Line(int code, std::wstring line);
  void Refuse(const WriteOutcome& why);
  // Until the files handed on have their names: before a folder or a name
  // is looked for on disk.
  void WaitNamed() { finishing_.WaitIdle(); }

  const std::wstring base_;
  const Overwrite overwrite_;
  Sink sink_{*this};
  uint64_t file_number_ = 0;  // of the file the caller decodes, from 1
  // The number of the last file the thread could not write: its sink then
  // takes no more.
  std::atomic<uint64_t> refused_{0};
  HandOff<Job> jobs_;
  // The last steps of each file (its times, its name, the close, each a
  // round trip to Wine's server) and the output's lines, in order, on a
  // third thread: the writing thread goes on with the next file.
  HandOff<Finishing> finishing_;
  ReadOutcome outcome_;  // the finishing thread's

  // The writing thread's own.
  std::unique_ptr<EntryFile> file_;
  uint64_t thread_file_number_ = 0;
  bool write_failed_ = false;
  std::vector<std::pair<const ArchiveEntry*, std::wstring>> folders_;
  KnownFolders known_;
  // The folded paths of the files written, hashed: a name in a folder this
  // run made is free unless among them (a hash shared by chance only costs
  // a look).
  std::unordered_set<size_t> written_;
  // Where new files are written before they take their names: a folder of
  // this run's own under the base, so that creating one looks through a
  // nearly empty folder rather than the target's (under Wine a new name is
  // looked for in its whole folder). Empty when it could not be made: then
  // beside the target.
  std::wstring temp_folder_;
  bool temp_folder_tried_ = false;

  // Last: they start once everything above exists.
  std::thread finisher_;
  std::thread thread_;
};

}  // namespace yx::lha::win
