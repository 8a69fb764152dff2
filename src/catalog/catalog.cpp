#include "catalog/catalog.h"

#include <algorithm>
#include <array>

#include "catalog/catalog_bytes.h"

namespace yx::catalog {
namespace {

constexpr std::string_view kMagic = "YXCT";
constexpr uint8_t kFolder = 1, kLinked = 2, kLocated = 4;
// Version 2: the creation time follows the entry before's, not the entry's
// own last-write time. Files copied onto a disk together were created
// together whenever they were last written: the shorter difference is kept.
constexpr uint8_t kCreatedInTurn = 8;
// A path as long as Windows allows, in WTF-8 at three bytes a code unit.
constexpr uint64_t kLongestPath = 32767 * 3;
// The fewest bytes an entry takes: bounds a count before anything is reserved.
constexpr uint64_t kSmallestEntry = 6;
// Entries a block holds: some 7 KB at a typical tree's 29 bytes an entry, so
// that a lookup reads little and the index holds a path per 256.
constexpr size_t kBlockEntries = 256;

void PutText(std::string& out, std::string_view text) {
  PutVarint(out, text.size());
  out += text;
}

std::string EncodeHead(const Run& run) {
  std::string head;
  PutText(head, run.id);
  head += static_cast<char>(run.kind);
  PutVarint(head, run.sources.size());
  for (const std::string& source : run.sources) PutText(head, source);
  head += static_cast<char>(run.outcome);
  for (uint64_t n : {run.files, run.folders, run.linked, run.copied, run.bytes, run.copied_bytes})
    PutVarint(head, n);
  return head;
}

// The bytes no name may hold: a table, as every path of a catalog is checked.
constexpr auto kForbidden = [] {
  std::array<bool, 256> table{};
  for (size_t c = 0; c < 0x20; ++c) table[c] = true;
  for (const char c : std::string_view("/:*?\"<>|")) table[static_cast<uint8_t>(c)] = true;
  return table;
}();

// A name Windows would refuse, or one that climbs out of the backup.
bool IsForeign(std::string_view path) {
  if (path.empty() || path.size() > kLongestPath) return true;
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string_view name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == "..") return true;
    for (const char c : name)
      if (kForbidden[static_cast<uint8_t>(c)]) return true;
    if (end == path.size()) return false;
    start = end + 1;
  }
}

// Equal as the restore compares names: ASCII letters whatever their case.
// Bytes of other characters never hold an ASCII byte in WTF-8, so they are
// compared as they are.
constexpr uint8_t Folded(char c) { return static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c); }

int CompareFolded(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i)
    if (Folded(a[i]) != Folded(b[i])) return Folded(a[i]) < Folded(b[i]) ? -1 : 1;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Version 2's order of paths (see catalog.h).
int CompareKeys(std::string_view a, std::string_view b) {
  const int folded = CompareFolded(a, b);
  return folded != 0 ? folded : a.compare(b);
}

// True when `path` sorts after `last` in version 1's order (UTF-16 code
// units), judged only where WTF-8's byte order surely agrees with it: the
// two differ first at an ASCII byte, or `last` is a prefix of `path`.
bool SurelyAfter(std::string_view path, std::string_view last) {
  const auto [p, l] = std::ranges::mismatch(path, last);
  if (l == last.end()) return p != path.end();
  if (p == path.end()) return false;
  const auto pb = static_cast<uint8_t>(*p), lb = static_cast<uint8_t>(*l);
  return pb > lb && (pb < 0x80 || lb < 0x80);
}

std::optional<uint8_t> VersionOf(std::string_view bytes) {
  if (bytes.size() <= kMagic.size() || !bytes.starts_with(kMagic)) return std::nullopt;
  return static_cast<uint8_t>(bytes[kMagic.size()]);
}

