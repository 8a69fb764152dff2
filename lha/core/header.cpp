#include "lha/core/header.h"

#include <algorithm>
#include <cstring>

#include "lha/core/crc16.h"

namespace yx::lha {
namespace {

constexpr uint64_t k4GiB = uint64_t{1} << 32;

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
void Put64(std::vector<uint8_t>& v, uint64_t x) {
  Put32(v, static_cast<uint32_t>(x));
  Put32(v, static_cast<uint32_t>(x >> 32));
}
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }
uint64_t Get64(const uint8_t* p) { return Get32(p) | static_cast<uint64_t>(Get32(p + 4)) << 32; }

std::vector<uint8_t> Utf16Bytes(const std::u16string& s) {
  std::vector<uint8_t> v;
  for (char16_t c : s) Put16(v, c);
  return v;
}
std::u16string Utf16From(const uint8_t* p, size_t n) {
  std::u16string s;
  for (size_t i = 0; i + 1 < n; i += 2) s.push_back(static_cast<char16_t>(Get16(p + i)));
  return s;
}

// Attributes a level-2 header stands for without the 0x40 ext header.
uint16_t ImpliedAttributes(const EntryHeader& h) { return h.IsDirectory() ? 0x10 : 0x20; }

// True when `s` has no byte of a double-byte character (0xFF separates folders).
bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x80 || b == 0xFF;
  });
}

struct Ext {
  uint8_t type;
  std::vector<uint8_t> data;
};

// Level 0 and 1 keep a whole path in the name field; split it into the
// 0xFF-separated folders and the base name. '\' is a separator only where it
// is a character of its own, not the trail byte of a double-byte character.
// Leading separators stay as empty first folders: extraction must see that
// the path was absolute.
void SplitLegacyName(const std::string& path, EntryHeader& h) {
  std::string folder, part;
  bool leading = true;  // each leading separator counts: two begin a UNC name
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    const bool separator = c == '\\' || c == '/' || c == 0xFF;
    if (lead && i + 1 < path.size()) {
      part += path[i];
      part += path[++i];
    } else if (separator) {
      if (!part.empty() || leading) folder += part + '\xFF';
      part.clear();
    } else {
      part += path[i];
    }
    leading = leading && separator;
  }
  h.directory = folder + h.directory;
  h.name = part;
}

// Amiga and MorphOS archivers store a file's comment after a NUL in its
// name: the name is what precedes it.
std::string CutComment(std::string name, EntryHeader& h) {
  const size_t nul = name.find('\0');
  if (nul == std::string::npos) return name;
  h.comment = name.substr(nul + 1);
  h.comment.resize(std::min(h.comment.size(), h.comment.find('\0')));
  name.resize(nul);
  return name;
}

ParseResult ParseExt(uint8_t type, const uint8_t* d, size_t n, EntryHeader& h, uint64_t* big_packed,
                     uint64_t* big_original) {
  switch (type) {
    case 0x01:
      h.name = CutComment(std::string(reinterpret_cast<const char*>(d), n), h);
      break;
    case 0x02:
      h.directory.assign(reinterpret_cast<const char*>(d), n);
      if (!h.directory.empty() && h.directory.back() != '\xFF') h.directory += '\xFF';
      break;
    case 0x3F:
      h.comment.assign(reinterpret_cast<const char*>(d), n);
      break;
    case 0x40:
      if (n >= 2) h.attributes = Get16(d);
      break;
    case 0x41:
      if (n >= 24) h.times = WindowsTimes{Get64(d), Get64(d + 8), Get64(d + 16)};
      break;
    case 0x42:
      if (n < 16) return ParseResult::kDamaged;
      *big_packed = Get64(d);
      *big_original = Get64(d + 8);
      break;
    case 0x44:
      h.wide_name = Utf16From(d, n);
      break;
    case 0x45: {
      std::u16string dir = Utf16From(d, n);
      if (!dir.empty() && dir.back() != u'\xFFFF') dir += u'\xFFFF';
      h.wide_directory = std::move(dir);
      break;
    }
    case 0x46:
      if (n >= 4) h.code_page = Get32(d);
      break;
    case 0x50:
      if (n >= 2) h.unix_mode = Get16(d);
      break;
    case 0x54:
      if (n >= 4) {
        h.unix_time = Get32(d);
        h.has_unix_time = true;
      }
      break;
    default:
      break;
  }
  return ParseResult::kOk;
}

