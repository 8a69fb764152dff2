// UNLHA32.DLL driven through the program's binding, as a backup run drives
// it. The archives of the first tests are left in tests/lha/dll-out/ with
// their source trees; check_dll_archives.py then has lhasa, 7z and bsdtar
// extract them and compares every file and folder (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "backup/unlha32.h"
#include "lha/core/archive_reader.h"
#include "lha/win/archive_command.h"
#include "lha/win/file_streams.h"
#include "support/build_paths.h"
#include "support/temp_folder.h"
#include "support/unix_links.h"
#include "win/fault_line.h"
#include "win/file_system.h"
#include "win/text.h"
#include "win/unique_handle.h"

namespace yx::lha {
namespace {

// A folder of the build, with a final backslash.
std::wstring LinuxToWine(const char* relative) {
  std::wstring w = L"Z:";
  for (const char c : std::string(yx::test::kBinaryDir) + relative)
    w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return w + L"\\";
}

const std::wstring& OutputRoot() {
  static const std::wstring root = LinuxToWine("/tests/lha/dll-out");
  return root;
}

std::string Narrow(const std::wstring& w) { return yx::win::FromWide(w); }

struct Result {
  int code;
  std::string text;
};

Result Add(const std::wstring& archive, const std::wstring& base, const std::wstring& name,
           const std::string& switches = "-x1 -r2") {
  const std::string command = "a " + switches + " \"" + Narrow(archive) + "\" \"" + Narrow(base) +
                              "\" \"" + Narrow(name) + "\"";
  Result r{0, "untouched"};
  r.code = backup::unlha32::Unlha(nullptr, command, r.text, 1024);
  return r;
}

std::string Text(size_t n, unsigned seed) {
  static const char* const kWords[] = {"backup ", "folder ", "archive ",  "\r\n",  "settings ",
                                       "run ",    "log ",    "ファイル ", "表示 ", "int "};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) s += kWords[rng() % std::size(kWords)];
  s.resize(n);
  return s;
}

std::string Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

void Put(const std::wstring& path, const std::string& bytes) {
  const size_t cut = path.find_last_of(L'\\');
  ASSERT_TRUE(yx::win::CreateFolderTree(path.substr(0, cut)));
  test::WriteWholeFile(path, bytes);
}

std::vector<ArchiveEntry> List(const std::wstring& archive) {
  win::ArchiveFile file;
  std::vector<ArchiveEntry> entries;
  EXPECT_TRUE(file.Open(archive));
  EXPECT_EQ(ListArchive(file, entries), ListResult::kOk);
  return entries;
}

std::string StoredPath(const ArchiveEntry& e) {
  std::string p;
  for (char c : e.header.directory) p += c == '\xFF' ? '\\' : c;
  return p + e.header.name;
}

// Files and folders below `folder` (ending in '\'), counted as entries.
int CountTree(const std::wstring& folder) {
  int n = 0;
  EXPECT_TRUE(yx::win::ForEachEntry(folder, [&](const WIN32_FIND_DATAW& e) {
    if (yx::win::IsDotEntry(e)) return true;
    ++n;
    if (yx::win::IsFolder(e)) n += CountTree(folder + e.cFileName + L"\\");
    return true;
  }));
  return n;
}

// A fresh case folder under the output root, with the list of the folders
// whose contents together make up what the archive must extract to.
std::wstring NewCase(const std::wstring& name, const std::vector<std::wstring>& expected_roots) {
  const std::wstring folder = OutputRoot() + name + L"\\";
  test::RemoveTree(folder);
  EXPECT_TRUE(yx::win::CreateFolderTree(folder + L"arc"));
  std::string expect;
  for (const std::wstring& r : expected_roots) expect += Narrow(r) + "\n";
  test::WriteWholeFile(folder + L"expect.txt", expect);
  return folder;
}

class LhaDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::SetDllDirectoryW(LinuxToWine("/dist").c_str());
    backup::unlha32::Load();
  }
  void SetUp() override { ASSERT_TRUE(backup::unlha32::LibraryLoaded()); }
};

TEST_F(LhaDll, VersionAndBackgroundMode) {
  EXPECT_EQ(backup::unlha32::UnlhaGetVersion(), 100);
  EXPECT_EQ(backup::unlha32::UnlhaSetBackGroundMode(FALSE), TRUE);
}

