#include "lha/core/archive_reader.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace yx::lha {
namespace {

bool ReadExactly(RandomSource& s, uint64_t offset, uint8_t* data, size_t size) {
  size_t got = 0;
  return s.ReadAt(offset, data, size, got) && got == size;
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// FNV-1a, 64 bits.
uint64_t Hash(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (const uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
  return h;
}

// Length of the header at `offset` (ext headers included), 0 when it cannot
// be one. `first` holds its first 22 bytes.
ListResult HeaderLength(RandomSource& s, uint64_t offset, const uint8_t* first, size_t& length) {
  const int level = first[20];
  if (level == 2) {
    length = Get16(first);
    return ListResult::kOk;
  }
  if (level == 3) {
    uint8_t size_field[4];
    if (!ReadExactly(s, offset + 24, size_field, 4)) return ListResult::kDamaged;
    const uint32_t size = Get16(size_field) | static_cast<uint32_t>(Get16(size_field + 2)) << 16;
    // No writer needs more; a larger size is a lie that would cost memory.
    if (size > 0x100000) return ListResult::kDamaged;
    length = size;
    return ListResult::kOk;
  }
  if (level == 0) {
    length = size_t{first[0]} + 2;
    return ListResult::kOk;
  }
  if (level != 1) return ListResult::kUnsupported;
  // Level 1: the base part ends in the size of the first ext header; each ext
  // header ends in the size of the next.
  size_t at = size_t{first[0]} + 2;
  uint8_t size_field[2];
  if (!ReadExactly(s, offset + at - 2, size_field, 2)) return ListResult::kDamaged;
  for (uint16_t next = Get16(size_field); next != 0;) {
    if (next < 3) return ListResult::kDamaged;
    at += next;
    if (at > 0x100000 || !ReadExactly(s, offset + at - 2, size_field, 2))
      return ListResult::kDamaged;
    next = Get16(size_field);
  }
  length = at;
  return ListResult::kOk;
}

}  // namespace

ListResult ReadEntryAt(RandomSource& source, uint64_t offset, ArchiveEntry& e) {
  const uint64_t file_size = source.Size();
  uint8_t first[22];
  if (offset > file_size || file_size - offset < sizeof first) return ListResult::kDamaged;
  if (!ReadExactly(source, offset, first, sizeof first)) return ListResult::kReadError;
  if (first[2] != '-' || first[6] != '-') return ListResult::kNotAnArchive;
  size_t length = 0;
  if (const ListResult r = HeaderLength(source, offset, first, length); r != ListResult::kOk)
    return r;
  if (length < sizeof first || length > file_size - offset) return ListResult::kDamaged;
  std::vector<uint8_t> bytes(length);
  if (!ReadExactly(source, offset, bytes.data(), length)) return ListResult::kReadError;
  e.offset = offset;
  e.header_size = length;
  e.header_hash = Hash(bytes);
  switch (ParseHeader(bytes.data(), length, e.header, e.data_size)) {
    case ParseResult::kOk:
      break;
    case ParseResult::kDamaged:
      return ListResult::kDamaged;
    case ParseResult::kUnsupported:
      return ListResult::kUnsupported;
  }
  return e.data_size > file_size - offset - length ? ListResult::kDamaged : ListResult::kOk;
}

KeptEntry KeptEntry::Of(const ArchiveEntry& e) {
  return {e.offset,      e.header_size, e.data_size, e.header.original_size,
          e.header_hash, e.header.crc};
}

namespace {

// Every header up to the end mark, each entry given to `visit` in turn and
// let go.
ListResult VisitArchive(RandomSource& source, const std::function<void(ArchiveEntry&)>& visit,
                        uint64_t offset = 0) {
  const uint64_t file_size = source.Size();
  const uint64_t start = offset;
  while (offset < file_size) {
    uint8_t mark = 0;
    size_t got = 0;
    if (!source.ReadAt(offset, &mark, 1, got)) return ListResult::kReadError;
    if (mark == 0) break;  // end mark
    ArchiveEntry e;
    if (const ListResult r = ReadEntryAt(source, offset, e); r != ListResult::kOk)
      return r == ListResult::kNotAnArchive && offset > start ? ListResult::kDamaged : r;
    offset += e.TotalSize();
    visit(e);
  }
  return ListResult::kOk;
}

}  // namespace

ListResult ListArchive(RandomSource& source, std::vector<ArchiveEntry>& entries) {
  entries.clear();
  return VisitArchive(source, [&](ArchiveEntry& e) { entries.push_back(std::move(e)); });
}

ListResult ListArchiveFrom(RandomSource& source, uint64_t start,
                           const std::function<void(ArchiveEntry&)>& visit) {
  return VisitArchive(source, visit, start);
}

ListResult FindArchiveStart(RandomSource& source, uint64_t& start) {
  start = 0;
  ArchiveEntry e;
  const ListResult first = ReadEntryAt(source, 0, e);
  if (first != ListResult::kNotAnArchive) return first;
  // A self-extracting program: the archive follows its code. A method name
  // found in the code itself fails the header checks; a whole header there
  // (a stub may carry a small archive of its own, a usage text) is taken
  // only when the entries from it chain to the end mark or the end of the
  // file. Failing that, the first whole header: a damaged archive lists as
  // far as it goes.
  const uint64_t limit = std::min<uint64_t>(source.Size(), kSfxSearchLimit);
  std::optional<uint64_t> first_header;
  // Headers of chains that broke: each would break at the same place again.
  std::unordered_set<uint64_t> broken;
  std::vector<uint8_t> chunk(64 * 1024 + 8);
  for (uint64_t at = 0; at < limit; at += chunk.size() - 8) {
    size_t got = 0;
    if (!source.ReadAt(at, chunk.data(), chunk.size(), got)) return ListResult::kReadError;
    for (size_t i = 0; i + 7 <= got && at + i < limit; ++i) {
      const uint8_t* m = chunk.data() + i + 2;
      if (m[0] != '-' || m[4] != '-' || (m[1] != 'l' && m[1] != 'p')) continue;
      if (broken.contains(at + i) || ReadEntryAt(source, at + i, e) != ListResult::kOk) continue;
      if (!first_header) first_header = at + i;
      std::vector<uint64_t> chain;
      const ListResult r = VisitArchive(
          source, [&](ArchiveEntry& c) { chain.push_back(c.offset); }, at + i);
      if (r == ListResult::kReadError) return r;
      if (r == ListResult::kOk) {
        start = at + i;
        return ListResult::kOk;
      }
      broken.insert(chain.begin(), chain.end());
    }
    if (got < chunk.size()) break;
  }
  if (!first_header) return ListResult::kNotAnArchive;
  start = *first_header;
  return ListResult::kOk;
}

ListResult ListKept(RandomSource& source, const std::function<bool(const EntryHeader&)>& take,
                    std::vector<KeptEntry>& kept) {
  kept.clear();
  return VisitArchive(source, [&](ArchiveEntry& e) {
    if (take(e.header)) kept.push_back(KeptEntry::Of(e));
  });
}

}  // namespace yx::lha
