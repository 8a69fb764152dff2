#pragma once
// The front of a session that runs on the run's own thread: what it shows
// and holds is handed to the window's thread and done there; the progress
// sink takes its reports from any thread itself; what follows the run (a
// command waited for, a notification shown for seconds) stays on the run's
// thread, so that the window goes on answering.
#include <windows.h>

#include "run/run_session.h"
#include "ui/window.h"

namespace yx::app {

class WindowThreadFront final : public run::SessionFront {
 public:
  WindowThreadFront(HWND window, run::SessionFront& front) : window_(window), front_(front) {}

  void ShowMessage(std::string_view text) override {
    ui::CallOnWindowThread(window_, [&] { front_.ShowMessage(text); });
  }
  void ShowError(std::string_view text) override {
    ui::CallOnWindowThread(window_, [&] { front_.ShowError(text); });
  }
  void ShowFaultField(settings::CheckedField field) override {
    ui::CallOnWindowThread(window_, [&] { front_.ShowFaultField(field); });
  }
  void HoldCommands(bool hold) override {
    ui::CallOnWindowThread(window_, [&] { front_.HoldCommands(hold); });
  }
  void SettingsSaved() override {
    ui::CallOnWindowThread(window_, [&] { front_.SettingsSaved(); });
  }
  [[nodiscard]] backup::ProgressSink& Progress() override { return front_.Progress(); }

  std::vector<std::string> RunEnded(const run::RunEnding& ending,
                                    const settings::Settings& settings) override {
    return front_.RunEnded(ending, settings);
  }

 private:
  HWND window_;
  run::SessionFront& front_;
};

}  // namespace yx::app