TEST_F(LhaDll, TwoAddsMakeOneArchiveAndAnAddAgainReplaces) {
  const std::wstring c = NewCase(L"two", {L"base1", L"base2"});
  const std::wstring work = c + L"base1\\Work\\";
  Put(work + L"a.txt", Text(5000, 1));
  Put(work + L"empty.txt", "");
  Put(work + L"one.txt", "1");
  Put(work + L"sub\\deeper\\b.txt", Text(70000, 2));
  Put(work + L"sub\\noise.bin", Noise(100000, 3));  // stored: it cannot shrink
  Put(work + L"sub\\run.txt", std::string(200000, 'A'));
  Put(work + L"表\\ソース.txt", Text(3000, 4));  // trail bytes 5C in both names
  Put(work + L"表示.txt", Text(100, 5));
  ASSERT_TRUE(yx::win::CreateFolderTree(work + L"empty folder"));
  ASSERT_TRUE(yx::win::CreateFolderTree(work + L"sub\\empty"));
  const std::wstring mail = c + L"base2\\Mail\\";
  Put(mail + L"inbox\\1.eml", Text(2500, 6));
  Put(mail + L"inbox\\2.eml", Text(2600, 7));

  const std::wstring archive = c + L"arc\\two.lzh";
  Result r = Add(archive, c + L"base1\\", L"Work\\*");
  ASSERT_EQ(r.code, 0) << r.text;
  r = Add(archive, c + L"base2\\", L"Mail\\*");
  ASSERT_EQ(r.code, 0) << r.text;

  const int work_entries = CountTree(work) + 1;  // Work itself too
  const int mail_entries = CountTree(mail) + 1;
  std::vector<ArchiveEntry> entries = List(archive);
  ASSERT_EQ(static_cast<int>(entries.size()), work_entries + mail_entries);
  // Stored relative to the base, each folder after everything inside it.
  EXPECT_EQ(StoredPath(entries.back()), "Mail\\");
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string p = StoredPath(entries[i]);
    EXPECT_TRUE(p.starts_with("Work\\") || p.starts_with("Mail\\")) << p;
    if (!entries[i].header.IsDirectory()) continue;
    for (size_t j = i + 1; j < entries.size(); ++j)
      EXPECT_FALSE(StoredPath(entries[j]).starts_with(p))
          << p << " before " << StoredPath(entries[j]);
  }

  // Changed and new files: the next add replaces, it does not duplicate.
  Put(work + L"a.txt", Text(7000, 8));
  Put(work + L"sub\\new.txt", Text(10, 9));
  r = Add(archive, c + L"base1\\", L"Work\\*");
  ASSERT_EQ(r.code, 0) << r.text;
  entries = List(archive);
  EXPECT_EQ(static_cast<int>(entries.size()), work_entries + 1 + mail_entries);
  int a_count = 0;
  for (const ArchiveEntry& e : entries) {
    if (StoredPath(e) == "Work\\a.txt") {
      ++a_count;
      EXPECT_EQ(e.header.original_size, 7000u);
    }
  }
  EXPECT_EQ(a_count, 1);
  // The entries kept from before come first, the ones added again follow.
  EXPECT_EQ(StoredPath(entries.front()).substr(0, 5), "Mail\\");
  EXPECT_EQ(StoredPath(entries.back()), "Work\\");
}