// The head, read up to its checksum; the reader then stands after it.
Refusal ReadHead(ByteReader& in, std::string_view bytes, Run& run) {
  const std::optional<std::string_view> magic = in.Bytes(kMagic.size());
  const std::optional<uint8_t> version = in.Byte();
  if (!magic || *magic != kMagic || !version || *version == 0) return Refusal::kDamaged;
  if (*version > kVersion) return Refusal::kLaterVersion;
  const std::optional<uint64_t> head_size = in.Varint();
  const size_t head_start = bytes.size() - in.Left();
  const std::optional<std::string_view> head = head_size ? in.Bytes(*head_size) : std::nullopt;
  const std::optional<uint64_t> checksum = in.Fixed64();
  if (!checksum || *checksum != ChecksumOf(bytes.substr(0, head_start + head->size())))
    return Refusal::kDamaged;
  ByteReader h(*head);
  const auto text = [&h]() -> std::optional<std::string> {
    const std::optional<uint64_t> size = h.Varint();
    const std::optional<std::string_view> t = size ? h.Bytes(*size) : std::nullopt;
    return t ? std::optional<std::string>(*t) : std::nullopt;
  };
  Run r;
  std::optional<std::string> id = text();
  const std::optional<uint8_t> kind = h.Byte();
  const std::optional<uint64_t> sources = h.Varint();
  if (!id || !kind || *kind > 1 || !sources || *sources > h.Left()) return Refusal::kDamaged;
  r.id = std::move(*id);
  r.kind = static_cast<Kind>(*kind);
  for (uint64_t i = 0; i < *sources; ++i) {
    std::optional<std::string> source = text();
    if (!source) return Refusal::kDamaged;
    r.sources.push_back(std::move(*source));
  }
  const std::optional<uint8_t> outcome = h.Byte();
  if (!outcome || *outcome > 2) return Refusal::kDamaged;
  r.outcome = static_cast<Outcome>(*outcome);
  for (uint64_t* n : {&r.files, &r.folders, &r.linked, &r.copied, &r.bytes, &r.copied_bytes}) {
    const std::optional<uint64_t> value = h.Varint();
    if (!value) return Refusal::kDamaged;
    *n = *value;
  }
  if (h.Left() != 0) return Refusal::kDamaged;
  run = std::move(r);
  return Refusal::kNone;
}

// A path front-coded against `previous`, which it then replaces.
void PutPath(std::string& out, std::string_view path, std::string& previous) {
  const size_t shared =
      static_cast<size_t>(std::ranges::mismatch(path, previous).in1 - path.begin());
  PutVarint(out, shared);
  PutText(out, path.substr(shared));
  previous = path;
}

bool ReadPath(ByteReader& in, std::string& path) {
  const std::optional<uint64_t> shared = in.Varint();
  const std::optional<uint64_t> rest = in.Varint();
  if (!shared || !rest || *shared > path.size() || *rest > kLongestPath) return false;
  const std::optional<std::string_view> suffix = in.Bytes(*rest);
  if (!suffix) return false;
  path.resize(*shared);
  path += *suffix;
  return true;
}

// Where an entry is read from: its path and times follow those of the entry
// before, which it then replaces.
struct EntryReader {
  ByteReader& in;
  Kind kind;
  bool with_created;
  std::string path;
  uint64_t modified = 0, last_created = 0;

  Refusal Next(Entry& e) {
    if (!ReadPath(in, path)) return Refusal::kDamaged;
    const std::optional<uint8_t> flags = in.Byte();
    const std::optional<uint64_t> attributes = in.Varint();
    const std::optional<uint64_t> time = in.Varint();
    const std::optional<uint64_t> created = with_created ? in.Varint() : 0;
    const uint8_t known = kFolder | kLinked | kLocated | (with_created ? kCreatedInTurn : 0);
    if (!flags || (*flags & ~known) || !attributes || *attributes > UINT32_MAX || !time || !created)
      return Refusal::kDamaged;
    if (IsForeign(path)) return Refusal::kForeignPath;
    e.folder = *flags & kFolder;
    // An archive's files say where they lie; nothing else does.
    if (((*flags & kLocated) != 0) != (kind == Kind::kArchive && !e.folder))
      return Refusal::kDamaged;
    e.linked = *flags & kLinked;
    e.attributes = static_cast<uint32_t>(*attributes);
    modified += static_cast<uint64_t>(UnZigZag(*time));
    e.modified = modified;
    if (*flags & kCreatedInTurn)
      last_created += static_cast<uint64_t>(UnZigZag(*created));
    else
      last_created = *created ? modified + static_cast<uint64_t>(UnZigZag(*created - 1)) : 0;
    e.created = last_created;
    if (!e.folder) {
      const std::optional<uint64_t> size = in.Varint();
      const std::optional<uint64_t> low = in.Fixed64();
      const std::optional<uint64_t> high = in.Fixed64();
      if (!size || !high) return Refusal::kDamaged;
      e.size = *size;
      e.hash = {*low, *high};
    }
    if (*flags & kLocated) {
      const std::optional<uint64_t> locator = in.Varint();
      if (!locator) return Refusal::kDamaged;
      e.locator = *locator;
    }
    return Refusal::kNone;
  }
};

