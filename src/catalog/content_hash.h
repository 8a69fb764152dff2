#pragma once
// The hash a catalog keeps of a file's bytes: XXH3 with 128 bits, fast enough
// that reading the file costs more than hashing it, and wide enough that two
// different contents never share one in practice. Not a defence against
// someone who forges a file: it finds rot and torn copies.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace yx::catalog {

struct Hash128 {
  uint64_t low = 0, high = 0;
  friend bool operator==(const Hash128&, const Hash128&) = default;
};

// A file's hash, fed as its bytes come.
class ContentHash {
 public:
  ContentHash();
  ~ContentHash();
  ContentHash(const ContentHash&) = delete;
  ContentHash& operator=(const ContentHash&) = delete;

  // Starts a new file: the state is kept, so one hasher serves many files.
  void Reset();
  void Update(const void* data, size_t size);
  [[nodiscard]] Hash128 Digest() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

[[nodiscard]] Hash128 HashOf(std::string_view bytes);
// The catalog's own checksum: XXH3 with 64 bits.
[[nodiscard]] uint64_t ChecksumOf(std::string_view bytes);

}  // namespace yx::catalog
