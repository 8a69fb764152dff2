// Every archive of the shared sample folder read by the library and by lhasa:
// what lhasa extracts, the library decodes to the same bytes under the same
// names (case aside: lhasa lowercases MS-DOS names); what the library refuses
// is listed here with the reason.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <map>

#include "lha/core/archive_reader.h"
#include "lha/core/entry_decoder.h"
#include "lha/core/entry_path.h"
#include "lha/core/mac_binary.h"
#include "built_entries.h"
#include "posix_support.h"
#include "support/build_paths.h"

namespace yx::lha::test {
namespace {

namespace fs = std::filesystem;

std::u16string FromCp932(const std::string& s) {
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  std::string in = s;
  std::u16string out(s.size() * 2 + 2, u'\0');
  char* ip = in.data();
  char* op = reinterpret_cast<char*>(out.data());
  size_t il = in.size(), ol = out.size() * 2;
  const size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return u"?";  // not code page 932: fails the name check
  out.resize((out.size() * 2 - ol) / 2);
  return out;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c < 0x80 ? std::tolower(c) : c); });
  return s;
}

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

struct Outcome {
  std::map<std::string, Bytes> files;  // lowercased relative path
  std::vector<std::string> refused;    // "name: reason"
  std::vector<std::string> rooted;     // written without a stored root
  ListResult listing = ListResult::kOk;
  std::map<std::string, uint32_t> unix_times;
  std::map<std::string, std::string> comments;
};

Outcome ReadWithLibrary(RandomSource& source) {
  Outcome o;
  uint64_t start = 0;
  o.listing = FindArchiveStart(source, start);
  if (o.listing != ListResult::kOk) return o;
  EntryDecoder decoder;
  std::vector<ArchiveEntry> entries;
  o.listing = ListArchiveFrom(source, start, [&](ArchiveEntry& e) { entries.push_back(e); });
  for (const ArchiveEntry& e : entries) {
    std::vector<std::u16string> parts = WidePathParts(e.header);
    if (!e.header.wide_name) {
      parts.clear();
      for (const std::string& p : StoredPathParts(e.header)) parts.push_back(FromCp932(p));
    }
    std::string path;
    for (size_t i = 0; i < parts.size(); ++i) path += (i == 0 ? "" : "/") + Utf8(parts[i]);
    if (e.header.IsSymbolicLink()) {
      o.refused.push_back(path + ": link");
      continue;
    }
    bool root_removed = false;
    if (const PathVerdict v = CheckPath(parts, &root_removed); v != PathVerdict::kOk) {
      o.refused.push_back(path + ": path " + std::to_string(static_cast<int>(v)));
      continue;
    }
    if (root_removed) {
      path.clear();
      for (size_t i = 0; i < parts.size(); ++i) path += (i == 0 ? "" : "/") + Utf8(parts[i]);
      o.rooted.push_back(path);
    }
    if (e.header.has_unix_time) o.unix_times[path] = e.header.unix_time;
    if (!e.header.comment.empty()) o.comments[path] = e.header.comment;
    if (e.header.IsDirectory()) continue;
    MemorySink sink;
    DataForkSink data_fork(sink, e.header.original_size);
    const DecodeStatus s = decoder.Decode(
        source, e, MayHoldMacBinary(e.header) ? static_cast<ByteSink*>(&data_fork) : &sink);
    if (s != DecodeStatus::kOk) {
      o.refused.push_back(path + ": decode " + std::to_string(static_cast<int>(s)));
      continue;
    }
    o.files.emplace(Lower(path), std::move(sink.bytes));  // the first stays, as extraction
  }
  return o;
}

std::map<std::string, Bytes> ExtractWithLhasa(const fs::path& archive, const fs::path& dir) {
  fs::create_directories(dir);
  (void)RunCommand("lhasa xq " + Quote(archive) + " </dev/null", dir);
  std::map<std::string, Bytes> files;
  for (const auto& f : fs::recursive_directory_iterator(dir)) {
    if (f.is_symlink() || !f.is_regular_file()) continue;
    files.emplace(Lower(fs::relative(f.path(), dir).generic_string()), ReadFile(f.path()));
  }
  return files;
}

