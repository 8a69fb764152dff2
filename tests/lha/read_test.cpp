// The reading side of the library in-process, as a restore program calls it:
// our own archives back through x with names beyond Shift-JIS, times and
// attributes; the handle API; the overwrite rules; hostile and damaged
// archives, with nothing written outside the folder extracted to.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "built_entries.h"
#include "lha/win/read_result.h"
#include "lha/win/unlha32_api.h"
#include "support/build_paths.h"
#include "support/temp_folder.h"
#include "win/file_system.h"
#include "win/text.h"

namespace yx::lha {
namespace {

using yx::test::TempFolder;

struct Result {
  int code;
  std::wstring text;
};

Result Call(const std::wstring& command) {
  std::vector<wchar_t> out(8192, L'x');
  const int code = UnlhaW(nullptr, command.c_str(), out.data(), static_cast<DWORD>(out.size()));
  return {code, out.data()};
}

std::wstring Sample(const char* relative) {
  std::wstring w = L"Z:";
  for (const char c : std::string(yx::test::kSamplesDir) + "/" + relative)
    w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return w;
}

FILETIME WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  EXPECT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) << path.size();
  return d.ftLastWriteTime;
}

// A café, a snowman and Hangul: names code page 932 cannot hold.
const std::wstring kWideName = L"caf\u00E9 \u2603 \uD55C.txt";

class ReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    src_.MakeFolder(L"Work\\sub");
    src_.WriteFile(L"Work\\" + kWideName, "unicode name\r\n");
    src_.WriteFile(L"Work\\sub\\\u8868.txt", std::string(100000, 'z'));  // 表: trail byte 5C
    src_.WriteFile(L"Work\\ro.txt", "read only");
    ::SetFileAttributesW((src_.Path() + L"Work\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    archive_ = src_.Path() + L"a.lzh";
    const Result r = Call(L"a -x1 -r2 \"" + archive_ + L"\" \"" + src_.Path() + L"\" \"Work\\*\"");
    ASSERT_EQ(r.code, 0) << std::string(r.text.begin(), r.text.end());
  }

  TempFolder src_, out_;
  std::wstring archive_;
};

TEST_F(ReadTest, OwnArchiveComesBackWithNamesTimesAndAttributes) {
  const Result r = Call(L"x \"" + archive_ + L"\" \"" + out_.Path() + L"\"");
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(out_.ReadFile(L"Work\\" + kWideName), "unicode name\r\n");
  EXPECT_EQ(out_.ReadFile(L"Work\\sub\\\u8868.txt"), std::string(100000, 'z'));
  const FILETIME a = WriteTime(src_.Path() + L"Work\\" + kWideName);
  const FILETIME b = WriteTime(out_.Path() + L"Work\\" + kWideName);
  EXPECT_EQ(::CompareFileTime(&a, &b), 0);
  EXPECT_TRUE(::GetFileAttributesW((out_.Path() + L"Work\\ro.txt").c_str()) &
              FILE_ATTRIBUTE_READONLY);

  // e drops the folders; a test decodes without writing.
  TempFolder flat;
  EXPECT_EQ(Call(L"e \"" + archive_ + L"\" \"" + flat.Path() + L"\" *.txt").code, 0);
  EXPECT_TRUE(flat.Exists(L"\u8868.txt"));
  EXPECT_TRUE(flat.Exists(kWideName));
  EXPECT_EQ(Call(L"t \"" + archive_ + L"\"").code, 0);
}

TEST_F(ReadTest, HandleApiListsEveryEntryWithExactNames) {
  EXPECT_EQ(UnlhaGetFileCountW(archive_.c_str()), 5);  // Work, sub and three files
  EXPECT_TRUE(UnlhaCheckArchiveW(archive_.c_str(), CHECKARCHIVE_FULLCRC));
  HARC h = UnlhaOpenArchiveW(nullptr, archive_.c_str(), 0);
  ASSERT_NE(h, nullptr);
  INDIVIDUALINFOW info{};
  std::vector<std::wstring> names;
  for (int r = UnlhaFindFirstW(h, L"*", &info); r == 0; r = UnlhaFindNextW(h, &info))
    names.push_back(info.szFileName);
  EXPECT_EQ(names.size(), 5u);
  EXPECT_NE(std::find(names.begin(), names.end(), L"Work\\" + kWideName), names.end());
  ASSERT_EQ(UnlhaFindFirstW(h, L"sub\\*", &info), -1);     // patterns match whole paths
  ASSERT_EQ(UnlhaFindFirstW(h, L"\u8868.txt", &info), 0);  // a name alone matches in folders
  EXPECT_EQ(std::wstring(info.szMode), L"-lh5-");
  EXPECT_EQ(UnlhaGetOriginalSize(h), info.dwOriginalSize);
  EXPECT_EQ(UnlhaGetCRC(h), info.dwCRC);
  // Our archives carry all three Windows times.
  FILETIME created{}, accessed{}, written{};
  EXPECT_TRUE(UnlhaGetCreateTimeEx(h, &created));
  EXPECT_TRUE(UnlhaGetAccessTimeEx(h, &accessed));
  EXPECT_TRUE(UnlhaGetWriteTimeEx(h, &written));
  EXPECT_NE(written.dwHighDateTime, 0u);
  EXPECT_EQ(UnlhaCloseArchive(h), 0);
  EXPECT_EQ(UnlhaCloseArchive(h), -1);
  EXPECT_EQ(UnlhaFindNextW(h, &info), win::kErrorHarcNotOpened);
  EXPECT_EQ(UnlhaOpenArchiveW(nullptr, (src_.Path() + L"Work\\ro.txt").c_str(), 0), nullptr);
}

