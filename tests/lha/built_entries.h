#pragma once
// Archives built from the bytes the format gives them, for the kinds of
// archive the sample folder lacks. Shared by the native and the Windows tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace yx::lha::test {

using Bytes = std::vector<uint8_t>;

// A stored (-lh0-) entry under a level-0 or level-1 header; `tail` follows
// the data's CRC (level 0: an extension area; level 1: the OS id and a
// next-ext size of 0).
[[nodiscard]] Bytes StoredEntry(int level, const std::string& name, const std::string& data,
                                const Bytes& tail);
[[nodiscard]] Bytes Archive(std::initializer_list<Bytes> parts);

inline const Bytes kMacLevel1 = {'m', 0, 0};  // MacLHA's OS id, no ext header
inline constexpr char kLicence[] = "GNU GENERAL PUBLIC LICENSE\n";
// kLicence as MacBinary II, named "gpl-2", with a 10-byte resource fork.
[[nodiscard]] std::string MacBinaryLicence();

}  // namespace yx::lha::test