struct Expected {
  std::vector<std::string> refused;
  // lhasa finds no archive in a Windows self-extracting program, writes
  // nothing of a header without names, and nothing below a link it refused:
  // the library then extracts more (below the folder extracted to).
  bool more_than_lhasa = false;
  bool truncated = false;  // refused whole: lhasa writes the partial file
  // Stored with a root: written under the folder extracted to, as lhasa does.
  std::vector<std::string> rooted = {};
};

// Archives whose entries the library refuses, and why; every other sample
// must come back whole.
const std::map<std::string, Expected>& Expectations() {
  static const std::map<std::string, Expected> kExpected = {
      {"regression/abspath.lzh", {{}, false, false, {"tmp/absolute_path.txt"}}},
      {"regression/badterm.lzh", {{"/tmp/\x1B]2;malicious\a\n: path 5"}}},
      {"regression/dotdot.lzh", {{"../evil1.txt: path 3", "foo/../../evil2.txt: path 3"}}},
      {"regression/symlink1.lzh", {{"foo.txt|bar.txt: link"}}},
      {"regression/symlink2.lzh", {{"etc|../../etc: link"}, true}},
      {"regression/symlink3.lzh", {{"etc|/tmp: link"}, true}},
      {"regression/truncated.lzh", {{}, false, true}},
      // LHARK's own method under the name -lh7-: damaged as -lh7-, never
      // decoded into something else.
      {"lhark04d/lh7.lzh", {{"GPL-2: decode 2"}}},
      {"lhark04d/lh7_long.lzh", {{"LONG.TXT: decode 2"}}},
      {"lha_unix114i/h0_symlink.lzh", {{"symlink|target: link"}}},
      {"lha_unix114i/h1_symlink.lzh", {{"symlink|target: link"}}},
      {"lha_unix114i/h2_symlink.lzh", {{"symlink|target: link"}}},
      {"lha_unix114i/h1_symlink2.lzh", {{"symlink|path/to/target: link"}}},
      {"lha_unix114i/h2_symlink2.lzh", {{"symlink|path/to/target: link"}}},
      {"lha_unix114i/h1_symlink3.lzh", {{"subdir/symlink|/absolute/path: link"}}},
      {"lha_unix114i/h2_symlink3.lzh", {{"subdir/symlink|/absolute/path: link"}}},
      {"lha_unix114i/h0_subdir.lzh", {{": path 1", ": path 1"}, true}},
      {"explzh_723/declha_sfx_ansi.exe", {{}, true}},
      {"explzh_723/declha_sfx_unicode.exe", {{}, true}},
  };
  return kExpected;
}

bool Refused(const std::string& path, const std::vector<std::string>& refused) {
  return std::any_of(refused.begin(), refused.end(), [&](const std::string& r) {
    const std::string name = Lower(r.substr(0, r.rfind(": ")));
    return name.find('|') != std::string::npos ? path.starts_with(name.substr(0, name.find('|')))
                                               : name.ends_with(path);
  });
}

TEST(Samples, EveryArchiveReadsAsLhasaExtractsItOrIsRefused) {
  const fs::path root = yx::test::kSamplesDir;
  ASSERT_TRUE(fs::is_directory(root)) << root;
  TempDir temp;
  int archives = 0;
  for (const auto& f : fs::recursive_directory_iterator(root)) {
    const fs::path& p = f.path();
    if (!f.is_regular_file() || p.filename() == "README" || p.extension() == ".md") continue;
    ++archives;
    const std::string name = fs::relative(p, root).generic_string();
    SCOPED_TRACE(name);
    FileRandomSource source(p);
    const Outcome ours = ReadWithLibrary(source);
    const auto it = Expectations().find(name);
    const Expected expected = it == Expectations().end() ? Expected{} : it->second;
    EXPECT_EQ(ours.listing, expected.truncated ? ListResult::kDamaged : ListResult::kOk);
    if (expected.truncated) continue;
    const auto lhasa = ExtractWithLhasa(p, temp.Path() / name);
    EXPECT_EQ(ours.refused, expected.refused);
    EXPECT_EQ(ours.rooted, expected.rooted);
    for (const auto& [path, bytes] : lhasa) {
      const auto found = ours.files.find(path);
      if (found != ours.files.end()) {
        EXPECT_TRUE(found->second == bytes) << path;
      } else {
        EXPECT_TRUE(Refused(path, ours.refused)) << "missing " << path;
      }
    }
    if (!expected.more_than_lhasa) {
      for (const auto& [path, bytes] : ours.files) EXPECT_TRUE(lhasa.count(path)) << path;
    }
  }
  EXPECT_GT(archives, 90);
}

