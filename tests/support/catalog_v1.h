#pragma once
// A catalog as the previous version of the program wrote it (version 1: one
// run of entries sorted by UTF-16 code units, no creation times, one checksum
// over the whole file), for the tests that a destination it wrote still reads.
#include <algorithm>
#include <string>

#include "catalog/catalog.h"
#include "catalog/catalog_bytes.h"

namespace yx::test {

inline std::string CatalogVersion1(catalog::Catalog c) {
  using namespace catalog;
  // The head is the same in both versions but for the version byte.
  const std::string current = Encode(c);
  ByteReader in(std::string_view(current).substr(5));
  const uint64_t head = in.Varint().value_or(0);
  std::string out = "YXCT\x01" + current.substr(5, current.size() - 5 - in.Left() + head);
  PutFixed64(out, ChecksumOf(out));
  std::ranges::sort(c.entries, {}, &Entry::path);
  PutVarint(out, c.entries.size());
  std::string previous;
  uint64_t modified = 0;
  for (const Entry& e : c.entries) {
    const std::string path = ToWtf8(e.path);
    const size_t shared = std::ranges::mismatch(path, previous).in1 - path.begin();
    PutVarint(out, shared);
    PutVarint(out, path.size() - shared);
    out += path.substr(shared);
    const bool located = c.run.kind == Kind::kArchive && !e.folder;
    out += static_cast<char>((e.folder ? 1 : 0) | (e.linked ? 2 : 0) | (located ? 4 : 0));
    PutVarint(out, e.attributes);
    PutVarint(out, ZigZag(static_cast<int64_t>(e.modified - modified)));
    modified = e.modified;
    if (!e.folder) {
      PutVarint(out, e.size);
      PutFixed64(out, e.hash.low);
      PutFixed64(out, e.hash.high);
    }
    if (located) PutVarint(out, e.locator);
    previous = path;
  }
  PutFixed64(out, ChecksumOf(out));
  return out;
}

}  // namespace yx::test
