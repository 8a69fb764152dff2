#pragma once
// MacLHA stores each file as MacBinary: a 128-byte header, the data fork and
// the resource fork, each padded to 128 bytes. Extraction on Windows writes
// the data fork alone, as Mac-aware extractors do; the resource fork means
// nothing here. A MacBinary file is known by its header (the zero fields,
// the name's length, the header's CRC, fork lengths that fill the entry),
// never by the archive's OS id alone: a plain file in a Mac archive stays as
// it is.
#include <cstddef>
#include <cstdint>

#include "lha/core/header.h"
#include "lha/core/stream.h"

namespace yx::lha {

inline constexpr size_t kMacBinaryHeaderSize = 128;

// Where the data fork lies in an entry of `total` bytes that begins with
// `header`; nothing when `header` is not a MacBinary II or III header whose
// forks fill exactly those bytes.
struct DataFork {
  uint64_t offset = 0;
  uint64_t size = 0;
};
[[nodiscard]] bool FindDataFork(const uint8_t (&header)[kMacBinaryHeaderSize], uint64_t total,
                                DataFork& fork);

// Passes an entry's decoded bytes on to `to`, only its data fork when they
// turn out to be MacBinary. The first 128 bytes are held back until they can
// be judged; an entry too short to be MacBinary passes on as it is.
class DataForkSink : public ByteSink {
 public:
  DataForkSink(ByteSink& to, uint64_t total) : to_(to), total_(total) {}
  [[nodiscard]] bool Write(const uint8_t* data, size_t size) override;

 private:
  ByteSink& to_;
  const uint64_t total_;
  uint8_t header_[kMacBinaryHeaderSize] = {};
  uint64_t seen_ = 0;  // bytes given so far
  bool judged_ = false;
  bool mac_binary_ = false;
  DataFork fork_;
};

// MacLHA's OS id; only its entries are looked at.
[[nodiscard]] inline bool MayHoldMacBinary(const EntryHeader& h) { return h.os_id == 'm'; }

}  // namespace yx::lha
