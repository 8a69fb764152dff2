#pragma once
// One entry's header: the fields an archive entry carries, the level-2 form
// this library writes, and the parse of existing level 0 to 3 headers (so an
// update can copy the entries it keeps, and extraction can read any archive).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace yx::lha {

inline constexpr char kMethodStored[] = "-lh0-";
inline constexpr char kMethodLh5[] = "-lh5-";
inline constexpr char kMethodDirectory[] = "-lhd-";

// Creation, modification and access time as Windows FILETIMEs.
struct WindowsTimes {
  uint64_t creation = 0;
  uint64_t modification = 0;
  uint64_t access = 0;
};

struct EntryHeader {
  std::array<char, 5> method{'-', 'l', 'h', '0', '-'};
  uint64_t packed_size = 0;
  uint64_t original_size = 0;
  uint32_t unix_time = 0;  // modification time, seconds since 1970 UTC
  // Levels 0 and 1 stamp an entry with a local MS-DOS date and time (date in
  // the high half); their Unix extensions add `unix_time` as well.
  std::optional<uint32_t> dos_time;
  bool has_unix_time = true;
  std::optional<uint16_t> unix_mode;  // st_mode of the Unix extension
  uint16_t crc = 0;                   // CRC-16 of the original data
  uint8_t os_id = 'M';
  // Code page 932 names. `directory` holds the folders, each followed by
  // 0xFF ("Work\xFFsub\xFF"), empty at the top; a folder entry keeps its
  // whole path there and has an empty `name`. A path read with a leading
  // separator (an absolute path) keeps it as a first, empty folder.
  std::string name;
  std::string directory;
  // The same names in UTF-16, separator 0xFFFF; written when set.
  std::optional<std::u16string> wide_name;
  std::optional<std::u16string> wide_directory;
  std::optional<uint16_t> attributes;  // MS-DOS attributes
  std::optional<WindowsTimes> times;
  std::optional<uint32_t> code_page;
  std::string comment;  // the file's comment, when the writer stored one
  int level = 2;        // as read; written headers are always level 2

  [[nodiscard]] bool IsDirectory() const;
  // A Unix symbolic link ("name|target" in the older writers' names).
  [[nodiscard]] bool IsSymbolicLink() const;
  void SetMethod(const char (&m)[6]);
};

// Size of the base part and the first ext size field of a level-2 header.
inline constexpr size_t kLevel2BaseSize = 26;

// The level-2 header of `h`, ext headers in the order 0x00 0x01 0x02 0x40
// 0x41 0x42 0x46 0x44 0x45; 0x42 only for sizes of 4 GiB and more, 0x40 only
// for attributes other than 0x20 on a file and 0x10 on a folder (which a
// parse gives back when 0x40 is missing), 0x46 only for names beyond ASCII.
// Fails when the names make the header longer than its 16-bit size can say.
[[nodiscard]] bool EncodeLevel2Header(const EntryHeader& h, std::vector<uint8_t>& out);

// Parses one whole header (level 0 to 3; the archive reader finds its
// length) and checks its CRC or checksum. `data_size` is the size of the
// packed data that follows it.
enum class ParseResult { kOk, kDamaged, kUnsupported };
[[nodiscard]] ParseResult ParseHeader(const uint8_t* bytes, size_t size, EntryHeader& h,
                                      uint64_t& data_size);

}  // namespace yx::lha
