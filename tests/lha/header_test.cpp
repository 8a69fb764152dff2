#include "lha/core/header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lha/core/crc16.h"

namespace yx::lha {
namespace {

uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// The ext headers of a level-2 header: type -> data.
std::vector<std::pair<uint8_t, std::vector<uint8_t>>> Exts(const std::vector<uint8_t>& b) {
  std::vector<std::pair<uint8_t, std::vector<uint8_t>>> out;
  size_t at = 26;
  for (uint16_t next = Get16(b, 24); next != 0; next = Get16(b, at - 2)) {
    out.emplace_back(b[at], std::vector<uint8_t>(b.begin() + at + 1, b.begin() + at + next - 2));
    at += next;
  }
  EXPECT_EQ(at, b.size());
  return out;
}

EntryHeader SampleFile() {
  EntryHeader h;
  h.SetMethod(kMethodLh5);
  h.packed_size = 1234;
  h.original_size = 5678;
  h.unix_time = 0x5F5E1000;
  h.crc = 0xBEEF;
  h.name = "\x95\x5C.txt";  // 表.txt: trail byte is a backslash
  h.directory =
      "Work\xFF"
      "sub\xFF";
  h.wide_name = u"表.txt";
  h.wide_directory = u"Work\xFFFFsub\xFFFF";
  h.attributes = 0x21;  // read-only: more than the base part says
  h.times = WindowsTimes{1, 2, 3};
  h.code_page = 932;
  return h;
}

TEST(Level2Header, LayoutOfBaseAndExtHeaders) {
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeLevel2Header(SampleFile(), b));
  EXPECT_EQ(Get16(b, 0), b.size());
  EXPECT_EQ(std::string(b.begin() + 2, b.begin() + 7), "-lh5-");
  EXPECT_EQ(b[19], 0x20);
  EXPECT_EQ(b[20], 2);
  EXPECT_EQ(Get16(b, 21), 0xBEEF);
  EXPECT_EQ(b[23], 'M');
  const auto exts = Exts(b);
  std::vector<uint8_t> types;
  for (const auto& [t, d] : exts) types.push_back(t);
  EXPECT_EQ(types, (std::vector<uint8_t>{0x00, 0x01, 0x02, 0x40, 0x41, 0x46, 0x44, 0x45}));
  EXPECT_EQ(exts[1].second, (std::vector<uint8_t>{0x95, 0x5C, '.', 't', 'x', 't'}));
  EXPECT_EQ(exts[2].second.back(), 0xFF);
  EXPECT_EQ(exts[4].second.size(), 24u);
  EXPECT_EQ(exts[5].second, (std::vector<uint8_t>{0xA4, 0x03, 0, 0}));  // 932
  // Header CRC: over the whole header with its own field zero.
  std::vector<uint8_t> zeroed = b;
  const size_t crc_at = 27;
  zeroed[crc_at] = zeroed[crc_at + 1] = 0;
  EXPECT_EQ(Get16(b, crc_at), ComputeCrc16(zeroed.data(), zeroed.size()));
}

TEST(Level2Header, ParseGivesBackWhatWasEncoded) {
  const EntryHeader h = SampleFile();
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeLevel2Header(h, b));
  EntryHeader back;
  uint64_t data_size = 0;
  ASSERT_EQ(ParseHeader(b.data(), b.size(), back, data_size), ParseResult::kOk);
  EXPECT_EQ(data_size, 1234u);
  EXPECT_EQ(back.original_size, 5678u);
  EXPECT_EQ(back.name, h.name);
  EXPECT_EQ(back.directory, h.directory);
  EXPECT_EQ(back.wide_name, h.wide_name);
  EXPECT_EQ(back.wide_directory, h.wide_directory);
  EXPECT_EQ(back.times->access, 3u);
  EXPECT_EQ(back.attributes, 0x21);
  EXPECT_EQ(back.code_page, 932u);
  EXPECT_EQ(back.crc, 0xBEEF);
}

