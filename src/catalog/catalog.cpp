#include "catalog/catalog.h"

#include <algorithm>
#include <functional>

#include "catalog/catalog_bytes.h"

namespace yx::catalog {
namespace {

constexpr std::string_view kMagic = "YXCT";
constexpr uint8_t kFolder = 1, kLinked = 2, kLocated = 4;
// A path as long as Windows allows, in WTF-8 at three bytes a code unit.
constexpr uint64_t kLongestPath = 32767 * 3;
// The fewest bytes an entry takes: bounds a count before anything is reserved.
constexpr uint64_t kSmallestEntry = 6;

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

// A name Windows would refuse, or one that climbs out of the backup.
bool IsForeign(std::string_view path) {
  if (path.empty() || path.size() > kLongestPath) return true;
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string_view name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == "..") return true;
    for (const char c : name)
      if (static_cast<uint8_t>(c) < 0x20 ||
          std::string_view("/:*?\"<>|").find(c) != std::string_view::npos)
        return true;
    if (end == path.size()) return false;
    start = end + 1;
  }
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

// Calls `visit` with each entry's WTF-8 path and the entry (its path left
// empty); stops early when `visit` returns false. Checks the whole file's
// checksum first.
Refusal ReadEntries(std::string_view bytes, Run& run,
                    const std::function<bool(std::string_view path, Entry& entry)>& visit) {
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
  std::string path;
  uint64_t modified = 0;
  for (uint64_t i = 0; i < *count; ++i) {
    const std::optional<uint64_t> shared = body.Varint();
    const std::optional<uint64_t> rest = body.Varint();
    if (!shared || !rest || *shared > path.size() || *rest > kLongestPath) return Refusal::kDamaged;
    const std::optional<std::string_view> suffix = body.Bytes(*rest);
    const std::optional<uint8_t> flags = body.Byte();
    const std::optional<uint64_t> attributes = body.Varint();
    const std::optional<uint64_t> time = body.Varint();
    if (!suffix || !flags || (*flags & ~(kFolder | kLinked | kLocated)) || !attributes ||
        *attributes > UINT32_MAX || !time)
      return Refusal::kDamaged;
    path.resize(*shared);
    path += *suffix;
    if (IsForeign(path)) return Refusal::kForeignPath;
    Entry e;
    e.folder = *flags & kFolder;
    // An archive's files say where they lie; nothing else does.
    if (((*flags & kLocated) != 0) != (run.kind == Kind::kArchive && !e.folder))
      return Refusal::kDamaged;
    e.linked = *flags & kLinked;
    e.attributes = static_cast<uint32_t>(*attributes);
    modified += static_cast<uint64_t>(UnZigZag(*time));
    e.modified = modified;
    if (!e.folder) {
      const std::optional<uint64_t> size = body.Varint();
      const std::optional<uint64_t> low = body.Fixed64();
      const std::optional<uint64_t> high = body.Fixed64();
      if (!size || !high) return Refusal::kDamaged;
      e.size = *size;
      e.hash = {*low, *high};
    }
    if (*flags & kLocated) {
      const std::optional<uint64_t> locator = body.Varint();
      if (!locator) return Refusal::kDamaged;
      e.locator = *locator;
    }
    if (!visit(path, e)) return Refusal::kNone;
  }
  return body.Left() == 0 ? Refusal::kNone : Refusal::kDamaged;
}

}  // namespace

const Entry* Catalog::Find(std::u16string_view path) const {
  const auto it = std::ranges::lower_bound(entries, path, {}, &Entry::path);
  return it != entries.end() && it->path == path ? &*it : nullptr;
}

std::string Encode(Catalog catalog) {
  std::ranges::sort(catalog.entries, {}, &Entry::path);
  std::string out(kMagic);
  out += static_cast<char>(kVersion);
  const std::string head = EncodeHead(catalog.run);
  PutText(out, head);
  PutFixed64(out, ChecksumOf(out));
  PutVarint(out, catalog.entries.size());
  std::string previous;
  uint64_t modified = 0;
  for (const Entry& e : catalog.entries) {
    const std::string path = ToWtf8(e.path);
    const size_t shared =
        static_cast<size_t>(std::ranges::mismatch(path, previous).in1 - path.begin());
    PutVarint(out, shared);
    PutText(out, std::string_view(path).substr(shared));
    const bool located = catalog.run.kind == Kind::kArchive && !e.folder;
    out += static_cast<char>((e.folder ? kFolder : 0) | (e.linked ? kLinked : 0) |
                             (located ? kLocated : 0));
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

Refusal DecodeRun(std::string_view bytes, Run& run) {
  ByteReader in(bytes);
  return ReadHead(in, bytes, run);
}

Refusal Decode(std::string_view bytes, Catalog& catalog) {
  Catalog c;
  bool unordered = false;
  const Refusal refusal = ReadEntries(bytes, c.run, [&](std::string_view path, Entry& e) {
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
  found.reset();
  const std::string wanted = ToWtf8(path);
  Run run;
  return ReadEntries(bytes, run, [&](std::string_view p, Entry& e) {
    if (p != wanted) return true;
    e.path = path;
    found = std::move(e);
    return false;
  });
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