// Walks the ext headers from `at`, whose size field is `first`; returns the
// offset just past them, or 0 when they run out of the header. Level 3 sizes
// its ext headers in 4 bytes (`wide`), the others in 2.
size_t WalkExts(const uint8_t* bytes, size_t size, size_t at, uint32_t first, bool wide,
                EntryHeader& h, uint64_t* big_packed, uint64_t* big_original, size_t* crc_at) {
  const size_t field = wide ? 4 : 2;
  for (uint32_t next = first; next != 0;) {
    if (next < 1 + field || next > size || at > size - next) return 0;
    const uint8_t type = bytes[at];
    if (type == 0x00 && next >= 3 + field && crc_at) *crc_at = at + 1;
    if (ParseExt(type, bytes + at + 1, next - 1 - field, h, big_packed, big_original) !=
        ParseResult::kOk)
      return 0;
    at += next;
    next = wide ? Get32(bytes + at - 4) : Get16(bytes + at - 2);
  }
  return at;
}

}  // namespace

bool EntryHeader::IsDirectory() const {
  return std::memcmp(method.data(), kMethodDirectory, 5) == 0;
}

bool EntryHeader::IsSymbolicLink() const {
  if (unix_mode && (*unix_mode & 0xF000) == 0xA000) return true;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))
      ++i;
    else if (c == '|')
      return true;
  }
  return false;
}

void EntryHeader::SetMethod(const char (&m)[6]) { std::memcpy(method.data(), m, 5); }

bool EncodeLevel2Header(const EntryHeader& h, std::vector<uint8_t>& out) {
  const bool big = h.packed_size >= k4GiB || h.original_size >= k4GiB;
  std::vector<Ext> exts;
  exts.push_back({0x00, {0, 0}});  // header CRC, filled in below
  exts.push_back({0x01, std::vector<uint8_t>(h.name.begin(), h.name.end())});
  if (!h.directory.empty())
    exts.push_back({0x02, std::vector<uint8_t>(h.directory.begin(), h.directory.end())});
  // The attribute byte of the base part (0x20, archive, in the older levels)
  // and the method of a folder say the common values already: 0x40 only for
  // what they cannot (read-only, hidden, system, no archive bit).
  if (h.attributes && *h.attributes != ImpliedAttributes(h)) {
    Ext e{0x40, {}};
    Put16(e.data, *h.attributes);
    exts.push_back(std::move(e));
  }
  if (h.times) {
    Ext e{0x41, {}};
    Put64(e.data, h.times->creation);
    Put64(e.data, h.times->modification);
    Put64(e.data, h.times->access);
    exts.push_back(std::move(e));
  }
  if (big) {
    Ext e{0x42, {}};
    Put64(e.data, h.packed_size);
    Put64(e.data, h.original_size);
    exts.push_back(std::move(e));
  }
  // bsdtar reads the names in the order of the headers, taking the code page
  // as it comes: 0x46 must precede the UTF-16 names, or it decodes them as
  // code page 932 text.
  // Names of ASCII only read the same in every code page.
  if (h.code_page && !(IsAscii(h.name) && IsAscii(h.directory) && !h.wide_name &&
                       !(h.wide_directory && !h.wide_directory->empty()))) {
    Ext e{0x46, {}};
    Put32(e.data, *h.code_page);
    exts.push_back(std::move(e));
  }
  if (h.wide_name) exts.push_back({0x44, Utf16Bytes(*h.wide_name)});
  if (h.wide_directory && !h.wide_directory->empty())
    exts.push_back({0x45, Utf16Bytes(*h.wide_directory)});

  size_t total = kLevel2BaseSize;
  for (const Ext& e : exts) total += e.data.size() + 3;
  // A size whose low byte is 0 would read as the end mark: the info byte of
  // the common header makes it one longer (padding after the headers would
  // break 7-Zip).
  if ((total & 0xFF) == 0) {
    exts[0].data.push_back(0);
    ++total;
  }
  for (const Ext& e : exts)
    if (e.data.size() + 3 > 0xFFFF) return false;
  if (total > 0xFFFF) return false;

  out.clear();
  out.reserve(total);
  Put16(out, static_cast<uint32_t>(total));
  out.insert(out.end(), h.method.begin(), h.method.end());
  Put32(out, static_cast<uint32_t>(h.packed_size));
  Put32(out, static_cast<uint32_t>(h.original_size));
  Put32(out, h.unix_time);
  out.push_back(0x20);
  out.push_back(2);
  Put16(out, h.crc);
  out.push_back(h.os_id);
  size_t crc_at = 0;
  for (const Ext& e : exts) {
    Put16(out, static_cast<uint32_t>(e.data.size() + 3));
    out.push_back(e.type);
    if (e.type == 0x00) crc_at = out.size();
    out.insert(out.end(), e.data.begin(), e.data.end());
  }
  Put16(out, 0);
  const uint16_t crc = ComputeCrc16(out.data(), out.size());
  out[crc_at] = static_cast<uint8_t>(crc);
  out[crc_at + 1] = static_cast<uint8_t>(crc >> 8);
  return true;
}

