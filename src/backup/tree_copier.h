#pragma once
// Counting and copying of source trees for a copy run, on the run's own
// thread, reported through a progress sink at fixed points (entry to a
// folder, before descending into a sub-folder, after a refresh of the copied
// count) and stopped by its abort flag before the next entry. The copies
// themselves may run on threads of the copy's own (copy_queue.h), which
// never call the sink.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "backup/file_link.h"
#include "backup/link_tally.h"
#include "backup/exclusion_tally.h"
#include "backup/progress_sink.h"
#include "base/exclusion.h"
#include "catalog/catalog.h"
#include "win/tree_walk.h"

namespace yx::backup {

class TreeCopier {
 public:
  // The most copies in flight in a copy run. Whether a second one helps is
  // tried while the copy runs (copy_pace.h); bench/copy-bench.sh compares
  // that choice with one and two fixed (THREADS="1 2").
  static constexpr int kMostCopies = 2;

  using Fault = std::function<void(const std::wstring& path, DWORD error)>;

  // The catalog a copy keeps: every folder and file the copy places goes
  // into `entries`, its path below `top` (the source's folder in the
  // backup), a copied file with the hash of its copy, a linked one with the
  // hash `base` (the earlier copy's catalog) gives; and a file is linked
  // only where `base` holds it as the source has it now.
  struct CatalogTrail {
    std::vector<catalog::Entry>* entries = nullptr;
    std::u16string top;
    const catalog::Catalog* base = nullptr;
  };

  // `ticks`: the milliseconds the refresh by time reads (GetTickCount64 in
  // the program, stepped by tests).
  TreeCopier(ProgressSink& sink, std::function<uint64_t()> ticks);

  // Adds the files below `folder` (ending in a backslash) to FileTotal, and
  // what the exclusions leave out of it to Excluded(). False only when
  // cancelled; the partial total stays.
  [[nodiscard]] bool CountFiles(const std::wstring& folder);
  // Hands FileTotal to the sink as the total.
  void ShowTotal();
  // Copies the tree below `source` into the existing folder `destination`
  // (both ending in a backslash), never overwriting. Whatever cannot be
  // listed, read or written is reported to `fault` with the system's error
  // and left out, and the copy goes on with the rest; a file whose copy
  // failed never stays in the backup under its name. False when anything
  // was left out, or when cancelled (the copy then hands out no more files
  // and waits for those it handed out); what was copied stays. Failures are
  // reported in the walk's order, however many files are copied at once.
  // With links in use (UseLinks), a file whose copy in `earlier` (the same
  // tree in an earlier backup, ending in a backslash) is unchanged becomes a
  // link to that copy (earlier_copy.h).
  [[nodiscard]] bool CopyTree(const std::wstring& destination, const std::wstring& source,
                              const Fault& fault = {}, const std::wstring& earlier = {});
  // For the next CopyTree.
  void KeepCatalog(CatalogTrail trail) { trail_ = std::move(trail); }
  // Links unchanged files to their earlier copy from now on; `make` as in
  // FileLinker.
  void UseLinks(FileLinker::MakeLink make = {});
  // The files linked and copied, and the bytes copied, by every CopyTree.
  [[nodiscard]] const LinkTally& Tally() const noexcept { return tally_; }
  // Fixes how many files CopyTree copies at once (1: one after another on
  // this thread); 0, as at first, tries which is faster while copying.
  void SetCopyThreads(int threads);
  [[nodiscard]] int CopyThreads() const noexcept { return fixed_threads_; }
  // A folder the count and the copy never enter: the backup destination,
  // which a source may hold, would otherwise be copied into itself.
  void ExcludeFolder(const std::wstring& folder);
  // What the count and the copy leave out below each source's top folder.
  void SetExclusions(Exclusions exclusions) { exclusions_ = std::move(exclusions); }
  [[nodiscard]] const ExclusionTally& Excluded() const noexcept { return excluded_; }

  [[nodiscard]] int32_t FileTotal() const noexcept { return file_total_; }
  [[nodiscard]] int32_t FilesCopied() const noexcept { return files_copied_; }

 private:
  // A link back into the walk's path, or the excluded folder.
  [[nodiscard]] bool LeftOut(win::TreeWalk& walk) const;
  // The exclusion rule that takes the walk's current entry, or kNoMatch.
  [[nodiscard]] int ExclusionRule(const win::TreeWalk& walk) const;
  // Adds the current entry, left out by `rule`, to the tally: a folder with
  // every file below it. False only when cancelled.
  [[nodiscard]] bool TallyExcluded(win::TreeWalk& walk, int rule);
  void ShowCount();
  void ShowCopied();
  // True, once, when the last refresh by time is long enough before `now`.
  [[nodiscard]] bool RefreshDue(uint64_t now);
  [[nodiscard]] bool Cancelled() noexcept { return sink_.CancelRequested(); }

  ProgressSink& sink_;
  std::function<uint64_t()> ticks_;
  uint64_t last_refresh_ = 0;
  std::optional<win::FolderId> excluded_folder_;
  Exclusions exclusions_;
  ExclusionTally excluded_;
  int fixed_threads_ = 0;
  std::unique_ptr<FileLinker> linker_;
  LinkTally tally_;
  CatalogTrail trail_;
  std::vector<catalog::Entry> pending_;  // files handed out, by their tag
  int32_t file_total_ = 0;
  int32_t files_copied_ = 0;
};

}  // namespace yx::backup
