#pragma once
// Lists the entries of an existing archive: where each header and its packed
// data lie, and what the header says. Nothing is decoded; an update copies
// the bytes of the entries it keeps.
#include <cstdint>
#include <vector>

#include "lha/core/header.h"
#include "lha/core/stream.h"

namespace yx::lha {

struct ArchiveEntry {
  EntryHeader header;
  uint64_t offset = 0;  // of the header
  uint64_t header_size = 0;
  uint64_t data_size = 0;
  [[nodiscard]] uint64_t TotalSize() const { return header_size + data_size; }
};

enum class ListResult { kOk, kNotAnArchive, kDamaged, kUnsupported, kReadError };

// Reads the header of the entry that begins at `offset`. An entry whose data
// runs past the end of the file counts as damage; kNotAnArchive when no
// method stands where it should.
[[nodiscard]] ListResult ReadEntryAt(RandomSource& source, uint64_t offset, ArchiveEntry& e);

// Reads every header up to the end mark (a 0 byte, or the end of the file).
// An entry whose data runs past the end of the file counts as damage.
[[nodiscard]] ListResult ListArchive(RandomSource& source, std::vector<ArchiveEntry>& entries);

}  // namespace yx::lha
