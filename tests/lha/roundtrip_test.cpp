// Archives written by the library, checked by three independent decoders:
// every file must come back byte for byte, and each decoder must list exactly
// the entries written (lhasa stops quietly at a damaged header, so its exit
// code alone proves nothing).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>

#include "lha/core/archive_check.h"
#include "lha/core/archive_reader.h"
#include "support/build_paths.h"
#include "lha/core/archive_writer.h"
#include "lha/core/lh5_encoder.h"
#include "posix_support.h"

namespace yx::lha::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

// Word salad: compressible like prose, with matches of every length and distance.
Bytes Text(size_t n, uint32_t seed) {
  static const char* const kWords[] = {
      "the", "archive", "of",   "a",      "backup", "copy", "folder", "window",  "settings", "run",
      "log", "file",    "\r\n", "static", "const",  "int",  "return", "(void);", "{",        "}\n"};
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    const char* w = kWords[rng() % std::size(kWords)];
    b.insert(b.end(), w, w + std::strlen(w));
    b.push_back(rng() % 7 == 0 ? '\n' : ' ');
  }
  b.resize(n);
  return b;
}

struct File {
  std::string name;  // may hold '/' for folders
  Bytes data;
};

NewEntry EntryFor(const File& f, size_t piece = 1 << 20) {
  NewEntry e;
  const size_t cut = f.name.rfind('/');
  e.header.name = cut == std::string::npos ? f.name : f.name.substr(cut + 1);
  if (cut != std::string::npos) {
    for (char c : f.name.substr(0, cut)) e.header.directory += c == '/' ? '\xFF' : c;
    e.header.directory += '\xFF';
  }
  e.header.unix_time = 1700000000;
  e.header.code_page = 932;
  e.size = f.data.size();
  const Bytes data = f.data;
  e.open = [data, piece] { return std::make_unique<MemoryContent>(data, piece); };
  return e;
}

std::vector<NewEntry> EntriesFor(const std::vector<File>& files) {
  std::vector<NewEntry> entries;
  for (const File& f : files) entries.push_back(EntryFor(f));
  return entries;
}

// Three workers: every archive of these tests goes through the parallel
// writer (Parallel below holds it to the single thread's bytes).
void WriteNew(const fs::path& archive, const std::vector<File>& files,
              const ParserOptions& options = {}) {
  FileSink sink(archive);
  ASSERT_EQ(WriteArchive(nullptr, {}, EntriesFor(files), sink, options, 3).status,
            WriteStatus::kOk);
}

// Extracts with each decoder into its own folder and compares every file.
void ExpectDecodersAgree(const fs::path& archive, const std::vector<File>& files,
                         const fs::path& work) {
  const std::vector<std::pair<std::string, std::string>> decoders = {
      {"lhasa", "lhasa xqf " + Quote(archive)},
      {"7z", "7z x -y " + Quote(archive)},
      {"bsdtar", "bsdtar -xf " + Quote(archive)}};
  for (const auto& [name, command] : decoders) {
    const fs::path out = work / ("out-" + name);
    fs::create_directories(out);
    const CommandResult r = RunCommand(command, out);
    EXPECT_EQ(r.exit_code, 0) << name << ": " << r.output;
    for (const File& f : files) {
      const fs::path p = out / f.name;
      ASSERT_TRUE(fs::exists(p)) << name << " did not extract " << f.name;
      EXPECT_TRUE(ReadFile(p) == f.data) << name << " changed " << f.name;
    }
  }
  const int count = static_cast<int>(files.size());
  EXPECT_EQ(LhasaEntryCount(archive), count);
  EXPECT_EQ(SevenZipEntryCount(archive), count);
  EXPECT_EQ(BsdtarEntryCount(archive), count);
}

std::vector<ArchiveEntry> List(const fs::path& archive) {
  FileRandomSource source(archive);
  std::vector<ArchiveEntry> entries;
  EXPECT_EQ(ListArchive(source, entries), ListResult::kOk);
  return entries;
}

std::string Method(const ArchiveEntry& e) { return std::string(e.header.method.data(), 5); }

