#include "catalog/content_hash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace yx::catalog {

struct ContentHash::State {
  XXH3_state_t xxh;
};

ContentHash::ContentHash() : state_(std::make_unique<State>()) { Reset(); }
ContentHash::~ContentHash() = default;

void ContentHash::Reset() { (void)XXH3_128bits_reset(&state_->xxh); }

void ContentHash::Update(const void* data, size_t size) {
  (void)XXH3_128bits_update(&state_->xxh, data, size);
}

Hash128 ContentHash::Digest() const {
  const XXH128_hash_t h = XXH3_128bits_digest(&state_->xxh);
  return {h.low64, h.high64};
}

Hash128 HashOf(std::string_view bytes) {
  const XXH128_hash_t h = XXH3_128bits(bytes.data(), bytes.size());
  return {h.low64, h.high64};
}

uint64_t ChecksumOf(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

}  // namespace yx::catalog