// What the base part says already is left out: attributes 0x20 on a file and
// 0x10 on a folder, the code page of names in plain ASCII. A parse gives
// those attributes back.
TEST(Level2Header, PlainEntriesLeaveOutWhatTheBasePartSays) {
  for (const bool folder : {false, true}) {
    EntryHeader h;
    if (folder) h.SetMethod(kMethodDirectory);
    h.name = folder ? "" : "readme.txt";
    h.directory = "Work\xFF";
    h.attributes = folder ? 0x10 : 0x20;
    h.code_page = 932;
    std::vector<uint8_t> b;
    ASSERT_TRUE(EncodeLevel2Header(h, b));
    std::vector<uint8_t> types;
    for (const auto& [t, d] : Exts(b)) types.push_back(t);
    EXPECT_EQ(types, (std::vector<uint8_t>{0x00, 0x01, 0x02})) << folder;
    EntryHeader back;
    uint64_t data_size = 0;
    ASSERT_EQ(ParseHeader(b.data(), b.size(), back, data_size), ParseResult::kOk);
    EXPECT_EQ(back.attributes, h.attributes);
    EXPECT_FALSE(back.code_page.has_value());
    // A file without the archive bit needs the ext header.
    h.attributes = folder ? 0x30 : 0x00;
    ASSERT_TRUE(EncodeLevel2Header(h, b));
    ASSERT_EQ(ParseHeader(b.data(), b.size(), back, data_size), ParseResult::kOk);
    EXPECT_EQ(back.attributes, h.attributes);
  }
}

TEST(Level2Header, EveryFlippedByteIsNoticed) {
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeLevel2Header(SampleFile(), b));
  for (size_t i = 0; i < b.size(); ++i) {
    std::vector<uint8_t> bad = b;
    bad[i] ^= 0x10;
    EntryHeader h;
    uint64_t size = 0;
    EXPECT_NE(ParseHeader(bad.data(), bad.size(), h, size), ParseResult::kOk) << "byte " << i;
  }
}

TEST(Level2Header, SizeWithLowByteZeroGrowsByTheInfoByte) {
  EntryHeader h;
  h.SetMethod(kMethodStored);
  int grown = 0;
  for (size_t name_len = 1; name_len < 600; ++name_len) {
    h.name.assign(name_len, 'a');
    std::vector<uint8_t> b;
    ASSERT_TRUE(EncodeLevel2Header(h, b));
    EXPECT_NE(b.size() & 0xFF, 0u) << name_len;
    EXPECT_EQ(Get16(b, 0), b.size());
    if (Get16(b, 24) == 6) {  // 0x00 holds the CRC and the info byte
      ++grown;
      EXPECT_EQ(b.size() & 0xFF, 1u);
    }
  }
  EXPECT_EQ(grown, 2);  // once for 256, once for 512
}

TEST(Level2Header, SixtyFourBitSizesOnlyFromFourGiB) {
  EntryHeader h;
  h.SetMethod(kMethodLh5);
  h.name = "big";
  h.original_size = (uint64_t{1} << 32) - 1;
  h.packed_size = 10;
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeLevel2Header(h, b));
  for (const auto& [t, d] : Exts(b)) EXPECT_NE(t, 0x42);

  h.original_size = (uint64_t{5} << 30) + 7;
  h.packed_size = (uint64_t{1} << 32) + 3;
  ASSERT_TRUE(EncodeLevel2Header(h, b));
  bool found = false;
  for (const auto& [t, d] : Exts(b)) {
    if (t != 0x42) continue;
    found = true;
    ASSERT_EQ(d.size(), 16u);
    uint64_t packed = 0, original = 0;
    std::memcpy(&packed, d.data(), 8);
    std::memcpy(&original, d.data() + 8, 8);
    EXPECT_EQ(packed, h.packed_size);
    EXPECT_EQ(original, h.original_size);
  }
  EXPECT_TRUE(found);
  EntryHeader back;
  uint64_t data_size = 0;
  ASSERT_EQ(ParseHeader(b.data(), b.size(), back, data_size), ParseResult::kOk);
  EXPECT_EQ(data_size, h.packed_size);
  EXPECT_EQ(back.original_size, h.original_size);
}

TEST(Level2Header, NamesTooLongForTheSizeFieldAreRefused) {
  EntryHeader h;
  h.name.assign(40000, 'a');
  h.wide_name = std::u16string(40000, u'a');
  std::vector<uint8_t> b;
  EXPECT_FALSE(EncodeLevel2Header(h, b));
}

