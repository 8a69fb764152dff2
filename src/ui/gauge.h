#pragma once
// A horizontal bar gauge: a blue bar on white inside a single border, with the
// whole-number percentage centred on it. The values live in GaugeModel, which
// needs no window, so the rules the copier relies on are testable by
// themselves; Gauge is the window that shows a model.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/control.h"
#include "ui/window.h"

namespace yx::ui {

class GaugeModel {
 public:
  [[nodiscard]] int32_t MinValue() const noexcept { return min_; }
  [[nodiscard]] int32_t MaxValue() const noexcept { return max_; }
  [[nodiscard]] int32_t Progress() const noexcept { return progress_; }

  // A minimum above the maximum pulls the maximum up to it, a maximum below
  // the minimum is raised to the minimum; Progress then moves into the range.
  void SetMinValue(int32_t value) noexcept;
  void SetMaxValue(int32_t value) noexcept;
  // Clamped into [MinValue, MaxValue].
  void SetProgress(int32_t value) noexcept;

  // (Progress - Min) * 100 / (Max - Min), truncated; 0 for an empty range.
  [[nodiscard]] int Percent() const noexcept;
  // Bar length for a track `width` pixels wide.
  [[nodiscard]] int FilledWidth(int width) const noexcept;

 private:
  void Clamp() noexcept;

  int32_t min_ = 0;
  int32_t max_ = 100;
  int32_t progress_ = 0;
};

class Gauge : public Control, private Window<Gauge> {
 public:
  // A child of `parent` with a single border; the model works without it.
  void Create(HWND parent, RECT bounds, HFONT font);
  [[nodiscard]] const GaugeModel& Model() const noexcept { return model_; }

  [[nodiscard]] int32_t MinValue() const noexcept { return model_.MinValue(); }
  [[nodiscard]] int32_t MaxValue() const noexcept { return model_.MaxValue(); }
  [[nodiscard]] int32_t Progress() const noexcept { return model_.Progress(); }
  [[nodiscard]] int Percent() const noexcept { return model_.Percent(); }

  // Each setter repaints only when what the gauge shows has changed; the
  // repaint itself waits until messages are next processed.
  void SetMinValue(int32_t value) noexcept;
  void SetMaxValue(int32_t value) noexcept;
  void SetProgress(int32_t value) noexcept;
  // Shown instead of the percentage while not empty ("完了").
  void SetText(std::wstring text);

 private:
  friend class Window<Gauge>;
  void Attach(HWND hwnd) noexcept { Bind(hwnd); }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Paint(HDC dc) const noexcept;
  void Update(const GaugeModel& before) noexcept;

  GaugeModel model_;
  HFONT font_ = nullptr;  // not owned
  std::wstring text_;
};

}  // namespace yx::ui
