#pragma once
// Streaming -lh5- compressor: input arrives in pieces of any size, output
// leaves through a ByteSink after every stretch, so a file of any length is
// compressed in a fixed amount of memory (under 1 MB).
#include <cstdint>
#include <memory>
#include <vector>

#include "lha/core/bit_writer.h"
#include "lha/core/lh5_parser.h"
#include "lha/core/stream.h"

namespace yx::lha {

class Lh5Encoder {
 public:
  explicit Lh5Encoder(ByteSink& out, const ParserOptions& options = {});
  Lh5Encoder(const Lh5Encoder&) = delete;
  Lh5Encoder& operator=(const Lh5Encoder&) = delete;

  [[nodiscard]] bool Write(const uint8_t* data, size_t size);
  // Compresses what is left and writes the last, padded byte.
  [[nodiscard]] bool Finish();
  // Bytes handed to the sink so far.
  [[nodiscard]] uint64_t PackedSize() const noexcept { return packed_; }

 private:
  // Parses and codes the buffered input up to where a match may still need
  // more input to see its whole length (or all of it when `last`).
  [[nodiscard]] bool CodeStretch(bool last);
  [[nodiscard]] bool Drain();

  ByteSink& out_;
  Lh5Parser parser_;
  std::vector<uint8_t> buffer_;
  size_t size_ = 0;     // bytes in buffer_
  size_t next_ = 0;     // first position not yet parsed
  std::vector<uint32_t> symbols_;
  BitWriter bits_;
  std::vector<uint8_t> bytes_;
  uint64_t packed_ = 0;
  bool failed_ = false;
};

}  // namespace yx::lha
