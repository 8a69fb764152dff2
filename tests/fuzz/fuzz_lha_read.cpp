// Any bytes as an archive: the header reader finds and lists the entries (a
// self-extracting program's search and its chain check included, level-0
// extensions, comments after a NUL in a name), the path check splits their
// names and takes off a root, and every entry is decoded whatever its method,
// through the MacBinary data-fork filter. Nothing may crash, hang or read out
// of bounds; a decoder never yields more than the header's size, the filter
// never more than it was given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lha/core/archive_reader.h"
#include "lha/core/entry_decoder.h"
#include "lha/core/entry_path.h"
#include "lha/core/mac_binary.h"

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
    parts = WidePathParts(e.header);
    bool root_removed = false;
    if (CheckPath(parts, &root_removed) == PathVerdict::kOk && parts.empty()) __builtin_trap();
    (void)StoredPathParts(e.header);
    if (e.header.name.find('\0') != std::string::npos) __builtin_trap();
    // A bomb's stated size is decoded only as far as its data reaches.
    if (e.header.original_size > (uint64_t{64} << 20)) continue;
    Counter out, fork;
    DataForkSink data_fork(fork, e.header.original_size);
    struct Both : ByteSink {
      ByteSink* a;
      ByteSink* b;
      bool Write(const uint8_t* d, size_t n) override { return a->Write(d, n) && b->Write(d, n); }
    } both;
    both.a = &out;
    both.b = &data_fork;
    const DecodeStatus s = decoder.Decode(source, e, &both);
    if (out.total > e.header.original_size || fork.total > out.total) __builtin_trap();
    // A folder has no data, whatever size its header states.
    if (s == DecodeStatus::kOk && !e.header.IsDirectory() && out.total != e.header.original_size)
      __builtin_trap();
  }
  return 0;
}
