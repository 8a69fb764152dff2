#pragma once
// A backup's catalog: the run that wrote it, and every folder and file the
// backup holds with its size, last-write time, attributes, whether the run
// copied it or linked it to an earlier copy, and the hash of its bytes.
//
// On disk (version 2), little-endian, varints as in catalog_bytes.h:
//   "YXCT", version byte,
//   head: varint length, then the run (id, kind, sources, outcome, counts),
//   XXH3-64 of everything before it (8 bytes): the list of backups reads
//   only this far;
//   index: varint length, then the varint count of blocks and for each its
//   first path (front-coded against the block before's first path: varint
//   bytes shared, varint length and WTF-8 bytes of the rest), its varint
//   length and its XXH3-64 (8 bytes); XXH3-64 of the index (8 bytes);
//   the blocks, one after the other to the end of the file, each up to 256
//   entries, paths front-coded from an empty one so that a block reads
//   alone: a flag byte (folder, linked, located), varint attributes, the
//   last-write time as a zigzag varint difference from the entry before
//   (from 0 in a block's first), the creation time (varint: 0 unknown, else
//   one more than the zigzag difference from the last-write time), and for a
//   file its size (varint), its hash (16 bytes) and in an archive its
//   header's offset.
// Entries stand in the order of their WTF-8 paths with ASCII letters as
// capitals, then of the paths as they are: every spelling of a name the
// restore takes for one stands together, so a lookup whatever the case reads
// the index and one block (two where they straddle an edge).
// Version 1, still read: the same head, then a varint count and every entry
// (without creation time) front-coded in one run sorted by UTF-16 code
// units, and XXH3-64 of the whole file.
// A catalog that fails any check is refused whole: its backup is then read
// as if it had none.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/content_hash.h"

namespace yx::catalog {

inline constexpr uint8_t kVersion = 2;

enum class Kind : uint8_t { kCopy, kArchive };
enum class Outcome : uint8_t { kDone, kCancelled, kFailed };

struct Run {
  std::string id;  // yymmdd_hhnn
  Kind kind = Kind::kCopy;
  std::vector<std::string> sources;  // CP932, as the run named them
  Outcome outcome = Outcome::kDone;
  uint64_t files = 0, folders = 0, linked = 0, copied = 0;
  uint64_t bytes = 0;         // of every file the backup holds
  uint64_t copied_bytes = 0;  // written by the run; a linked file costs none
  friend bool operator==(const Run&, const Run&) = default;
};

struct Entry {
  std::u16string path;  // below the backup, u"Work\\a.txt"; no final backslash
  bool folder = false;
  bool linked = false;
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint64_t modified = 0;  // FILETIME
  uint64_t created = 0;   // FILETIME; 0 when not known
  uint64_t locator = 0;   // an archive's: the offset of the entry's header
  Hash128 hash{};         // of a file's bytes as the backup holds them
  friend bool operator==(const Entry&, const Entry&) = default;
};

struct Catalog {
  Run run;
  std::vector<Entry> entries;  // sorted by path, each path once
  // The entry of exactly that path, or null.
  [[nodiscard]] const Entry* Find(std::u16string_view path) const;
  friend bool operator==(const Catalog&, const Catalog&) = default;
};

enum class Refusal {
  kNone,
  kDamaged,       // not a catalog, cut short, or its checksum fails
  kLaterVersion,  // written by a later version of the program
  kForeignPath,   // names a path outside its backup, or a name Windows forbids
};

// The catalog's bytes, in the current version; the entries are sorted here.
[[nodiscard]] std::string Encode(const Catalog& catalog);

// The run alone, from the first bytes of a catalog: kHeadBytes hold it for
// any ordinary run; a head beyond them (sources of very long names) reads as
// kDamaged until the whole file is given.
inline constexpr size_t kHeadBytes = 4096;
[[nodiscard]] Refusal DecodeRun(std::string_view bytes, Run& run);
[[nodiscard]] Refusal Decode(std::string_view bytes, Catalog& catalog);
// One path's entry, without building the others: the versions of a file ask
// this of every backup. ASCII letters match whatever their case, as the
// restore compares names; an entry of exactly that path is preferred.
// `found` is empty when the catalog lacks the path.
[[nodiscard]] Refusal FindIn(std::string_view bytes, std::u16string_view path,
                             std::optional<Entry>& found);

// Where a lookup reads a catalog from, a piece at a time: its file, without
// reading the rest of it.
class Source {
 public:
  virtual ~Source() = default;
  [[nodiscard]] virtual uint64_t Size() const = 0;
  // `size` bytes at `offset`, both within Size(); false when they do not read.
  [[nodiscard]] virtual bool Read(uint64_t offset, size_t size, std::string& bytes) = 0;
};
// The same lookup reading the head, the index and the one block the path
// lies in (a version 1 catalog whole). A source that fails reads as kDamaged.
[[nodiscard]] Refusal FindIn(Source& source, std::u16string_view path, std::optional<Entry>& found);

// One line for the user: why a catalog was set aside (CP932).
[[nodiscard]] std::string RefusalText(Refusal refusal);

}  // namespace yx::catalog