TEST(RoundTrip, EdgeSizesAndKindsOfData) {
  TempDir dir;
  std::vector<File> files = {
      {"empty.bin", {}},
      {"one.bin", {0x41}},
      {"two.bin", {0, 0}},
      {"three.txt", {'a', 'a', 'a'}},
      {"random.bin", RandomBytes(300 * 1024, 1)},  // stored: it cannot shrink
      {"zeros.bin", Bytes(1 << 20, 0)},            // matches of 256 at distance 1
      {"runs.txt", Bytes(65536, 'A')},
      {"text.txt", Text(200000, 2)},
  };
  // Around the window, the stretch the parser works on, and the input buffer.
  for (size_t n : {8191u, 8192u, 8193u, 32767u, 32768u, 32769u, 33024u, 49407u, 49408u, 49409u,
                   65536u, 65537u, 98305u}) {
    files.push_back({"text" + std::to_string(n) + ".txt", Text(n, static_cast<uint32_t>(n))});
  }
  // Text, then noise, then a run: the blocks must switch tables on the way.
  Bytes mixed = Text(70000, 3);
  const Bytes noise = RandomBytes(20000, 4);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  mixed.insert(mixed.end(), 30000, 'z');
  files.push_back({"mixed.bin", mixed});

  const fs::path archive = dir.Path() / "edge.lzh";
  WriteNew(archive, files);
  ExpectDecodersAgree(archive, files, dir.Path());

  const auto entries = List(archive);
  ASSERT_EQ(entries.size(), files.size());
  EXPECT_EQ(Method(entries[0]), "-lh0-");  // empty
  EXPECT_EQ(Method(entries[1]), "-lh0-");  // one byte cannot shrink
  EXPECT_EQ(Method(entries[4]), "-lh0-");
  EXPECT_EQ(entries[4].data_size, 300u * 1024);
  EXPECT_EQ(Method(entries[5]), "-lh5-");
  EXPECT_LT(entries[5].data_size, 1000u);
  EXPECT_EQ(Method(entries[7]), "-lh5-");
  EXPECT_LT(entries[7].data_size, 200000u / 3);
}

TEST(RoundTrip, MatchesAtTheEdgesOfDistanceAndLength) {
  TempDir dir;
  std::vector<File> files;
  const Bytes unique = RandomBytes(600, 5);
  // The same 600 bytes again one window back and just beyond it.
  for (int gap : {8190, 8191, 8192, 8193}) {
    Bytes b(unique.begin(), unique.end());
    const Bytes filler = RandomBytes(static_cast<size_t>(gap) - unique.size(), 6);
    b.insert(b.end(), filler.begin(), filler.end());
    b.insert(b.end(), unique.begin(), unique.end());
    files.push_back({"distance" + std::to_string(gap) + ".bin", b});
  }
  // Repeats of 255, 256, 257 and 512 bytes: the longest match and one past it.
  for (size_t len : {255u, 256u, 257u, 512u}) {
    Bytes b(unique.begin(), unique.begin() + static_cast<ptrdiff_t>(len));
    b.insert(b.end(), 40, '-');
    b.insert(b.end(), unique.begin(), unique.begin() + static_cast<ptrdiff_t>(len));
    files.push_back({"length" + std::to_string(len) + ".bin", b});
  }
  const fs::path archive = dir.Path() / "edges.lzh";
  WriteNew(archive, files);
  ExpectDecodersAgree(archive, files, dir.Path());
}

TEST(RoundTrip, RealFilesSourcesAndMachineCode) {
  TempDir dir;
  std::vector<File> files;
  for (const char* name : {"lh5_parser.cpp", "header.cpp", "lh5_block.cpp"})
    files.push_back({name, ReadFile(fs::path(yx::test::kSourceDir) / "lha" / "core" / name)});
  files.push_back({"self.exe", ReadFile("/proc/self/exe")});
  for (const File& f : files) ASSERT_GT(f.data.size(), 1000u) << f.name;
  const fs::path archive = dir.Path() / "real.lzh";
  WriteNew(archive, files);
  ExpectDecodersAgree(archive, files, dir.Path());
}

// The benchmark's measure of how small -lh5- gets: its archives must decode
// like any other, and come out no larger than lazy evaluation's.
TEST(RoundTrip, ShortestPathParse) {
  TempDir dir;
  std::vector<File> files = {
      {"zeros.bin", Bytes(100000, 0)}, {"text.txt", Text(120000, 11)}, {"short.txt", Text(40, 12)}};
  Bytes mixed = Text(40000, 13);
  const Bytes noise = RandomBytes(9000, 14);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  mixed.insert(mixed.end(), mixed.begin(), mixed.begin() + 30000);
  files.push_back({"mixed.bin", mixed});
  Bytes code = ReadFile("/proc/self/exe");
  code.resize(std::min<size_t>(code.size(), 300000));
  files.push_back({"code.bin", code});
  ParserOptions options;
  options.shortest_path_passes = 2;
  const fs::path lazy = dir.Path() / "lazy.lzh";
  const fs::path shortest = dir.Path() / "shortest.lzh";
  WriteNew(lazy, files);
  WriteNew(shortest, files, options);
  ExpectDecodersAgree(shortest, files, dir.Path());
  EXPECT_LT(fs::file_size(shortest), fs::file_size(lazy));
}

