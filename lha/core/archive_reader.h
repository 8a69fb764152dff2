#pragma once
// Lists the entries of an existing archive: where each header and its packed
// data lie, and what the header says. Nothing is decoded; an update copies
// the bytes of the entries it keeps.
#include <cstdint>
#include <functional>
#include <vector>

#include "lha/core/header.h"
#include "lha/core/stream.h"

namespace yx::lha {

struct ArchiveEntry {
  EntryHeader header;
  uint64_t offset = 0;  // of the header
  uint64_t header_size = 0;
  uint64_t data_size = 0;
  uint64_t header_hash = 0;  // of the header's bytes: a copy must show them again
  [[nodiscard]] uint64_t TotalSize() const { return header_size + data_size; }
};

// An entry of an old archive that an update copies as it is: where it lies,
// and what the copy is checked against. A few words, not a header: an update
// of an archive of 100,000 entries holds one of these for each.
struct KeptEntry {
  uint64_t offset = 0;
  uint64_t header_size = 0;
  uint64_t data_size = 0;
  uint64_t original_size = 0;
  uint64_t header_hash = 0;
  uint16_t crc = 0;
  [[nodiscard]] uint64_t TotalSize() const { return header_size + data_size; }
  [[nodiscard]] static KeptEntry Of(const ArchiveEntry& e);
};

enum class ListResult { kOk, kNotAnArchive, kDamaged, kUnsupported, kReadError };

// Reads the header of the entry that begins at `offset`. An entry whose data
// runs past the end of the file counts as damage; kNotAnArchive when no
// method stands where it should.
[[nodiscard]] ListResult ReadEntryAt(RandomSource& source, uint64_t offset, ArchiveEntry& e);

// Reads every header up to the end mark (a 0 byte, or the end of the file).
// An entry whose data runs past the end of the file counts as damage.
[[nodiscard]] ListResult ListArchive(RandomSource& source, std::vector<ArchiveEntry>& entries);
// Where the first header lies: 0 for a plain archive; for a self-extracting
// program, the first offset within its first kSfxSearchLimit bytes where a
// whole, valid header stands whose entries chain to the end mark (or, when
// none does, the first whole header).
inline constexpr uint64_t kSfxSearchLimit = 1024 * 1024;
[[nodiscard]] ListResult FindArchiveStart(RandomSource& source, uint64_t& start);
// Every header from `start` up to the end mark, each given to `visit`.
[[nodiscard]] ListResult ListArchiveFrom(RandomSource& source, uint64_t start,
                                         const std::function<void(ArchiveEntry&)>& visit);
// The entries whose header `take` accepts, in order.
[[nodiscard]] ListResult ListKept(RandomSource& source,
                                  const std::function<bool(const EntryHeader&)>& take,
                                  std::vector<KeptEntry>& kept);

}  // namespace yx::lha