// The entries of a version 1 catalog: calls `visit` with each entry's WTF-8
// path and the entry (its path left empty); stops early when `visit` returns
// false. Checks the whole file's checksum first. A template, not a
// std::function: this runs over every entry of a catalog.
template <typename Visit>
Refusal ReadVersion1(std::string_view bytes, Run& run, Visit&& visit) {
  if (bytes.size() < 8) return Refusal::kDamaged;
  ByteReader in(bytes);
  if (const Refusal refusal = ReadHead(in, bytes, run); refusal != Refusal::kNone) return refusal;
  if (in.Left() < 8) return Refusal::kDamaged;
  const std::string_view covered = bytes.substr(0, bytes.size() - 8);
  if (ByteReader(bytes.substr(covered.size())).Fixed64() != ChecksumOf(covered))
    return Refusal::kDamaged;
  ByteReader body(covered.substr(covered.size() - (in.Left() - 8)));
  const std::optional<uint64_t> count = body.Varint();
  if (!count || *count > body.Left() / kSmallestEntry) return Refusal::kDamaged;
  EntryReader entries{body, run.kind, false, {}};
  for (uint64_t i = 0; i < *count; ++i) {
    Entry e;
    if (const Refusal refusal = entries.Next(e); refusal != Refusal::kNone) return refusal;
    if (!visit(std::string_view(entries.path), e)) return Refusal::kNone;
  }
  return body.Left() == 0 ? Refusal::kNone : Refusal::kDamaged;
}

struct Block {
  std::string first;  // its first entry's path
  uint64_t offset = 0, size = 0, checksum = 0;
};

// A version 2 catalog's run and blocks, from its first bytes. When they end
// before the index does, `more` says how many the index needs.
Refusal ReadIndex(std::string_view start, uint64_t file_size, Run& run, std::vector<Block>& blocks,
                  uint64_t& more) {
  ByteReader in(start);
  if (const Refusal refusal = ReadHead(in, start, run); refusal != Refusal::kNone) return refusal;
  const std::optional<uint64_t> size = in.Varint();
  if (!size || *size > file_size) return Refusal::kDamaged;
  if (in.Left() < *size + 8) {
    more = start.size() - in.Left() + *size + 8;
    return Refusal::kDamaged;
  }
  const std::string_view index = *in.Bytes(*size);
  if (in.Fixed64() != ChecksumOf(index)) return Refusal::kDamaged;
  uint64_t offset = start.size() - in.Left();
  ByteReader x(index);
  const std::optional<uint64_t> count = x.Varint();
  // A block's first path, length and checksum take at least 11 bytes.
  if (!count || *count > x.Left() / 11) return Refusal::kDamaged;
  std::vector<Block> read(*count);
  std::string first;
  for (size_t i = 0; i < read.size(); ++i) {
    if (!ReadPath(x, first) || (i != 0 && CompareKeys(first, read[i - 1].first) <= 0))
      return Refusal::kDamaged;
    const std::optional<uint64_t> length = x.Varint();
    const std::optional<uint64_t> checksum = x.Fixed64();
    if (!checksum || *length < kSmallestEntry || *length > file_size - offset)
      return Refusal::kDamaged;
    read[i] = {first, offset, *length, *checksum};
    offset += *length;
  }
  if (x.Left() != 0 || offset != file_size) return Refusal::kDamaged;
  blocks = std::move(read);
  return Refusal::kNone;
}

// The entries of one block, checked against its checksum and its first path
// in the index; `visit` as in ReadVersion1.
template <typename Visit>
Refusal ReadBlock(std::string_view bytes, const Block& block, Kind kind, Visit&& visit) {
  if (ChecksumOf(bytes) != block.checksum) return Refusal::kDamaged;
  ByteReader in(bytes);
  EntryReader entries{in, kind, true, {}};
  for (bool first = true; in.Left() != 0; first = false) {
    Entry e;
    if (const Refusal refusal = entries.Next(e); refusal != Refusal::kNone) return refusal;
    if (first && entries.path != block.first) return Refusal::kDamaged;
    if (!visit(std::string_view(entries.path), e)) return Refusal::kNone;
  }
  return Refusal::kNone;
}

