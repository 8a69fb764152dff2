#pragma once
// The archive's check of itself, before it replaces the old one: the new
// archive is read back from its file, every entry added is decoded, and its
// CRC-16 and size are compared with what the writer read from the source.
// The entries kept from the old archive were copied byte for byte and
// checked when they were added: their headers must come back as they were.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "lha/core/archive_reader.h"
#include "lha/core/stream.h"

namespace yx::lha {

// Where the writer put one new entry, and what it read from its source
// (nothing for a folder).
struct EntrySum {
  uint64_t offset = 0;  // of the header in the archive
  uint64_t size = 0;
  uint16_t crc = 0;
};

enum class CheckStatus { kOk, kReadError, kMismatch };

struct CheckResult {
  CheckStatus status = CheckStatus::kOk;
  size_t failed_entry = 0;  // index into the new entries, for a mismatch there
};

// `open` gives a reader of the new archive; each of `workers` threads opens
// its own. `kept` lie at its start, then one entry per sum of `added`, then
// the end mark. Nothing is listed ahead: the check holds no more than the
// sums, whatever the number of entries.
[[nodiscard]] CheckResult CheckArchive(const std::function<std::unique_ptr<RandomSource>()>& open,
                                       std::span<const KeptEntry> kept,
                                       std::span<const EntrySum> added, int workers);

}  // namespace yx::lha
