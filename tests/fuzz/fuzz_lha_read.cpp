// Any bytes as an archive: the header reader finds and lists the entries (a
// self-extracting program's search included), the path check splits their
// names, and every entry is decoded whatever its method. Nothing may crash,
// hang or read out of bounds; a decoder never yields more than the header's
// size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lha/core/archive_reader.h"
#include "lha/core/entry_decoder.h"
#include "lha/core/entry_path.h"

namespace {

class Bytes : public yx::lha::RandomSource {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, uint8_t* out, size_t size, size_t& got) override {
    got = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(size, size_ - offset));
    if (got) std::memcpy(out, data_ + offset, got);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

class Counter : public yx::lha::ByteSink {
 public:
  bool Write(const uint8_t*, size_t size) override {
    total += size;
    return true;
  }
  uint64_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace yx::lha;
  Bytes source(data, size);
  uint64_t start = 0;
  if (FindArchiveStart(source, start) != ListResult::kOk) return 0;
  std::vector<ArchiveEntry> entries;
  (void)ListArchiveFrom(source, start, [&](ArchiveEntry& e) { entries.push_back(e); });
  EntryDecoder decoder;
  for (const ArchiveEntry& e : entries) {
    std::vector<std::u16string> parts = WidePathParts(e.header);
    (void)CheckPath(parts);
    (void)StoredPathParts(e.header);
    // A bomb's stated size is decoded only as far as its data reaches.
    if (e.header.original_size > (uint64_t{64} << 20)) continue;
    Counter out;
    const DecodeStatus s = decoder.Decode(source, e, &out);
    if (out.total > e.header.original_size) __builtin_trap();
    if (s == DecodeStatus::kOk && out.total != e.header.original_size) __builtin_trap();
  }
  return 0;
}