TEST(Level2Header, DirectoryEntryHasAnEmptyName) {
  EntryHeader h;
  h.SetMethod(kMethodDirectory);
  h.directory =
      "Work\xFF"
      "empty\xFF";
  h.attributes = 0x10;
  std::vector<uint8_t> b;
  ASSERT_TRUE(EncodeLevel2Header(h, b));
  const auto exts = Exts(b);
  ASSERT_GE(exts.size(), 3u);
  EXPECT_EQ(exts[1].first, 0x01);
  EXPECT_TRUE(exts[1].second.empty());
  EntryHeader back;
  uint64_t data_size = 1;
  ASSERT_EQ(ParseHeader(b.data(), b.size(), back, data_size), ParseResult::kOk);
  EXPECT_TRUE(back.IsDirectory());
  EXPECT_EQ(data_size, 0u);
}

// A level-1 header as the format describes it: its checksum over the base
// part, the name in the base part, ext headers counted in the packed size.
TEST(LegacyHeaders, LevelOneWithFolderExt) {
  std::vector<uint8_t> b = {0, 0, '-', 'l', 'h', '5', '-'};
  const std::string name = "a.c";
  const std::vector<uint8_t> dir_ext = {0x02, 's', 'r', 'c', 0xFF, 0, 0};  // + next size 0
  const uint32_t packed = 100 + static_cast<uint32_t>(dir_ext.size());
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(packed >> (8 * k)));
  for (uint8_t x : {200, 0, 0, 0, 0, 0, 0, 0}) b.push_back(x);  // original 200, DOS time
  b.push_back(0x20);
  b.push_back(1);
  b.push_back(static_cast<uint8_t>(name.size()));
  b.insert(b.end(), name.begin(), name.end());
  b.push_back(0x34);
  b.push_back(0x12);
  b.push_back('U');
  b.push_back(static_cast<uint8_t>(dir_ext.size()));  // first ext size
  b.push_back(0);
  b[0] = static_cast<uint8_t>(b.size() - 2);
  unsigned sum = 0;
  for (size_t i = 2; i < b.size(); ++i) sum += b[i];
  b[1] = static_cast<uint8_t>(sum);
  b.insert(b.end(), dir_ext.begin(), dir_ext.end());

  EntryHeader h;
  uint64_t data_size = 0;
  ASSERT_EQ(ParseHeader(b.data(), b.size(), h, data_size), ParseResult::kOk);
  EXPECT_EQ(h.level, 1);
  EXPECT_EQ(data_size, 100u);
  EXPECT_EQ(h.name, "a.c");
  EXPECT_EQ(h.directory, "src\xFF");
  EXPECT_EQ(h.crc, 0x1234);
  b[9] ^= 1;  // the checksum no longer fits
  EXPECT_EQ(ParseHeader(b.data(), b.size(), h, data_size), ParseResult::kDamaged);
}

TEST(LegacyHeaders, LevelZeroPathSplitsOnWholeCharacterBackslashes) {
  std::vector<uint8_t> b = {0, 0, '-', 'l', 'h', '0', '-', 5, 0,    0, 0,
                            5, 0, 0,   0,   0,   0,   0,   0, 0x20, 0};
  const std::string path = "dir\\\x95\x5Cx";  // dir\表x: the 5C after 95 is no separator
  b.push_back(static_cast<uint8_t>(path.size()));
  b.insert(b.end(), path.begin(), path.end());
  b.push_back(0);
  b.push_back(0);
  b[0] = static_cast<uint8_t>(b.size() - 2);
  unsigned sum = 0;
  for (size_t i = 2; i < b.size(); ++i) sum += b[i];
  b[1] = static_cast<uint8_t>(sum);
  EntryHeader h;
  uint64_t data_size = 0;
  ASSERT_EQ(ParseHeader(b.data(), b.size(), h, data_size), ParseResult::kOk);
  EXPECT_EQ(h.directory, "dir\xFF");
  EXPECT_EQ(h.name, "\x95\x5Cx");
  EXPECT_EQ(data_size, 5u);
}

}  // namespace
}  // namespace yx::lha