namespace {

// The extension some level-0 writers put after the CRC: the OS id, a version
// byte, the Unix time, the mode, the user and group ids. Unix ('U') and
// OS-9/68k ('K') writers use it; the latter's mode holds OS-9 permissions.
void ParseLevel0Extension(const uint8_t* ext, size_t n, EntryHeader& h) {
  if (n < 1) return;
  h.os_id = ext[0];
  if ((ext[0] != 'U' && ext[0] != 'K') || n < 8) return;
  h.unix_time = Get32(ext + 2);
  h.has_unix_time = true;
  if (ext[0] == 'U') h.unix_mode = Get16(ext + 6);
}

// The header CRC of the common ext header, computed with its field zero.
bool HeaderCrcHolds(const uint8_t* b, size_t size, size_t crc_at) {
  std::vector<uint8_t> copy(b, b + size);
  copy[crc_at] = copy[crc_at + 1] = 0;
  return ComputeCrc16(copy.data(), copy.size()) == Get16(b + crc_at);
}

}  // namespace

ParseResult ParseHeader(const uint8_t* b, size_t size, EntryHeader& h, uint64_t& data_size) {
  h = EntryHeader{};
  if (size < 22) return ParseResult::kDamaged;
  h.level = b[20];
  std::memcpy(h.method.data(), b + 2, 5);
  if (b[2] != '-' || b[6] != '-') return ParseResult::kDamaged;
  uint64_t packed = Get32(b + 7);
  h.original_size = Get32(b + 11);
  h.crc = 0;
  uint64_t big_packed = 0, big_original = 0;

  if (h.level == 0 || h.level == 1) {
    const size_t base = size_t{b[0]} + 2;
    if (base > size) return ParseResult::kDamaged;
    unsigned sum = 0;
    for (size_t i = 2; i < base; ++i) sum += b[i];
    if ((sum & 0xFF) != b[1]) return ParseResult::kDamaged;
    const size_t name_len = b[21];
    if (22 + name_len + 2 > base) return ParseResult::kDamaged;
    const std::string path =
        CutComment(std::string(reinterpret_cast<const char*>(b + 22), name_len), h);
    h.crc = Get16(b + 22 + name_len);
    h.attributes = b[19];
    h.dos_time = Get32(b + 15);
    h.has_unix_time = false;
    size_t end = base;
    if (h.level == 1) {
      if (22 + name_len + 5 > base) return ParseResult::kDamaged;
      h.os_id = b[22 + name_len + 2];
      end = WalkExts(b, size, base, Get16(b + base - 2), false, h, &big_packed, &big_original,
                     nullptr);
      if (end == 0) return ParseResult::kDamaged;
      // Level 1 counts its ext headers in the packed size.
      if (packed < end - base) return ParseResult::kDamaged;
      packed -= end - base;
    } else {
      h.os_id = 0;
      ParseLevel0Extension(b + 22 + name_len + 2, base - (22 + name_len + 2), h);
    }
    if (end != size) return ParseResult::kDamaged;
    // An ext header 0x01 or 0x02 of level 1 names the entry instead.
    SplitLegacyName(h.name.empty() ? path : h.name, h);
    h.packed_size = packed;
    data_size = packed;
    return ParseResult::kOk;
  }
  if (h.level != 2 && h.level != 3) return ParseResult::kUnsupported;

  const bool wide = h.level == 3;
  const size_t base = wide ? 32 : kLevel2BaseSize;
  if (size < base) return ParseResult::kDamaged;
  if (wide ? (Get16(b) != 4 || Get32(b + 24) != size) : Get16(b) != size)
    return ParseResult::kDamaged;
  h.unix_time = Get32(b + 15);
  h.crc = Get16(b + 21);
  h.os_id = b[23];
  size_t crc_at = 0;
  const size_t end = WalkExts(b, size, base, wide ? Get32(b + 28) : Get16(b + 24), wide, h,
                              &big_packed, &big_original, &crc_at);
  // OS-9, OS-9/68k and Atari writers pad a level-2 header after its ext
  // headers: the header size, not the chain, says where the data begins.
  if (end == 0 || (wide && end != size)) return ParseResult::kDamaged;
  // Every level-2 writer puts the header CRC in the common ext header; a
  // header without one cannot be told from a damaged one.
  if (crc_at == 0 && !wide) return ParseResult::kDamaged;
  if (crc_at != 0 && !HeaderCrcHolds(b, size, crc_at)) return ParseResult::kDamaged;
  if (!h.attributes) h.attributes = ImpliedAttributes(h);
  if (big_packed != 0 || big_original != 0) {
    packed = big_packed;
    h.original_size = big_original;
  }
  h.packed_size = packed;
  data_size = packed;
  return ParseResult::kOk;
}

}  // namespace yx::lha