TEST(RoundTrip, FoldersInNames) {
  TempDir dir;
  const std::vector<File> files = {{"Work/a.txt", Text(1000, 7)},
                                   {"Work/sub/b.txt", Text(5000, 8)},
                                   {"Mail/c.txt", Text(3000, 9)}};
  const fs::path archive = dir.Path() / "folders.lzh";
  WriteNew(archive, files);
  ExpectDecodersAgree(archive, files, dir.Path());
  const auto entries = List(archive);
  EXPECT_EQ(entries[1].header.directory,
            "Work\xFF"
            "sub\xFF");
}

TEST(Encoder, OutputDoesNotDependOnHowTheInputArrives) {
  const Bytes text = Text(150000, 10);
  MemorySink whole, bytewise;
  Lh5Encoder a(whole);
  ASSERT_TRUE(a.Write(text.data(), text.size()));
  ASSERT_TRUE(a.Finish());
  Lh5Encoder b(bytewise);
  for (size_t i = 0; i < text.size(); i += 1 + i % 5000)
    ASSERT_TRUE(b.Write(text.data() + i, std::min<size_t>(1 + i % 5000, text.size() - i)));
  ASSERT_TRUE(b.Finish());
  EXPECT_EQ(whole.bytes, bytewise.bytes);
  EXPECT_EQ(a.PackedSize(), whole.bytes.size());
}

// One encoder serves every file of an archive: nothing of one stream may
// leak into the next (a stale statistic would still decode, only worse).
TEST(Encoder, ReusedForANewStreamActsAsAFreshOne) {
  const Bytes first = Text(90000, 20);
  const Bytes second = Text(70000, 21);
  MemorySink a, b, fresh;
  Lh5Encoder reused(a);
  ASSERT_TRUE(reused.Write(first.data(), first.size()));
  ASSERT_TRUE(reused.Finish());
  reused.Start(b);
  ASSERT_TRUE(reused.Write(second.data(), second.size()));
  ASSERT_TRUE(reused.Finish());
  Lh5Encoder once(fresh);
  ASSERT_TRUE(once.Write(second.data(), second.size()));
  ASSERT_TRUE(once.Finish());
  EXPECT_EQ(b.bytes, fresh.bytes);
  EXPECT_EQ(reused.PackedSize(), fresh.bytes.size());
}

// jLHA (a Java LHA tool in Debian) writes the older header levels; an update
// must list them and copy them unchanged.
TEST(Update, LevelZeroAndOneArchivesFromAnotherTool) {
  if (RunCommand("command -v jlha").exit_code != 0) GTEST_SKIP() << "jlha is not installed";
  TempDir dir;
  const Bytes text = Text(20000, 15);
  fs::create_directories(dir.Path() / "src");
  WriteFile(dir.Path() / "src" / "old.txt", text);
  for (int level : {0, 1}) {
    const std::string name = "level" + std::to_string(level) + ".lzh";
    const CommandResult made =
        RunCommand("jlha a" + std::to_string(level) + "q " + name + " src/old.txt", dir.Path());
    ASSERT_EQ(made.exit_code, 0) << made.output;
    FileRandomSource old(dir.Path() / name);
    std::vector<ArchiveEntry> entries;
    ASSERT_EQ(ListArchive(old, entries), ListResult::kOk);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].header.level, level);
    EXPECT_EQ(entries[0].header.name, "old.txt");
    EXPECT_EQ(entries[0].header.directory, "src\xFF");
    EXPECT_EQ(entries[0].header.original_size, text.size());

    const fs::path updated = dir.Path() / ("updated" + std::to_string(level) + ".lzh");
    {
      FileSink sink(updated);
      const std::vector<NewEntry> add = {EntryFor({"new.txt", Text(500, 16)})};
      const KeptEntry keep[] = {KeptEntry::Of(entries[0])};
      ASSERT_EQ(WriteArchive(&old, keep, add, sink).status, WriteStatus::kOk);
    }
    const fs::path work = dir.Path() / ("x" + std::to_string(level));
    fs::create_directories(work);
    ExpectDecodersAgree(updated, {{"src/old.txt", text}, {"new.txt", Text(500, 16)}}, work);
  }
}

