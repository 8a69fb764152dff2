// A file of more than 4 GiB: the 64-bit sizes go into the 0x42 ext header,
// the 32-bit fields keep the low halves, and bsdtar, the one decoder here that
// reads 0x42 (lhasa and 7-Zip take the 32-bit fields only), gets every byte
// back with its CRC. The content is generated, so nothing of that size is read.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>

#include "lha/core/archive_reader.h"
#include "lha/core/archive_writer.h"
#include "posix_support.h"

namespace yx::lha::test {
namespace {

constexpr uint64_t kSize = (uint64_t{1} << 32) + 123457;

// A block of noise over and over: long matches all the way. Its length is a
// prime, so the last bytes tell whether all of the file came out: output cut
// at a multiple of 2^32 would end elsewhere in the block.
class Repeating : public ContentSource {
 public:
  Repeating() : block_(4093) {
    std::mt19937 rng(7);
    for (auto& b : block_) b = static_cast<uint8_t>(rng());
  }
  bool Read(uint8_t* data, size_t size, size_t& got) override {
    got = static_cast<size_t>(std::min<uint64_t>(size, kSize - at_));
    for (size_t i = 0; i < got;) {
      const size_t in_block = static_cast<size_t>((at_ + i) % block_.size());
      const size_t n = std::min(got - i, block_.size() - in_block);
      std::memcpy(data + i, block_.data() + in_block, n);
      i += n;
    }
    at_ += got;
    return true;
  }
  bool Rewind() override {
    at_ = 0;
    return true;
  }
  [[nodiscard]] uint8_t At(uint64_t offset) const { return block_[offset % block_.size()]; }

 private:
  std::vector<uint8_t> block_;
  uint64_t at_ = 0;
};

TEST(LargeFile, MoreThanFourGiBThroughTheSixtyFourBitSizes) {
  TempDir dir;
  const std::filesystem::path archive = dir.Path() / "big.lzh";
  NewEntry e;
  e.header.name = "big.bin";
  e.header.code_page = 932;
  e.size = kSize;
  e.open = [] { return std::make_unique<Repeating>(); };
  {
    FileSink sink(archive);
    ASSERT_EQ(WriteArchive(nullptr, {}, {&e, 1}, sink).status, WriteStatus::kOk);
  }
  FileRandomSource source(archive);
  std::vector<ArchiveEntry> entries;
  ASSERT_EQ(ListArchive(source, entries), ListResult::kOk);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(std::string(entries[0].header.method.data(), 5), "-lh5-");
  EXPECT_EQ(entries[0].header.original_size, kSize);
  EXPECT_LT(entries[0].data_size, kSize / 100);

  // bsdtar checks the CRC itself; the last bytes show that all of it came out.
  const CommandResult r =
      RunCommand("bash -c " + Quote("set -o pipefail; bsdtar -xOf " + Quote(archive) +
                                    " | tail -c 16 | od -An -tx1"));
  ASSERT_EQ(r.exit_code, 0) << r.output;
  const Repeating expected;
  std::ostringstream tail;
  for (uint64_t at = kSize - 16; at < kSize; ++at) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", expected.At(at));
    tail << hex;
  }
  EXPECT_EQ(r.output, tail.str() + "\n");
}

}  // namespace
}  // namespace yx::lha::test
