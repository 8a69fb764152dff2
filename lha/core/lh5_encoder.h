#pragma once
// Streaming -lh5- compressor: input arrives in pieces of any size, output
// leaves through a ByteSink after every stretch, so a file of any length is
// compressed in a fixed amount of memory (a few hundred KB).
#include <cstdint>
#include <vector>

#include "lha/core/bit_writer.h"
#include "lha/core/lh5_parser.h"
#include "lha/core/stream.h"

namespace yx::lha {

class Lh5Encoder {
 public:
  explicit Lh5Encoder(const ParserOptions& options = {});
  Lh5Encoder(ByteSink& out, const ParserOptions& options = {});
  Lh5Encoder(const Lh5Encoder&) = delete;
  Lh5Encoder& operator=(const Lh5Encoder&) = delete;

  // Begins a new stream into `out`, keeping the memory of the one before:
  // an archive of many small files would otherwise spend its time in the
  // allocator and in fresh pages.
  void Start(ByteSink& out);

  [[nodiscard]] bool Write(const uint8_t* data, size_t size);
  // Compresses what is left and writes the last, padded byte.
  [[nodiscard]] bool Finish();
  // Bytes handed to the sink so far.
  [[nodiscard]] uint64_t PackedSize() const noexcept { return packed_; }
  // True once the blocks written for the first 64 KiB or more of the input
  // came out no smaller than that input: data already compressed, which is
  // better stored than pushed through the rest of the coder.
  [[nodiscard]] bool Incompressible() const noexcept;

 private:
  // Parses and codes the buffered input up to where a match may still need
  // more input to see its whole length (or all of it when `last`).
  [[nodiscard]] bool CodeStretch(bool last);
  [[nodiscard]] bool Drain();

  ByteSink* out_ = nullptr;
  Lh5Parser parser_;
  std::vector<uint8_t> buffer_;
  size_t size_ = 0;  // bytes in buffer_
  size_t next_ = 0;  // first position not yet parsed
  // Symbols of the last block of the stretch before: they may still share
  // their tables with the next stretch's first block.
  std::vector<uint32_t> symbols_;
  size_t carried_ = 0;  // symbols at the front of symbols_ that waited already
  Histogram waiting_;   // of symbols_
  BitWriter bits_;
  std::vector<uint8_t> bytes_;
  uint64_t packed_ = 0;
  uint64_t blocks_bits_ = 0;   // bits of the blocks written so far
  uint64_t blocks_input_ = 0;  // input bytes those blocks cover
  bool failed_ = false;
};

}  // namespace yx::lha
