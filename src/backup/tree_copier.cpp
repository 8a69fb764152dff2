// Every path is wide and goes to the file system with the "\\?\" prefix
// (inside the walk and CreateOneFolder, and here for the copy), so names
// outside code page 932 and trees deeper than MAX_PATH are copied like any
// other; the walk keeps its folders on a stack of its own, so no depth
// overflows the thread's stack.
#include "backup/tree_copier.h"

#include "backup/copy_pace.h"
#include "backup/copy_queue.h"
#include "backup/earlier_copy.h"
#include "win/failure.h"
#include "win/file_system.h"
#include "win/pause_point.h"
#include "win/text.h"

namespace yx::backup {
namespace {

// A file larger than this refreshes the gauge by itself: copying it took long
// enough for the window to deserve a repaint.
constexpr int32_t kLargeFile = 1000000;
// A file larger than this is copied with no other copy beside it: the gauge
// then stands for files really copied, and small files are not held up
// behind it.
constexpr uint64_t kCopiedAlone = 4 * 1024 * 1024;
// How often, at most, the gauge moves while files are copied. By time, not
// by a count of files: a repaint per four files cost a tenth of a small-file
// copy run.
constexpr uint64_t kRefreshMs = 100;

// A file or folder deleted from the source after it was listed: nothing of
// it is missing from the backup, since the source no longer has it either.
bool Vanished(const std::wstring& path, DWORD error) {
  return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
         win::Attributes(path) == INVALID_FILE_ATTRIBUTES;
}

uint64_t TimeValue(const FILETIME& t) { return uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; }

catalog::Entry CatalogEntry(std::u16string path, const win::TreeWalk::Entry& from) {
  catalog::Entry e;
  e.path = std::move(path);
  e.folder = from.IsFolder();
  e.attributes = from.attributes;
  e.size = e.folder ? 0 : from.size;
  e.modified = TimeValue(from.last_write);
  e.created = TimeValue(from.created);
  return e;
}

}  // namespace

TreeCopier::TreeCopier(ProgressSink& sink, std::function<uint64_t()> ticks)
    : sink_(sink), ticks_(std::move(ticks)), last_refresh_(ticks_()) {}

void TreeCopier::ExcludeFolder(const std::wstring& folder) {
  excluded_folder_ = win::IdentifyFolder(folder);
}

bool TreeCopier::LeftOut(win::TreeWalk& walk) const {
  if (walk.Current().IsLink() && walk.LeadsBack()) return true;
  return excluded_folder_ && win::IdentifyFolder(walk.CurrentPath() + L'\\') == excluded_folder_;
}

int TreeCopier::ExclusionRule(const win::TreeWalk& walk) const {
  if (exclusions_.Empty()) return Exclusions::kNoMatch;
  const win::TreeWalk::Entry& entry = walk.Current();
  // A name the code page cannot hold gets '?' where it lacks a character:
  // only a wildcard matches it, as only a wildcard would match the original.
  return exclusions_.Match(win::FromWide(walk.Relative() + entry.name), entry.IsFolder(),
                           entry.size);
}

bool TreeCopier::TallyExcluded(win::TreeWalk& walk, int rule) {
  const win::TreeWalk::Entry& entry = walk.Current();
  if (!entry.IsFolder()) {
    excluded_.Add(rule, walk.CurrentPath(), 1, entry.size);
    return true;
  }
  const std::wstring folder = walk.CurrentPath() + L'\\';
  uint64_t files = 0, bytes = 0;
  // What is inside counts; a folder that cannot be listed counts as empty,
  // and what the count never enters (a link back up, the destination) is
  // not entered here either.
  win::TreeWalk inner(folder);
  for (win::TreeWalk::Step step; (step = inner.Next()) != win::TreeWalk::Step::kEnd;) {
    if (Cancelled()) return false;
    if (step != win::TreeWalk::Step::kEntry) continue;
    if (!inner.Current().IsFolder()) {
      ++files;
      bytes += inner.Current().size;
    } else if (!LeftOut(inner)) {
      inner.Descend();
    }
  }
  excluded_.Add(rule, folder, files, bytes);
  return true;
}

void TreeCopier::ShowCount() { sink_.ShowCount(file_total_); }

void TreeCopier::ShowTotal() { sink_.ShowTotal(file_total_); }

bool TreeCopier::CountFiles(const std::wstring& folder) {
  ShowCount();
  win::PausePoint("count");
  // A folder that cannot be listed counts as empty: the copy reports it.
  win::TreeWalk walk(folder);
  for (;;) {
    const win::TreeWalk::Step step = walk.Next();
    if (step == win::TreeWalk::Step::kEnd) return true;
    if (Cancelled()) return false;
    switch (step) {
      case win::TreeWalk::Step::kEntry:
        if (const int rule = ExclusionRule(walk); rule != Exclusions::kNoMatch) {
          if (!TallyExcluded(walk, rule)) return false;
        } else if (!walk.Current().IsFolder()) {
          ++file_total_;
        } else if (!LeftOut(walk)) {
          ShowCount();
          walk.Descend();
          ShowCount();
        }
        break;
      default:
        break;
    }
  }
}

void TreeCopier::ShowCopied() { sink_.ShowCopied(files_copied_); }

bool TreeCopier::RefreshDue(uint64_t now) {
  if (now - last_refresh_ < kRefreshMs) return false;
  last_refresh_ = now;
  return true;
}

void TreeCopier::SetCopyThreads(int threads) { fixed_threads_ = threads < 0 ? 0 : threads; }

void TreeCopier::UseLinks(FileLinker::MakeLink make) {
  linker_ = std::make_unique<FileLinker>(std::move(make));
}

bool TreeCopier::CopyTree(const std::wstring& destination, const std::wstring& source,
                          const Fault& fault, const std::wstring& earlier) {
  bool complete = true;
  std::optional<CopyPace> pace;
  if (fixed_threads_ == 0) pace.emplace(kMostCopies);
  CopyQueue copies(
      pace ? kMostCopies : fixed_threads_,
      [&](const std::wstring& path, DWORD error) {
        if (Vanished(path, error)) return;
        complete = false;
        if (fault) fault(path, error);
      },
      linker_.get());
  pending_.clear();
  if (trail_.entries != nullptr)
    copies.HashCopies([this](size_t tag, bool linked, const catalog::Hash128& hash) {
      catalog::Entry& e = pending_[tag];
      e.linked = linked;
      if (!linked) e.hash = hash;
      trail_.entries->push_back(std::move(e));
    });
  const auto stored = [&](const win::TreeWalk& w) {
    const std::wstring below = w.Relative() + w.Current().name;
    return trail_.top + u'\\' + std::u16string(below.begin(), below.end());
  };
  const auto linking = [this] { return linker_ && !linker_->Off(); };
  EarlierTree earlier_tree(linking() ? earlier : std::wstring());
  // Every report of the copied count sees what one copy after another would
  // show: the files handed out are copied, no later one is begun. A test
  // acting there finds the backup as the gauge says.
  const auto wait_until_at_most = [&](size_t limit) {
    copies.WaitUntilAtMost(limit, INFINITE, {});
  };
  const auto refresh = [&] {
    wait_until_at_most(0);
    ShowCopied();
  };
  ShowCopied();
  win::TreeWalk walk(source);
  for (;;) {
    const win::TreeWalk::Step step = walk.Next();
    // An abort stops the walk; the copies already handed out finish, so
    // what the backup holds is what one copy after another would have left.
    if (step == win::TreeWalk::Step::kEnd || Cancelled()) {
      wait_until_at_most(0);
      tally_.linked += copies.Tally().linked;
      tally_.copied += copies.Tally().copied;
      tally_.copied_bytes += copies.Tally().copied_bytes;
      return complete && step == win::TreeWalk::Step::kEnd;
    }
    switch (step) {
      case win::TreeWalk::Step::kEnd:
        break;
      case win::TreeWalk::Step::kUnlistable:
        // What it holds is missing from the backup: the run must not pass
        // for complete.
        copies.AddFault(walk.Folder(), walk.Error());
        break;
      case win::TreeWalk::Step::kLeave:
        earlier_tree.Leave();
        break;
      case win::TreeWalk::Step::kEntry: {
        const win::TreeWalk::Entry& entry = walk.Current();
        if (ExclusionRule(walk) != Exclusions::kNoMatch) break;
        std::wstring target = destination + walk.Relative() + entry.name;
        if (entry.IsFolder()) {
          // A link back into the path is left out of the backup altogether.
          if (LeftOut(walk)) break;
          // Made singly: a folder already there means this backup would mix
          // with another; that folder is left out.
          if (!win::CreateOneFolder(target)) {
            const win::Failure failure = win::Failure::Last("CreateDirectoryW");
            copies.AddFault(walk.CurrentPath(), failure.error);
            break;
          }
          if (trail_.entries != nullptr)
            trail_.entries->push_back(CatalogEntry(stored(walk), entry));
          earlier_tree.Descend(entry.name, linking());
          walk.Descend();
          refresh();
          break;
        }
        ++files_copied_;
        if (win::PausePointsActive()) wait_until_at_most(0);
        win::PausePoint("copy-file");
        std::wstring same = linking() ? earlier_tree.SameFile(entry) : std::wstring();
        size_t tag = CopyQueue::kNoTag;
        if (trail_.entries != nullptr) {
          tag = pending_.size();
          pending_.push_back(CatalogEntry(stored(walk), entry));
          // Linked only where the earlier catalog vouches for the copy, whose
          // hash the new entry then takes without a read.
          const catalog::Entry* kept =
              trail_.base ? trail_.base->Find(pending_.back().path) : nullptr;
          if (kept == nullptr || !Unchanged(entry, *kept))
            same.clear();
          else
            pending_.back().hash = kept->hash;
        }
        // A link moves no bytes: to the pace it weighs as an empty file.
        const uint64_t bytes = same.empty() ? entry.size : 0;
        if (entry.size > kCopiedAlone) {
          copies.CopyAlone(walk.CurrentPath(), std::move(target), entry.size, std::move(same),
                           INFINITE, {}, tag);
        } else {
          copies.Add(walk.CurrentPath(), std::move(target), entry.size, std::move(same), tag);
          wait_until_at_most(copies.Room());
        }
        const uint64_t now = ticks_();
        if (pace) {
          pace->Handed(bytes, now);
          copies.SetOneAtATime(pace->InFlight() == 1);
        }
        // The size the listing gave, read as the signed low 32 bits.
        if (static_cast<int32_t>(static_cast<uint32_t>(entry.size)) > kLargeFile || RefreshDue(now))
          refresh();
        break;
      }
    }
  }
}

}  // namespace yx::backup
