#include "catalog/catalog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/catalog_bytes.h"

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
  c.entries.push_back(
      {u"Work\\b.txt", false, true, 0x21, 5000, 133000000000000000, 0, HashOf("bbbbb")});
  c.entries.push_back({u"Work", true, false, 0x10, 0, 132000000000000000, 0, {}});
  c.entries.push_back(
      {u"Work\\a\xD83D\xDE00.txt", false, false, 0x20, 65000, 131000000000000000, 0, HashOf("a")});
  // A lone surrogate, as an NTFS name may hold one.
  c.entries.push_back({u"Work\\\xDC00", false, false, 0x20, 0, 134000000000000000, 0, {}});
  c.entries.push_back({u"\x8868", true, false, 0x10, 0, 1, 0, {}});
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

TEST(Catalog, RefusesPathsOutsideTheBackup) {
  for (const char16_t* path :
       {u"..\\x", u"a\\..\\..\\x", u"\\x", u"C:\\x", u"a\\\\b", u"a/b", u"a\\", u".", u"a\x0001"}) {
    Catalog c = Sample();
    c.entries.push_back({path, true, false, 0x10, 0, 0, 0, {}});
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
    c.entries.push_back({f, true, false, 0x10, 0, 133000000000000000, 0, {}});
    for (int file = 0; file < 200; ++file) {
      std::u16string name = f + u"\\document";
      for (char ch : std::to_string(file)) name += static_cast<char16_t>(ch);
      c.entries.push_back({name + u".txt", false, false, 0x20, uint64_t(1000 + file * 37),
                           133000000000000000 + uint64_t(file) * 10000000 * 3600, 0,
                           HashOf(std::to_string(file + folder * 1000))});
    }
  }
  EXPECT_LE(Encode(c).size(), c.entries.size() * 40);
}

}  // namespace
}  // namespace yx::catalog
