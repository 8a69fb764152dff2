#pragma once
// The session's place in a real program folder: its named locks, the log
// folder beside the program, the settings file, the file system as the
// settings check sees it, and the backup run itself.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "run/folder_lock.h"
#include "run/run_session.h"

namespace yx::run {

// The folder of the program `exe_path`, in CP932 and ending in a backslash.
[[nodiscard]] std::string ProgramFolder(const std::wstring& exe_path);

// True for exactly one argument, "/AUTO" byte for byte: one unattended run.
[[nodiscard]] bool UnattendedCommandLine(const std::vector<std::string>& cp932_args);

class SystemFolderProbe final : public settings::FolderProbe {
 public:
  [[nodiscard]] bool FolderExists(const std::string& path) const override;
  [[nodiscard]] bool FolderIsWithin(const std::string& inner,
                                    const std::string& outer) const override;
  [[nodiscard]] bool SameLastFolderName(const std::string& source,
                                        const std::string& other) const override;
};

class FolderPlace final : public SessionPlace {
 public:
  // `app_dir`: the program's folder, as ProgramFolder gives it.
  explicit FolderPlace(std::string app_dir) : app_dir_(std::move(app_dir)) {}

  // The milliseconds a copy run reads to pace its progress refreshes;
  // GetTickCount64 unless a test steps them.
  void SetTicksForTesting(std::function<uint64_t()> ticks) { ticks_ = std::move(ticks); }

  [[nodiscard]] LockTake TakeRunLock(std::string& failure) override;
  void ReleaseRunLock() override { run_lock_.reset(); }
  [[nodiscard]] DateTime Now() override;
  void LoadLog(log::RunLog& log, const std::string& cp932_path) override;
  void SaveLog(log::RunLog& log, const std::string& cp932_path) override;
  void SaveSettings(const settings::Settings& settings) override;
  void AppendToFallback(const std::string& entry) override;
  [[nodiscard]] const settings::FolderProbe& Probe() const override { return probe_; }
  [[nodiscard]] backup::RunOutcome Backup(const backup::RunRequest& request, DateTime run_start,
                                          backup::ProgressSink& progress,
                                          log::RunLog& log) override;

 private:
  std::string app_dir_;
  std::optional<FolderLock> run_lock_;
  SystemFolderProbe probe_;
  std::function<uint64_t()> ticks_ = [] { return ::GetTickCount64(); };
};

}  // namespace yx::run
