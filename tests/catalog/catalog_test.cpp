#include "catalog/catalog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/catalog_bytes.h"
#include "support/catalog_v1.h"

namespace yx::catalog {
namespace {

Catalog Sample() {
  Catalog c;
  c.run = {"260105_0905",
           Kind::kCopy,
           {"C:\\Data\\Work\\", "D:\\\x95\x5C\\"},
           Outcome::kFailed,
           3,
           2,
           1,
           2,
           70000,
           5000};
  // Given unsorted: the writer sorts.
  c.entries.push_back({u"Work\\b.txt", false, true, 0x21, 5000, 133000000000000000,
                       132000000000000000, 0, HashOf("bbbbb")});
  c.entries.push_back(
      {u"Work", true, false, 0x10, 0, 132000000000000000, 132000000000000001, 0, {}});
  c.entries.push_back({u"Work\\a\xD83D\xDE00.txt", false, false, 0x20, 65000, 131000000000000000, 0,
                       0, HashOf("a")});
  // A lone surrogate, as an NTFS name may hold one.
  c.entries.push_back({u"Work\\\xDC00", false, false, 0x20, 0, 134000000000000000, 1, 0, {}});
  c.entries.push_back({u"\x8868", true, false, 0x10, 0, 1, 0, 0, {}});
  return c;
}

TEST(Catalog, RoundTripsEveryFieldSortedAndFindsOnePath) {
  const std::string bytes = Encode(Sample());
  Catalog back;
  ASSERT_EQ(Decode(bytes, back), Refusal::kNone);
  Catalog sorted = Sample();
  std::ranges::sort(sorted.entries, {}, &Entry::path);
  EXPECT_EQ(back, sorted);
  catalog::Run run;
  ASSERT_EQ(DecodeRun(bytes.substr(0, 80), run), Refusal::kNone);
  EXPECT_EQ(run, sorted.run);
  std::optional<Entry> found;
  ASSERT_EQ(FindIn(bytes, u"Work\\b.txt", found), Refusal::kNone);
  ASSERT_TRUE(found);
  EXPECT_EQ(*found, *back.Find(u"Work\\b.txt"));
  ASSERT_EQ(FindIn(bytes, u"Work\\c.txt", found), Refusal::kNone);
  EXPECT_FALSE(found);

  Catalog archive = Sample();
  archive.run.kind = Kind::kArchive;
  archive.entries[0].locator = 0;
  archive.entries[2].locator = 123456;
  ASSERT_EQ(Decode(Encode(archive), back), Refusal::kNone);
  EXPECT_EQ(back.Find(u"Work\\a\xD83D\xDE00.txt")->locator, 123456u);
}

TEST(Catalog, FindsAPathWhateverTheCaseOfItsLettersPreferringTheExactOne) {
  Catalog c = Sample();
  c.entries.push_back({u"WORK\\B.TXT", false, false, 0x20, 7, 1, 0, 0, HashOf("B")});
  const std::string bytes = Encode(c);
  std::optional<Entry> found;
  ASSERT_EQ(FindIn(bytes, u"work\\A\xD83D\xDE00.TXT", found), Refusal::kNone);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, u"Work\\a\xD83D\xDE00.txt");
  EXPECT_EQ(found->size, 65000u);
  ASSERT_EQ(FindIn(bytes, u"Work\\b.txt", found), Refusal::kNone);
  EXPECT_EQ(found->size, 5000u);
  ASSERT_EQ(FindIn(bytes, u"WORK\\B.TXT", found), Refusal::kNone);
  EXPECT_EQ(found->size, 7u);
}

TEST(Catalog, RefusesEveryDamageAndALaterVersion) {
  const std::string bytes = Encode(Sample());
  Catalog back;
  for (size_t cut = 0; cut < bytes.size(); ++cut)
    EXPECT_EQ(Decode(bytes.substr(0, cut), back), Refusal::kDamaged) << cut;
  for (size_t at = 0; at < bytes.size(); ++at) {
    std::string flipped = bytes;
    flipped[at] ^= 0x10;
    EXPECT_NE(Decode(flipped, back), Refusal::kNone) << at;
  }
  std::string later = bytes;
  later[4] = kVersion + 1;
  EXPECT_EQ(Decode(later, back), Refusal::kLaterVersion);
  EXPECT_EQ(back, Catalog{});
}

// Three spellings of every name, so that some stand across a block's edge.
Catalog ManyBlocks() {
  Catalog c;
  c.run.id = "260105_0905";
  for (int i = 0; i < 1000; ++i) {
    const std::string n = std::to_string(i * 7 % 1000);
    for (const std::string& path : {"a\\x" + n, "A\\x" + n, "A\\X" + n})
      c.entries.push_back({std::u16string(path.begin(), path.end()), false, false, 0x20,
                           uint64_t(i), uint64_t(i) << 40, uint64_t(i) << 39, 0, HashOf(path)});
  }
  return c;
}

class CountedSource final : public Source {
 public:
  explicit CountedSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, size_t size, std::string& bytes) override {
    read += size;
    bytes.assign(bytes_.substr(offset, size));
    return true;
  }
  size_t read = 0;

 private:
  std::string_view bytes_;
};

