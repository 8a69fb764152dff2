#pragma once
// What an unattended run shows: the program's taskbar entry, minimised, over
// a window with the settings window's caption, and the progress window of a
// copy run. The run takes its settings from the file and nobody edits them
// meanwhile, so none of the settings window's pages and controls are made:
// the run starts and ends as quickly as the program can.
#include <windows.h>

#include <string>
#include <string_view>

#include <memory>
#include <vector>

#include "app/after_run.h"
#include "run/run_session.h"
#include "ui/application.h"
#include "ui/window.h"

namespace yx::app {

class TForm3;

class UnattendedWindow final : private ui::Window<UnattendedWindow>, public run::SessionFront {
 public:
  // Reads the month's log into `session`'s as the settings window would.
  UnattendedWindow(ui::Application& app, run::RunSession& session, const std::string& log_dir);
  ~UnattendedWindow();
  UnattendedWindow(const UnattendedWindow&) = delete;
  UnattendedWindow& operator=(const UnattendedWindow&) = delete;

  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  void AttachProgressForm(TForm3& progress);

  // The session writes its messages into the log while unattended; one that
  // still reached the front would find nobody to close a box.
  void ShowMessage(std::string_view cp932_text) override;
  void ShowError(std::string_view cp932_text) override;
  void ShowFaultField(settings::CheckedField) override {}
  void HoldCommands(bool) override {}
  [[nodiscard]] backup::ProgressSink& Progress() override;
  // What leaves the process after a run (the command, the notification).
  void SetAfterRunEffects(std::unique_ptr<AfterRunEffects> effects) {
    after_run_ = std::move(effects);
  }
  std::vector<std::string> RunEnded(const run::RunEnding& ending,
                                    const settings::Settings& settings) override;

 private:
  friend class ui::Window<UnattendedWindow>;
  void Attach(HWND hwnd) noexcept { hwnd_ = hwnd; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  ui::Application& app_;
  run::RunSession& session_;
  HWND hwnd_ = nullptr;
  TForm3* progress_ = nullptr;
  std::string log_dir_;
  std::unique_ptr<AfterRunEffects> after_run_;
};

}  // namespace yx::app
