#pragma once
// Writes a whole archive: the entries kept from an old archive, copied byte
// for byte, then the new ones, then the end mark. A file entry is compressed
// as it is read, its header patched with the sizes and CRC afterwards, and
// stored (-lh0-) instead when compression does not make it smaller.
//
// Several workers compress several files at once; the entries still leave in
// the order one thread would write them, byte for byte the same archive. A
// file compressed ahead of its turn goes to memory (at most
// kHeldOutputPerWorker bytes a worker are held for entries not yet written);
// a large file is compressed at its turn straight into the archive while the
// other workers go on ahead, so no file needs its whole input or output in
// memory.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lha/core/archive_check.h"
#include "lha/core/archive_reader.h"
#include "lha/core/header.h"
#include "lha/core/lh5_encoder.h"
#include "lha/core/lh5_parser.h"
#include "lha/core/stream.h"

namespace yx::lha {

struct NewEntry {
  // Names, times and attributes; method, sizes and CRC are filled in while
  // writing. A -lhd- method marks a folder.
  EntryHeader header;
  uint64_t size = 0;  // as listed; the data read decides
  // Opens the content of a file; nullptr when it cannot be opened.
  std::function<std::unique_ptr<ContentSource>()> open;
};

// The new entries of an archive, each made when it is written (on whichever
// worker takes it): a run of 100,000 files then holds what its walk found and
// no header until the entry's turn.
class NewEntries {
 public:
  virtual ~NewEntries() = default;
  [[nodiscard]] virtual size_t Count() const = 0;
  // What the workers plan with before an entry is made: a folder has no
  // content, and a file's listed size decides where it is compressed.
  [[nodiscard]] virtual bool IsFolder(size_t i) const = 0;
  [[nodiscard]] virtual uint64_t ListedSize(size_t i) const = 0;
  // Called from several workers at once.
  [[nodiscard]] virtual NewEntry Make(size_t i) const = 0;
};

// Entries made ahead of the writing, for the callers that have few.
class NewEntryList final : public NewEntries {
 public:
  explicit NewEntryList(std::span<const NewEntry> entries) : entries_(entries) {}
  size_t Count() const override { return entries_.size(); }
  bool IsFolder(size_t i) const override { return entries_[i].header.IsDirectory(); }
  uint64_t ListedSize(size_t i) const override { return entries_[i].size; }
  NewEntry Make(size_t i) const override { return entries_[i]; }

 private:
  std::span<const NewEntry> entries_;
};

enum class WriteStatus {
  kOk,
  kSourceUnreadable,  // a file could not be opened or read
  kSourceChanged,     // a file crossed the 4 GiB line while it was read
  kNameTooLong,       // the names do not fit a level-2 header
  kOldArchiveUnreadable,
  kWriteFailed,
  kOutOfMemory,
};

struct WriteResult {
  WriteStatus status = WriteStatus::kOk;
  size_t failed_entry = 0;  // index into the new entries, for the failures of one
  // The new entries left out, in order: their file could not be opened or
  // read. Nothing of them is in the archive, not even a part.
  std::vector<size_t> skipped;
  // Size and CRC-16 of what was read for each new entry written (the
  // skipped ones have none), for the check.
  std::vector<EntrySum> sums;
};

// Compressed output held for entries not yet written, per worker: room for
// the largest file compressed ahead (kCompressAtTurnAbove) while the others
// go on. Measured on the 100 MB corpus with two workers, the held output
// never passed 7 MB; in a run of small files it stays under 100 KB.
inline constexpr uint64_t kHeldOutputPerWorker = 8 * 1024 * 1024;
// Files larger than this are compressed at their turn, into the archive.
inline constexpr uint64_t kCompressAtTurnAbove = 4 * 1024 * 1024;
inline constexpr int kMaxWorkers = 8;

// Writes entries one after the other, keeping the compressor and its buffers
// from one file to the next.
class EntryWriter {
 public:
  explicit EntryWriter(const ParserOptions& options = {});
  EntryWriter(const EntryWriter&) = delete;
  EntryWriter& operator=(const EntryWriter&) = delete;

  [[nodiscard]] WriteStatus Directory(ArchiveSink& out, EntryHeader header);
  [[nodiscard]] WriteStatus File(ArchiveSink& out, EntryHeader header, uint64_t listed_size,
                                 ContentSource& content, EntrySum& sum);

 private:
  [[nodiscard]] WriteStatus Store(ArchiveSink& out, ContentSource& content, uint64_t& size,
                                  uint16_t& crc);

  std::vector<uint8_t> buffer_;
  Lh5Encoder encoder_;
};

// One entry, new or folder, at the sink's position. A file that cannot be
// opened or read leaves the position where its entry began.
[[nodiscard]] WriteStatus WriteEntry(EntryWriter& writer, ArchiveSink& out, const NewEntry& e,
                                     EntrySum& sum);

// `workers` compress at once (the calling thread is one of them); the
// archive is the same for any number. A file that cannot be opened or read
// is left out and the others are written (see WriteResult::skipped).
[[nodiscard]] WriteResult WriteArchive(RandomSource* old_archive, std::span<const KeptEntry> keep,
                                       const NewEntries& add, ArchiveSink& out,
                                       const ParserOptions& options = {}, int workers = 1);
[[nodiscard]] inline WriteResult WriteArchive(RandomSource* old_archive,
                                              std::span<const KeptEntry> keep,
                                              std::span<const NewEntry> add, ArchiveSink& out,
                                              const ParserOptions& options = {}, int workers = 1) {
  return WriteArchive(old_archive, keep, NewEntryList(add), out, options, workers);
}

// Puts `entries` of the old archive after the last entry that `out` holds
// (over its end mark), then the end mark again; a sum for each is added to
// `sums`, so that the check decodes them as it decodes the new ones.
[[nodiscard]] WriteStatus AppendOldEntries(RandomSource& old_archive,
                                           std::span<const KeptEntry> entries, ArchiveSink& out,
                                           std::vector<EntrySum>& sums);

}  // namespace yx::lha
