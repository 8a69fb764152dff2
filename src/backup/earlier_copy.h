#pragma once
// The earlier copy a file of a copy run may share instead of being copied
// again: the same relative path in the newest earlier copy-mode backup of
// the same source in the destination.
//
// Only a whole copy may be shared, and nothing marks a backup as whole: a
// failed or killed run still leaves good files. What decides is each file:
// the earlier copy is shared only when its size, last-write time and
// attributes are the source's. A copy cut short never carries the source's
// time: a file copied under its own name gets it only once its bytes are all
// written (measured under Wine: a copy killed part way keeps the time of the
// kill), and a large one takes its name only once whole.
#include <functional>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "catalog/catalog.h"
#include "win/tree_walk.h"

namespace yx::backup {

// The newest "yymm\dd\hhnn\<name>" below `root` (ending in a backslash) that
// is older than `backup_time` and is a folder; "" when there is none. `name`
// ends in a backslash, and so does the result. Links are never followed: a
// backup reached through a link is no copy this destination keeps. With
// `usable`, only a backup (its time folder, ending in a backslash) it
// accepts is taken.
[[nodiscard]] std::wstring FindEarlierCopy(
    const std::wstring& root, DateTime backup_time, const std::wstring& name,
    const std::function<bool(const std::wstring& backup)>& usable = {});

// Whether the catalog's entry `kept` is the source file `source` as it is
// now: its size, last-write time and the attributes a copy carries.
[[nodiscard]] bool Unchanged(const win::TreeWalk::Entry& source, const catalog::Entry& kept);

// The earlier copy of a tree, followed down beside the copier's walk: each
// folder of it is listed once, when the walk enters the same folder of the
// source, so a file costs no call of its own to compare.
class EarlierTree {
 public:
  // `root`: the earlier copy of the whole tree (ending in a backslash); ""
  // for none.
  explicit EarlierTree(const std::wstring& root);

  // The walk entered its sub-folder `name`. Nothing is listed when `wanted`
  // is false (linking stopped) or the earlier copy has no real folder there.
  void Descend(const std::wstring& name, bool wanted);
  // The walk left the folder it was in.
  void Leave();
  // The path of the earlier copy of `entry`, a file of the folder the walk
  // is in, when that copy is a plain file (no folder, no link) whose size,
  // last-write time and attributes are `entry`'s; "" otherwise. Wine lists
  // a link to a file as a plain file: the link itself asks the file it opens
  // whether it is the folder's own (win/hard_link.h).
  [[nodiscard]] std::wstring SameFile(const win::TreeWalk::Entry& entry) const;

 private:
  struct Level {
    std::wstring path;                        // "" when there is no earlier copy here
    std::vector<win::TreeWalk::Entry> files;  // sorted by name
  };
  void Enter(std::wstring path);
  [[nodiscard]] const win::TreeWalk::Entry* Find(const std::wstring& name) const;

  std::vector<Level> levels_;
};

}  // namespace yx::backup
