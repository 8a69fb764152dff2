#pragma once
// Decodes one entry's data, whatever its method, and checks it against the
// header: the one place that knows which methods this library reads.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lha/core/archive_reader.h"
#include "lha/core/lh5_decoder.h"
#include "lha/core/stream.h"

namespace yx::lha {

enum class Method { kStored, kLh1, kLh5Family, kLzs, kLz5, kDirectory, kUnsupported };

// The method of `h`, and for -lh4- to -lh7- the window's bits.
[[nodiscard]] Method MethodOf(const EntryHeader& h, int* window_bits = nullptr);
[[nodiscard]] std::string MethodName(const EntryHeader& h);

enum class DecodeStatus {
  kOk,
  kUnsupported,  // a method this library does not decode
  kDamaged,      // the data cannot be decoded, or ends too soon
  kLonger,       // the data holds more than the header's size: cut there
  kCrcMismatch,
  kReadError,
  kWriteError,  // `out` refused the bytes
};

// Keeps the decoders' windows between entries (an -lh7- window is 64 KiB).
class EntryDecoder {
 public:
  // Decodes the data of `e` from `source` into `out` (nothing written when
  // null), never more than the header's original size, and checks its CRC.
  [[nodiscard]] DecodeStatus Decode(RandomSource& source, const ArchiveEntry& e, ByteSink* out);

 private:
  std::unique_ptr<Lh5Decoder> lh5_;
  int lh5_bits_ = 0;
  std::vector<uint8_t> buffer_;
};

}  // namespace yx::lha