TEST(Reader, DamageAndForeignFilesAreRefused) {
  TempDir dir;
  const fs::path good = dir.Path() / "good.lzh";
  WriteNew(good, {{"a.txt", Text(3000, 17)}, {"b.txt", Text(3000, 18)}});
  Bytes bytes = ReadFile(good);
  const auto entries = List(good);
  ASSERT_EQ(entries.size(), 2u);

  auto list = [&](const Bytes& b) {
    WriteFile(dir.Path() / "t.lzh", b);
    FileRandomSource s(dir.Path() / "t.lzh");
    std::vector<ArchiveEntry> e;
    return ListArchive(s, e);
  };
  Bytes flipped = bytes;
  flipped[entries[1].offset + 12] ^= 1;  // original size of the second header
  EXPECT_EQ(list(flipped), ListResult::kDamaged);
  Bytes cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(entries[1].offset + 40));
  EXPECT_EQ(list(cut), ListResult::kDamaged);
  EXPECT_EQ(list(RandomBytes(5000, 19)), ListResult::kNotAnArchive);
  Bytes no_end_mark(bytes.begin(), bytes.end() - 1);
  EXPECT_EQ(list(no_end_mark), ListResult::kOk);
  EXPECT_EQ(list({}), ListResult::kOk);
}

// Small files around a window, files past the size that is compressed at its
// turn straight into the archive (one of them stored, as noise), and the
// program itself: every path of the writer, with entries finishing out of
// order.
std::vector<File> ParallelCorpus() {
  std::vector<File> files;
  for (uint32_t i = 0; i < 40; ++i)
    files.push_back({"small/t" + std::to_string(i) + ".txt", Text(100 + i * i * 150, 30 + i)});
  files.push_back({"big/text.txt", Text(kCompressAtTurnAbove + 12345, 90)});
  files.push_back({"big/noise.bin", RandomBytes(kCompressAtTurnAbove + 1, 91)});
  files.push_back({"after.txt", Text(5000, 92)});
  Bytes code = ReadFile("/proc/self/exe");
  code.resize(std::min<size_t>(code.size(), 1 << 20));
  files.push_back({"self.exe", code});
  files.push_back({"empty.txt", {}});
  return files;
}

TEST(Parallel, AnyNumberOfWorkersWritesTheSingleThreadsBytes) {
  TempDir dir;
  const std::vector<File> files = ParallelCorpus();
  const std::vector<NewEntry> entries = EntriesFor(files);
  Bytes one;
  for (int workers : {1, 2, 3, 8}) {
    const fs::path archive = dir.Path() / ("w" + std::to_string(workers) + ".lzh");
    {
      FileSink sink(archive);
      const WriteResult r = WriteArchive(nullptr, {}, entries, sink, {}, workers);
      ASSERT_EQ(r.status, WriteStatus::kOk) << workers;
      ASSERT_EQ(r.sums.size(), files.size());
      EXPECT_EQ(r.sums[40].size, files[40].data.size());
    }
    if (workers == 1) {
      one = ReadFile(archive);
    } else {
      EXPECT_TRUE(ReadFile(archive) == one) << workers << " workers wrote other bytes";
    }
  }
  ExpectDecodersAgree(dir.Path() / "w8.lzh", files, dir.Path());
}

// Gives the first half of its bytes in full reads, then fails: a file with
// a bad sector or a locked range.
class FailsPartWay : public ContentSource {
 public:
  explicit FailsPartWay(Bytes data) : data_(std::move(data)) {}
  bool Read(uint8_t* out, size_t size, size_t& got) override {
    if (done_ + size > data_.size() / 2) return false;
    std::memcpy(out, data_.data() + done_, size);
    done_ += got = size;
    return true;
  }
  bool Rewind() override {
    done_ = 0;
    return true;
  }

 private:
  Bytes data_;
  size_t done_ = 0;
};

CheckResult Check(const fs::path& archive, std::span<const EntrySum> sums);