Refusal DecodeVersion2(std::string_view bytes, Catalog& catalog) {
  Catalog c;
  std::vector<Block> blocks;
  uint64_t more = 0;
  if (const Refusal refusal = ReadIndex(bytes, bytes.size(), c.run, blocks, more);
      refusal != Refusal::kNone)
    return refusal;
  std::string previous;
  bool unordered = false;
  for (const Block& block : blocks) {
    const Refusal refusal =
        ReadBlock(bytes.substr(block.offset, block.size), block, c.run.kind,
                  [&](std::string_view path, Entry& e) {
                    std::optional<std::u16string> wide = FromWtf8(path);
                    // Sorted and each once: no path stands twice.
                    if (!wide || (!c.entries.empty() && CompareKeys(path, previous) <= 0)) {
                      unordered = true;
                      return false;
                    }
                    previous = path;
                    e.path = std::move(*wide);
                    c.entries.push_back(std::move(e));
                    return true;
                  });
    if (refusal != Refusal::kNone || unordered) return unordered ? Refusal::kDamaged : refusal;
  }
  // Held as version 1 held them, so that Find may search.
  std::ranges::sort(c.entries, {}, &Entry::path);
  catalog = std::move(c);
  return Refusal::kNone;
}

// What a lookup keeps of the entries it passes: the one of exactly the path
// wanted, else the first spelled otherwise.
struct Lookup {
  std::u16string_view path;
  std::string wanted;
  std::optional<Entry> exact, blind;

  // False once past the path.
  bool Visit(std::string_view p, Entry& e) {
    if (p.size() != wanted.size() || CompareFolded(p, wanted) != 0) return true;
    if (p == wanted) {
      e.path = path;
      exact = std::move(e);
      return false;
    }
    if (std::optional<std::u16string> wide = FromWtf8(p); wide && !blind) {
      e.path = std::move(*wide);
      blind = std::move(e);
    }
    return true;
  }
  Refusal Answer(Refusal refusal, std::optional<Entry>& found) {
    if (refusal == Refusal::kNone) found = exact ? std::move(exact) : std::move(blind);
    return refusal;
  }
};

Refusal FindInVersion1(std::string_view bytes, Lookup& lookup) {
  // Every spelling of the path sorts between its capitals and its small
  // letters: past the latter there is nothing more to find.
  std::string last = lookup.wanted;
  for (char& c : last)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  Run run;
  return ReadVersion1(bytes, run, [&](std::string_view p, Entry& e) {
    return !SurelyAfter(p, last) && lookup.Visit(p, e);
  });
}

// The head and the index of a catalog of up to some 60,000 entries; a
// larger one's index takes a second read.
constexpr size_t kFirstRead = 8 * 1024;

Refusal FindInVersion2(Source& source, std::string_view start, Lookup& lookup) {
  Run run;
  std::vector<Block> blocks;
  uint64_t more = 0;
  Refusal refusal = ReadIndex(start, source.Size(), run, blocks, more);
  std::string longer;
  if (refusal == Refusal::kDamaged && more > start.size() && more <= source.Size()) {
    if (!source.Read(0, static_cast<size_t>(more), longer)) return Refusal::kDamaged;
    refusal = ReadIndex(longer, source.Size(), run, blocks, more);
  }
  if (refusal != Refusal::kNone) return refusal;
  // The first spelling may end the block before the first one that starts
  // with a spelling of the path.
  const auto at = std::ranges::partition_point(
      blocks, [&](const Block& b) { return CompareFolded(b.first, lookup.wanted) < 0; });
  const size_t first = at == blocks.begin() ? 0 : static_cast<size_t>(at - blocks.begin()) - 1;
  std::string bytes;
  bool past = false;
  for (size_t i = first; i < blocks.size() && !past; ++i) {
    if (i != first && CompareFolded(blocks[i].first, lookup.wanted) > 0) break;
    if (!source.Read(blocks[i].offset, static_cast<size_t>(blocks[i].size), bytes))
      return Refusal::kDamaged;
    refusal = ReadBlock(bytes, blocks[i], run.kind, [&](std::string_view p, Entry& e) {
      past = CompareFolded(p, lookup.wanted) > 0;
      return !past && lookup.Visit(p, e);
    });
    if (refusal != Refusal::kNone) return refusal;
    past = past || lookup.exact.has_value();
  }
  return Refusal::kNone;
}

class BytesSource final : public Source {
 public:
  explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, size_t size, std::string& bytes) override {
    bytes.assign(bytes_.substr(static_cast<size_t>(offset), size));
    return true;
  }

 private:
  std::string_view bytes_;
};

}  // namespace

const Entry* Catalog::Find(std::u16string_view path) const {
  const auto it = std::ranges::lower_bound(entries, path, {}, &Entry::path);
  return it != entries.end() && it->path == path ? &*it : nullptr;
}

