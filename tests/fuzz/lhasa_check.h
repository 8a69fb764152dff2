#pragma once
// Debian's liblhasa, an LHA implementation that shares no code with ours, as
// the judge of what the fuzzer makes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace yx::fuzz {

// The first `original_size` bytes that lhasa decodes from a bare -lh5- stream.
[[nodiscard]] std::vector<uint8_t> LhasaDecodeLh5(const uint8_t* packed, size_t packed_size,
                                                  size_t original_size);

struct LhasaEntry {
  std::string name;
  std::string method;
  std::vector<uint8_t> content;
};
// Every entry of an archive held in memory, as lhasa's reader extracts it.
[[nodiscard]] std::vector<LhasaEntry> LhasaExtract(const std::vector<uint8_t>& archive);

}  // namespace yx::fuzz
