#pragma once
// The folders on the current path of a tree walk, so that a folder link
// (junction or symbolic link) that leads back to one of them is not entered
// again: otherwise a link to an ancestor sends the count and the copy round
// a cycle until the path is too long to open.
//
// A folder is known by its volume serial number and file index, which name
// the folder itself whatever path reached it. They are read only when a link
// is met, so a tree without links costs no extra open per folder.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace yx::backup {

struct FolderId {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  friend bool operator==(const FolderId&, const FolderId&) = default;
};

// The identity of the folder `path` (a link is followed to its target);
// nullopt when it cannot be opened.
[[nodiscard]] std::optional<FolderId> IdentifyFolder(const std::wstring& path);

class FolderTrail {
 public:
  // Enters `folder` for as long as the guard lives.
  class Step {
   public:
    Step(FolderTrail& trail, std::wstring folder) : trail_(trail) {
      trail_.steps_.push_back({std::move(folder), std::nullopt, false});
    }
    ~Step() { trail_.steps_.pop_back(); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    FolderTrail& trail_;
  };

  // True when the folder `link` leads to is one of the folders entered.
  [[nodiscard]] bool LeadsBack(const std::wstring& link);

 private:
  struct Entered {
    std::wstring path;
    std::optional<FolderId> id;
    bool identified;
  };
  std::vector<Entered> steps_;
};

}  // namespace yx::backup