TEST(Parallel, FilesThatCannotBeReadAreLeftOutWithoutATrace) {
  TempDir dir;
  const std::vector<File> files = ParallelCorpus();
  std::vector<NewEntry> entries = EntriesFor(files);
  // One that cannot be opened, a large one compressed into the archive and
  // one compressed into memory that fail part way.
  entries[7].open = []() -> std::unique_ptr<ContentSource> { return nullptr; };
  for (size_t bad : {40u, 43u})
    entries[bad].open = [data = files[bad].data] { return std::make_unique<FailsPartWay>(data); };
  std::vector<File> readable = files;
  for (size_t bad : {43u, 40u, 7u}) readable.erase(readable.begin() + static_cast<ptrdiff_t>(bad));
  Bytes one;
  for (int workers : {1, 4}) {
    const fs::path archive = dir.Path() / ("w" + std::to_string(workers) + ".lzh");
    WriteResult r;
    {
      FileSink out(archive);
      r = WriteArchive(nullptr, {}, entries, out, {}, workers);
    }
    ASSERT_EQ(r.status, WriteStatus::kOk) << workers;
    EXPECT_EQ(r.skipped, (std::vector<size_t>{7, 40, 43})) << workers;
    EXPECT_EQ(Check(archive, r.sums).status, CheckStatus::kOk) << workers;
    EXPECT_EQ(List(archive).size(), readable.size()) << workers;
    if (workers == 1)
      one = ReadFile(archive);
    else
      EXPECT_TRUE(ReadFile(archive) == one) << workers << " workers wrote other bytes";
  }
  ExpectDecodersAgree(dir.Path() / "w4.lzh", readable, dir.Path());
}

CheckResult Check(const fs::path& archive, std::span<const EntrySum> sums) {
  return CheckArchive([&] { return std::make_unique<FileRandomSource>(archive); }, {}, sums, 2);
}

// The decoder of the check against an encoder of another tool, in each of
// the window sizes it writes: jlha's CRCs must come out of what it packed.
TEST(Check, DecodesWhatJlhaPacksWithEveryWindow) {
  if (RunCommand("command -v jlha").exit_code != 0) GTEST_SKIP() << "jlha is not installed";
  TempDir dir;
  Bytes code = ReadFile("/proc/self/exe");
  code.resize(std::min<size_t>(code.size(), 400000));
  const std::vector<File> files = {{"src/text.txt", Text(300000, 40)},
                                   {"src/code.bin", code},
                                   {"src/zeros.bin", Bytes(70000, 0)}};
  fs::create_directories(dir.Path() / "src");
  for (const File& f : files) WriteFile(dir.Path() / f.name, f.data);
  for (const char* method : {"5", "6", "7"}) {
    const std::string name = std::string("lh") + method + ".lzh";
    const CommandResult made =
        RunCommand("jlha a2o" + std::string(method) + "q " + name + " src", dir.Path());
    ASSERT_EQ(made.exit_code, 0) << made.output;
    const std::vector<ArchiveEntry> listed = List(dir.Path() / name);
    std::vector<EntrySum> sums;
    int packed = 0;
    for (const ArchiveEntry& e : listed) {
      sums.push_back({e.offset, e.header.original_size, e.header.crc});
      packed += Method(e) == std::string("-lh") + method + "-";
    }
    EXPECT_EQ(packed, 3) << name;
    EXPECT_EQ(Check(dir.Path() / name, sums).status, CheckStatus::kOk) << name;
  }
}

TEST(Check, ADamagedEntryIsFoundAndNamed) {
  TempDir dir;
  const std::vector<File> files = ParallelCorpus();
  const fs::path archive = dir.Path() / "good.lzh";
  WriteResult written;
  {
    FileSink sink(archive);
    written = WriteArchive(nullptr, {}, EntriesFor(files), sink, {}, 2);
    ASSERT_EQ(written.status, WriteStatus::kOk);
  }
  EXPECT_EQ(Check(archive, written.sums).status, CheckStatus::kOk);
  const std::vector<ArchiveEntry> entries = List(archive);
  ASSERT_EQ(Method(entries[30]), "-lh5-");
  ASSERT_EQ(Method(entries[41]), "-lh0-");  // the noise
  const Bytes good = ReadFile(archive);
  const fs::path bad = dir.Path() / "bad.lzh";
  // A flipped bit in the middle and in the first byte of compressed data (the
  // block's count of codes), and one in stored data.
  for (const auto& [entry, at] : {std::pair<size_t, uint64_t>{30, 0}, {30, 1}, {41, 0}}) {
    const ArchiveEntry& e = entries[entry];
    Bytes damaged = good;
    damaged[e.offset + e.header_size + (at == 0 ? e.data_size / 2 : 0)] ^= 0x10;
    WriteFile(bad, damaged);
    const CheckResult r = Check(bad, written.sums);
    EXPECT_EQ(r.status, CheckStatus::kMismatch) << entry << " " << at;
    EXPECT_EQ(r.failed_entry, entry) << at;
  }
  std::vector<EntrySum> other = written.sums;
  ++other[12].size;
  EXPECT_EQ(Check(archive, other).failed_entry, 12u);
  EXPECT_EQ(Check(archive, std::span(other).first(20)).status, CheckStatus::kMismatch)
      << "an entry more than written";
}

}  // namespace
}  // namespace yx::lha::test
