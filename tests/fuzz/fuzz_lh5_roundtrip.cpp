// The -lh5- encoder and the archive writer on any content, handed over in
// pieces of any size: the stream must decode back to the content with the
// separately written decoder of lh5_check_decoder.cpp, and the archive's
// one entry must say the right sizes, method and CRC.
//
// With YX_FUZZ_ARCHIVES set to a folder, each archive is also written there,
// so that tools/fuzz.sh can have Debian's lhasa test the corpus's archives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lh5_check_decoder.h"
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
  MemoryContent(const uint8_t* data, size_t size, size_t piece) : data_(data), size_(size), piece_(piece) {}
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

void KeepForLhasa(const std::vector<uint8_t>& archive) {
  const char* folder = std::getenv("YX_FUZZ_ARCHIVES");
  if (!folder) return;
  static int n = 0;
  const std::string path = std::string(folder) + "/" + std::to_string(++n) + ".lzh";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(archive.data(), 1, archive.size(), f);
    std::fclose(f);
  }
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
  std::vector<uint8_t> decoded;
  Check(yx::fuzz::DecodeLh5(stream.bytes.data(), stream.bytes.size(), length, decoded));
  Check(decoded.size() == length && (length == 0 || std::memcmp(decoded.data(), content, length) == 0));

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
  KeepForLhasa(archive.bytes);

  MemoryArchive reader(archive.bytes);
  std::vector<ArchiveEntry> entries;
  Check(ListArchive(reader, entries) == ListResult::kOk);
  Check(entries.size() == 1);
  const ArchiveEntry& e = entries[0];
  Check(e.header.name == "fuzz.bin");
  Check(e.header.original_size == length);
  Check(e.header.packed_size == e.data_size);
  Check(e.header.crc == yx::fuzz::Crc16Reference(content, length));
  Check(e.offset + e.TotalSize() + 1 == archive.bytes.size());
  const uint8_t* packed = archive.bytes.data() + e.offset + e.header_size;
  const std::string method(e.header.method.data(), 5);
  if (method == "-lh0-") {
    Check(e.data_size == length && (length == 0 || std::memcmp(packed, content, length) == 0));
  } else {
    Check(method == "-lh5-");
    Check(e.data_size < length);  // stored instead whenever packing does not pay
    Check(yx::fuzz::DecodeLh5(packed, e.data_size, length, decoded));
    Check(decoded.size() == length && (length == 0 || std::memcmp(decoded.data(), content, length) == 0));
  }
  return 0;
}