TEST_F(ReadTest, OverwriteRules) {
  const std::wstring x = L"x \"" + archive_ + L"\" \"" + out_.Path() + L"\"";
  out_.MakeFolder(L"Work");
  out_.WriteFile(L"Work\\" + kWideName, "mine");
  EXPECT_EQ(Call(x).code, win::kErrorAlreadyExist);
  EXPECT_EQ(out_.ReadFile(L"Work\\" + kWideName), "mine");
  // The file there is newer than the stored one: -u keeps it, -c does not.
  EXPECT_EQ(Call(L"x -u \"" + archive_ + L"\" \"" + out_.Path() + L"\"").code,
            win::kErrorAlreadyExist);
  EXPECT_EQ(out_.ReadFile(L"Work\\" + kWideName), "mine");
  EXPECT_EQ(Call(L"x -c \"" + archive_ + L"\" \"" + out_.Path() + L"\"").code, 0);
  EXPECT_EQ(out_.ReadFile(L"Work\\" + kWideName), "unicode name\r\n");
}

// A folder that was there is the user's: the stored folder's attributes and
// times go only on the folders the extraction makes.
TEST_F(ReadTest, AFolderThatWasThereKeepsItsAttributes) {
  ASSERT_TRUE(::SetFileAttributesW((src_.Path() + L"Work\\sub").c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::wstring hidden = src_.Path() + L"hidden.lzh";
  ASSERT_EQ(Call(L"a -x1 -r2 \"" + hidden + L"\" \"" + src_.Path() + L"\" \"Work\\*\"").code, 0);
  TempFolder fresh;
  ASSERT_EQ(Call(L"x \"" + hidden + L"\" \"" + fresh.Path() + L"\"").code, 0);
  EXPECT_TRUE(::GetFileAttributesW((fresh.Path() + L"Work\\sub").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  out_.MakeFolder(L"Work\\sub");
  ASSERT_EQ(Call(L"x \"" + hidden + L"\" \"" + out_.Path() + L"\"").code, 0);
  EXPECT_FALSE(::GetFileAttributesW((out_.Path() + L"Work\\sub").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(ReadTest, DamagedEntryLeavesNoFileUnderItsName) {
  std::string bytes = yx::test::ReadWholeFile(archive_);
  const size_t at = bytes.find("-lh5-");
  ASSERT_NE(at, std::string::npos);
  const size_t header =
      static_cast<unsigned char>(bytes[at - 2]) | static_cast<unsigned char>(bytes[at - 1]) << 8;
  bytes[at - 2 + header + 20] ^= 0x55;  // inside the first packed data
  const std::wstring broken = src_.Path() + L"broken.lzh";
  yx::test::WriteWholeFile(broken, bytes);
  const Result r = Call(L"x \"" + broken + L"\" \"" + out_.Path() + L"\"");
  EXPECT_TRUE(r.code == win::kErrorFileCrc || r.code == win::kErrorHuffmanCode) << r.code;
  // Nothing under the damaged entry's name, no temporary file left.
  int files = 0;
  std::function<void(const std::wstring&)> walk = [&](const std::wstring& dir) {
    yx::win::ForEachEntry(dir, [&](const WIN32_FIND_DATAW& e) {
      if (yx::win::IsDotEntry(e)) return true;
      if (yx::win::IsFolder(e)) return walk(dir + e.cFileName + L"\\"), true;
      EXPECT_EQ(std::wstring(e.cFileName).find(L".tmp"), std::wstring::npos);
      ++files;
      return true;
    });
  };
  walk(out_.Path());
  EXPECT_EQ(files, 2);
}

// Names that differ only in case (made on the Linux side, see
// CMakeLists.txt) meet in one file on Windows, in a folder the extraction
// itself made: each later twin is reported in entry order and left out, or
// with -c replaces the earlier. A file larger than what an extraction holds
// in memory at once comes back whole.
TEST(ReadTwins, LaterTwinsAreReportedInOrderAndBigFilesComeBackWhole) {
  std::wstring tree = L"Z:";
  for (const char c : std::string(yx::test::kBinaryDir) + "/tests/lha/dll-in/case/")
    tree += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  TempFolder src;
  const std::wstring archive = src.Path() + L"case.lzh";
  ASSERT_EQ(Call(L"a -x1 -r2 \"" + archive + L"\" \"" + tree + L"\" \"Work\\*\"").code, 0);
  const std::map<std::wstring, std::string> content = {{L"Work\\faq.html", "lower case\n"},
                                                       {L"Work\\FAQ.html", "UPPER CASE\n"},
                                                       {L"Work\\Docs\\a.txt", "first\n"},
                                                       {L"Work\\docs\\a.txt", "second\n"}};
  // In archive order: the first of each pair stays, the later is reported.
  std::map<std::wstring, std::wstring> first, last;  // by the name in capitals
  TempFolder kept, replaced;
  std::wstring expected;
  HARC h = UnlhaOpenArchiveW(nullptr, archive.c_str(), 0);
  ASSERT_NE(h, nullptr);
  INDIVIDUALINFOW info{};
  for (int r = UnlhaFindFirstW(h, L"*", &info); r == 0; r = UnlhaFindNextW(h, &info)) {
    const std::wstring name = info.szFileName;
    if (!content.contains(name)) continue;
    std::wstring key = name;
    ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    if (first.contains(key))
      expected += kept.Path() + name + L": exists, not overwritten\r\n";
    else
      first[key] = name;
    last[key] = name;
  }
  EXPECT_EQ(UnlhaCloseArchive(h), 0);
  ASSERT_EQ(first.size(), 2u);

  const Result r = Call(L"x \"" + archive + L"\" \"" + kept.Path() + L"\"");
  EXPECT_EQ(r.code, win::kErrorAlreadyExist);
  EXPECT_EQ(r.text, expected);
  EXPECT_EQ(Call(L"x -c \"" + archive + L"\" \"" + replaced.Path() + L"\"").code, 0);
  for (const auto& [key, name] : first) {
    EXPECT_EQ(kept.ReadFile(name), content.at(name));
    EXPECT_EQ(replaced.ReadFile(name), content.at(last[key]));
  }

  std::string big;
  for (int i = 0; big.size() < (10u << 20); ++i) big += "line " + std::to_string(i) + "\n";
  src.WriteFile(L"Big\\big.txt", big);
  const std::wstring big_archive = src.Path() + L"big.lzh";
  ASSERT_EQ(Call(L"a \"" + big_archive + L"\" \"" + src.Path() + L"\" \"Big\\big.txt\"").code, 0);
  EXPECT_EQ(Call(L"x \"" + big_archive + L"\" \"" + kept.Path() + L"\"").code, 0);
  EXPECT_EQ(kept.ReadFile(L"Big\\big.txt"), big);
}

TEST(ReadHostile, NothingIsWrittenOutsideTheFolder) {
  TempFolder outer;
  const std::wstring base = outer.MakeFolder(L"in") + L"\\";
  for (const char* name :
       {"regression/dotdot.lzh", "regression/symlink2.lzh", "regression/badterm.lzh"}) {
    const Result r = Call(L"x -c \"" + Sample(name) + L"\" \"" + base + L"\"");
    EXPECT_EQ(r.code, win::kErrorUnsafeName) << name;
  }
  // A rooted name comes out under the folder, and the output says so.
  const Result rooted = Call(L"x \"" + Sample("regression/abspath.lzh") + L"\" \"" + base + L"\"");
  EXPECT_EQ(rooted.code, 0);
  EXPECT_EQ(rooted.text,
            L"tmp\\absolute_path.txt  [stored as an absolute name: written under the base "
            L"folder]\r\n");
  EXPECT_TRUE(outer.Exists(L"in\\tmp\\absolute_path.txt"));
  EXPECT_EQ(Call(L"x \"" + Sample("regression/truncated.lzh") + L"\" \"" + base + L"\"").code,
            win::kErrorNotArcFile);
  int outside = 0;
  yx::win::ForEachEntry(outer.Path(), [&](const WIN32_FIND_DATAW& e) {
    if (!yx::win::IsDotEntry(e) && std::wstring(e.cFileName) != L"in") ++outside;
    return true;
  });
  EXPECT_EQ(outside, 0);
  // The links' targets were not followed: etc/passwd is a real folder's file.
  EXPECT_TRUE(outer.Exists(L"in\\etc\\passwd"));
}

// jlha stores a name in its locale's bytes: Latin-1 é is valid in neither
// code page 932 nor UTF-8, so that byte becomes '_' and the entry still comes
// out, the replacement said in the report.
TEST(ReadForeignNames, UndecodableBytesBecomeUnderscores) {
  std::wstring archive = L"Z:";
  for (const char c : std::string(yx::test::kBinaryDir) + "/tests/lha/dll-in/jlha-names/names.lzh")
    archive += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  if (::GetFileAttributesW(archive.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "jlha is not installed";
  TempFolder out;
  const Result r = Call(L"x \"" + archive + L"\" \"" + out.Path() + L"\"");
  EXPECT_EQ(r.code, 0) << std::string(r.text.begin(), r.text.end());
  EXPECT_NE(r.text.find(L"Work\\caf_.txt  [name bytes"), std::wstring::npos);
  EXPECT_EQ(out.ReadFile(L"Work\\caf_.txt"), "cafe\n");
  EXPECT_EQ(out.ReadFile(L"Work\\plain.txt"), "plain\n");
  const Result listed = Call(L"l \"" + archive + L"\"");
  EXPECT_NE(listed.text.find(L"caf_.txt  [name bytes"), std::wstring::npos);
  // The narrow handle API names it as written, and adding the file written
  // replaces the entry rather than storing a second one.
  HARC h = UnlhaOpenArchiveW(nullptr, archive.c_str(), 0);
  ASSERT_NE(h, nullptr);
  INDIVIDUALINFO info{};
  EXPECT_EQ(UnlhaFindFirst(h, "*caf*", &info), 0);
  EXPECT_STREQ(info.szFileName, "Work\\caf_.txt");
  EXPECT_EQ(UnlhaCloseArchive(h), 0);
  const std::wstring copy = out.Path() + L"names.lzh";
  ASSERT_TRUE(::CopyFileW(archive.c_str(), copy.c_str(), TRUE));
  EXPECT_EQ(Call(L"a \"" + copy + L"\" \"" + out.Path() + L"\" Work\\caf_.txt").code, 0);
  EXPECT_EQ(UnlhaGetFileCountW(copy.c_str()), 3);  // Work and its two files
}

// MacLHA's MacBinary entry gives its data fork alone; an Amiga comment is no
// part of the name, and v shows it.
TEST(ReadForeignSystems, MacBinaryDataForkAndAmigaComment) {
  using test::StoredEntry;
  TempFolder out;
  const test::Bytes bytes =
      test::Archive({StoredEntry(1, "gpl-2", test::MacBinaryLicence(), test::kMacLevel1),
                     StoredEntry(0, std::string("metadata.txt\0a comment", 22), "meta\n", {}),
                     {0}});
  const std::wstring archive = out.WriteFile(
      L"foreign.lzh", std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const Result r = Call(L"x \"" + archive + L"\" \"" + out.Path() + L"x\\\"");
  EXPECT_EQ(r.code, 0) << std::string(r.text.begin(), r.text.end());
  EXPECT_EQ(out.ReadFile(L"x\\gpl-2"), test::kLicence);
  EXPECT_EQ(out.ReadFile(L"x\\metadata.txt"), "meta\n");
  const Result listed = Call(L"v \"" + archive + L"\"");
  EXPECT_NE(listed.text.find(L"metadata.txt  [level 0, OS '?']  [comment: a comment]"),
            std::wstring::npos)
      << std::string(listed.text.begin(), listed.text.end());
}

TEST(ReadSamples, SelfExtractingAndOldArchivesList) {
  for (const char* name : {"lha213/sfx.exe", "larc333/lz5.lzs", "lha_os2_208/h3_lh5.lzh"}) {
    std::vector<char> out(4096);
    const std::string command = "l \"" + yx::win::FromWide(Sample(name)) + "\"";
    EXPECT_EQ(Unlha(nullptr, command.c_str(), out.data(), static_cast<DWORD>(out.size())), 0)
        << name;
    EXPECT_NE(std::string(out.data()).find(" entries"), std::string::npos) << out.data();
  }
  HARC h = UnlhaOpenArchiveW(nullptr, Sample("lha213/sfx.exe").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(UnlhaIsSFXFile(h), 1);
  // An MS-DOS archive stores one local time: the write time comes from it,
  // and no creation or access time is made up.
  INDIVIDUALINFOW info{};
  ASSERT_EQ(UnlhaFindFirstW(h, L"*", &info), 0);
  FILETIME time{};
  EXPECT_TRUE(UnlhaGetWriteTimeEx(h, &time));
  EXPECT_NE(time.dwHighDateTime, 0u);
  EXPECT_FALSE(UnlhaGetCreateTimeEx(h, &time));
  EXPECT_FALSE(UnlhaGetAccessTimeEx(h, &time));
  EXPECT_EQ(UnlhaCloseArchive(h), 0);
}

}  // namespace
}  // namespace yx::lha
