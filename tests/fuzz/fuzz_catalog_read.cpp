// A catalog as a damaged disk or another program might leave it: the reader
// never reads out of bounds nor accepts a path outside its backup, and what
// it accepts is written again as the same catalog. The input is tried as it
// is, and again as the body of a file whose checksums hold, so the fuzzer
// gets past them to the entries.
#include <cstdint>
#include <cstdlib>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  Read(in);
  // A head of one empty run, then the input as the entries.
  std::string file = "YXCT\x01";
  std::string head;
  yx::catalog::PutVarint(head, 0);
  head += '\0';
  yx::catalog::PutVarint(head, 0);
  head += '\0';
  for (int i = 0; i < 6; ++i) yx::catalog::PutVarint(head, 0);
  yx::catalog::PutVarint(file, head.size());
  file += head;
  yx::catalog::PutFixed64(file, yx::catalog::ChecksumOf(file));
  file += in;
  yx::catalog::PutFixed64(file, yx::catalog::ChecksumOf(file));
  Read(file);
  return 0;
}
