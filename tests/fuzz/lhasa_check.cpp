#include "lhasa_check.h"

#include <lhasa.h>

#include <algorithm>
#include <cstring>

namespace yx::fuzz {
namespace {

struct Memory {
  const uint8_t* data;
  size_t size;
  size_t at = 0;

  size_t Take(void* out, size_t n) {
    n = std::min(n, size - at);
    if (n) std::memcpy(out, data + at, n);
    at += n;
    return n;
  }
};

size_t FeedDecoder(void* out, size_t n, void* memory) {
  return static_cast<Memory*>(memory)->Take(out, n);
}

int FeedReader(void* memory, void* out, size_t n) {
  return static_cast<int>(static_cast<Memory*>(memory)->Take(out, n));
}

template <typename Read>
std::vector<uint8_t> ReadAll(Read read) {
  std::vector<uint8_t> all;
  uint8_t piece[4096];
  for (size_t n; (n = read(piece, sizeof piece)) > 0;) all.insert(all.end(), piece, piece + n);
  return all;
}

}  // namespace

std::vector<uint8_t> LhasaDecodeLh5(const uint8_t* packed, size_t packed_size,
                                    size_t original_size) {
  Memory memory{packed, packed_size};
  char method[] = "-lh5-";
  LHADecoder* decoder =
      lha_decoder_new(lha_decoder_for_name(method), FeedDecoder, &memory, original_size);
  if (!decoder) return {};
  std::vector<uint8_t> out =
      ReadAll([&](uint8_t* buf, size_t n) { return lha_decoder_read(decoder, buf, n); });
  lha_decoder_free(decoder);
  return out;
}

std::vector<LhasaEntry> LhasaExtract(const std::vector<uint8_t>& archive) {
  static const LHAInputStreamType kMemoryStream = {FeedReader, nullptr, nullptr};
  Memory memory{archive.data(), archive.size()};
  LHAInputStream* stream = lha_input_stream_new(&kMemoryStream, &memory);
  LHAReader* reader = lha_reader_new(stream);
  std::vector<LhasaEntry> entries;
  while (LHAFileHeader* h = lha_reader_next_file(reader)) {
    entries.push_back(
        {h->filename ? h->filename : "", h->compress_method,
         ReadAll([&](uint8_t* buf, size_t n) { return lha_reader_read(reader, buf, n); })});
  }
  lha_reader_free(reader);
  lha_input_stream_free(stream);
  return entries;
}

}  // namespace yx::fuzz
