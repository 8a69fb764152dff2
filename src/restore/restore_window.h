#pragma once
// The restore's one window: the backups of the destination newest first, the
// folder tree of the one selected, the versions of one file across every
// backup, and the restore of the selected file or folder to where it came
// from or to a folder the user picks.
#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/progress_state.h"
#include "restore/backup_tree.h"
#include "restore/destination.h"
#include "restore/program.h"
#include "restore/restore_controls.h"
#include "restore/verify.h"
#include "restore/restorer.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/gauge.h"
#include "ui/label.h"
#include "ui/push_button.h"
#include "ui/window.h"
#include "ui/worker.h"
#include "win/unique_handle.h"

namespace yx::restore {

// The questions of a restore beyond yes and no, so tests can answer them.
class RestoreQuestions {
 public:
  virtual ~RestoreQuestions() = default;
  // For the files that exist already; nothing cancels the restore.
  [[nodiscard]] virtual std::optional<Existing> AskExisting(HWND owner,
                                                            const std::wstring& existing_file) = 0;
  // A folder, or nothing when the user cancels.
  [[nodiscard]] virtual std::optional<std::wstring> PickFolder(
      HWND owner, const std::string& cp932_caption) = 0;
};

[[nodiscard]] RestoreQuestions& SystemQuestions();

class RestoreWindow : private ui::Window<RestoreWindow> {
 public:
  RestoreWindow(ui::Application& app, ui::Dialogs& dialogs, Program program,
                RestoreQuestions& questions = SystemQuestions());
  ~RestoreWindow();
  RestoreWindow(const RestoreWindow&) = delete;
  RestoreWindow& operator=(const RestoreWindow&) = delete;

  // Lists the backups of `root` (empty: none chosen) on a thread of its
  // own; the window shows them once done, the newest selected.
  void LoadDestination(const std::wstring& root);
  // The versions of the stored or original path in EditPath, gathered on
  // the worker; the window shows them once done.
  void ShowVersions();
  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  // The window is still opening, or a job goes on, on a thread of its own:
  // the listing, the versions, a restore or a verification, or the reading
  // of the backup the tree is to show. Once none does, what they found is
  // shown.
  [[nodiscard]] bool Busy() const noexcept { return opening_ || worker_.Busy() || reader_.Busy(); }

  ui::Label LblDest, LblPath, LblState;
  ReportList ListBackups, ListVersions;
  FileTree TreeFiles;
  WideEdit EditPath;
  ui::Gauge Gauge;
  ui::PushButton BtnFrom, BtnVersions, BtnRestore, BtnRestoreTo, BtnAbort, BtnClose, BtnVerify;

 private:
  // One backup as read for browsing and restoring, shared with the jobs
  // that use it.
  struct Shown {
    std::vector<StoredEntry> entries;
    std::string unreadable;
    BackupTree tree;
  };
  using ShownPtr = std::shared_ptr<const Shown>;
  // What a restore or a verification has done: written by its thread, shown
  // by the window's timer.
  void CreateControls();
  // From its catalog, or walked when it has none that reads.
  static ShownPtr ReadShown(const FoundBackup& backup);
  // `rows`: of the list, one per backup.
  void ShowDestination(std::vector<std::vector<std::wstring>> rows, bool stopped);
  void ListVersionsOf(const std::u16string& path,
                      const std::vector<std::optional<StoredEntry>>& per_backup);
  void ShowBackup();
  // Reads the selected backup on the reader when it is not read yet and the
  // reader is free; the selection is looked at again when a read ends.
  void ReadSelected();
  // Selects the path a row of the versions asked for once the tree shows
  // its backup.
  void SelectAskedPath();
  // The gauge at 0, shown, and following `progress_` on a timer.
  void StartGauge();
  void EndGauge(bool cancelled);
  // A close asked for during a job: the window goes once every job has
  // ended. True when one was asked for.
  bool CloseIfAsked();
  // Restores the current item into `folder`, or where it came from.
  void RestoreInto(std::optional<std::wstring> folder);
  void ReportRestore(const FoundBackup& backup, const std::u16string& path,
                     const std::wstring& target, const RestoreSummary& summary);
  // Reads the selected backup again against its catalog, on the worker.
  void VerifySelected();
  void ReportVerify(const VerifySummary& summary);
  void SetBusy(bool busy);
  // Every control's place for the window's size and DPI.
  void Layout();
  friend class ui::Window<RestoreWindow>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  ui::Dialogs& dialogs_;
  RestoreQuestions& questions_;
  Program program_;
  // Shared with the jobs that read it; a new one for each destination.
  std::shared_ptr<const Destination> destination_ = std::make_shared<const Destination>();
  std::vector<ShownPtr> shown_;  // per backup, read when first needed
  // What a restore takes: a backup and a stored path in it.
  std::optional<size_t> current_backup_;
  std::u16string current_path_;
  std::optional<size_t> tree_backup_;    // the backup TreeFiles shows
  std::u16string asked_path_;            // to select in the tree once it shows its backup
  std::u16string versions_path_;         // the path whose versions ListVersions shows
  std::vector<size_t> version_backups_;  // the backup of each row of ListVersions
  bool opening_ = true;                  // not shown and loading yet
  bool busy_ = false;
  bool closing_ = false;
  std::atomic<bool> abort_{false};
  ProgressState progress_;
  // What is said below the list of the destination as a whole (CP932).
  std::string destination_note_;
  HWND hwnd_ = nullptr;
  std::optional<RECT> laid_out_;  // the client area Layout last placed the controls in
  int laid_out_dpi_ = 0;
  win::UniqueGdiObject font_;
  // Last, so that they end before anything their jobs use goes: the
  // listing, the versions, a restore or a verification (one at a time, the
  // window's controls held meanwhile), and the reading of a backup to
  // browse (the window free meanwhile).
  ui::Worker worker_;
  ui::Worker reader_;
};

}  // namespace yx::restore
