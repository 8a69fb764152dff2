#include "backup/file_link.h"

#include <windows.h>

#include "win/file_system.h"
#include "win/hard_link.h"

namespace yx::backup {
namespace {

// What a volume answers when it has no hard links at all (FAT32 and exFAT
// give the first, network shares either), as against a refusal of this one
// link.
bool VolumeCannotLink(uint32_t error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
}

}  // namespace

FileLinker::FileLinker(MakeLink make) : make_(std::move(make)) {
  if (make_) return;
  make_ = win::MakeHardLink;
}

bool FileLinker::Link(const std::wstring& link, const std::wstring& existing) {
  if (Off()) return false;
  std::unique_lock<std::mutex> first_try;
  if (!answered_.load(std::memory_order_acquire)) {
    first_try = std::unique_lock<std::mutex>(first_try_);
    if (Off()) return false;
  }
  const uint32_t error = make_(win::ToLongPath(link), win::ToLongPath(existing));
  if (VolumeCannotLink(error)) off_.store(true, std::memory_order_relaxed);
  answered_.store(true, std::memory_order_release);
  return error == 0;
}

}  // namespace yx::backup