TEST_F(LhaDll, NamesOutsideCodePage932KeepTheirUtf16Form) {
  const std::wstring c = NewCase(L"unicode", {L"base"});
  const std::wstring uni = c + L"base\\Uni\\";
  Put(uni + L"café.txt", "e acute\n");
  Put(uni + L"Café ünïcode\\résumé.txt", Text(400, 10));
  Put(uni + L"emoji_😀.txt", "emoji\n");
  Put(uni + L"한글.txt", "hangul\n");
  Put(uni + L"表.txt", "in code page 932\n");
  const std::wstring archive = c + L"arc\\unicode.lzh";
  const Result r = Add(archive, c + L"base\\", L"Uni\\*");
  ASSERT_EQ(r.code, 0) << r.text;
  const auto entries = List(archive);
  ASSERT_EQ(static_cast<int>(entries.size()), CountTree(uni) + 1);
  for (const ArchiveEntry& e : entries) {
    const EntryHeader& h = e.header;
    // Names in plain ASCII may go without the code page header.
    const std::string path = StoredPath(e);
    const bool ascii = std::all_of(path.begin(), path.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii || h.wide_name) {
      EXPECT_EQ(h.code_page, 932u) << path;
    } else {
      EXPECT_EQ(h.code_page.value_or(932u), 932u) << path;
    }
    EXPECT_EQ(StoredPath(e).find('?'), std::string::npos);
    if (h.name == "\x95\x5C.txt" || StoredPath(e) == "Uni\\") {
      EXPECT_FALSE(h.wide_name.has_value()) << StoredPath(e);  // code page 932 holds it
    } else {
      ASSERT_TRUE(h.wide_name.has_value()) << StoredPath(e);
      EXPECT_NE(StoredPath(e).find('_'), std::string::npos);
    }
    // (Named: gtest spells the expressions out in narrow text, which has no é.)
    const std::u16string cafe = u"café.txt";
    const std::u16string cafe_folder =
        u"Uni\xFFFF"
        u"Café ünïcode\xFFFF";
    if (h.name == "caf_.txt") {
      EXPECT_EQ(*h.wide_name, cafe);
    }
    if (h.name == "r_sum_.txt") {
      EXPECT_EQ(*h.wide_directory, cafe_folder);
    }
  }
}

TEST_F(LhaDll, TreeDeeperThanMaxPath) {
  const std::wstring c = NewCase(L"deep", {L"base"});
  std::wstring path = c + L"base\\Deep\\";
  for (wchar_t letter = L'a'; letter <= L'f'; ++letter) path += std::wstring(70, letter) + L"\\";
  const std::wstring file = path + L"deep_file_with_a_long_name_0123456789.txt";
  ASSERT_GT(file.size(), 400u);
  Put(file, Text(20000, 11));
  const std::wstring archive = c + L"arc\\deep.lzh";
  const Result r = Add(archive, c + L"base\\", L"Deep\\*");
  ASSERT_EQ(r.code, 0) << r.text;
  const auto entries = List(archive);
  ASSERT_EQ(entries.size(), 8u);  // the file, six folders and Deep
  EXPECT_GT(StoredPath(entries[0]).size(), 300u);
}

TEST_F(LhaDll, NamesDifferingOnlyInCaseAreTwoEntries) {
  // make_case_tree.sh made this tree on the Linux side (see CMakeLists.txt).
  const std::wstring in = LinuxToWine("/tests/lha/dll-in/case");
  const std::wstring c = NewCase(L"case", {L"../../dll-in/case"});
  const std::wstring archive = c + L"arc\\case.lzh";
  ASSERT_EQ(Add(archive, in, L"Work\\*").code, 0);
  EXPECT_EQ(List(archive).size(), 7u);  // four files, three folders
  // Added again: each entry replaced once, none lost, none doubled.
  ASSERT_EQ(Add(archive, in, L"Work\\*").code, 0);
  EXPECT_EQ(List(archive).size(), 7u);
}

TEST_F(LhaDll, FullPathWithAnEmptyBaseStoresNoDrive) {
  test::TempFolder t;
  Put(t.Path() + L"Tree\\x.txt", "x");
  const std::wstring archive = t.Path() + L"full.lzh";
  const Result r = Add(archive, L"", t.Path() + L"Tree\\*");
  ASSERT_EQ(r.code, 0) << r.text;
  const auto entries = List(archive);
  ASSERT_EQ(entries.size(), 2u);
  const std::string stored = StoredPath(entries[0]);
  EXPECT_TRUE(stored.ends_with("\\Tree\\x.txt")) << stored;
  EXPECT_EQ(stored.find(':'), std::string::npos) << stored;
  EXPECT_NE(stored[0], '\\');
}

std::string Bytes(const std::wstring& path) { return test::ReadWholeFile(path); }

// Copies `from` to `to` with its times: the expected side of a case.
void Expect(const std::wstring& from, const std::wstring& to) {
  ASSERT_TRUE(yx::win::CreateFolderTree(to.substr(0, to.find_last_of(L'\\'))));
  ASSERT_TRUE(::CopyFileW(from.c_str(), to.c_str(), FALSE));
}

