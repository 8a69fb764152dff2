// The files of an add command, opened and read ahead on a thread of their
// own: what the compressor takes must be each file's bytes exactly, in order
// or not, read again from the start when it rewinds, and nothing may stay
// open once the command is over.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "lha/win/read_ahead.h"
#include "support/temp_folder.h"
#include "win/unique_handle.h"

namespace yx::lha::win {
namespace {

std::string Bytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// Reads the content to its end in pieces of `piece` bytes.
std::string ReadAll(ContentSource& content, size_t piece) {
  std::string all;
  std::vector<uint8_t> buffer(piece);
  for (;;) {
    size_t got = 0;
    EXPECT_TRUE(content.Read(buffer.data(), piece, got));
    all.append(reinterpret_cast<const char*>(buffer.data()), got);
    if (got < piece) return all;
  }
}

// True when nobody holds the file open: it can be opened sharing nothing.
bool NobodyHasItOpen(const std::wstring& path) {
  const yx::win::UniqueFile f(
      ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(f);
}

// The read-ahead asks for each file when it comes to it.
ReadAhead Over(const std::vector<ReadAhead::File>& files) {
  return ReadAhead(files.size(), [&files](size_t i) { return files[i]; });
}

class ReadAheadTest : public ::testing::Test {
 protected:
  // Sizes around the part read ahead (256 KiB) and the reader's pieces.
  void SetUp() override {
    const size_t sizes[] = {0, 1, 4096, 262143, 262144, 262145, 1000000, 7};
    for (size_t i = 0; i < std::size(sizes); ++i) {
      contents_.push_back(Bytes(sizes[i], static_cast<unsigned>(i)));
      files_.push_back(
          {dir_.WriteFile(L"f" + std::to_wstring(i) + L".bin", contents_.back()), sizes[i]});
    }
  }
  yx::test::TempFolder dir_;
  std::vector<ReadAhead::File> files_;
  std::vector<std::string> contents_;
};

TEST_F(ReadAheadTest, EveryFileWholeInOrderAndAfterARewind) {
  ReadAhead ahead = Over(files_);
  for (size_t i = 0; i < files_.size(); ++i) {
    auto content = ahead.Take(i);
    ASSERT_NE(content, nullptr) << i;
    EXPECT_EQ(ReadAll(*content, 65536), contents_[i]) << i;
    // Part read, then from the start again, as a stored fallback does.
    ASSERT_TRUE(content->Rewind());
    EXPECT_EQ(ReadAll(*content, 100000), contents_[i]) << i;
  }
}

// Files that grew or shrank after the folder was listed.
TEST_F(ReadAheadTest, SizesFromAnOlderListingStillGiveTheWholeFile) {
  for (const uint64_t listed : {uint64_t{0}, uint64_t{4095}, uint64_t{1} << 40}) {
    std::vector<ReadAhead::File> files = files_;
    for (ReadAhead::File& f : files) f.size = listed;
    ReadAhead ahead = Over(files);
    for (size_t i = 0; i < files.size(); ++i) {
      auto content = ahead.Take(i);
      ASSERT_NE(content, nullptr) << i;
      EXPECT_EQ(ReadAll(*content, 50000), contents_[i]) << i << " listed as " << listed;
    }
  }
}

TEST_F(ReadAheadTest, SkippedAndRepeatedFilesAreOpenedOnTheSpot) {
  ReadAhead ahead = Over(files_);
  auto fifth = ahead.Take(5);
  ASSERT_NE(fifth, nullptr);
  EXPECT_EQ(ReadAll(*fifth, 4096), contents_[5]);
  for (size_t i : {2u, 5u, 6u}) {  // behind, again, then on in order
    auto content = ahead.Take(i);
    ASSERT_NE(content, nullptr) << i;
    EXPECT_EQ(ReadAll(*content, 4096), contents_[i]) << i;
  }
  EXPECT_EQ(ahead.Take(files_.size()), nullptr);
}

// Further on than the thread has come, past a full queue: opened on the
// spot, not waited for.
TEST_F(ReadAheadTest, AFileFarAheadIsReachedPastAFullQueue) {
  std::vector<ReadAhead::File> many;
  for (int i = 0; i < 60; ++i)
    many.push_back({dir_.WriteFile(L"many" + std::to_wstring(i), std::to_string(i)), 2});
  ReadAhead ahead = Over(many);
  for (size_t i : {0u, 37u, 38u, 59u}) {
    auto content = ahead.Take(i);
    ASSERT_NE(content, nullptr) << i;
    EXPECT_EQ(ReadAll(*content, 10), std::to_string(i));
  }
}

TEST_F(ReadAheadTest, AMissingFileFailsAloneAndNothingStaysOpen) {
  std::vector<ReadAhead::File> files = files_;
  files.insert(files.begin() + 3, {dir_.Path() + L"missing.bin", 10});
  {
    ReadAhead ahead = Over(files);
    EXPECT_NE(ahead.Take(0), nullptr);
    EXPECT_NE(ahead.Take(2), nullptr);
    EXPECT_EQ(ahead.Take(3), nullptr);
    auto after = ahead.Take(4);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(ReadAll(*after, 4096), contents_[3]);
    // The command ends here, with files still read ahead.
  }
  for (const ReadAhead::File& f : files_) EXPECT_TRUE(NobodyHasItOpen(f.path));
}

TEST_F(ReadAheadTest, ALockedFileIsReportedWhenTaken) {
  const yx::win::UniqueFile lock(
      ::CreateFileW(files_[2].path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  ReadAhead ahead = Over(files_);
  EXPECT_NE(ahead.Take(1), nullptr);
  EXPECT_EQ(ahead.Take(2), nullptr);
  EXPECT_NE(ahead.Take(3), nullptr);
}

// The compressors take at once, each the files it claimed in turn; whatever
// the interleaving, each gets its files' bytes.
TEST_F(ReadAheadTest, SeveralTakersAtOnceEachGetTheirFiles) {
  std::vector<ReadAhead::File> many;
  std::vector<std::string> contents;
  for (unsigned i = 0; i < 90; ++i) {
    contents.push_back(Bytes(1000 + i * 3000, 100 + i));
    many.push_back(
        {dir_.WriteFile(L"t" + std::to_wstring(i), contents.back()), contents[i].size()});
  }
  ReadAhead ahead = Over(many);
  std::vector<std::string> got(many.size());
  std::vector<std::thread> takers;
  for (size_t t = 0; t < 3; ++t)
    takers.emplace_back([&, t] {
      for (size_t i = t; i < many.size(); i += 3)
        if (auto content = ahead.Take(i)) got[i] = ReadAll(*content, 65536);
    });
  for (std::thread& t : takers) t.join();
  for (size_t i = 0; i < many.size(); ++i) EXPECT_EQ(got[i], contents[i]) << i;
}

// A file read whole is closed by the read-ahead thread, not by the compressor
// that takes it: closing costs about as much as opening under Wine.
TEST_F(ReadAheadTest, AFileReadWholeIsClosedBeforeItIsTaken) {
  ReadAhead ahead = Over(files_);
  // Taken in turn, so that file 2 is the thread's next, waited for rather
  // than opened on the spot.
  for (size_t i : {0u, 1u}) ASSERT_NE(ahead.Take(i), nullptr);
  auto small = ahead.Take(2);  // 4096 bytes
  ASSERT_NE(small, nullptr);
  EXPECT_TRUE(NobodyHasItOpen(files_[2].path));
  EXPECT_EQ(ReadAll(*small, 1000), contents_[2]);
  ASSERT_TRUE(small->Rewind());
  EXPECT_EQ(ReadAll(*small, 1000), contents_[2]);
  auto large = ahead.Take(6);  // 1000000 bytes: read on by the compressor
  ASSERT_NE(large, nullptr);
  EXPECT_FALSE(NobodyHasItOpen(files_[6].path));
}

}  // namespace
}  // namespace yx::lha::win
