#pragma once
// The front of a session that runs on the run's own thread. What the window
// only shows or holds is queued for its thread and the run goes on; only a
// box, which needs its answer, is waited for, and with it the faulty field
// put in front just before it (a queued call would come after the box). The
// progress sink writes a state the window reads on its own. A queued call
// takes the window's front, never this one, which goes with the run. What
// follows the run (a command waited for) stays on the run's thread, so that
// the window goes on answering.
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
    ui::PostToWindowThread(window_, [&front = front_, hold] { front.HoldCommands(hold); });
  }
  void SettingsSaved() override {
    ui::PostToWindowThread(window_, [&front = front_] { front.SettingsSaved(); });
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