TEST_F(LhaDll, WhatCannotBeReadIsNamedAndLeftOutAndEverythingElseIsArchived) {
  const std::wstring c = NewCase(L"held", {L"expect"});
  test::TempFolder t;
  const std::wstring base = t.Path() + L"base\\";
  const std::wstring work = base + L"Work\\";
  for (const wchar_t* name : {L"a.txt", L"sub\\s.txt"}) {
    Put(work + name, Text(3000, name[0]));
    Expect(work + name, c + L"expect\\Work\\" + name);
  }
  const std::wstring archive = c + L"arc\\held.lzh";
  ASSERT_EQ(Add(archive, base, L"Work\\*").code, 0);
  {
    // A folder: named, everything else added, its entries of the first add kept.
    const yx::win::UniqueFile lock = test::HoldOpen(work + L"sub");
    ASSERT_TRUE(lock);
    Put(work + L"d.txt", Text(500, 4));
    Expect(work + L"d.txt", c + L"expect\\Work\\d.txt");
    const Result r = Add(archive, base, L"Work\\*");
    EXPECT_EQ(r.code, win::kSourceUnreadable);
    EXPECT_EQ(r.text.find("PATH=" + Narrow(base) + "Work\\sub\\ "), 0u) << r.text;
  }
  // Files held without sharing, a small one and one large enough to be
  // compressed straight into the archive: each is named and has no entry,
  // except that a.txt, changed since the first add, keeps its old one. (Wine
  // does not fail reads in a locked range: the files that fail part way are
  // the core's tests.)
  Put(work + L"a.txt", Text(2000, 7));
  Put(work + L"big.bin", Text(6 << 20, 5));
  for (const wchar_t* name : {L"m.txt", L"z.txt"}) {
    Put(work + name, Text(300 * name[0], name[0]));
    Expect(work + name, c + L"expect\\Work\\" + name);
  }
  const yx::win::UniqueFile held = test::HoldOpen(work + L"a.txt");
  const yx::win::UniqueFile big = test::HoldOpen(work + L"big.bin");
  EXPECT_TRUE(held);
  EXPECT_TRUE(big);
  const Result r = Add(archive, base, L"Work\\*");
  EXPECT_EQ(r.code, win::kSourceUnreadable);
  for (const char* name : {"a.txt", "big.bin"})
    EXPECT_NE(r.text.find("PATH=" + Narrow(work) + name + " "), std::string::npos) << r.text;
  // The same archive whatever the number of workers.
  const auto fresh = [&](int workers) {
    const std::wstring path = t.Path() + std::to_wstring(workers) + L".lzh";
    win::CommandOptions options;
    options.workers = workers;
    const std::string command =
        "a -x1 -r2 \"" + Narrow(path) + "\" \"" + Narrow(base) + "\" \"Work\\*\"";
    EXPECT_EQ(win::RunCommand(command, options).code, win::kSourceUnreadable);
    return Bytes(path);
  };
  const std::string one = fresh(1);
  std::string stored;
  for (const ArchiveEntry& e : List(t.Path() + L"1.lzh")) stored += StoredPath(e) + "|";
  EXPECT_NE(stored.find("Work\\z.txt|"), std::string::npos) << stored;
  for (const char* name : {"a.txt", "big.bin"})
    EXPECT_EQ(stored.find(name), std::string::npos) << stored;
  EXPECT_EQ(fresh(4), one);
}

// A share that drops part way through a listing: what was not listed is
// unknown, so the folder is named with the error, never taken as complete.
TEST_F(LhaDll, AListingThatFailsPartWayNamesItsFolderAndFailsTheAdd) {
  test::TempFolder t;
  const std::wstring work = t.Path() + L"base\\Work\\";
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) Put(work + name, "data");
  win::CommandOptions options;
  int calls = 0;
  // The listing starts with "." and "..": two of the four files are listed.
  options.find_next = [&](HANDLE find, WIN32_FIND_DATAW* data) -> BOOL {
    if (++calls < 4) return ::FindNextFileW(find, data);
    ::SetLastError(ERROR_UNEXP_NET_ERR);
    return FALSE;
  };
  const std::string command =
      "a -x1 -r2 \"" + Narrow(t.Path()) + "w.lzh\" \"" + Narrow(t.Path()) + "base\\\" \"Work\\*\"";
  const win::CommandOutcome r = win::RunCommand(command, options);
  EXPECT_EQ(r.code, win::kSourceUnreadable);
  EXPECT_EQ(r.message, yx::win::FaultLine(work, ERROR_UNEXP_NET_ERR) + "\r\n");
}

