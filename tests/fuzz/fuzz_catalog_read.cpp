// A catalog as a damaged disk or another program might leave it: the reader
// never reads out of bounds nor accepts a path outside its backup, and what
// it accepts is written again as the same catalog. The input is tried as it
// is, and again as the body of a file of each version whose checksums hold,
// so the fuzzer gets past them to the entries.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/catalog_bytes.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

void Read(const std::string& bytes) {
  yx::catalog::Catalog catalog;
  if (yx::catalog::Decode(bytes, catalog) != yx::catalog::Refusal::kNone) return;
  for (const yx::catalog::Entry& e : catalog.entries)
    Check(!e.path.empty() && e.path.front() != u'\\' && e.path != u".." &&
          !e.path.starts_with(u"..\\") && e.path.find(u"\\..\\") == std::u16string::npos &&
          !e.path.ends_with(u"\\..") && e.path.find(u':') == std::u16string::npos);
  yx::catalog::Catalog again;
  Check(yx::catalog::Decode(yx::catalog::Encode(catalog), again) == yx::catalog::Refusal::kNone);
  Check(again == catalog);
  if (catalog.entries.empty()) return;
  std::optional<yx::catalog::Entry> found;
  Check(yx::catalog::FindIn(bytes, catalog.entries.back().path, found) ==
            yx::catalog::Refusal::kNone &&
        found == catalog.entries.back());
}

// The magic, the version and a head of one empty run, with its checksum.
std::string Head(char version) {
  std::string file = std::string("YXCT") + version;
  std::string head;
  yx::catalog::PutVarint(head, 0);
  head += '\0';
  yx::catalog::PutVarint(head, 0);
  head += '\0';
  for (int i = 0; i < 6; ++i) yx::catalog::PutVarint(head, 0);
  yx::catalog::PutVarint(file, head.size());
  file += head;
  yx::catalog::PutFixed64(file, yx::catalog::ChecksumOf(file));
  return file;
}

// The input as the blocks of a version 2 catalog, behind an index whose
// checksums hold: its first byte says how many blocks (1 to 4), the next
// ones how long each is but the last; each block's first path is taken from
// its first bytes.
std::string Version2(std::string_view in) {
  std::vector<std::string_view> blocks;
  if (!in.empty()) {
    const size_t count = static_cast<uint8_t>(in[0]) % 4 + 1;
    const std::string_view sizes = in.substr(1, count - 1);
    in.remove_prefix(std::min(in.size(), count));
    for (const char size : sizes) {
      blocks.push_back(in.substr(0, static_cast<uint8_t>(size)));
      in.remove_prefix(blocks.back().size());
    }
    blocks.push_back(in);
  }
  std::string index, previous;
  yx::catalog::PutVarint(index, blocks.size());
  for (const std::string_view block : blocks) {
    yx::catalog::ByteReader r(block);
    (void)r.Varint();
    const std::optional<uint64_t> length = r.Varint();
    const std::string first(length ? r.Bytes(*length).value_or("") : "");
    size_t shared = 0;
    while (shared < first.size() && shared < previous.size() && first[shared] == previous[shared])
      ++shared;
    yx::catalog::PutVarint(index, shared);
    yx::catalog::PutVarint(index, first.size() - shared);
    index += first.substr(shared);
    previous = first;
    yx::catalog::PutVarint(index, block.size());
    yx::catalog::PutFixed64(index, yx::catalog::ChecksumOf(block));
  }
  std::string file = Head('\x02');
  yx::catalog::PutVarint(file, index.size());
  file += index;
  yx::catalog::PutFixed64(file, yx::catalog::ChecksumOf(index));
  for (const std::string_view block : blocks) file += block;
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  Read(in);
  // The input as the entries of a version 1 catalog.
  std::string file = Head('\x01') + in;
  yx::catalog::PutFixed64(file, yx::catalog::ChecksumOf(file));
  Read(file);
  Read(Version2(in));
  return 0;
}