// Kinds of archive the sample folder lacks, each built from the bytes the
// format gives it.

struct Built {
  const char* kind;
  Bytes archive;
  std::map<std::string, std::string> files;
  Expected expected;
  std::map<std::string, uint32_t> unix_times = {};
  std::map<std::string, std::string> comments = {};
};

std::vector<Built> BuiltArchives() {
  std::string mac_lookalike = MacBinaryLicence();
  mac_lookalike[124] ^= 1;  // the header's CRC no longer holds
  // The extension area of a level-0 header as OS-9/68k writes it: OS id 'K',
  // a version byte, the Unix time (2010-01-01 00:00 UTC), OS-9 permissions,
  // the user and group ids.
  const Bytes os9_68k = {'K', 0, 0x00, 0x3B, 0x3D, 0x4B, 0x1B, 0, 0, 0, 0, 0};
  // A stub's own little archive (a usage text) and code after it, then the
  // real archive.
  const Bytes stub = Archive({{'M', 'Z'},
                              Bytes(30, 0x90),
                              StoredEntry(0, "usage.txt", "usage: x [archive]", {}),
                              Bytes(40, 0x4E)});
  return {
      {"MacBinary data fork; a plain file of a Mac archive stays whole",
       Archive({StoredEntry(1, "gpl-2", MacBinaryLicence(), kMacLevel1),
                StoredEntry(1, "looks-like", mac_lookalike, kMacLevel1),
                {0}}),
       {{"gpl-2", kLicence}, {"looks-like", mac_lookalike}},
       {}},
      {"Amiga comment after a NUL in the name",
       Archive({StoredEntry(0, std::string("metadata.txt\0a comment", 22), "meta\n", {}), {0}}),
       {{"metadata.txt", "meta\n"}},
       {},
       {},
       {{"metadata.txt", "a comment"}}},
      {"OS-9/68k level-0 Unix time",
       Archive({StoredEntry(0, "gpl2", kLicence, os9_68k), {0}}),
       {{"gpl2", kLicence}},
       {},
       {{"gpl2", 1262304000}}},
      {"self-extractor whose stub holds an archive-looking block",
       Archive({stub, StoredEntry(0, "real.txt", "real", {}), {0}}),
       {{"real.txt", "real"}},
       {}},
      {"drive and root removed; UNC names refused",
       Archive({StoredEntry(0, "C:\\dir\\a.txt", "a", {}),
                StoredEntry(0, "/Mounted Volume/b.txt", "b", {}),
                StoredEntry(0, "\\\\server\\share\\c.txt", "c", {}),
                {0}}),
       {{"dir/a.txt", "a"}, {"mounted volume/b.txt", "b"}},
       {{"//server/share/c.txt: path 2"}, false, false, {"dir/a.txt", "Mounted Volume/b.txt"}}},
  };
}

TEST(Samples, KindsWithoutASampleReadFromTheirBytes) {
  for (const Built& b : BuiltArchives()) {
    SCOPED_TRACE(b.kind);
    FileRandomSource source(b.archive);
    const Outcome ours = ReadWithLibrary(source);
    EXPECT_EQ(ours.listing, ListResult::kOk);
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : ours.files)
      files[path] = std::string(bytes.begin(), bytes.end());
    EXPECT_EQ(files, b.files);
    EXPECT_EQ(ours.refused, b.expected.refused);
    EXPECT_EQ(ours.rooted, b.expected.rooted);
    EXPECT_EQ(ours.comments, b.comments);
    for (const auto& [path, time] : b.unix_times) EXPECT_EQ(ours.unix_times.at(path), time);
  }
  // Decoders hand their bytes on in pieces of any size.
  const std::string mac = MacBinaryLicence();
  MemorySink sink;
  DataForkSink fork(sink, mac.size());
  for (const char c : mac) ASSERT_TRUE(fork.Write(reinterpret_cast<const uint8_t*>(&c), 1));
  EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), kLicence);
}

}  // namespace
}  // namespace yx::lha::test