TEST_F(LhaDll, FolderLinksAreArchivedAsTheirFoldersAndALinkBackIsLeftOut) {
  const std::wstring c = NewCase(L"links", {L"expect"});
  test::TempFolder t;
  const std::wstring base = t.Path() + L"base\\";
  Put(base + L"Work\\a.txt", Text(800, 1));
  Put(t.Path() + L"Real\\r.txt", Text(900, 2));
  test::UnixLinks links;
  const std::wstring work = test::UnixPath(base + L"Work");
  if (work.empty() ||
      !links.Make(work + L"/Linked", test::UnixPath(t.Path() + L"Real"), base + L"Work\\Linked") ||
      !links.Make(work + L"/Loop", work, base + L"Work\\Loop"))
    GTEST_SKIP() << "no symbolic links here";
  Expect(base + L"Work\\a.txt", c + L"expect\\Work\\a.txt");
  Expect(t.Path() + L"Real\\r.txt", c + L"expect\\Work\\Linked\\r.txt");
  const Result r = Add(c + L"arc\\links.lzh", base, L"Work\\*");
  EXPECT_EQ(r.code, 0) << r.text;
}

TEST_F(LhaDll, FailedCommandsLeaveTheArchiveByteForByte) {
  test::TempFolder t;
  Put(t.Path() + L"base\\Work\\a.txt", Text(3000, 12));
  Put(t.Path() + L"base\\Work\\b.txt", Text(3000, 13));
  const std::wstring base = t.Path() + L"base\\";
  const std::wstring archive = t.Path() + L"out\\x.lzh";
  ASSERT_TRUE(yx::win::CreateFolderTree(t.Path() + L"out"));
  ASSERT_EQ(Add(archive, base, L"Work\\*").code, 0);
  const std::string before = Bytes(archive);
  auto unchanged = [&](const char* what) {
    EXPECT_EQ(Bytes(archive), before) << what;
    int files = 0;  // no temporary file left beside it
    (void)yx::win::ForEachEntry(t.Path() + L"out\\", [&](const WIN32_FIND_DATAW& e) {
      if (!yx::win::IsDotEntry(e)) ++files;
      return true;
    });
    EXPECT_EQ(files, 1) << what;
  };

  Result r = Add(archive, base, L"Missing\\*");
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.text.find("Missing"), std::string::npos) << r.text;
  unchanged("missing source");
  EXPECT_NE(Add(archive, base, L"Work\\nothing.txt").code, 0);
  unchanged("missing file");
  EXPECT_NE(Add(archive, base, L"Work\\*", "-x1 -r2 -q").code, 0);
  unchanged("unknown switch");
  std::string text;
  EXPECT_NE(backup::unlha32::Unlha(nullptr, "z \"" + Narrow(archive) + "\"", text, 100), 0);
  unchanged("unknown command");
  {
    // The archive itself held open: it can be neither read nor replaced.
    yx::win::UniqueFile lock(
        ::CreateFileW(archive.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_NE(Add(archive, base, L"Work\\*").code, 0);
  }
  unchanged("locked archive");

  // Not an archive at all: refused, kept.
  const std::wstring foreign = t.Path() + L"foreign.lzh";
  test::WriteWholeFile(foreign, Noise(5000, 14));
  EXPECT_NE(Add(foreign, base, L"Work\\*").code, 0);
  EXPECT_EQ(Bytes(foreign), Noise(5000, 14));
  // A damaged archive: its second header broken.
  std::string damaged = before;
  damaged[List(archive)[1].offset + 12] ^= 1;
  test::WriteWholeFile(foreign, damaged);
  EXPECT_NE(Add(foreign, base, L"Work\\*").code, 0);
  EXPECT_EQ(Bytes(foreign), damaged);

  EXPECT_NE(Add(t.Path() + L"no such folder\\x.lzh", base, L"Work\\*").code, 0);
  EXPECT_NE(Add(t.Path() + L"out", base, L"Work\\*").code, 0);  // a folder
}

// Through the library's own entry, which takes a worker count and the hook
// that damages the new archive after it is written, before it is read back.
TEST_F(LhaDll, TheArchiveChecksItselfBeforeItReplacesTheOldOne) {
  test::TempFolder t;
  const std::wstring base = t.Path() + L"base\\";
  Put(base + L"Work\\a.txt", Text(20000, 15));
  Put(base + L"Work\\sub\\noise.bin", Noise(50000, 16));  // stored
  for (unsigned i = 0; i < 30; ++i)
    Put(base + L"Work\\many\\" + std::to_wstring(i), Text(900, 17 + i));
  ASSERT_TRUE(yx::win::CreateFolderTree(t.Path() + L"out"));
  const auto command = [&](const std::wstring& archive) {
    return "a -x1 -r2 \"" + Narrow(archive) + "\" \"" + Narrow(base) + "\" \"Work\\*\"";
  };
  win::CommandOptions three;
  three.workers = 3;
  const std::wstring archive = t.Path() + L"out\\x.lzh";
  ASSERT_EQ(win::RunCommand(command(archive), three).code, 0);
  const std::string before = Bytes(archive);

  for (const std::string name : {"a.txt", "noise.bin"}) {
    const auto flip = [&](const std::wstring& written) {
      std::string bytes = Bytes(written);
      for (const ArchiveEntry& e : List(written))
        if (e.header.name == name) bytes[e.offset + e.header_size + e.data_size / 2] ^= 0x08;
      test::WriteWholeFile(written, bytes);
    };
    const win::CommandOutcome r = win::RunCommandWithCheckHook(command(archive), three, flip);
    EXPECT_EQ(r.code, win::kCheckFailed) << name;
    EXPECT_NE(r.message.find(name), std::string::npos) << r.message;
    EXPECT_EQ(Bytes(archive), before) << name;
  }
  // The entries kept from the archive before must come back byte for byte:
  // two of the same sizes, swapped in the copy, fail the check too.
  Put(base + L"Kept\\one.txt", Text(3000, 60));
  Put(base + L"Kept\\two.txt", Text(3000, 60));
  const std::string add_kept =
      "a -x1 -r2 \"" + Narrow(archive) + "\" \"" + Narrow(base) + "\" \"Kept\\*\"";
  ASSERT_EQ(win::RunCommand(add_kept).code, 0);
  const std::string with_kept = Bytes(archive);
  const auto swap = [&](const std::wstring& written) {
    std::string bytes = Bytes(written);
    std::vector<ArchiveEntry> pair;
    for (const ArchiveEntry& e : List(written))
      if (e.header.name == "one.txt" || e.header.name == "two.txt") pair.push_back(e);
    ASSERT_EQ(pair.size(), 2u);
    ASSERT_EQ(pair[0].TotalSize(), pair[1].TotalSize());
    const std::string first = bytes.substr(pair[0].offset, pair[0].TotalSize());
    bytes.replace(pair[0].offset, first.size(), bytes, pair[1].offset, first.size());
    bytes.replace(pair[1].offset, first.size(), first);
    test::WriteWholeFile(written, bytes);
  };
  EXPECT_EQ(win::RunCommandWithCheckHook(command(archive), three, swap).code, win::kCheckFailed);
  EXPECT_TRUE(Bytes(archive) == with_kept) << "the archive before stays";
  int left = 0;  // no temporary file stays beside the archive
  (void)yx::win::ForEachEntry(t.Path() + L"out\\", [&](const WIN32_FIND_DATAW& e) {
    left += !yx::win::IsDotEntry(e);
    return true;
  });
  EXPECT_EQ(left, 1);
}

TEST_F(LhaDll, OutputTextStopsAtTheBufferSize) {
  std::string text;
  EXPECT_NE(backup::unlha32::Unlha(nullptr, "a -x1 -r2 \"x.lzh\" \"C:\\nowhere\\\" \"Missing\\*\"",
                                   text, 8),
            0);
  EXPECT_EQ(text.size(), 7u);  // seven bytes and the NUL
  EXPECT_EQ(text, "error: ");
  EXPECT_NE(backup::unlha32::Unlha(nullptr, "", text, 100), 0);
  EXPECT_FALSE(text.empty());
}

}  // namespace
}  // namespace yx::lha