TEST(Catalog, LooksUpOnePathInItsBlockAsTheWholeReadFindsIt) {
  const std::string bytes = Encode(ManyBlocks());
  Catalog whole;
  ASSERT_EQ(Decode(bytes, whole), Refusal::kNone);
  ASSERT_EQ(whole.entries.size(), 3000u);
  const auto upper = [](std::u16string p) {
    for (char16_t& ch : p)
      if (ch >= u'a' && ch <= u'z') ch -= 32;
    return p;
  };
  for (size_t i = 0; i < whole.entries.size(); ++i) {
    const Entry& e = whole.entries[i];
    CountedSource source(bytes);
    std::optional<Entry> found;
    ASSERT_EQ(FindIn(source, e.path, found), Refusal::kNone);
    EXPECT_EQ(found, e);
    // The head and the index, and one block or two of the twelve.
    EXPECT_LT(source.read, bytes.size() / 3) << i;
    // Not spelled so: the first spelling in order, as the whole read has it.
    std::u16string other = e.path;
    other[0] ^= 0x20;
    other[2] ^= 0x20;
    const auto first = std::ranges::find(whole.entries, upper(other),
                                         [&](const Entry& x) { return upper(x.path); });
    const Entry* exact = whole.Find(other);
    ASSERT_EQ(FindIn(bytes, other, found), Refusal::kNone);
    EXPECT_EQ(found, exact ? *exact : *first) << i;
  }
  std::optional<Entry> found;
  for (const char16_t* absent : {u"a\\x1000", u"0", u"z", u"A\\X99\x8868"}) {
    ASSERT_EQ(FindIn(bytes, absent, found), Refusal::kNone);
    EXPECT_FALSE(found);
  }
}

TEST(Catalog, RefusesADamagedBlockWhereverItIsRead) {
  std::string bytes = Encode(ManyBlocks());
  bytes[bytes.size() - 20] ^= 1;
  Catalog whole;
  EXPECT_EQ(Decode(bytes, whole), Refusal::kDamaged);
  std::optional<Entry> found;
  EXPECT_EQ(FindIn(bytes, u"a\\x999", found), Refusal::kDamaged);
  EXPECT_FALSE(found);
  // A lookup reads the block of its path only.
  EXPECT_EQ(FindIn(bytes, u"a\\x0", found), Refusal::kNone);
  EXPECT_TRUE(found);
}

TEST(Catalog, ReadsWhatThePreviousVersionWrote) {
  for (Catalog c : {Sample(), ManyBlocks()}) {
    for (Entry& e : c.entries) e.created = 0;
    const std::string bytes = test::CatalogVersion1(c);
    Catalog back;
    ASSERT_EQ(Decode(bytes, back), Refusal::kNone);
    std::ranges::sort(c.entries, {}, &Entry::path);
    EXPECT_EQ(back, c);
    std::optional<Entry> found;
    for (const Entry& e : {c.entries.front(), c.entries.back()}) {
      ASSERT_EQ(FindIn(bytes, e.path, found), Refusal::kNone);
      EXPECT_EQ(found, e);
    }
  }
  std::optional<Entry> found;
  ASSERT_EQ(FindIn(test::CatalogVersion1(Sample()), u"WORK\\B.txt", found), Refusal::kNone);
  EXPECT_EQ(found->size, 5000u);
}

TEST(Catalog, RefusesPathsOutsideTheBackup) {
  for (const char16_t* path :
       {u"..\\x", u"a\\..\\..\\x", u"\\x", u"C:\\x", u"a\\\\b", u"a/b", u"a\\", u".", u"a\x0001"}) {
    Catalog c = Sample();
    c.entries.push_back({path, true, false, 0x10, 0, 0, 0, 0, {}});
    Catalog back;
    EXPECT_EQ(Decode(Encode(c), back), Refusal::kForeignPath);
  }
}

TEST(Catalog, KeepsEveryNameExactlyAndRefusesOtherForms) {
  const std::u16string names[] = {u"abc",          u"\xD800", u"\xDBFF\xDFFF",
                                  u"\xD800\xD800", u"\xFFFF", u"\x7FF"};
  for (const std::u16string& name : names) EXPECT_EQ(FromWtf8(ToWtf8(name)), name);
  // A pair written as two halves, an overlong slash, beyond U+10FFFF.
  for (std::string_view bad :
       {"\xED\xA0\x80\xED\xB0\x80", "\xC0\xAF", "\xF4\x90\x80\x80", "\x80", "\xF9\x95\x8E\x94"})
    EXPECT_FALSE(FromWtf8(bad));
}

TEST(Catalog, StaysCompactForATypicalTree) {
  Catalog c;
  c.run.id = "260105_0905";
  for (int folder = 0; folder < 100; ++folder) {
    const std::u16string f = u"Work\\project" + std::u16string(1, u'0' + folder % 10) + u"\\f" +
                             std::u16string(1, u'0' + folder / 10);
    c.entries.push_back({f, true, false, 0x10, 0, 133000000000000000, 0, 0, {}});
    for (int file = 0; file < 200; ++file) {
      std::u16string name = f + u"\\document";
      for (char ch : std::to_string(file)) name += static_cast<char16_t>(ch);
      c.entries.push_back({name + u".txt", false, false, 0x20, uint64_t(1000 + file * 37),
                           133000000000000000 + uint64_t(file) * 10000000 * 3600,
                           132000000000000000 + uint64_t(file) * 10000000 * 60, 0,
                           HashOf(std::to_string(file + folder * 1000))});
    }
  }
  EXPECT_LE(Encode(c).size(), c.entries.size() * 40);
}

}  // namespace
}  // namespace yx::catalog
