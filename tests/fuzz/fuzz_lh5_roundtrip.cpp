// The -lh5- encoder and the archive writer on any content, handed over in
// pieces of any size: the stream must decode back to the content with
// Debian's lhasa, and the archive's one entry must say the right sizes,
// method and CRC, and come out of lhasa's reader whole.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lhasa_check.h"
#include "lha/core/archive_reader.h"
#include "lha/core/archive_writer.h"
#include "lha/core/lh5_encoder.h"

namespace {

using namespace yx::lha;

void Check(bool holds) {
  if (!holds) std::abort();
}

class MemorySink final : public ArchiveSink {
 public:
  bool Write(const uint8_t* data, size_t size) override {
    if (pos_ + size > bytes.size()) bytes.resize(pos_ + size);
    if (size) std::memcpy(bytes.data() + pos_, data, size);
    pos_ += size;
    return true;
  }
  uint64_t Position() const override { return pos_; }
  bool Seek(uint64_t position) override {
    if (position > bytes.size()) return false;
    pos_ = static_cast<size_t>(position);
    return true;
  }
  bool Truncate() override {
    bytes.resize(pos_);
    return true;
  }
  std::vector<uint8_t> bytes;

 private:
  size_t pos_ = 0;
};

// The content, read back in pieces of `piece` bytes.
class MemoryContent final : public ContentSource {
 public:
  MemoryContent(const uint8_t* data, size_t size, size_t piece)
      : data_(data), size_(size), piece_(piece) {}
  bool Read(uint8_t* out, size_t size, size_t& got) override {
    got = std::min({size, piece_, size_ - pos_});
    if (got) std::memcpy(out, data_ + pos_, got);
    pos_ += got;
    // A short read only at the end: keep reading until the request is met.
    while (got < size && pos_ < size_) {
      const size_t more = std::min({size - got, piece_, size_ - pos_});
      std::memcpy(out + got, data_ + pos_, more);
      got += more;
      pos_ += more;
    }
    return true;
  }
  bool Rewind() override {
    pos_ = 0;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_, piece_, pos_ = 0;
};

class MemoryArchive final : public RandomSource {
 public:
  explicit MemoryArchive(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, uint8_t* data, size_t size, size_t& got) override {
    got = offset >= bytes_.size() ? 0 : std::min<size_t>(size, bytes_.size() - offset);
    if (got) std::memcpy(data, bytes_.data() + offset, got);
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
};

// CRC-16 as LHA uses it (reflected 0xA001, start 0), bit by bit.
uint16_t BitwiseCrc16(const uint8_t* data, size_t size) {
  uint16_t crc = 0;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int b = 0; b < 8; ++b)
      crc =
          (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
  }
  return crc;
}

bool SameBytes(const std::vector<uint8_t>& a, const uint8_t* b, size_t size) {
  return a.size() == size && (size == 0 || std::memcmp(a.data(), b, size) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the piece size and the search depth.
  const size_t piece = 1 + (static_cast<size_t>(data[0]) << 5 | (data[1] & 31u)) * 3;
  ParserOptions options;
  options.max_depth = (data[1] >> 5) == 0 ? 1 : 8 * (data[1] >> 5);
  const uint8_t* content = data + 2;
  const size_t length = size - 2;

  // The bare stream, fed in pieces.
  MemorySink stream;
  {
    Lh5Encoder encoder(stream, options);
    for (size_t at = 0; at < length; at += piece)
      Check(encoder.Write(content + at, std::min(piece, length - at)));
    Check(encoder.Finish());
    Check(encoder.PackedSize() == stream.bytes.size());
  }
  Check(SameBytes(yx::fuzz::LhasaDecodeLh5(stream.bytes.data(), stream.bytes.size(), length),
                  content, length));

  // A whole archive of one file.
  NewEntry entry;
  entry.header.name = "fuzz.bin";
  entry.header.unix_time = 1700000000;
  entry.header.code_page = 932;
  entry.size = length;
  entry.open = [&]() -> std::unique_ptr<ContentSource> {
    return std::make_unique<MemoryContent>(content, length, piece);
  };
  MemorySink archive;
  const WriteResult written = WriteArchive(nullptr, {}, {&entry, 1}, archive, options);
  Check(written.status == WriteStatus::kOk);
  Check(!archive.bytes.empty() && archive.bytes.back() == 0);

  MemoryArchive reader(archive.bytes);
  std::vector<ArchiveEntry> entries;
  Check(ListArchive(reader, entries) == ListResult::kOk);
  Check(entries.size() == 1);
  const ArchiveEntry& e = entries[0];
  Check(e.header.name == "fuzz.bin");
  Check(e.header.original_size == length);
  Check(e.header.packed_size == e.data_size);
  Check(e.header.crc == BitwiseCrc16(content, length));
  Check(e.offset + e.TotalSize() + 1 == archive.bytes.size());
  const uint8_t* packed = archive.bytes.data() + e.offset + e.header_size;
  const std::string method(e.header.method.data(), 5);
  if (method == "-lh0-") {
    Check(e.data_size == length && (length == 0 || std::memcmp(packed, content, length) == 0));
  } else {
    Check(method == "-lh5-");
    Check(e.data_size < length);  // stored instead whenever packing does not pay
    Check(SameBytes(yx::fuzz::LhasaDecodeLh5(packed, e.data_size, length), content, length));
  }
  const std::vector<yx::fuzz::LhasaEntry> extracted = yx::fuzz::LhasaExtract(archive.bytes);
  Check(extracted.size() == 1 && extracted[0].name == "fuzz.bin" && extracted[0].method == method);
  Check(SameBytes(extracted[0].content, content, length));
  return 0;
}
