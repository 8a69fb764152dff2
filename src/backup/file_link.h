#pragma once
// Hard links from a new backup to an earlier backup's copy of an unchanged
// file. A link is only ever tried where a copy would do as well: any refusal
// (the 1023 names a file may have, a denied access, another volume) leaves
// the file to be copied. A volume without hard links at all (FAT32, exFAT,
// many network shares) says so at the first try, and no link is tried again
// in that run.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace yx::backup {

class FileLinker {
 public:
  // Makes `link` a new name of the file `existing` (both with the "\\?\"
  // prefix): 0, or the system's error. Tests put a volume that refuses in
  // its place. Without a Windows type: the run's request names it, and the
  // request is built where no Windows header is.
  using MakeLink = std::function<uint32_t(const std::wstring& link, const std::wstring& existing)>;

  // Null `make`: CreateHardLinkW.
  explicit FileLinker(MakeLink make = {});

  // True when `link` now names the file `existing`. Called from the copy
  // threads at once.
  [[nodiscard]] bool Link(const std::wstring& link, const std::wstring& existing);
  // Set once a refusal showed the volume cannot link at all.
  [[nodiscard]] bool Off() const noexcept { return off_.load(std::memory_order_relaxed); }

 private:
  MakeLink make_;
  std::atomic<bool> off_{false};
  // Until the volume has answered once, one try at a time, so that a volume
  // without links is asked once however many copy threads reach it.
  std::atomic<bool> answered_{false};
  std::mutex first_try_;
};

}  // namespace yx::backup