std::string Encode(const Catalog& catalog) {
  std::vector<std::pair<std::string, const Entry*>> sorted;
  sorted.reserve(catalog.entries.size());
  for (const Entry& e : catalog.entries) sorted.emplace_back(ToWtf8(e.path), &e);
  std::ranges::sort(sorted,
                    [](const auto& a, const auto& b) { return CompareKeys(a.first, b.first) < 0; });
  std::string out(kMagic);
  out += static_cast<char>(kVersion);
  PutText(out, EncodeHead(catalog.run));
  PutFixed64(out, ChecksumOf(out));
  std::string index, blocks, block, first;
  PutVarint(index, (sorted.size() + kBlockEntries - 1) / kBlockEntries);
  for (size_t start = 0; start < sorted.size(); start += kBlockEntries) {
    block.clear();
    std::string previous;
    uint64_t modified = 0, created = 0;
    for (size_t i = start; i < std::min(sorted.size(), start + kBlockEntries); ++i) {
      const Entry& e = *sorted[i].second;
      PutPath(block, sorted[i].first, previous);
      const bool located = catalog.run.kind == Kind::kArchive && !e.folder;
      const size_t flags_at = block.size();
      block += static_cast<char>((e.folder ? kFolder : 0) | (e.linked ? kLinked : 0) |
                                 (located ? kLocated : 0));
      PutVarint(block, e.attributes);
      PutVarint(block, ZigZag(static_cast<int64_t>(e.modified - modified)));
      modified = e.modified;
      const uint64_t own = e.created ? ZigZag(static_cast<int64_t>(e.created - e.modified)) + 1 : 0;
      const uint64_t in_turn = ZigZag(static_cast<int64_t>(e.created - created));
      created = e.created;
      if (in_turn < own) block[flags_at] |= kCreatedInTurn;
      PutVarint(block, std::min(own, in_turn));
      if (!e.folder) {
        PutVarint(block, e.size);
        PutFixed64(block, e.hash.low);
        PutFixed64(block, e.hash.high);
      }
      if (located) PutVarint(block, e.locator);
    }
    PutPath(index, sorted[start].first, first);
    PutVarint(index, block.size());
    PutFixed64(index, ChecksumOf(block));
    blocks += block;
  }
  PutText(out, index);
  PutFixed64(out, ChecksumOf(index));
  out += blocks;
  return out;
}

Refusal DecodeRun(std::string_view bytes, Run& run) {
  ByteReader in(bytes);
  return ReadHead(in, bytes, run);
}

Refusal Decode(std::string_view bytes, Catalog& catalog) {
  if (VersionOf(bytes) != 1) return DecodeVersion2(bytes, catalog);
  Catalog c;
  bool unordered = false;
  const Refusal refusal = ReadVersion1(bytes, c.run, [&](std::string_view path, Entry& e) {
    std::optional<std::u16string> wide = FromWtf8(path);
    // Sorted and each once: a lookup may then search, and no path stands twice.
    if (!wide || (!c.entries.empty() && !(c.entries.back().path < *wide))) {
      unordered = true;
      return false;
    }
    e.path = std::move(*wide);
    c.entries.push_back(std::move(e));
    return true;
  });
  if (refusal != Refusal::kNone || unordered) return unordered ? Refusal::kDamaged : refusal;
  catalog = std::move(c);
  return Refusal::kNone;
}

Refusal FindIn(std::string_view bytes, std::u16string_view path, std::optional<Entry>& found) {
  BytesSource source(bytes);
  return FindIn(source, path, found);
}

Refusal FindIn(Source& source, std::u16string_view path, std::optional<Entry>& found) {
  found.reset();
  Lookup lookup{path, ToWtf8(path), {}, {}};
  std::string start;
  if (!source.Read(0, static_cast<size_t>(std::min<uint64_t>(source.Size(), kFirstRead)), start))
    return Refusal::kDamaged;
  if (VersionOf(start) != 1) return lookup.Answer(FindInVersion2(source, start, lookup), found);
  if (start.size() < source.Size() && !source.Read(0, static_cast<size_t>(source.Size()), start))
    return Refusal::kDamaged;
  return lookup.Answer(FindInVersion1(start, lookup), found);
}

std::string RefusalText(Refusal refusal) {
  switch (refusal) {
    case Refusal::kNone:
      return {};
    case Refusal::kDamaged:
      return "目録が壊れています";
    case Refusal::kLaterVersion:
      return "目録が新しい版のプログラムで書かれています";
    case Refusal::kForeignPath:
      return "目録にバックアップの外を指すパスがあります";
  }
  return {};
}

}  // namespace yx::catalog
